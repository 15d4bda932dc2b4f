#!/usr/bin/env bash
# Configures a CMake preset, quietly: scripts/configure.sh PRESET
# A build tree that an older checkout configured with another generator is
# configured afresh (its cache only; ccache still holds the objects).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if ! out=$(cmake --preset "$1" 2>&1); then
  if grep -q "Does not match the generator used previously" <<<"$out"; then
    cmake --preset "$1" --fresh >/dev/null
  else
    printf '%s\n' "$out" >&2
    exit 1
  fi
fi
