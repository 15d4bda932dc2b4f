// Hearing the approach: a quiet tone whose pitch follows the G/S readout and
// whose place between the ears follows the localizer needle, and a soft tick
// on each warning and at each stabilisation gate. Made here from the flight
// record alone (no sound files), as interleaved stereo 16-bit samples at any
// rate, so that any host can play it.
//
// The mapping:
// - pitch: 440 Hz with the G/S readout at 0 (the bar centred), an octave up
//   at a readout of 100 above the path the bar centres on (50 ft over the
//   1-in-15 line) and an octave down at 100 below it; beyond 100 it holds.
//   The readout itself has no side (it reads the same 30 ft above as 30 ft
//   below), so the side is the aircraft's height against that path, as the
//   debrief's advice says "above" or "below".
// - place: the tone stands where the needle stands, full left or right at
//   the failure offset (45): a needle left of centre puts the tone in the
//   left ear, and the pilot turns toward the tone as toward the needle.
// - ticks: one when a judgement shows the warning screen (each time it
//   does), and a higher one as the aircraft comes down through each gate
//   height (once an approach, unless it climbs 100 ft back above the gate).
//
// It plays only in flight (the cockpit's press mode, a flight state, the
// host's timer running and not paused); out of flight the tone fades out in
// a few milliseconds, so neither starting nor stopping clicks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "game/FlightState.h"

namespace cues {

// What the tone should be for one flight record.
struct Tone {
    bool sounding = false;  // in flight
    int gs = 0;             // the G/S readout, with its side: above the path positive
    int needle = 0;         // the needle from the centre, right positive
    double frequency = 0;   // Hz
    double pan = 0;         // -1 full left .. +1 full right
};

constexpr double kCentreFrequency = 440.0;
constexpr int kOctaveReadout = 100;  // the readout an octave stands for (the failure limit)

// Whether the record is in flight: the cockpit's press mode and a flight
// state. (The timer is the host's to tell.)
bool InFlight(const FlightState& s);
// The G/S readout the cockpit shows, positive above the path the bar centres on.
int SidedGsReadout(const FlightState& s);
double FrequencyFor(int sidedGs);
double PanFor(int needleFromCentre);
Tone ToneFor(const FlightState& s);

enum class Tick : uint8_t { kWarning, kGate };

class CueGenerator {
public:
    // `gateHeights`: feet above the runway (the debrief's gates).
    CueGenerator(int sampleRate, std::span<const int> gateHeights);

    // Looks at the record after a tick (any number of times; only changes
    // count): sets the tone and starts the ticks that are due, which it
    // returns. `running`: the host's timer runs and is not paused.
    std::vector<Tick> Observe(const FlightState& s, bool running);

    // Writes `frames` stereo frames (left, right interleaved) continuing the
    // last call's waves.
    void Render(int16_t* out, size_t frames);

    // Whether anything would be heard now (the tone, its fade, or a tick).
    bool audible() const;
    int sampleRate() const { return rate_; }

private:
    struct GateWatch {
        int height = 0;
        bool armed = false;    // seen above it since it last sounded
        bool sounded = false;  // this approach
    };
    struct TickVoice {
        double frequency = 0;
        size_t at = 0;       // frames played
        size_t delay = 0;    // frames to wait first
    };
    int rate_;
    std::vector<GateWatch> gates_;
    std::vector<TickVoice> ticks_;
    // The tone's targets and where the rendering has got to.
    bool on_ = false;
    double targetFrequency_ = kCentreFrequency, targetPan_ = 0;
    double frequency_ = kCentreFrequency, pan_ = 0, level_ = 0;
    double phase_ = 0;  // 0..1
    bool seenRecord_ = false;
    uint32_t lastState_ = 0;
    uint32_t lastDistanceFlown_ = 0;
};

// Adds `add` into `into`, sample by sample, holding at the 16-bit limits.
void MixInto(int16_t* into, const int16_t* add, size_t samples);

}  // namespace cues
