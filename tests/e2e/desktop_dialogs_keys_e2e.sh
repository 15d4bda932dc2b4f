#!/bin/bash
# Every menu and dialog at scale 2, by the keyboard alone: the real program in
# a virtual X display. Right and Left go from menu to menu; keys sent at once
# behind the one that opens a menu reach it in order; the logbook's columns
# hold their text (the trace marks a table that cuts it: " cut"). The menus are drawn at twice their 1x size (the
# program tells where its windows are: AVELUNE_TRACE_UI); About, the Game
# menu's ticks and its Scale (the menus follow at once), Help > Keys, Save flight (Tab from the field to its buttons),
# the error box, the quit question, the debrief, the logbook (its flight
# count typed in, an entry's debrief) and the watching panel (F6 to its
# buttons) are each opened, worked and closed from the keys.
#
# usage: desktop_dialogs_keys_e2e.sh AVELUNE_BINARY
# Exit 0 passed, 1 failed, 77 skipped (tools or atlas missing).
set -u

BIN=$(readlink -f "$1")
export AVELUNE_E2E_SCREEN=1400x1000
. "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/lib.sh"

SETTINGS=$WORK/data/avelune/settings.ini
mkdir -p "$WORK/data/avelune"
printf 'renderer=software\n' >"$SETTINGS"
AVELUNE_TRACE_UI=1 "$BIN" --scale 2 >out.txt 2>err.txt &
APID=$!
find_window() { WID=$(xdotool search --onlyvisible --name "^${CAPTION//./\\.}" 2>/dev/null | head -1); [ -n "$WID" ]; }
until_ok 30 find_window || fail "no window appeared"
xdotool windowfocus --sync "$WID" 2>/dev/null || true

ui_line() { grep -a '^avelune: ui: ' err.txt | tail -1 | sed 's/^avelune: ui: //'; }
ui_has() { grep -q -- "$1" <<<"$(ui_line)"; }
ui_closed() { [ "$(ui_line)" = none ]; }
keys() { local k; for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 0.3; done; }
# expect WHAT PATTERN KEYS...: after the keys, the windows named match.
expect() {
    local what=$1 pattern=$2; shift 2
    keys "$@"
    until_ok 10 ui_has "$pattern" || fail "$what: no '$pattern' ($(ui_line))"
    echo "ok: $what ($(ui_line))"
}
expect_closed() {
    local what=$1; shift
    keys "$@"
    until_ok 10 ui_closed || fail "$what: still open ($(ui_line))"
    kill -0 "$APID" 2>/dev/null || fail "$what: the program ended"
    echo "ok: $what closed"
}

