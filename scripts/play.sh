#!/usr/bin/env bash
# Builds the game as players run it and starts it; arguments go to the game
# (for example: scripts/play.sh --headless --help).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-packages.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)"
exec "$root/build/bin/avelune" "$@"
