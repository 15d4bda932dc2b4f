#!/usr/bin/env bash
# Builds the release and the sanitizer builds and runs every test in both,
# then builds the web page and runs its browser tests.
# A failing build stops at once; failing tests in the release build still let
# the sanitizer build run, so one run reports everything. Exits non-zero if
# any build or any test fails. Each phase says how long it took.
#
#   scripts/test.sh            everything
#   scripts/test.sh --quick    the edit loop: the release build and its tests
#                              but the desktop end-to-end runs (DesktopEndToEnd.*)
#
# With ccache installed (scripts/packages.txt) a second build tree, or a
# rebuild after a small change, compiles only what differs.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
quick=0
case "${1:-}" in
  "") ;;
  --quick) quick=1 ;;
  *) echo "test.sh: unknown argument: $1 (--quick, or none)" >&2; exit 2 ;;
esac
bash scripts/install-packages.sh

jobs="$(nproc)"
# The desktop end-to-end runs spend most of their time waiting on a real
# window, each on a display of its own: three tests a core keep it busy.
test_jobs=$((jobs * 3))
failed=()
timed() {
  local name="$1" start=$SECONDS status=0
  shift
  echo "=== ${name}"
  "$@" || status=$?
  echo "=== ${name}: $((SECONDS - start)) s"
  return "$status"
}
if [[ $quick -eq 1 ]]; then
  bash scripts/configure.sh release
  timed "release: build" cmake --build --preset release -j"$jobs"
  timed "release: tests but the desktop end-to-end runs" \
    ctest --preset release -j"$test_jobs" --no-tests=error -E '^DesktopEndToEnd[.]' || failed+=(release)
  [[ ${#failed[@]} -eq 0 ]] || { echo "=== tests failed in: ${failed[*]}" >&2; exit 1; }
  echo "=== the release build and its tests passed (the desktop end-to-end runs and the sanitizer and web builds were not run)"
  exit 0
fi
for preset in release sanitize; do
  bash scripts/configure.sh "$preset"
  timed "${preset}: build" cmake --build --preset "$preset" -j"$jobs"
  timed "${preset}: tests" ctest --preset "$preset" -j"$test_jobs" --no-tests=error || failed+=("$preset")
done
# The web page, built from the release build's art and driven in headless
# Chromium against the release build's headless game.
timed "web: build" bash scripts/web.sh --build
timed "web: browser tests" bash scripts/web.sh --test || failed+=(web)
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "=== tests failed in: ${failed[*]}" >&2
  exit 1
fi
echo "=== all builds and tests passed"
