#!/bin/sh
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer straight from the sources, and runs them one
# after the other, each for half the time:
#   atlas_fuzzer         the bitmap reader, the palette and the blitter
#                        (fuzz/AtlasFuzzer.cpp, seeds in fuzz/corpus/)
#   event_script_fuzzer  the events-file reader and parser of --headless
#                        (fuzz/EventScriptFuzzer.cpp, seeds in fuzz/corpus-events/)
#
#   fuzz/run.sh [seconds] [extra libFuzzer options...]
#
# seconds: how long to fuzz in all (default 60; 0 runs each seed corpus once
# and stops). The working corpora and any crash files go to $AVELUNE_FUZZ_DIR
# (default build-fuzz/ in the source tree); the seeds are never written. A
# crash leaves crash-<hash> there and a non-zero exit. Replay one input:
#   build-fuzz/atlas_fuzzer build-fuzz/crash-<hash>
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-60}
[ $# -gt 0 ] && shift
out=${AVELUNE_FUZZ_DIR:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++-14}
command -v "$cxx" >/dev/null 2>&1 || cxx=clang++

mkdir -p "$out/corpus" "$out/corpus-events"

# build BINARY SOURCES...: rebuilds when any source is newer than the binary.
build() {
    binary=$1
    shift
    if [ ! -x "$binary" ] || [ -n "$(find "$@" -newer "$binary" -name '*.[ch]*' | head -n 1)" ]; then
        echo "building $binary"
        "$cxx" -std=c++20 -O2 -g -fno-omit-frame-pointer \
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
            -I"$root" "$@" -o "$binary"
    fi
}
build "$out/atlas_fuzzer" "$here/AtlasFuzzer.cpp" "$root"/gfx/*.cpp "$root/tests/support/TestBitmap.cpp"
build "$out/event_script_fuzzer" "$here/EventScriptFuzzer.cpp" "$root/platform/headless/EventScript.cpp" \
    "$root/keymap/Keymap.cpp"

# fuzz BINARY CORPUS SEEDS MAX_LEN [options...]
fuzz() {
    binary=$1 corpus=$2 seeds=$3 maxlen=$4
    shift 4
    set -- -max_len="$maxlen" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$out/" "$@"
    if [ "$seconds" -eq 0 ]; then
        "$binary" -runs=0 "$@" "$seeds"
    else
        "$binary" -max_total_time="$half" "$@" "$corpus" "$seeds"
    fi
}
half=$(( (seconds + 1) / 2 ))
# Recipe inputs (the full-sized atlases) are a few kilobytes; raw bitmap
# seeds are small on purpose. Event lines are capped at 4096 bytes, so a
# little more than that reaches the cap.
fuzz "$out/atlas_fuzzer" "$out/corpus" "$here/corpus" 16384 "$@"
fuzz "$out/event_script_fuzzer" "$out/corpus-events" "$here/corpus-events" 9000 "$@"
