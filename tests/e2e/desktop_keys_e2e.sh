#!/bin/bash
# The real desktop program flown from the keyboard in a virtual X display:
# Return on the title starts the approach and the cockpit is one the headless
# game shows after a click on START; P pauses (the caption says so and the
# picture stands still) and P resumes it; M mutes and is remembered; Escape
# never quits from the cockpit. Every wait is for a condition under a
# deadline.
#
# usage: desktop_keys_e2e.sh AVELUNE_BINARY
# Exit 0 passed, 1 failed, 77 skipped (tools or atlas missing).
set -u

BIN=$(readlink -f "$1")
. "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/lib.sh"

# The headless game's cockpits after a click on START, tick by tick.
TICKS=150
{
    printf 'tick 2\npress 334 227\nrelease 334 227\n'
    for t in $(seq "$TICKS"); do printf 'tick\nscreenshot c-%d.png\n' "$t"; done
} | timeout 120 "$BIN" --headless --atlas "$ATLAS" --events - >/dev/null || fail "headless reference run"
declare -A AT
for t in $(seq "$TICKS"); do AT[$(cockpit_digest "c-$t.png")]=$t; done

"$BIN" --scale 1 >out.txt 2>err.txt &
APID=$!
find_window() { WID=$(xdotool search --onlyvisible --name "^${CAPTION//./\\.}" 2>/dev/null | head -1); [ -n "$WID" ]; }
until_ok 30 find_window || fail "no window appeared"
INFO=$(xwininfo -id "$WID")
PX=$(awk '/Absolute upper-left X/ {print $4}' <<<"$INFO")
PY=$(($(awk '/Absolute upper-left Y/ {print $4}' <<<"$INFO") + 20))
shot() { import -window root -crop "632x440+$PX+$PY" +repage "$1" 2>/dev/null; }
colourful() { shot t.png && [ "$(convert t.png -format '%k' info:)" -ge 64 ]; }
until_ok 30 colourful || fail "the title never showed"
# The first title picture is drawn a tick before the title takes START (a
# click or a key on it does nothing, as in the game): on a busy machine the
# picture can be up for a while. Wait until the animation moves.
animating() { shot a.png && [ "$(cockpit_digest a.png)" != "$(cockpit_digest t.png)" ]; }
until_ok 30 animating || fail "the title animation never moved"
xdotool windowfocus --sync "$WID" 2>/dev/null

# Return starts the approach as a click on START does.
xdotool key Return
in_cockpit() { shot k.png && [ -n "${AT[$(cockpit_digest k.png)]:-}" ]; }
until_ok 30 in_cockpit || fail "after Return the window shows no cockpit of the headless approach"
echo "Return started the approach: the cockpit matches headless tick ${AT[$(cockpit_digest k.png)]}"

# Escape belongs to the title and the pages, not the cockpit.
xdotool key Escape
sleep 0.3
kill -0 "$APID" 2>/dev/null || fail "Escape in the cockpit ended the program"

# P pauses: the caption says so and the picture stands still; P resumes.
xdotool key p
paused() { [ "$(xdotool getwindowname "$WID")" = "$CAPTION - Paused" ]; }
until_ok 10 paused || fail "the caption does not say Paused: $(xdotool getwindowname "$WID")"
sleep 0.3
shot p1.png
sleep 1
shot p2.png
[ "$(cockpit_digest p1.png)" = "$(cockpit_digest p2.png)" ] || fail "the picture moved while paused"
xdotool key p
moving() { shot p3.png; [ "$(cockpit_digest p3.png)" != "$(cockpit_digest p2.png)" ]; }
until_ok 10 moving || fail "the game did not go on after the pause"
[ "$(xdotool getwindowname "$WID")" = "$CAPTION" ] || fail "the caption still says Paused"
echo "P paused and resumed the game"

# M mutes, remembered in the settings file.
xdotool key m
muted() { grep -qx 'mute=1' "$WORK/data/avelune/settings.ini" 2>/dev/null; }
until_ok 10 muted || fail "M did not write mute=1 to the settings file"
echo "M muted the start sound, remembered"

xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key --clearmodifiers alt+x
for _ in $(seq 100); do kill -0 "$APID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APID" 2>/dev/null && fail "File, Exit did not end the program"
wait "$APID"; status=$?; APID=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASS"
