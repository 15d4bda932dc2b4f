#!/usr/bin/env bash
# Builds the game as players run it (the program and its art only) and starts it; arguments go to the game
# (for example: scripts/play.sh --headless --help).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-packages.sh
bash scripts/configure.sh release
# Only the program and what it needs (the generator and the art): the tests
# and benchmarks are built by scripts/test.sh in the same build/ folder.
cmake --build --preset play -j"$(nproc)"
exec "$root/build/bin/avelune" "$@"
