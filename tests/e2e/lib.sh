# What the desktop's end-to-end scripts share: the tools they need, a
# virtual X display of their own, a fresh home, waits under deadlines and the
# pictures' checksums. Sourced after BIN is set; sets WORK, ATLAS, DISPLAY.
#
# Nothing here sleeps for a fixed time: every wait is for a condition (a
# window mapped, the picture changed, a file written) under a deadline, so a
# busy machine makes a test slower, not wrong.

skip() { echo "SKIP: $*"; exit 77; }
for tool in Xvfb xdotool xwininfo import convert compare; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (Debian: xvfb xdotool x11-utils imagemagick)"
done
ATLAS=$(dirname "$BIN")/prop.bmp
[ -f "$ATLAS" ] || skip "no atlas at $ATLAS (the avelune_art target makes it)"

WORK=$(mktemp -d)
XPID=""; APID=""
cleanup() {
    [ -n "$APID" ] && kill "$APID" 2>/dev/null
    [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
    [ -n "${AVELUNE_E2E_KEEP:-}" ] && echo "kept $WORK" || rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for f in "$WORK"/err.txt "$WORK"/out.txt; do [ -s "$f" ] && { echo "--- $f"; cat "$f"; }; done
    exit 1
}

# Xvfb picks a free display itself (its screen 1280 x 1024 unless
# AVELUNE_E2E_SCREEN names another) and writes its number, so runs side by
# side never share (or kill) one server. -noreset keeps the server up when
# the last program closes, so the next one never meets a server mid-reset.
Xvfb -displayfd 3 -screen 0 "${AVELUNE_E2E_SCREEN:-1280x1024}x24" -nolisten tcp -noreset 3>"$WORK/display" >/dev/null 2>&1 &
XPID=$!
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$WORK/display" 2>/dev/null)" SDL_AUDIODRIVER=dummy XDG_DATA_HOME=$WORK/data HOME=$WORK
# For a sanitizer build: the X, session-bus and GL libraries SDL loads keep
# allocations for the process's life, and their frames cannot be unwound to
# tell them from ours; the unit tests check the program's own code for leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
xwininfo -root >/dev/null 2>&1 || fail "Xvfb did not start on $DISPLAY"
cd "$WORK" || exit 1

# until_ok SECONDS COMMAND...: runs COMMAND every tenth of a second until it
# succeeds (0) or SECONDS pass (1).
until_ok() {
    local end=$(($(date +%s%N) + $1 * 1000000000)); shift
    while :; do
        "$@" && return 0
        [ "$(date +%s%N)" -lt "$end" ] || return 1
        sleep 0.1
    done
}
# The cockpit without the sweep gauge's needles: they step with every
# picture drawn, and the window draws more pictures than the headless game
# (one more whenever X asks it to repaint). Everything else must match.
SWEEP_BOX="rectangle 425,250 568,357"
cockpit_digest() { convert "$1" -fill black -draw "$SWEEP_BOX" -depth 8 rgb:- | md5sum | cut -d' ' -f1; }
CAPTION="... Avelune V1.07AC ... Instrument Landing Simulator Game"
