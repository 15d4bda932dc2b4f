#!/bin/sh
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer straight from the sources, and runs them one
# after the other, the time shared evenly:
#   atlas_fuzzer         the bitmap reader, the palette and the blitter
#                        (fuzz/AtlasFuzzer.cpp, seeds in fuzz/corpus/)
#   event_script_fuzzer  the events-file reader and parser of --headless
#                        (fuzz/EventScriptFuzzer.cpp, seeds in fuzz/corpus-events/)
#   flight_file_fuzzer   the flight-file reader: what it accepts reads back to
#                        the same text, each refusal names the file
#                        (fuzz/FlightFileFuzzer.cpp, seeds in fuzz/corpus-flights/,
#                        flight files saved from tests/replays)
#   logbook_fuzzer       the logbook's lines (fuzz/LogbookFuzzer.cpp, seeds in
#                        fuzz/corpus-logbook/)
#   settings_fuzzer      the desktop's settings file and its key map
#                        (fuzz/SettingsFuzzer.cpp, seeds in fuzz/corpus-settings/;
#                        built only where SDL2's headers are)
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

mkdir -p "$out/corpus" "$out/corpus-events" "$out/corpus-flights" "$out/corpus-logbook" "$out/corpus-settings"

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
    "$root/keymap/Keymap.cpp" "$root/files/Files.cpp"
build "$out/flight_file_fuzzer" "$here/FlightFileFuzzer.cpp" "$root/flightfile/FlightFile.cpp" "$root/files/Files.cpp"
build "$out/logbook_fuzzer" "$here/LogbookFuzzer.cpp" "$root/logbook/Logbook.cpp" "$root/flightfile/FlightFile.cpp" \
    "$root/files/Files.cpp"
settings=
if sdl=$(pkg-config --cflags --libs sdl2 2>/dev/null); then
    # shellcheck disable=SC2086 # the flags are words
    build "$out/settings_fuzzer" "$here/SettingsFuzzer.cpp" "$root/platform/sdl/DesktopSettings.cpp" \
        "$root/platform/sdl/DesktopLayout.cpp" "$root/platform/common/PictureFit.cpp" \
        "$root/platform/sdl/RendererChoice.cpp" "$root/keymap/Keymap.cpp" "$root/files/Files.cpp" "$root"/gfx/*.cpp $sdl
    settings=1
fi

# fuzz BINARY CORPUS SEEDS MAX_LEN [options...]
fuzz() {
    binary=$1 corpus=$2 seeds=$3 maxlen=$4
    shift 4
    set -- -max_len="$maxlen" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$out/" "$@"
    if [ "$seconds" -eq 0 ]; then
        "$binary" -runs=0 "$@" "$seeds"
    else
        "$binary" -max_total_time="$share" "$@" "$corpus" "$seeds"
    fi
}
targets=4
[ -n "$settings" ] && targets=5
share=$(( (seconds + targets - 1) / targets ))
# Recipe inputs (the full-sized atlases) are a few kilobytes; raw bitmap
# seeds are small on purpose. Event lines are capped at 4096 bytes, so a
# little more than that reaches the cap.
fuzz "$out/atlas_fuzzer" "$out/corpus" "$here/corpus" 16384 "$@"
fuzz "$out/event_script_fuzzer" "$out/corpus-events" "$here/corpus-events" 9000 "$@"
# A flight file is some kilobytes; a logbook line at most 4096 bytes.
fuzz "$out/flight_file_fuzzer" "$out/corpus-flights" "$here/corpus-flights" 65536 "$@"
fuzz "$out/logbook_fuzzer" "$out/corpus-logbook" "$here/corpus-logbook" 9000 "$@"
if [ -n "$settings" ]; then
    fuzz "$out/settings_fuzzer" "$out/corpus-settings" "$here/corpus-settings" 9000 "$@"
fi