# The pop-ups' places and sizes at 1x (x, y, width, height): at scale 2 each
# is twice as large and stands below a bar twice as tall.
twice() {
    local what=$1 x1=$2 y1=$3 w1=$4 h1=$5 rect xy wh
    rect=$(ui_line | grep -o '[0-9-]*,[0-9-]* [0-9]*x[0-9]*' | tail -1)
    xy=${rect% *} wh=${rect#* }
    local x=${xy%,*} y=${xy#*,} w=${wh%x*} h=${wh#*x}
    near() { local d=$(($1 - 2 * $2)); [ "${d#-}" -le $((2 * $2 / 10 + 2)) ]; }
    near "$x" "$x1" && near "$y" "$y1" && near "$w" "$w1" && near "$h" "$h1" ||
        fail "$what at scale 2 is $rect, not twice its 1x $x1,$y1 ${w1}x$h1"
    echo "ok: $what is twice its 1x size ($rect)"
}
expect "File menu" ' [0-9]*,40 ' alt+f;        twice "File menu" 3 20 59 29;     expect_closed "File menu" Escape
expect "Game menu" ' [0-9]*,40 ' alt+g;        twice "Game menu" 130 20 213 131; expect_closed "Game menu" Escape
expect "Help menu" ' [0-9]*,40 ' alt+h;        twice "Help menu" 178 20 75 29;   expect_closed "Help menu" Escape
# Right and Left go on from menu to menu, round the bar's ends; Escape then
# closes the menu, never reaching the game (on the title it would ask to quit).
expect "Right: About menu" ' 77,40 ' alt+f Right
expect "Right: Flight menu" ' 170,40 ' Right
expect "Left: About menu" ' 77,40 ' Left
expect "Left round the end: Help menu" ' 355,40 ' Left Left
expect "Right round the end: File menu" ' 7,40 ' Right
expect_closed "File menu after the arrows" Escape
sleep 1; ui_closed || fail "Escape after the arrows reached the game ($(ui_line))"
# Keys sent at once behind the one that opens a menu are the menu's, in order.
xdotool key --clearmodifiers --delay 0 alt+l Down Down Return
until_ok 10 ui_has 'Logbook' || fail "Alt+L Down Down Return at once did not open the logbook ($(ui_line))"
echo "ok: keys sent at once reach the menu in order"
expect_closed "logbook" Escape
expect "About box" 'About Avelune' alt+a Return; twice "About box" 69 41 390 127
expect_closed "About box by Return" Return

# The Game menu's ticks go by arrows and Return, and are remembered.
expect "Game menu" ' [0-9]*,40 ' alt+g
expect_closed "Show power and pitch" Down Down Down Return
until_ok 10 grep -q '^show_power_pitch=0$' "$SETTINGS" || fail "the Game menu's tick did not change by keys"
keys alt+g Down Down Down Return
until_ok 10 grep -q '^show_power_pitch=1$' "$SETTINGS" || fail "the Game menu's tick did not change back"
echo "ok: a Game menu tick, off and on by keys"
xdotool key --clearmodifiers --delay 0 alt+g Down Down Down Return
until_ok 10 grep -q '^show_power_pitch=0$' "$SETTINGS" || fail "the tick did not change by keys sent at once"
xdotool key --clearmodifiers --delay 0 alt+g Down Down Down Return
until_ok 10 grep -q '^show_power_pitch=1$' "$SETTINGS" || fail "the tick did not change back by keys sent at once"
echo "ok: a Game menu tick by keys sent at once"

# Game > Scale by keys: 1x, and the menus with it at once; then 2x again.
expect "Game menu" ' [0-9]*,40 ' alt+g
expect_closed "Scale 1x" Up Right Return
expect "File menu at 1x" ' 3,20 59x29' alt+f
expect_closed "File menu" Escape
until_ok 10 grep -q '^scale=1$' "$SETTINGS" || fail "Scale 1x was not remembered"
keys alt+g Up Right Down Return
expect "File menu at 2x" ' 7,40 118x58' alt+f
expect_closed "File menu" Escape
until_ok 10 grep -q '^scale=2$' "$SETTINGS" || fail "Scale 2x was not remembered"
# Fill the window; a whole scale chosen then leaves fill mode for its window.
keys alt+g Up Up Return
until_ok 10 grep -q '^fill_window=1$' "$SETTINGS" || fail "Fill the window was not remembered"
keys alt+g Up Right Return
until_ok 10 grep -q '^scale=1$' "$SETTINGS" || fail "Scale 1x in fill mode was not taken"
until_ok 10 eval '! grep -q "^fill_window=1$" "$SETTINGS"' || fail "Scale 1x did not leave fill mode"
keys alt+g Up Right Down Return
until_ok 10 grep -q '^scale=2$' "$SETTINGS" || fail "Scale 2x was not remembered after fill mode"
echo "ok: a whole scale chosen in fill mode"

expect "Keys window" 'Keys ' alt+h Return
keys Page_Down End Home
expect_closed "Keys window" Escape

# Save flight: Tab leaves the file name for Save, Right goes to Cancel.
expect "Save flight" 'Save flight' alt+l Return
expect_closed "Save flight's Cancel" Tab Right Return
[ -z "$(find "$WORK/data" -name '*.avflight')" ] || fail "Cancel saved a flight"
# Save before any flight: the error box, closed by Return.
expect "error box" 'Avelune ' alt+l Return Tab Return
expect_closed "error box" Return
expect "quit question" 'Avelune ' Escape
expect_closed "quit question by N" n

# A flight that fails (full power, nose down), its debrief by Ctrl+D.
keys Return
sleep 0.5
keys Home Up Up Up Up Up
has_debrief() { xdotool key ctrl+d; sleep 0.4; ui_has 'Debrief'; }
until_ok 60 has_debrief || fail "no debrief after the flight failed ($(ui_line))"
echo "ok: debrief ($(ui_line))"
expect_closed "debrief" Escape

# The logbook: its flight count typed in the field, an entry's debrief.
expect "logbook" 'Logbook' alt+l Down Down Return
ui_has ' cut' && fail "the logbook cuts a column's text off ($(ui_line))"
keys Return ctrl+a 5 0 Return
expect "an entry's debrief" 'Debrief' Down Return Down Right Return
expect_closed "debrief and logbook" Escape Escape

# Saved, opened to watch; F6 takes the keys into the panel, to its Debrief.
keys alt+l Return Return
until_ok 10 ui_closed || fail "the flight was not saved ($(ui_line))"
expect "watching panel" 'Watching' alt+l Down Return Return
sleep 3  # the short flight replays to its end
expect "the panel's Debrief by keys" 'Debrief' F6 Down Return
expect_closed "debrief and panel" Escape Escape

# The quit lever by key asks first; Y quits, as the lever's own click.
expect "quit question" 'Avelune ' y
keys y
for _ in $(seq 100); do kill -0 "$APID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APID" 2>/dev/null && fail "Y in the question did not end the program"
wait "$APID"; status=$?; APID=""
[ "$status" = 0 ] || fail "the program ended with status $status"
grep -q '^flights_kept=50$' "$SETTINGS" || fail "the logbook's flight count typed in was not kept ($(cat "$SETTINGS"))"
echo "PASS: every menu and dialog at scale 2 by the keyboard alone"
