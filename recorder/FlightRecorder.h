// The flight recorder: what an instructor needs to go over an approach. One
// sample for every judgement of the approach (the aircraft as the judge saw
// it, with the state it chose), one more where the threshold was passed,
// every input with its tick, the marks where a warning began and where the
// approach failed or arrived, and a summary of how close it came to each
// limit.
//
// It only observes, as the flight taker does: a host calls OnInput after each
// mouse handler and AfterTick after each tick it delivered. It never writes
// the record, draws the generator or touches a picture. An approach begins
// when an input takes the game into a flight state (the start button) or
// writes the set-up values in flight (the restart switch), or when a replay
// restores a snapshot; it ends after the flight step that arrived, after the
// failure screen's tick, or when an input leaves the flight states.
//
// Memory stays bounded however long the player idles. An approach flown to
// its end takes under a thousand samples; at kMaxSamples the buffer is
// thinned: every second sample goes and from then on only every second
// (then fourth, eighth ...) judgement is kept. The summary, the marks and the
// stretches in warning are taken from every sample, so they stay exact; the
// last sample is always kept. Inputs beyond kMaxInputs, marks beyond kMaxMarks
// and stretches beyond kMaxStretches are counted but not kept (the last
// stretch then grows to cover the rest, so the verdict errs toward unstable).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "flightfile/Approaches.h"
#include "flightfile/FlightFile.h"
#include "game/FlightState.h"
#include "game/Limits.h"

namespace recorder {

constexpr size_t kMaxSamples = 8192;
constexpr size_t kMaxInputs = 65536;
constexpr size_t kMaxMarks = 512;
constexpr size_t kMaxStretches = 1024;

enum class Judged : uint8_t { kClear, kWarning, kFailure, kArrived };
enum class Limit : uint8_t { kAirspeed, kLocalizer, kGlideSlope };
constexpr int kLimits = 3;
// The player's inputs are the flight file's kinds: one input kind for every
// part of a session.
using InputKind = flightfile::InputKind;
enum class Outcome : uint8_t { kInFlight, kArrived, kFailed, kLeft };

const char* JudgedName(Judged j);     // clear, warning, failure, arrived
const char* LimitName(Limit l);       // airspeed, localizer, glide slope
const char* OutcomeName(Outcome o);   // in flight, arrived, failed, left

struct Sample {
    uint32_t step = 0;          // flight steps (simulated seconds) flown before it
    uint32_t tick = 0;          // ticks since the approach began
    int32_t feetToGo = 0;       // runwayDistance - distanceFlown; below zero past the threshold
    // Hundredths of a mile, as the game works it out from the feet to go (its
    // own readout is not worked out before the first flight step, and reads 0
    // past the threshold).
    uint32_t distanceToGo = 0;
    int32_t altitude = 0;
    // As flown: at the arrival, the speed the last flight step flew at (the
    // game sets its airspeed to 0 once past the threshold).
    uint32_t airspeed = 0;
    // The flight step's drift term: it grows by 32 a step below 104 mph and
    // shrinks by 32 above, and is added to the altitude only below. Not a
    // rate of descent; the climb is the altitude's change between samples.
    int32_t sinkDrift = 0;
    uint32_t power = 0;
    int16_t pitch = 0;
    int16_t bank = 0;
    int32_t turnRate = 0;       // turn clicks held: right positive (each step takes it off the heading)
    int32_t headingOffset = 0;
    int16_t lateralOffset = 0;
    int16_t localizerNeedle = 0;
    int16_t glideSlopeDeviation = 0;
    Judged judged = Judged::kClear;
};

struct Input {
    uint32_t tick = 0;  // ticks since the approach began
    InputKind kind = InputKind::kPress;
    int x = 0, y = 0;
};

// Where something happened along the approach.
struct Mark {
    enum class Kind : uint8_t { kWarningBegan, kFailed, kArrived };
    Kind kind = Kind::kWarningBegan;
    Limit limit = Limit::kAirspeed;  // the limit warned of or failed (unused for an arrival)
    uint32_t step = 0;
    int32_t feetToGo = 0;
    int32_t altitude = 0;
    uint32_t airspeed = 0;
    int16_t localizerNeedle = 0;
    int16_t glideSlopeDeviation = 0;  // the G/S readout
};

// A run of judgements with some warning limit passed.
struct Stretch {
    int32_t firstFeet = 0, lastFeet = 0;  // feet to go at its first and last warned judgement
    uint32_t firstStep = 0, lastStep = 0;
    bool cleared = false;                 // a judgement with no limit passed followed it
    int32_t clearedFeet = 0;
};

// Whether each limit's warning (or failure) value is passed by a sample.
bool Warns(const Sample& s, Limit limit);
bool Fails(const Sample& s, Limit limit);

struct LimitSummary {
    int worst = 0;        // mph; the needle reading furthest from the centre; feet of deviation
    int warnMargin = 0;   // left before the warning at the worst (negative: passed)
    int failMargin = 0;   // left before the failure
    uint32_t secondsWarned = 0;  // judgements with this limit passed
};

struct Summary {
    Outcome outcome = Outcome::kInFlight;
    bool failed[kLimits] = {};    // the limits that held on the failure screen
    uint32_t secondsFlown = 0;    // flight steps, one simulated second each
    uint32_t ticks = 0;
    uint32_t judgements = 0;
    uint32_t secondsWarned = 0;   // judgements with some warning limit passed (warning or failure chosen)
    LimitSummary limits[kLimits];
    int32_t startFeet = 0, endFeet = 0;
    // Stable: no warning limit passed over the last third of the way flown.
    bool stable = true;
    bool stableThroughout = true;  // no warning at all
    int32_t stabilityFeet = 0;     // where it became stable, or stopped being so
    int32_t lastThirdFeet = 0;     // the last third begins here
    const LimitSummary& of(Limit l) const { return limits[static_cast<int>(l)]; }
};

struct Recording {
    std::vector<Sample> samples;
    std::vector<Input> inputs;
    std::vector<Mark> marks;
    std::vector<Stretch> stretches;
    uint32_t sampleStride = 1;     // 1 until the buffer was thinned
    uint32_t inputsSeen = 0;
    bool marksTruncated = false;
    bool replayed = false;         // began from a flight file's snapshot
    bool takenOver = false;        // replayed, then flown on by the player
    // The player's own: flown, or taken over (a logbook entry of theirs).
    bool flown() const { return !replayed || takenOver; }
    Summary summary;               // as far as the approach has gone; final once it ended
    bool thinned() const { return sampleStride > 1; }
    bool inputsTruncated() const { return inputsSeen > inputs.size(); }
};

// current(), latestEnded(), Latest() and approachesEnded() come from
// flightfile::Approaches; approaches begin and end as the flight taker's do.
class FlightRecorder : public flightfile::Approaches<Recording> {
public:
    void OnInput(InputKind kind, int x, int y, const FlightState& s);
    void AfterTick(const FlightState& s);
    // A replay restored this record: an approach begins there.
    void BeginFromSnapshot(const FlightState& s);
    // The player took over the replayed approach in flight.
    void TakeOver() {
        if (active_) current_.takenOver = true;
    }

private:
    void Begin(const FlightState& s);
    void End(const FlightState& s, Outcome outcome);
    void Take(const Sample& sample);

    flightfile::ApproachEdges edges_;
    // What the sampler needs between samples.
    uint32_t seen_ = 0;
    bool lastKept_ = true;
    Sample last_;
    bool warned_[kLimits] = {};
    bool anyWarned_ = false;
};

}  // namespace recorder
