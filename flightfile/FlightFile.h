// Flight files (.avflight): one approach, kept so it can be replayed tick for
// tick and checked against what was flown.
//
// A flight holds the complete flight state record and the host's generator
// at the approach's start (the snapshot, taken right after the input that
// began it), every mouse input after it with the number of ticks delivered
// before it, one checkpoint (a 32-bit fold of the record hash) after each
// tick, and the hash of the record at the end. Replaying restores the
// snapshot and delivers the same ticks and inputs; the first checkpoint that
// differs names the tick where the replay went its own way. The text format
// is described in docs/FLIGHT-FILES.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/FlightState.h"

namespace flightfile {

constexpr const char* kFormatName = "avflight";
constexpr int kFormatVersion = 1;
constexpr const char* kExtension = ".avflight";

// The game's version, as the program reports it.
const char* GameVersion();

// ---- Hashes ------------------------------------------------------------------

constexpr uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr uint64_t kFnvPrime = 0x100000001b3ull;

// FNV-1a, 64 bits; `h` continues an earlier hash.
uint64_t Fnv1a64(const void* data, size_t size, uint64_t h = kFnvOffset);
// The hash of a whole file's bytes; false (with `error` naming the file) when
// it cannot be read.
bool HashFile(const std::string& path, uint64_t& hash, std::string& error);
// The record's hash: every member in declaration order, at its own width,
// little-endian (a float by its bit pattern), so it does not depend on the
// struct's padding or the machine.
uint64_t RecordHash(const FlightState& s);
// The per-tick checkpoint: the record hash folded to 32 bits.
uint32_t Checkpoint(const FlightState& s);

// ---- The flight ----------------------------------------------------------------

enum class InputKind : uint8_t { kPress, kRelease, kMove };
const char* InputName(InputKind kind);

struct Input {
    uint32_t tick = 0;  // ticks delivered after the snapshot, before this input
    InputKind kind = InputKind::kPress;
    int32_t x = 0, y = 0;  // window pixel
    friend bool operator==(const Input&, const Input&) = default;
};

enum class Ending : uint8_t { kArrived, kFailed, kLeft, kFlying };
const char* EndingName(Ending ending);

struct Flight {
    std::string gameVersion;
    uint64_t atlasHash = 0;
    bool fromRestart = false;    // begun by the restart switch, else from the title
    uint32_t randState = 1;      // the host's generator at the snapshot
    bool timerRunning = true;    // timer 1 at the snapshot
    FlightState start{};         // the record at the snapshot
    std::vector<Input> inputs;   // in the order delivered
    uint32_t ticks = 0;          // ticks delivered after the snapshot
    std::vector<uint32_t> checkpoints;  // one after each tick
    Ending ending = Ending::kFlying;
    // Where it ended, for readers of the file: ft to the threshold (below 0
    // past it), ft up, mph.
    int32_t endDistance = 0, endAltitude = 0;
    uint32_t endAirspeed = 0;
    uint64_t finalHash = 0;      // the record hash at the end
    int atlasLine = 0;           // read from a file: the line of its atlas hash

    // Counted while it was flown (not kept in the file): for the logbook.
    uint32_t secondsFlown = 0;       // flight steps
    uint32_t cyclesWarned = 0;       // judgements that chose the warning or failure screen
    uint32_t maxAirspeed = 0;        // mph
    int maxNeedleOffset = 0;         // localizer needle units off centre
    int maxGlideSlopeDeviation = 0;  // ft
};

// ---- Text ------------------------------------------------------------------------

// The flight as the text of a flight file.
std::string FormatFlight(const Flight& flight);

// Reads a flight file's text. False, with `error` naming `fileName`, the line
// and what is wrong, when it is not a whole flight file of this format.
bool ParseFlight(const std::string& text, const std::string& fileName, Flight& flight, std::string& error);

// Reads and parses a file: a regular file of at most kMaxFileBytes, its lines
// at most 16 KiB (comments excepted), no control bytes but tabs.
constexpr size_t kMaxFileBytes = 64u << 20;
bool LoadFlight(const std::string& path, Flight& flight, std::string& error);
// Writes a file through a temporary file in the same folder, renamed over it
// (files::WriteFile's rules: a regular file or a new name, its mode kept).
bool SaveFlight(const std::string& path, const Flight& flight, std::string& error);
// Writes a file under a name that must be new: when another file has it,
// nothing is written and `taken` is set.
bool SaveNewFlight(const std::string& path, const Flight& flight, std::string& error, bool& taken);

// Writes `text` to `path` through a temporary file in the same folder, synced
// and renamed, so the path holds either the old or the whole new text.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error);

}  // namespace flightfile
