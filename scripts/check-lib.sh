# What scripts/deb-check.sh and scripts/fresh-check.sh share, sourced by both
# after they set `check_name`: their messages, their --help and unknown
# arguments, their end on a signal, the X display they start when there is
# none, and how they watch the game's window show its title and quit it with
# File, Exit.
# shellcheck shell=bash
: "${check_name:?set check_name before sourcing check-lib.sh}"

say() { printf '=== %s: %s\n' "$check_name" "$*"; }
fail() { printf '%s: FAILED: %s\n' "$check_name" "$*" >&2; exit 1; }

# An argument the script does not take itself: --help prints the script's
# header comment (from its second line to the first line that is not a
# comment), anything else is refused with status 2.
other_argument() {
  case "$1" in
    -h|--help)
      awk 'NR == 1 { next } !/^#/ { exit } { sub(/^# ?/, ""); print }' "$0"
      exit 0 ;;
    *) echo "$check_name: unknown argument: $1 (see --help)" >&2; exit 2 ;;
  esac
}

# Ctrl-C and SIGTERM end the script with the usual status, through its EXIT trap.
trap_signals() {
  # shellcheck disable=SC2064  # the name is fixed by now
  trap "echo '$check_name: interrupted' >&2; exit 130" INT
  # shellcheck disable=SC2064
  trap "echo '$check_name: terminated' >&2; exit 143" TERM
}

# Starts an Xvfb of our own, its display number written to DISPLAY_FILE and
# its messages to LOG_FILE; sets xvfb_pid (for the caller's clean-up) and
# exports DISPLAY.
start_xvfb() {
  local display_file="$1" log_file="$2" number
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$display_file" 2>"$log_file" &
  # shellcheck disable=SC2034  # the caller's clean-up ends it
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -s "$display_file" ]] && break; sleep 0.1; done
  number="$(tr -dc '0-9' <"$display_file")"
  [[ -n "$number" ]] || fail "Xvfb did not start (see $log_file)"
  export DISPLAY=":$number"
}

# Waits up to SECONDS for WINDOW to show the title picture, taking it as
# SHOT.png: a window of a few flat colours (black, the menu bar) has not
# shown it yet. Sets `colours` to what the last shot held; fails (status 1)
# when the time runs out first.
wait_for_title() {
  local window="$1" shot="$2" deadline=$((SECONDS + $3))
  colours=0
  while ((colours < 64)); do
    ((SECONDS < deadline)) || return 1
    sleep 0.5
    import -window "$window" "$shot" 2>/dev/null || continue
    colours="$(convert "$shot" -format '%k' info: 2>/dev/null || echo 0)"
  done
}

# Quits the game as a keyboard player does, File, Exit (Alt+F, Alt+X): there
# is no window manager to turn Alt+F4 into a close request. Tries again until
# PID has ended, for up to SECONDS; fails (status 1) if it is still running.
quit_by_file_exit() {
  local window="$1" pid="$2" deadline=$((SECONDS + $3))
  while kill -0 "$pid" 2>/dev/null; do
    ((SECONDS < deadline)) || return 1
    xdotool windowfocus --sync "$window" key --clearmodifiers alt+f 2>/dev/null || true
    sleep 0.3
    xdotool key --clearmodifiers alt+x 2>/dev/null || true
    for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  done
}
