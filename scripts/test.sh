#!/usr/bin/env bash
# Builds the release and the sanitizer builds and runs every test in both,
# then builds the web page and runs its browser tests.
# A failing build stops at once; failing tests in the release build still let
# the sanitizer build run, so one run reports everything. Exits non-zero if
# any build or any test fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-packages.sh

jobs="$(nproc)"
failed=()
for preset in release sanitize; do
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  echo "=== ${preset}: tests"
  ctest --preset "$preset" -j"$jobs" --no-tests=error || failed+=("$preset")
done
# The web page, built from the release build's art and driven in headless
# Chromium against the release build's headless game.
echo "=== web: build and browser tests"
bash scripts/web.sh --build
bash scripts/web.sh --test || failed+=(web)
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "=== tests failed in: ${failed[*]}" >&2
  exit 1
fi
echo "=== all builds and tests passed"
