#!/bin/bash
# The real desktop program in a virtual X display, driven like a player:
# the title appears, a click on the start button brings the cockpit, the
# About box opens from the menu while the game goes on, full screen keeps the
# mouse on target, and the cockpit's quit lever ends the program cleanly.
# Pictures are checked against the headless game's pictures of the same
# states (the cockpit exactly, against the headless frames of the ticks
# around it). Also: a bad atlas ends with a clear message in SDL's box and in
# the program's own, a SIGTERM ends either box at once, and a missing display
# ends with a clear message.
#
# Nothing here sleeps for a fixed time: every wait is for a condition (a
# window mapped, the picture changed, a file written) under a deadline, so a
# busy machine makes the test slower, not wrong.
#
# usage: desktop_e2e.sh AVELUNE_BINARY [SCALE]
# Exit 0 passed, 1 failed, 77 skipped (tools or atlas missing).
set -u

BIN=$(readlink -f "$1")
SCALE=${2:-1}
W=$((632 * SCALE)); H=$((440 * SCALE)); MENU=$((20 * SCALE))
PIXELS=$((632 * 440))
. "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/lib.sh"

# The picture's pixels as one checksum: two pictures are the same exactly
# when their checksums are.
digest() { convert "$1" -depth 8 rgb:- | md5sum | cut -d' ' -f1; }

# The headless game's pictures of the same states: the title, and the
# cockpit after each of the first 120 ticks of the approach.
COCKPIT_TICKS=120
{
    printf 'tick 2\nscreenshot title.png\nmove 334 227\npress 334 227\nrelease 334 227\n'
    for t in $(seq "$COCKPIT_TICKS"); do printf 'tick\nscreenshot cockpit-%d.png\n' "$t"; done
} | timeout 120 "$BIN" --headless --atlas "$ATLAS" --events - >/dev/null || fail "headless reference run"
cp cockpit-3.png cockpit.png
declare -A COCKPIT_AT
for t in $(seq "$COCKPIT_TICKS"); do COCKPIT_AT[$(cockpit_digest "cockpit-$t.png")]=$t; done

# Differing pixels between two 632 x 440 pictures.
differ() { compare -metric AE "$1" "$2" null: 2>&1 | awk '{print int($1)}'; }
# A screenshot of the screen, and of the game picture at (x, y) and `scale`
# brought back to 632 x 440 game pixels.
shot() {
    import -window root "$1.root.png" || fail "screenshot"
    convert "$1.root.png" -crop "$((632 * $4))x$((440 * $4))+$2+$3" +repage -sample 632x440\! "$1"
}
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6; }
screen_pixel() { import -window root -crop "1x1+$1+$2" +repage -depth 8 png:- 2>/dev/null | convert - -format "%[hex:p{0,0}]" info: | cut -c1-6; }
click_at() { xdotool mousemove --sync "$1" "$2" click 1; }
window_named() { xwininfo -root -tree 2>/dev/null | awk -v n="\"$1\"" 'index($0, n) {print $1; exit}'; }
wait_exit() {  # pid seconds -> exit status, 124 on timeout
    for _ in $(seq $(($2 * 10))); do
        kill -0 "$1" 2>/dev/null || { wait "$1"; return $?; }
        sleep 0.1
    done
    return 124
}

# ---- Start: the window and its title picture --------------------------------
START_NS=$(date +%s%N)
"$BIN" --scale "$SCALE" >out.txt 2>err.txt &
APID=$!
viewable() { WID=$(window_named "$CAPTION"); [ -n "$WID" ] && xwininfo -id "$WID" | grep -q IsViewable; }
WID=""
until_ok 30 viewable
[ -n "$WID" ] || fail "no window captioned with the document string appeared"
INFO=$(xwininfo -id "$WID")
WX=$(awk '/Absolute upper-left X/ {print $4}' <<<"$INFO")
WY=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$INFO")
WW=$(awk '/Width:/ {print $2}' <<<"$INFO")
WH=$(awk '/Height:/ {print $2}' <<<"$INFO")
[ "$WW" = "$W" ] && [ "$WH" = "$((H + MENU))" ] || fail "window is ${WW}x${WH}, expected ${W}x$((H + MENU))"
PX=$WX; PY=$((WY + MENU))

