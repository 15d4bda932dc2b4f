#!/usr/bin/env bash
# Proves the Debian package: builds it (cpack in build-package/), has
# Debian's checker lintian find no error or warning in it, installs it
# with apt-get as any .deb is installed, runs the installed program (a
# headless smoke run, then the desktop on a display until the title shows and
# File, Exit ends it), removes it with apt-get and checks that none of its
# files is left. Run as root or as a user with sudo; scripts/fresh-check.sh
# runs it on its fresh Debian root after the play check.
#
#   scripts/deb-check.sh [--keep-deb]
#     --keep-deb   leave build-package/avelune_*.deb in place afterwards
#
# The desktop part uses $DISPLAY, or an Xvfb of its own when there is none.
# It refuses to run where avelune is installed already, so that it never
# removes a player's own copy.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
check_name="deb-check"
# shellcheck source=scripts/check-lib.sh
. "$repo/scripts/check-lib.sh"
keep_deb=0
for arg in "$@"; do
  case "$arg" in
    --keep-deb) keep_deb=1 ;;
    *) other_argument "$arg" ;;
  esac
done

if [[ "$(id -u)" -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  fail "needs root or sudo to install and remove the package"
fi

status="$(dpkg-query -W -f='${db:Status-Status}' avelune 2>/dev/null || true)"
[[ -z "$status" || "$status" == "not-installed" ]] || fail "avelune is installed already ($status); remove it first"

work="$(mktemp -d "${TMPDIR:-/tmp}/avelune-deb.XXXXXX")"
xvfb_pid=""
game_pid=""
installed=0
deb=""
cleanup() {
  local code=$?
  trap - EXIT INT TERM
  set +e
  [[ -n "$game_pid" ]] && kill -TERM "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
  [[ -n "$xvfb_pid" ]] && kill -TERM "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  if [[ $installed -eq 1 ]]; then
    echo "deb-check: removing the package after a failure" >&2
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get remove -y -qq avelune >/dev/null 2>&1
  fi
  rm -rf "$work"
  [[ $keep_deb -eq 0 && -n "$deb" ]] && rm -f "$deb"
  exit "$code"
}
trap cleanup EXIT
trap_signals

cd "$repo"
bash scripts/install-packages.sh
say "building the package (cmake --preset package, cpack)"
bash scripts/configure.sh package
cmake --build --preset package -j"$(nproc)" >"$work/build.log" 2>&1 || { tail -n 30 "$work/build.log" >&2; fail "the package build failed"; }
rm -f build-package/avelune_*.deb
(cd build-package && cpack) >"$work/cpack.log" 2>&1 || { tail -n 30 "$work/cpack.log" >&2; fail "cpack failed"; }
debs=(build-package/avelune_*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || fail "cpack made no single avelune_*.deb in build-package/"
deb="$repo/${debs[0]}"
# Debian's own package checker: no error and no warning (its notes may stand).
command -v lintian >/dev/null || fail "lintian is missing (scripts/packages.txt installs it)"
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 \
  || { cat "$work/lintian.log" >&2; fail "lintian finds errors or warnings in $(basename "$deb")"; }
say "lintian: no error and no warning"
depends="$(dpkg-deb -f "$deb" Depends)"
[[ "$depends" == *libsdl2* && "$depends" == *libc6* ]] || fail "the package's dependencies were not read from the binary: '$depends'"
say "$(basename "$deb"): Depends: $depends"
# What the package holds, as paths on the installed system (files and links, not folders).
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {sub(/^\./, "", $6); print $6}' >"$work/files"
for f in /usr/games/avelune /usr/share/avelune/prop.bmp /usr/share/man/man6/avelune.6.gz \
         /usr/share/metainfo/io.github.avelune.Avelune.metainfo.xml /usr/share/applications/avelune.desktop \
         /usr/share/doc/avelune/copyright /usr/share/doc/avelune/changelog.gz; do
  grep -qxF "$f" "$work/files" || fail "the package lacks $f"
done

say "installing it with apt-get"
installed=1
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "$deb" >"$work/install.log" 2>&1 \
  || { tail -n 30 "$work/install.log" >&2; fail "apt-get could not install $(basename "$deb")"; }
[[ "$(dpkg-query -W -f='${db:Status-Status}' avelune)" == "installed" ]] || fail "dpkg does not list avelune as installed"
# Debian's PATH for players holds /usr/games (root's does not).
[[ "$(PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games command -v avelune)" == /usr/games/avelune ]] \
  || fail "avelune is not /usr/games/avelune on a player's PATH"
man -w avelune >/dev/null 2>&1 || fail "man does not find avelune(6)"

# The installed program on its installed data: run where no prop.bmp lies.
say "headless smoke run of the installed program"
cd "$work"
out="$(printf 'tick 3\nstate\n' | /usr/games/avelune --headless --events -)" || fail "avelune --headless failed: $out"
[[ "$out" == *'"titleFrame":'*'"timerRunning":true'* ]] || fail "the headless state line is not what a running game gives: $out"
/usr/games/avelune --version | head -n 1 | grep -qx "avelune [0-9.]*" || fail "the installed --version is not in the usual form"

say "the installed desktop program until the title shows"
if [[ -z "${DISPLAY:-}" ]]; then
  command -v Xvfb >/dev/null || fail "no DISPLAY and no Xvfb to make one"
  start_xvfb "$work/display" "$work/xvfb.log"
fi
mkdir -p "$work/home"
HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" /usr/games/avelune >"$work/game.log" 2>&1 &
game_pid=$!
window=""
for _ in $(seq 150); do
  kill -0 "$game_pid" 2>/dev/null || { cat "$work/game.log" >&2; fail "the installed program ended before its window showed"; }
  window="$(xdotool search --onlyvisible --pid "$game_pid" --name Avelune 2>/dev/null | head -n 1 || true)"
  [[ -n "$window" ]] && break
  sleep 0.2
done
[[ -n "$window" ]] || fail "no window of the installed program within 30 s"
wait_for_title "$window" "$work/title.png" 30 \
  || fail "the installed program's window never showed the title picture ($colours colours)"
quit_by_file_exit "$window" "$game_pid" 20 || fail "the installed program did not end on File, Exit"
game_status=0
wait "$game_pid" || game_status=$?
game_pid=""
[[ $game_status -eq 0 ]] || { cat "$work/game.log" >&2; fail "the installed program ended with status $game_status"; }
say "the title showed ($colours colours) and File, Exit ended it with status 0"

say "removing it with apt-get"
cd "$repo"
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get remove -y -qq avelune >"$work/remove.log" 2>&1 \
  || { tail -n 30 "$work/remove.log" >&2; fail "apt-get could not remove avelune"; }
installed=0
status="$(dpkg-query -W -f='${db:Status-Status}' avelune 2>/dev/null || true)"
[[ -z "$status" || "$status" == "not-installed" ]] || fail "dpkg still lists avelune as '$status' after the removal"
left=()
while read -r f; do
  [[ -e "$f" || -L "$f" ]] && left+=("$f")
done <"$work/files"
[[ -d /usr/share/avelune ]] && left+=(/usr/share/avelune/)
[[ ${#left[@]} -eq 0 ]] || fail "left behind after the removal: ${left[*]}"
say "PROVED: $(basename "$deb") installed, ran headless and on the display, and was removed without a trace"
