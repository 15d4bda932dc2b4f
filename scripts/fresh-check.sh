#!/usr/bin/env bash
# Proves the README's commands on a fresh Debian machine.
#
# Bootstraps a minimal Debian root of this machine's own release from this
# machine's own apt sources, clones the commit under test into it as an
# ordinary user with sudo, and there runs, exactly as the README writes them:
#   scripts/play.sh   - on a display, until the title shows, then File, Exit
#   scripts/deb-check.sh - the .deb built, installed with apt-get, run, removed
#   scripts/test.sh   - every build and every test
# Whatever happens (failure, Ctrl-C, SIGTERM) the root's mounts are undone
# and the root is removed. Needs root (mounts and chroot) and mmdebstrap.
#
#   scripts/fresh-check.sh [--keep] [--skip-tests]
#     --keep        leave the root in place (its path is printed) for a look
#     --skip-tests  prove only the play command (quicker, for trying things)
#
# Environment: AVELUNE_FRESH_DIR, the folder the root is made in (default
# /var/tmp); AVELUNE_FRESH_PLAY_DEADLINE, seconds the play command may take
# to show the title, building included (default 1800).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
check_name="fresh-check"
# shellcheck source=scripts/check-lib.sh
. "$repo/scripts/check-lib.sh"
keep=0
skip_tests=0
for arg in "$@"; do
  case "$arg" in
    --keep) keep=1 ;;
    --skip-tests) skip_tests=1 ;;
    *) other_argument "$arg" ;;
  esac
done

[[ "$(id -u)" -eq 0 ]] || fail "needs root (it mounts and chroots); run it as root or with sudo"
for tool in mmdebstrap chroot mount umount findmnt git Xvfb xdotool import; do
  command -v "$tool" >/dev/null 2>&1 || fail "needs $tool on this machine (mmdebstrap, xvfb, xdotool, imagemagick)"
done