title_shown() { shot title-desk.png "$PX" "$PY" "$SCALE"; d=$(differ title-desk.png title.png); [ "$d" -lt $((PIXELS / 4)) ]; }
until_ok 30 title_shown
echo "first title picture after about $((($(date +%s%N) - START_NS) / 1000000)) ms"
[ "$d" -lt $((PIXELS / 4)) ] || fail "title picture differs from the headless one in $d pixels"

# ---- About box from the menu: modal, and the game goes on -------------------
click_at $((WX + 60 * SCALE)) $((WY + 10 * SCALE))      # "About" in the menu bar
# The pop-up is open when its item's row (left of the picture's title) is white.
until_ok 10 eval '[ "$(screen_pixel $((WX + 60 * SCALE)) $((WY + 31 * SCALE)))" = FFFFFF ]' ||
    fail "the About menu did not open"
click_at $((WX + 60 * SCALE)) $((WY + 31 * SCALE))      # "About Avelune..."
about_up() { shot about1.png "$PX" "$PY" "$SCALE"; caption=$(pixel about1.png 300 30); [ "$caption" = "000080" ]; }
until_ok 10 about_up || fail "no About box caption at game pixel (300, 30), right of its title: colour $caption"
# The start button lies outside the box, but the box is modal: no start.
click_at $((PX + 334 * SCALE + SCALE / 2)) $((PY + 227 * SCALE + SCALE / 2))
# The title animation's strip, below the box, moves on: wait for it to change.
convert about1.png -crop 632x120+0+300 +repage low1.png
strip_moved() {
    shot about2.png "$PX" "$PY" "$SCALE"
    convert about2.png -crop 632x120+0+300 +repage low2.png
    moved=$(differ low1.png low2.png); [ "$moved" -gt 0 ]
}
until_ok 10 strip_moved || fail "the game stood still while the About box was open"
echo "with the About box open, $moved pixels of the title animation changed"
[ "$(pixel about2.png 300 30)" = "000080" ] || fail "the About box closed by itself"
xdotool key Return
about_gone() { shot closed.png "$PX" "$PY" "$SCALE"; [ "$(pixel closed.png 300 30)" != "000080" ]; }
until_ok 10 about_gone || fail "Return did not close the About box"
d=$(differ closed.png title.png)
[ "$d" -lt $((PIXELS / 4)) ] || fail "a click with the About box open reached the game ($d pixels off the title)"

# ---- Start button: the cockpit ---------------------------------------------
# Centre of game pixel (334, 227), inside the start button's 299..370 x 202..253.
click_at $((PX + 334 * SCALE + SCALE / 2)) $((PY + 227 * SCALE + SCALE / 2))
# The cockpit appears at the next tick and its instruments move every tick:
# the window must show exactly (0 pixels differ) the headless cockpit of
# some tick. A grab taken while the title still shows, or between two
# presentations, is taken again.
cockpit_exact() {
    shot cockpit-desk.png "$PX" "$PY" "$SCALE"
    tick=${COCKPIT_AT[$(cockpit_digest cockpit-desk.png)]:-}
    [ -n "$tick" ]
}
if ! until_ok 20 cockpit_exact; then
    best=$PIXELS
    for t in $(seq "$COCKPIT_TICKS"); do
        d=$(compare -metric AE <(convert cockpit-desk.png -fill black -draw "$SWEEP_BOX" png:-) \
            <(convert "cockpit-$t.png" -fill black -draw "$SWEEP_BOX" png:-) null: 2>&1 | awk '{print int($1)}')
        [ "$d" -lt "$best" ] && best=$d && bt=$t
    done
    fail "the cockpit differs from every headless cockpit of ticks 1..$COCKPIT_TICKS (at best in $best pixels, tick ${bt:-?})"
fi
dt=$(differ cockpit-desk.png title.png)
echo "cockpit: exactly the headless cockpit after $tick ticks; $dt pixels differ from the title"
[ "$dt" -gt $((PIXELS / 3)) ] || fail "the picture is still the title after the start click"

# ---- Left alone, the approach fails and the picture stands still ------------------
# Still: two grabs more than a tick (and a presentation) apart are the same,
# and it is the headless game's final picture of a failed approach.
shot prev.png "$PX" "$PY" "$SCALE"
stood_still() {
    sleep 0.5
    shot now.png "$PX" "$PY" "$SCALE"
    [ "$(digest prev.png)" = "$(digest now.png)" ] && return 0
    mv now.png prev.png; return 1
}
until_ok 60 stood_still || fail "the picture never stood still (no failure screen with the timer stopped)"
[ "$(cockpit_digest now.png)" = "$(cockpit_digest "cockpit-$COCKPIT_TICKS.png")" ] ||
    fail "the still picture is not the headless game's failure screen ($(differ now.png "cockpit-$COCKPIT_TICKS.png") pixels differ)"

