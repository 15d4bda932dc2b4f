#!/bin/bash
# Nothing is drawn over a menu or a dialog, on the renderer named: the real
# program in a virtual X display opens each menu and each window (File,
# About, Flight, Game, Help; Keys, About box, Save and Open flight, Logbook,
# Watching, Debrief, the question before quitting) over the title animation
# and in flight, takes two grabs a second apart and requires the dialog's
# pixels identical while the game moves beneath. The program tells where its
# windows are (AVELUNE_TRACE_UI); Escape closes each, and never quits.
#
# usage: desktop_dialogs_e2e.sh AVELUNE_BINARY software|accelerated
# Exit 0 passed, 1 failed, 77 skipped (tools or atlas missing).
set -u

BIN=$(readlink -f "$1")
RENDERER=${2:-software}
. "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/lib.sh"

mkdir -p "$WORK/data/avelune"
printf 'renderer=%s\n' "$RENDERER" >"$WORK/data/avelune/settings.ini"
AVELUNE_TRACE_UI=1 "$BIN" --scale 1 >out.txt 2>err.txt &
APID=$!
find_window() { WID=$(xdotool search --onlyvisible --name "^${CAPTION//./\\.}" 2>/dev/null | head -1); [ -n "$WID" ]; }
until_ok 30 find_window || fail "no window appeared"
INFO=$(xwininfo -id "$WID")
WX=$(awk '/Absolute upper-left X/ {print $4}' <<<"$INFO")
WY=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$INFO")
grep -q "renderer" err.txt && grep "renderer" err.txt
xdotool windowfocus --sync "$WID" 2>/dev/null || true

grab() { import -window root -crop "632x460+$WX+$WY" +repage "$1" || fail "screenshot"; }
# The last line the program wrote about its windows.
ui_line() { grep '^avelune: ui: ' err.txt | tail -1 | sed 's/^avelune: ui: //'; }
ui_open() { [ "$(ui_line)" != none ] && [ -n "$(ui_line)" ]; }
ui_closed() { [ "$(ui_line)" = none ]; }

# check NAME [KEYS...]: the keys open a menu or window (or one is open
# already); two grabs a second apart are identical inside every window the
# program reports.
checked=0
check() {
    local name=$1; shift
    local key
    for key in "$@"; do xdotool key --clearmodifiers "$key"; sleep 0.15; done
    until_ok 10 ui_open || fail "$name did not open ($(ui_line))"
    # Settled: a menu item's window replaces its menu a frame or two later.
    local rects=""
    settled() { local now; now=$(ui_line); [ "$now" = "$rects" ] && return 0; rects=$now; sleep 0.5; return 1; }
    until_ok 10 settled || fail "$name never settled ($(ui_line))"
    local try
    for try in 1 2 3 4 5; do
        grab "$name-1.png"; sleep 1; grab "$name-2.png"
        [ "$(ui_line)" = "$rects" ] && break
        rects=$(ui_line)  # it grew (the flight being watched came to its end): again
    done
    [ "$(ui_line)" = "$rects" ] || fail "$name kept moving or changing: $rects / $(ui_line)"
    # Each "Name x,y WxH" entry, its place below the window's top-left.
    while read -r rect; do
        local xy=${rect% *} wh=${rect#* }
        local x=${xy%,*} y=${xy#*,}
        # The watching panel lets the flight show through and counts its
        # ticks: its title bar only.
        [[ $name == watching* ]] && wh="${wh%x*}x16"
        local d
        convert "$name-1.png" -crop "$wh+$x+$y" +repage "$name-c1.png"
        convert "$name-2.png" -crop "$wh+$x+$y" +repage "$name-c2.png"
        d=$(compare -metric AE "$name-c1.png" "$name-c2.png" null: 2>&1 | awk '{print int($1)}')
        [ "$d" = 0 ] || fail "$name: $d pixels of '$rect' changed within a second (drawn over?)"
    done < <(tr ';' '\n' <<<"$rects" | sed 's/^ *//; s/^[^0-9]* \([0-9-]*,[0-9-]* [0-9]*x[0-9]*\)$/\1/')
    checked=$((checked + 1))
    echo "ok: $name ($rects)"
}
close_all() {
    local n
    for n in 1 2 3; do ui_closed && break; xdotool key Escape; sleep 0.3; done
    until_ok 10 ui_closed || fail "Escape did not close everything: $(ui_line)"
    kill -0 "$APID" 2>/dev/null || fail "Escape ended the program"
}

for place in title flight; do
    if [ "$place" = flight ]; then
        xdotool key Return                      # START
        sleep 0.5
        xdotool key Home Up Up Up Up Up         # full power, nose down: speed builds
        # The quit lever's question holds the game: nothing of the picture
        # moves while it is up, and N lets the flight go on.
        check "flight-quit-question" y
        d=$(compare -metric AE flight-quit-question-1.png flight-quit-question-2.png null: 2>&1 | awk '{print int($1)}')
        [ "$d" = 0 ] || fail "the game went on under the quit question ($d pixels changed)"
        xdotool key n
        until_ok 10 ui_closed || fail "N did not close the question ($(ui_line))"
        grab held.png
        moved() { grab going.png; [ "$(compare -metric AE held.png going.png null: 2>&1 | awk '{print int($1)}')" != 0 ]; }
        until_ok 10 moved || fail "the flight stood still after N"
    fi
    check "$place-file" alt+f;                  close_all
    check "$place-aboutmenu" alt+a;             close_all
    check "$place-flightmenu" alt+l;            close_all
    check "$place-gamemenu" alt+g;              close_all
    check "$place-helpmenu" alt+h;              close_all
    check "$place-keys" alt+h Return;           close_all
    check "$place-about" alt+a Return;          close_all
    check "$place-save" alt+l Return;           close_all
    check "$place-open" alt+l Down Return;      close_all
    check "$place-logbook" alt+l Down Down Return; close_all
    [ "$place" = title ] && { check "title-quit-question" Escape; close_all; }
done
# The flight fails (full power), and its debrief opens with Ctrl+D.
has_debrief() { xdotool key ctrl+d; sleep 0.3; grep -q 'Debrief' <<<"$(ui_line)"; }
until_ok 60 has_debrief || fail "no debrief after the flight failed ($(ui_line))"
close_all
check "result-debrief" ctrl+d;                  close_all
# Saved, then opened to watch: the watching panel stands beside the game.
xdotool key alt+l; sleep 0.2; xdotool key Return; sleep 0.5; xdotool key Return   # Save flight..., my-approach.avflight
until_ok 10 ui_closed || fail "the save dialog stayed ($(ui_line))"
xdotool key alt+l; sleep 0.2; xdotool key Down; sleep 0.2; xdotool key Return; sleep 0.5
xdotool key Return   # the newest saved flight stands in the field: my-approach.avflight
check "watching"
# The quit lever by key asks first; N stays.
check "quit-question" y
xdotool key n
until_ok 10 eval '! grep -q "Avelune " <<<"$(ui_line)"' || fail "N did not keep the game ($(ui_line))"
kill -0 "$APID" 2>/dev/null || fail "N ended the program"
# Y quits, as the lever's own click.
xdotool key y; sleep 0.5; xdotool key y
for _ in $(seq 100); do kill -0 "$APID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APID" 2>/dev/null && fail "Y in the question did not end the program"
wait "$APID"; status=$?; APID=""
[ "$status" = 0 ] || fail "the program ended with status $status"
[ "$checked" -ge 24 ] || fail "only $checked menus and windows were checked"
echo "PASS: $checked menus and windows, none drawn over ($RENDERER renderer)"