# The suite and the sources are this machine's own, so nothing in the
# repository names a mirror.
# shellcheck disable=SC1091
suite="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
[[ -n "$suite" ]] || fail "cannot tell this machine's Debian release from /etc/os-release"
sources=()
[[ -s /etc/apt/sources.list ]] && sources+=(/etc/apt/sources.list)
for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  [[ -s "$f" ]] && sources+=("$f")
done
[[ ${#sources[@]} -gt 0 ]] || fail "this machine has no apt sources to bootstrap from"

commit="$(git -C "$repo" rev-parse HEAD)"
if [[ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]]; then
  say "note: the work tree has uncommitted changes; the check proves commit ${commit:0:12} as committed"
fi

root="$(mktemp -d "${AVELUNE_FRESH_DIR:-/var/tmp}/avelune-fresh.XXXXXX")"
xvfb_pid=""
play_pid=""
step_pid=""
started=$SECONDS

# Ends a process and everything it started.
kill_tree() {
  local child
  for child in $(pgrep -P "$1" 2>/dev/null); do kill_tree "$child"; done
  kill -TERM "$1" 2>/dev/null
}

# A long step runs in the background and is waited for, so that Ctrl-C or
# SIGTERM is acted on at once rather than when the step ends.
step() {
  "$@" &
  step_pid=$!
  local status=0
  wait "$step_pid" || status=$?
  step_pid=""
  return "$status"
}

# Kills what still runs inside the root, undoes its mounts (deepest first)
# and removes it; refuses to remove anything while a mount is left.
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  set +e
  for pid in $step_pid $play_pid; do kill_tree "$pid"; done
  for proc in /proc/[0-9]*; do
    if [[ "$(readlink "$proc/root" 2>/dev/null)" == "$root" ]]; then
      kill -KILL "${proc#/proc/}" 2>/dev/null
    fi
  done
  [[ -n "$xvfb_pid" ]] && kill -TERM "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  local mounts
  mounts="$(findmnt -rn -o TARGET | grep -F "$root/" | sort -r)"
  while read -r m; do
    [[ -n "$m" ]] && { umount "$m" 2>/dev/null || umount -l "$m"; }
  done <<<"$mounts"
  if findmnt -rn -o TARGET | grep -qF "$root/"; then
    echo "fresh-check: mounts are still left under $root; not removing it" >&2
    status=1
  elif [[ $keep -eq 1 ]]; then
    echo "fresh-check: the root is kept at $root"
  else
    rm -rf --one-file-system "$root"
  fi
  exit "$status"
}
trap cleanup EXIT
trap_signals

phase_start=$SECONDS
phase() {
  say "$1 took $((SECONDS - phase_start)) s"
  phase_start=$SECONDS
}

say "bootstrapping a minimal Debian $suite root in $root"
step mmdebstrap --quiet --variant=apt --include=git,ca-certificates,sudo "$suite" "$root" "${sources[@]}" \
  || fail "mmdebstrap could not bootstrap $suite"
phase "bootstrap"

# The machine the README speaks to: an ordinary user with sudo, on a network,
# with a display. Nothing of the project is installed by hand.
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# The network's trust is this machine's too, as its apt sources are: local
# certificate authorities (a proxy's, say) are trusted in the root as here,
# so npm and git reach their registries the way they do on this machine.
if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
  mkdir -p "$root/usr/local/share/ca-certificates"
  cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
  chroot "$root" update-ca-certificates >/dev/null 2>&1 || fail "could not trust this machine's certificate authorities in the root"
fi
chroot "$root" useradd --create-home --shell /bin/bash player
echo 'player ALL=(ALL) NOPASSWD:ALL' >"$root/etc/sudoers.d/player"
chmod 0440 "$root/etc/sudoers.d/player"
git clone --quiet --no-local "$repo" "$root/home/player/avelune"
git -C "$root/home/player/avelune" checkout --quiet --detach "$commit"
chroot "$root" chown -R player:player /home/player/avelune

# The display is this machine's: an X server here, its socket shared into
# the root, so the root itself gets no X server installed by hand.
mkdir -p "$root/tmp/.X11-unix"
chmod 1777 "$root/tmp/.X11-unix"
start_xvfb "$root/tmp/display-number" "$root/tmp/xvfb.log"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

as_player() {
  chroot "$root" /usr/bin/env -i HOME=/home/player USER=player LOGNAME=player SHELL=/bin/bash \
    PATH=/usr/local/bin:/usr/bin:/bin DISPLAY="$DISPLAY" TERM=dumb LANG=C.UTF-8 \
    NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
    /usr/sbin/runuser -u player -- /bin/bash -c "cd /home/player/avelune && $1"
}

# The play command: it installs, builds and opens the window; the title must
# show within the deadline, and closing the window must end it with status 0.
say "running 'scripts/play.sh' as a new player would"
as_player "scripts/play.sh" >"$root/tmp/play.log" 2>&1 &
play_pid=$!
deadline=$((SECONDS + ${AVELUNE_FRESH_PLAY_DEADLINE:-1800}))
window=""
while [[ -z "$window" ]]; do
  kill -0 "$play_pid" 2>/dev/null || { tail -n 40 "$root/tmp/play.log" >&2; fail "scripts/play.sh ended before a window showed"; }
  ((SECONDS < deadline)) || { tail -n 40 "$root/tmp/play.log" >&2; fail "no Avelune window within the deadline"; }
  window="$(xdotool search --onlyvisible --name 'Avelune' 2>/dev/null | head -n 1 || true)"
  [[ -n "$window" ]] || sleep 1
done
phase "play command up to the window (packages and build)"

# The title picture is the first thing the game draws.
shot="$root/tmp/title.png"
wait_for_title "$window" "$shot" 30 || fail "the window never showed the title picture (it held $colours colours)"
phase "window up to the title picture ($colours colours)"
cp "$shot" "${AVELUNE_FRESH_TITLE_PNG:-/dev/null}" 2>/dev/null || true

# Quit as a keyboard player does.
quit_by_file_exit "$window" "$play_pid" 20 || fail "the game did not end within 20 s of File, Exit"
play_status=0
wait "$play_pid" || play_status=$?
play_pid=""
[[ $play_status -eq 0 ]] || { tail -n 40 "$root/tmp/play.log" >&2; fail "scripts/play.sh ended with status $play_status after File, Exit"; }
say "scripts/play.sh showed the title and ended with status 0 when closed"

# The package, as the player with sudo: built, installed with apt-get, run
# headless and on the display, removed, and nothing of it left.
say "running 'scripts/deb-check.sh' as the player"
if ! step as_player "scripts/deb-check.sh" >"$root/tmp/deb.log" 2>&1; then
  tail -n 40 "$root/tmp/deb.log" >&2
  fail "scripts/deb-check.sh failed on the fresh root"
fi
grep -F '=== deb-check' "$root/tmp/deb.log" | tail -n 3
phase "package check"

if [[ $skip_tests -eq 0 ]]; then
  say "running 'scripts/test.sh' as a new developer would"
  if ! step as_player "scripts/test.sh" >"$root/tmp/test.log" 2>&1; then
    # Which tests failed, in each build, with what they said: the tail alone
    # is the browser tests' when an earlier build's tests failed.
    grep -E 'tests passed|tests failed|Failed|Timeout|SEGFAULT|Not Run' "$root/tmp/test.log" | grep -v ' Passed ' >&2 || true
    grep -E -B2 -A40 '\*\*\*(Failed|Timeout|Exception)' "$root/tmp/test.log" | head -n 400 >&2 || true
    tail -n 60 "$root/tmp/test.log" >&2
    fail "scripts/test.sh failed on the fresh root"
  fi
  grep -E 'tests passed|tests failed|=== ' "$root/tmp/test.log" | tail -n 12
  phase "test command"
fi

say "PROVED on a fresh Debian $suite root, commit ${commit:0:12}:"
say "  scripts/play.sh installed what it needs, built the game, showed the title and quit with status 0"
say "  scripts/deb-check.sh built the .deb, installed it with apt-get, ran it and removed it cleanly"
if [[ $skip_tests -eq 0 ]]; then
  say "  scripts/test.sh installed what it needs, built everything and passed every test"
fi
say "total $((SECONDS - started)) s"