# F12: the game's own picture, exactly what the window shows.
xdotool key F12
saved() { SAVED=$(ls avelune-*.png 2>/dev/null | head -1); [ -n "$SAVED" ] && grep -q 'screenshot saved' out.txt; }
until_ok 10 saved || fail "F12 saved no screenshot"
ds=$(differ "$SAVED" now.png)
[ "$ds" -eq 0 ] || fail "the F12 screenshot differs from the window in $ds pixels"

# ---- Full screen: filled and remembered where a window manager grants it;
# ---- without one, refused with a note, the window and the file as they were -----
SETTINGS=$XDG_DATA_HOME/avelune/settings.ini
wm_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
xdotool key F11
if wm_runs; then
    until_ok 10 grep -q '^fullscreen=1$' "$SETTINGS" 2>/dev/null || fail "full screen was not remembered"
    xdotool key F11
    until_ok 10 grep -q '^fullscreen=0$' "$SETTINGS" 2>/dev/null || fail "leaving full screen was not remembered"
else
    # The menu bar says why (its right end turns from white to text), and
    # nothing is remembered.
    sleep 1
    grep -q '^fullscreen=1$' "$SETTINGS" 2>/dev/null && fail "full screen was remembered without a window manager to grant it"
    echo "full screen: no window manager here, refused with a note and not remembered"
fi
grep -q "^scale=$SCALE$" "$SETTINGS" || fail "the scale asked for was not remembered"
back_shown() { shot back.png "$PX" "$PY" "$SCALE"; db=$(differ back.png now.png); [ "$db" -eq 0 ]; }
until_ok 10 back_shown || fail "after full screen, the picture differs from the last one in $db pixels"

# ---- The cockpit's quit lever ends the program ------------------------------------
click_at $((PX + 518 * SCALE + SCALE / 2)) $((PY + 412 * SCALE + SCALE / 2))
wait_exit "$APID" 10
rc=$?
APID=""
[ "$rc" -eq 0 ] || fail "exit status $rc after the quit lever"

xwininfo -root >/dev/null 2>&1 || fail "the X server went away"

