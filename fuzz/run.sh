#!/bin/sh
# Builds the atlas fuzzer with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer straight from the sources, and runs it.
#
#   fuzz/run.sh [seconds] [extra libFuzzer options...]
#
# seconds: how long to fuzz (default 60; 0 runs the seed corpus once and
# stops). The working corpus and any crash files go to $AVELUNE_FUZZ_DIR
# (default build-fuzz/ in the source tree); the seeds in fuzz/corpus/ are
# never written. A crash leaves crash-<hash> there and a non-zero exit.
# Replay one input: build-fuzz/atlas_fuzzer build-fuzz/crash-<hash>
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-60}
[ $# -gt 0 ] && shift
out=${AVELUNE_FUZZ_DIR:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++-14}
command -v "$cxx" >/dev/null 2>&1 || cxx=clang++

mkdir -p "$out/corpus"
binary="$out/atlas_fuzzer"
# Rebuild when any source is newer than the binary.
if [ ! -x "$binary" ] || [ -n "$(find "$root/gfx" "$here/AtlasFuzzer.cpp" -newer "$binary" -name '*.[ch]*' | head -n 1)" ]; then
    echo "building $binary"
    "$cxx" -std=c++20 -O2 -g -fno-omit-frame-pointer \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I"$root" "$here/AtlasFuzzer.cpp" "$root"/gfx/*.cpp -o "$binary"
fi

# Recipe inputs (the full-sized atlases) are a few kilobytes; raw bitmap
# seeds are small on purpose.
set -- -max_len=16384 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/" "$@"
if [ "$seconds" -eq 0 ]; then
    exec "$binary" -runs=0 "$@" "$here/corpus"
fi
exec "$binary" -max_total_time="$seconds" "$@" "$out/corpus" "$here/corpus"
