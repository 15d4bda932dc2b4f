#!/usr/bin/env bash
# contact-sheet.sh: renders every screen of the game into PNG files, to look
# at the art as a player meets it.
#
#   tools/contact-sheet.sh [BUILD_DIR] [OUT_DIR]
#
# BUILD_DIR (default build) holds bin/avelune and the bin/prop.bmp painted by
# the build; OUT_DIR (default BUILD_DIR/contact-sheet) receives the pictures:
# the title, frames of the title animation, the information page with every
# hover label and both previews, the second page, the cockpit in flight with
# the outside view, and the warning, failure and arrival screens. The flights
# are flown by a small autopilot that reads the flight state between ticks,
# the way a player reads the instruments.
set -euo pipefail

build=${1:-build}
out=${2:-$build/contact-sheet}
game="$build/bin/avelune"
atlas="$build/bin/prop.bmp"

die() { echo "contact-sheet: $*" >&2; exit 1; }
[[ -x $game ]] || die "no game program at $game (build first)"
[[ -f $atlas ]] || die "no atlas at $atlas (build first)"
[[ $out != *[[:space:]]* ]] || die "the output folder's name must not contain spaces"
mkdir -p "$out"

# ---- Screens reached by clicking -----------------------------------------------

# Hover points of the information page, one inside each label's area (row 1 to 18).
labels=(60,165 80,230 190,164 200,230 300,163 310,210 100,313 100,348 210,313 210,347
        374,300 318,257 368,208 316,300 262,352 368,352 472,344 560,344)

{
    echo "tick 1"
    echo "screenshot $out/01-title.png"
    for f in 1 2 3 4; do
        echo "tick 1"
        echo "screenshot $out/02-title-animation-$f.png"
    done
    echo "tick 3"
    echo "screenshot $out/02-title-animation-8.png"
    # The page button: pressed, then released (the next tick opens the page).
    echo "press 435 235"
    echo "screenshot $out/03-page-button-pressed.png"
    echo "release 435 235"
    echo "tick 1"
    echo "screenshot $out/04-information-page.png"
    n=1
    for p in "${labels[@]}"; do
        echo "move ${p/,/ }"
        printf 'screenshot %s/05-information-label-%02d.png\n' "$out" "$n"
        n=$((n + 1))
    done
    echo "move 300 380"
    echo "screenshot $out/06-information-label-cleared.png"
    echo "move 130 390"
    echo "screenshot $out/07-information-preview-cockpit.png"
    echo "move 400 390"
    echo "screenshot $out/08-information-preview-approach.png"
    echo "move 70 400"
    echo "press 400 390"
    echo "screenshot $out/09-continue-pressed.png"
    echo "release 400 390"
    echo "tick 1"
    echo "screenshot $out/10-second-page.png"
    # Back to the title; the back button's release shows the bare background.
    echo "press 200 385"
    echo "release 200 385"
    echo "screenshot $out/11-back-released.png"
    echo "tick 2"
    echo "screenshot $out/12-title-again.png"
} | "$game" --headless --atlas "$atlas" --events - >/dev/null

# ---- Screens reached by flying ---------------------------------------------------

# One game on standard input and output, driven event by event.
start_game() {
    coproc GAME { "$game" --headless --atlas "$atlas" --events -; }
}
send() { printf '%s\n' "$@" >&"${GAME[1]}"; }
# Reads the flight state into the associative array S.
declare -A S
read_state() {
    send state
    local line
    IFS= read -r -t 10 line <&"${GAME[0]}" || die "the game stopped answering"
    line=${line#\{}
    line=${line%\}}
    local pair
    IFS=, read -ra pairs <<<"$line"
    for pair in "${pairs[@]}"; do
        local key=${pair%%:*} value=${pair#*:}
        key=${key//\"/}
        S[$key]=$value
    done
}
end_game() {
    exec {GAME[1]}>&-
    wait "$GAME_PID" 2>/dev/null || true
}
click() { send "press $1 $2" "release $1 $2"; }

# Control positions in flight.
pad_up=(315 334)      # nose down
pad_down=(315 382)    # nose up
power_up=(374 342)
power_down=(374 366)
full_power=(374 325)

take_off_from_title() {
    send "tick 2"
    click 330 235
}

# Flight 1: the autopilot holds the glide slope and about 170 mph to the threshold.
start_game
take_off_from_title
took_cockpit=0
arrived=0
for ((t = 0; t < 2000; t++)); do
    read_state
    if [[ ${S[gameState]} == 4 ]]; then
        # Once per flight cycle: steer the height error to nothing over about
        # ten seconds, and hold the airspeed with the power.
        dist=${S[distanceFlown]} alt=${S[altitude]} speed=${S[airspeed]} pitch=${S[pitch]}
        ref=$(((47320 - dist) / 15))
        speed_for_pitch=$((speed > 60 ? speed : 60))
        # Height to lose per second: 1 in 15 of the 1.47 s feet flown, plus a
        # tenth of the error; one pitch step trades 0.015 ft per mph.
        want=$(((-98 * speed - 100 * (alt - ref)) / (15 * speed_for_pitch)))
        ((want < -14)) && want=-14
        ((want > 2)) && want=2
        while ((pitch > want)); do click "${pad_up[@]}"; pitch=$((pitch - 1)); done
        while ((pitch < want)); do click "${pad_down[@]}"; pitch=$((pitch + 1)); done
        if ((speed > 190)); then click "${power_down[@]}"; elif ((speed < 150)); then click "${power_up[@]}"; fi
    fi
    before=${S[gameState]}
    send "tick 1"
    if [[ $before == 4 && $took_cockpit == 0 && ${S[distanceFlown]} -gt 30000 ]]; then
        send "screenshot $out/13-cockpit-in-flight.png"
        took_cockpit=1
    fi
    read_state
    if [[ ${S[timerRunning]} == false && ${S[arrived]} == 1 ]]; then
        send "screenshot $out/16-arrival.png"
        arrived=1
        break
    fi
    [[ ${S[timerRunning]} == true ]] || die "flight 1 ended before the threshold (state ${S[gameState]})"
done
end_game
((arrived == 1)) || die "flight 1 did not reach the threshold"

# Flight 2: full power and the nose down, past the warning into the failure.
start_game
take_off_from_title
send "tick 1"
click "${full_power[@]}"
for i in 1 2 3 4 5; do click "${pad_up[@]}"; done
warned=0
failed=0
for ((t = 0; t < 600 && failed == 0; t++)); do
    read_state
    before=${S[gameState]}
    send "tick 1"
    if [[ $before == 8 && $warned == 0 ]]; then
        send "screenshot $out/14-warning.png"
        warned=1
    elif [[ $before == 7 ]]; then
        send "screenshot $out/15-failure.png"
        failed=1
    fi
done
end_game
((warned == 1 && failed == 1)) || die "flight 2 did not show both the warning and the failure"

pictures=("$out"/*.png)
echo "contact-sheet: ${#pictures[@]} pictures in $out" >&2
