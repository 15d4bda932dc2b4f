#!/usr/bin/env bash
# Builds the release and the sanitizer builds and runs every test in both.
# Exits non-zero if any build or any test fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-packages.sh

jobs="$(nproc)"
for preset in release sanitize; do
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  echo "=== ${preset}: tests"
  ctest --preset "$preset" -j"$jobs" --no-tests=error
done
echo "=== all builds and tests passed"