# ---- The start sound: played once from beside the atlas; missing, silence ----------
# SDL's "disk" audio driver writes what would be heard to a file.
loud_bytes() { od -An -v -tu1 "$1" 2>/dev/null | tr -s ' ' '\n' | grep -cv '^0*$'; }
# The sound is started while the view is made, before the window shows; by
# the time the title animation has moved on, the audio thread has long been
# writing whatever it plays.
title_moved() { import -window "$WID" a.png && sleep 0.2 && import -window "$WID" b.png && [ "$(digest a.png)" != "$(digest b.png)" ]; }
sound_run() {  # folder output -> runs the program there, ends it with SIGTERM
    (cd "$1" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$2" SDL_DISKAUDIODELAY=0 exec "$BIN" --scale 1 \
        >>"$WORK/out.txt" 2>>"$WORK/err.txt") &
    APID=$!
    until_ok 30 viewable || fail "no window for the sound check in $1"
    until_ok 10 title_moved || fail "the title did not move in the sound check in $1"
    SOUNDFILE=$2
    loud_enough() { [ "$(loud_bytes "$SOUNDFILE")" -gt 100 ]; }
    if [ "$3" = loud ]; then until_ok 10 loud_enough || fail "the start sound was not played"; fi
    kill -TERM "$APID"
    wait_exit "$APID" 10
    local rc=$?
    APID=""
    [ "$rc" -eq 0 ] || fail "exit status $rc after SIGTERM"
}
mkdir with-sound without-sound
cp "$ATLAS" "$(dirname "$ATLAS")/AV1.wav" with-sound/ && cp "$ATLAS" without-sound/
sound_run with-sound "$WORK/heard.raw" loud
loud=$(loud_bytes "$WORK/heard.raw")
[ "$loud" -gt 100 ] || fail "the start sound was not played (only $loud non-zero bytes)"
sound_run without-sound "$WORK/silence.raw" quiet
quiet=$(loud_bytes "$WORK/silence.raw")
echo "start sound: $loud non-zero bytes heard; without AV1.wav: $quiet"
[ "$quiet" -eq 0 ] || fail "something was heard without AV1.wav"
# No sound to be had (ALSA asked for a card that is not there): one line
# says so, none of ALSA's own, and the game plays on.
(cd with-sound && SDL_AUDIODRIVER=alsa AUDIODEV=hw:99 exec "$BIN" --scale 1 >"$WORK/out.txt" 2>"$WORK/nosound.txt") &
APID=$!
until_ok 30 viewable || fail "no window without sound"
until_ok 10 title_moved || fail "the title did not move without sound"
kill -TERM "$APID"; wait_exit "$APID" 10; rc=$?; APID=""
[ "$rc" -eq 0 ] || fail "exit status $rc without sound"
[ "$(grep -c 'avelune: no sound' "$WORK/nosound.txt")" -eq 1 ] || fail "no sound was not said once: $(cat "$WORK/nosound.txt")"
grep -q '^ALSA lib' "$WORK/nosound.txt" && fail "ALSA's own messages reached stderr: $(cat "$WORK/nosound.txt")"
echo "without sound: $(cat "$WORK/nosound.txt")"

# ---- A bad atlas: a message box, the message on stderr, exit status 1 ---------------
# SDL's own box where the X core fonts are installed, and always the
# program's own box when SDL's is switched off (as when it fails); each is
# dismissed, and each is ended by SIGTERM at once.
mkdir bad && printf 'not a bitmap at all' >bad/prop.bmp
if [ -n "$(xlsfonts -fn '-*-*-medium-r-normal--*-120-*-*-*-*-iso10646-1' 2>/dev/null | head -1)" ]; then
    NATIVE=native
else
    NATIVE=own  # SDL's box fails without the fonts: the program's own shows
    echo "bad atlas: no X core fonts here (Debian: xfonts-base), so SDL's box cannot show"
fi
for run in "$NATIVE key 0" "$NATIVE term 0" "own click 1" "own term 1"; do
    read -r kind ending switch <<<"$run"
    (cd bad && AVELUNE_TEST_NO_NATIVE_MESSAGEBOX=$switch exec "$BIN" >../out.txt 2>../err.txt) &
    APID=$!
    box_up() { BOX=$(window_named Avelune); [ -n "$BOX" ] && xwininfo -id "$BOX" | grep -q IsViewable; }
    until_ok 30 box_up || fail "no message box captioned Avelune for a bad atlas ($run)"
    BI=$(xwininfo -id "$BOX"); bx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$BI")
    by=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$BI"); bw=$(awk '/Width:/ {print $2}' <<<"$BI")
    bh=$(awk '/Height:/ {print $2}' <<<"$BI")
    if [ "$kind" = own ]; then
        # The program's own box: a navy caption along its top.
        until_ok 10 eval '[ "$(screen_pixel $((bx + 4)) $((by + 4)))" = 000080 ]' ||
            fail "the program's own box shows no caption ($run)"
        grep -q "shown in a window of the program's own" err.txt || fail "no note on stderr that SDL's box failed ($run)"
    else
        # SDL's box: its dark grey face.
        until_ok 10 eval '[ "$(screen_pixel $((bx + 2)) $((by + 2)))" = 383635 ]' || fail "SDL's message box is not drawn ($run)"
    fi
    grep -q "^avelune: the atlas prop.bmp" err.txt || fail "the message on stderr does not name the atlas ($run)"
    case $ending in
    key) xdotool windowfocus --sync "$BOX" key Return ;;  # no window manager: focus it first
    click) click_at $((bx + bw / 2)) $((by + bh - 12 - 11)) ;;  # the OK button
    term) kill -TERM "$APID" ;;
    esac
    wait_exit "$APID" 5
    rc=$?
    APID=""
    [ "$rc" -eq 1 ] || fail "exit status $rc for a bad atlas ($run; 124: still running 5 s later)"
    [ -z "$(window_named Avelune)" ] || fail "the message box outlived the program ($run)"
    echo "bad atlas, $kind box, $ending: exit status 1"
done
echo "bad atlas: $(head -1 err.txt)"

# ---- No display: one clear line, non-zero exit ------------------------------
env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$BIN" >out.txt 2>err.txt
rc=$?
[ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] && [ "$rc" -lt 128 ] || fail "exit status $rc without a display"
# (Libraries may add their own complaints; the program says one thing.)
[ "$(grep -c '^avelune:' err.txt)" -eq 1 ] || fail "expected one line from avelune without a display"
echo "no display: $(grep '^avelune:' err.txt)"

echo "PASS (scale $SCALE)"
