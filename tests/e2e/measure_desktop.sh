#!/bin/bash
# Measures the desktop program under a virtual X display, as a player would
# use it: the CPU it uses (utime + stime from /proc, as a share of one core)
# on the title animation, the still guide page, the second page, in flight
# (a hand on the mouse, the restart lever pulled every 3 s) and on the
# failure screen; resident memory in flight with the largest mappings; and
# the time from start to the first title picture, three times: from the
# program's own trace (AVELUNE_TRACE_STARTUP) where it has one, and from
# this script's screenshots (an upper bound: it includes their polling).
# Several programs are measured one after the other in one run, for figures
# side by side. Not a test: prints figures.
#
# usage: measure_desktop.sh [--scale N] [--seconds S] AVELUNE_BINARY...
set -u
SCALE=2
SECS=30
BINS=()
while [ $# -gt 0 ]; do
    case $1 in
    --scale) SCALE=$2; shift 2 ;;
    --seconds) SECS=$2; shift 2 ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) BINS+=("$(readlink -f "$1")"); shift ;;
    esac
done
[ ${#BINS[@]} -gt 0 ] || { echo "usage: $0 [--scale N] [--seconds S] AVELUNE_BINARY..." >&2; exit 2; }
for tool in Xvfb xdotool xwininfo import compare pmap; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done
HZ=$(getconf CLK_TCK)
WORK=$(mktemp -d)
# Xvfb picks a free display itself and writes its number, so runs side by
# side never share (or kill) one server.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$WORK/display" >/dev/null 2>&1 &
XPID=$!
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
DISP=":$(head -1 "$WORK/display" 2>/dev/null)"
APID=""
stop_app() { [ -n "$APID" ] && { kill "$APID" 2>/dev/null; wait "$APID" 2>/dev/null; }; APID=""; }
trap 'stop_app; kill $XPID 2>/dev/null; rm -rf "$WORK"' EXIT
export DISPLAY=$DISP SDL_AUDIODRIVER=dummy XDG_DATA_HOME=$WORK HOME=$WORK AVELUNE_TRACE_STARTUP=1
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
cd "$WORK" || exit 1

cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss() { awk '/VmRSS/ {print $2 " kB"}' "/proc/$1/status"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Game pixel (x, y) on the screen, at the centre of its square.
click() { xdotool mousemove $((X + $1 * SCALE + SCALE / 2)) $((Y + $2 * SCALE + SCALE / 2)) click 1; }
share() {  # label: CPU over SECS seconds from now
    local c0 t0 c1 t1 ms used
    c0=$(cpu "$APID"); t0=$(now_ms)
    if [ -n "${FLYING:-}" ]; then
        local end=$(($(date +%s) + SECS))
        while [ "$(date +%s)" -lt "$end" ]; do
            # A player's hand on the mouse: about ten moves a second over the panel.
            for i in $(seq 30); do
                xdotool mousemove $((X + (200 + (i * 37) % 300) * SCALE)) $((Y + (250 + (i * 23) % 150) * SCALE))
                sleep 0.1
            done
            click 518 388  # the restart lever: the approach never ends
        done
    else
        sleep "$SECS"
    fi
    c1=$(cpu "$APID"); t1=$(now_ms)
    ms=$((t1 - t0)); used=$(((c1 - c0) * 1000 / HZ))
    printf '  %-22s %6d ms CPU in %6d ms = %5.2f %% of one core\n' "$1" "$used" "$ms" \
        "$(awk "BEGIN {print 100 * $used / $ms}")"
}
launch() {
    "$BIN" --scale "$SCALE" >/dev/null 2>"$WORK/err.txt" &
    APID=$!
    WID=""
    for _ in $(seq 500); do
        WID=$(xwininfo -root -tree 2>/dev/null | awk '/Avelune V1.07AC/ {print $1; exit}')
        [ -n "$WID" ] && xwininfo -id "$WID" | grep -q IsViewable && break
        sleep 0.01
    done
    X=$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ {print $4}')
    Y=$(($(xwininfo -id "$WID" | awk '/Absolute upper-left Y/ {print $4}') + 20 * SCALE))
}

printf 'tick 2\nscreenshot title.png\n' | "${BINS[0]}" --headless --events - >/dev/null
echo "Xvfb 1280x1024, scale $SCALE, $SECS s a state, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for BIN in "${BINS[@]}"; do
    echo "$BIN"
    for run in 1 2 3; do
        START_NS=$(date +%s%N)
        launch
        for _ in $(seq 200); do
            import -window root -crop "$((632 * SCALE))x$((440 * SCALE))+$X+$Y" +repage png:- 2>/dev/null |
                convert - -sample 632x440\! now.png 2>/dev/null &&
                [ "$(compare -metric AE now.png title.png null: 2>&1 | awk '{print int($1)}')" -lt 70000 ] && break
        done
        seen=$((($(date +%s%N) - START_NS) / 1000000))
        traced=$(sed -n 's/.*presented \([0-9?]*\) ms after the process started, at \([0-9]*\)\.\([0-9]*\) s.*/\1 \2\3/p' err.txt)
        if [ -n "$traced" ]; then
            read -r own at <<<"$traced"
            printf '  start to first title   %4s ms by its trace, %4d ms from launch to that present, %4d ms to a screenshot showing it\n' \
                "$own" $(((at - START_NS) / 1000000)) "$seen"
        else
            printf '  start to first title   %4d ms to a screenshot showing it (no trace in this program)\n' "$seen"
        fi
        [ "$run" -lt 3 ] && stop_app
    done
    [ -n "$traced" ] && echo "  renderer: $(sed -n 's/.*; renderer //p' err.txt)"
    sleep 1
    share "title animation"
    click 435 237  # the i button: the cockpit guide, its timer stopped
    sleep 2
    share "guide page"
    click 417 392  # CONTINUE: the second page
    sleep 2
    share "second page"
    stop_app

    launch
    sleep 2
    click 334 227  # START
    sleep 2
    FLYING=1 share "flight"
    echo "  resident in flight: $(rss "$APID"); the largest mappings (kB resident):"
    pmap -x "$APID" | awk 'NF >= 6 && $1 ~ /^[0-9a-f]+$/ {n = $NF; if (n == "]") n = "[" $(NF - 1) "]"; r[n] += $3}
        END {for (k in r) printf "%8d  %s\n", r[k], k}' | sort -rn | head -6 | sed 's/^/    /'
    # Left alone, the approach fails within a few seconds: the failure screen.
    sleep 15
    share "failure screen"
    stop_app
done
exit 0
