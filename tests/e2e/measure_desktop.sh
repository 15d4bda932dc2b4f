#!/bin/bash
# Measures the desktop program under a virtual X display: CPU time used over
# 20 s of flight and over 20 s on the (still) information page, the time
# from start to the first title picture, and resident memory. Not a test:
# prints figures. usage: measure_desktop.sh AVELUNE_BINARY [SECONDS]
set -u
BIN=$(readlink -f "$1")
SECS=${2:-20}
HZ=$(getconf CLK_TCK)
WORK=$(mktemp -d)
# Xvfb picks a free display itself and writes its number, so runs side by
# side never share (or kill) one server.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
XPID=$!
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
DISP=":$(head -1 "$WORK/display" 2>/dev/null)"
APID=""
trap '[ -n "$APID" ] && kill $APID 2>/dev/null; kill $XPID 2>/dev/null; rm -rf "$WORK"' EXIT
export DISPLAY=$DISP SDL_AUDIODRIVER=dummy XDG_DATA_HOME=$WORK HOME=$WORK
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
cd "$WORK" || exit 1

cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss() { awk '/VmRSS/ {print $2 " kB"}' "/proc/$1/status"; }
click() { xdotool mousemove "$1" "$2" click 1; }

printf 'tick 2\nscreenshot title.png\n' | "$BIN" --headless --events - >/dev/null
START=$(date +%s%N)
"$BIN" --scale 1 >/dev/null 2>&1 &
APID=$!
WID=""
for _ in $(seq 500); do
    [ -n "$WID" ] && break
    WID=$(xwininfo -root -tree 2>/dev/null | awk '/Avelune V1.07AC/ {print $1; exit}')
    sleep 0.02
done
X=$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ {print $4}')
Y=$(($(xwininfo -id "$WID" | awk '/Absolute upper-left Y/ {print $4}') + 20))
for _ in $(seq 200); do
    import -window root -crop "632x440+$X+$Y" +repage now.png 2>/dev/null &&
        [ "$(compare -metric AE now.png title.png null: 2>&1 | awk '{print int($1)}')" -lt 70000 ] && break
done
echo "start to first title picture: $((($(date +%s%N) - START) / 1000000)) ms (upper bound: includes screenshot polling); CPU so far $((($(cpu $APID)) * 1000 / HZ)) ms"
sleep 1

# Flight: start, and pull the restart lever every 3 s or so, so the approach
# never ends on the failure screen with its timer stopped.
click $((X + 334)) $((Y + 227))
sleep 1
c0=$(cpu "$APID"); t0=$(date +%s%N)
end=$(($(date +%s) + SECS))
while [ "$(date +%s)" -lt "$end" ]; do
    # A player's hand on the mouse: about ten moves a second over the panel.
    for i in $(seq 30); do
        xdotool mousemove $((X + 200 + (i * 37) % 300)) $((Y + 250 + (i * 23) % 150))
        sleep 0.1
    done
    click $((X + 518)) $((Y + 388))
done
c1=$(cpu "$APID"); t1=$(date +%s%N)
ms=$(((t1 - t0) / 1000000)); used=$(((c1 - c0) * 1000 / HZ))
echo "flight: ${used} ms CPU in ${ms} ms = $(awk "BEGIN {printf \"%.2f\", 100 * $used / $ms}")% of one core; RSS $(rss $APID)"

# The information page: back to the title (quit lever would end), so restart
# the program's title by its page button from a fresh start.
kill "$APID"; wait "$APID" 2>/dev/null
"$BIN" --scale 1 >/dev/null 2>&1 &
APID=$!
sleep 4
click $((X + 435)) $((Y + 237))
sleep 2
c0=$(cpu "$APID"); t0=$(date +%s%N)
sleep "$SECS"
c1=$(cpu "$APID"); t1=$(date +%s%N)
ms=$(((t1 - t0) / 1000000)); used=$(((c1 - c0) * 1000 / HZ))
echo "information page: ${used} ms CPU in ${ms} ms = $(awk "BEGIN {printf \"%.2f\", 100 * $used / $ms}")% of one core; RSS $(rss $APID)"
[ -n "${SHOT:-}" ] && import -window root -crop "632x440+$X+$Y" +repage "$SHOT"
exit 0
