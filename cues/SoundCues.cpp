#include "cues/SoundCues.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

#include "game/Limits.h"

namespace cues {
namespace {

// The reference descent, 1 foot in 15, and the height over it at which the
// glide-slope bar stands centred (the readout's 0).
constexpr int64_t kGlideSlopeRatio = 15;
constexpr int64_t kBarCentreFeet = 50;

constexpr double kToneLevel = 0.08;     // of full scale: quiet under the start sound
constexpr double kTickLevel = 0.22;
constexpr double kGlideSeconds = 0.03;  // pitch and place follow a change over about this
constexpr double kFadeSeconds = 0.01;   // the tone comes and goes over this
constexpr double kTickSeconds = 0.035;  // a tick's length
constexpr double kTickDecaySeconds = 0.006;
constexpr double kWarningTickHz = 1200, kGateTickHz = 2000;
constexpr int kGateRearmFeet = 100;     // a gate sounds again only after climbing this far back over it

}  // namespace

bool InFlight(const FlightState& s) {
    if (s.pressMode != kModeCockpit) return false;
    switch (s.gameState) {
    case kStateCockpit:
    case kStateJudgement:
    case kStateFailure:
    case kStateWarning:
    case kStateFlightStep: return true;
    default: return false;
    }
}

int SidedGsReadout(const FlightState& s) {
    const int readout = std::abs(static_cast<int>(s.glideSlopeDeviation));
    const int64_t toGo = std::max<int64_t>(int64_t{s.runwayDistance} - int64_t{s.distanceFlown}, 0);
    const int64_t overPath = int64_t{s.altitude} - toGo / kGlideSlopeRatio - kBarCentreFeet;
    return overPath > 0 ? readout : -readout;
}

double FrequencyFor(int sidedGs) {
    const int gs = std::clamp(sidedGs, -kOctaveReadout, kOctaveReadout);
    return kCentreFrequency * std::exp2(static_cast<double>(gs) / kOctaveReadout);
}

double PanFor(int needleFromCentre) {
    return std::clamp(static_cast<double>(needleFromCentre) / limits::kNeedleFailOffset, -1.0, 1.0);
}

Tone ToneFor(const FlightState& s) {
    Tone t;
    t.sounding = InFlight(s);
    t.gs = SidedGsReadout(s);
    t.needle = s.localizerNeedle - limits::kNeedleCentre;
    t.frequency = FrequencyFor(t.gs);
    t.pan = PanFor(t.needle);
    return t;
}

CueGenerator::CueGenerator(int sampleRate, std::span<const int> gateHeights) : rate_(std::max(sampleRate, 1)) {
    for (const int h : gateHeights) gates_.push_back(GateWatch{h, false});
}

std::vector<Tick> CueGenerator::Observe(const FlightState& s, bool running) {
    std::vector<Tick> started;
    const Tone tone = ToneFor(s);
    const bool flying = tone.sounding && running;
    // A new approach (the start button or the restart switch) begins again
    // from the set-up distance: every gate may sound again.
    const bool restarted = seenRecord_ && s.distanceFlown < lastDistanceFlown_;
    for (GateWatch& g : gates_) {
        if (restarted) g = GateWatch{g.height, false, false};
        if (s.altitude > g.height + (g.sounded ? kGateRearmFeet : 0)) {
            g.armed = true;
        } else if (s.altitude <= g.height && g.armed) {
            g.armed = false;  // passed out of flight: no tick
            if (flying) {
                g.sounded = true;
                started.push_back(Tick::kGate);
            }
        }
    }
    if (flying && s.gameState == kStateWarning && (!seenRecord_ || lastState_ != kStateWarning)) {
        started.push_back(Tick::kWarning);
    }
    seenRecord_ = true;
    lastState_ = s.gameState;
    lastDistanceFlown_ = s.distanceFlown;

    for (const Tick t : started) {
        // Two at once (a warning at a gate) follow one another.
        const size_t delay = ticks_.empty() ? 0 : ticks_.back().delay + static_cast<size_t>(kTickSeconds * rate_) + 1;
        ticks_.push_back(TickVoice{t == Tick::kGate ? kGateTickHz : kWarningTickHz, 0, delay});
    }
    if (flying) {
        if (!on_ && level_ <= 0) {  // a tone beginning starts where it belongs, not gliding there
            frequency_ = tone.frequency;
            pan_ = tone.pan;
        }
        targetFrequency_ = tone.frequency;
        targetPan_ = tone.pan;
    }
    on_ = flying;
    return started;
}

void CueGenerator::Render(int16_t* out, size_t frames) {
    const double glide = 1.0 - std::exp(-1.0 / (kGlideSeconds * rate_));
    const double fade = 1.0 / (kFadeSeconds * rate_);
    const size_t tickFrames = static_cast<size_t>(kTickSeconds * rate_);
    const double tickDecay = std::exp(-1.0 / (kTickDecaySeconds * rate_));
    constexpr double kTwoPi = 2 * std::numbers::pi;
    for (size_t i = 0; i < frames; ++i) {
        level_ = on_ ? std::min(1.0, level_ + fade) : std::max(0.0, level_ - fade);
        double left = 0, right = 0;
        if (level_ > 0) {
            frequency_ += (targetFrequency_ - frequency_) * glide;
            pan_ += (targetPan_ - pan_) * glide;
            const double v = kToneLevel * level_ * std::sin(kTwoPi * phase_);
            const double angle = (pan_ + 1) * std::numbers::pi / 4;  // equal power
            left = v * std::cos(angle);
            right = v * std::sin(angle);
            phase_ += frequency_ / rate_;
            phase_ -= std::floor(phase_);
        } else {
            phase_ = 0;  // silent: the next tone starts at a zero crossing
        }
        for (TickVoice& t : ticks_) {
            if (t.delay > 0) {
                --t.delay;
                continue;
            }
            const double v = kTickLevel * std::pow(tickDecay, static_cast<double>(t.at)) *
                             std::sin(kTwoPi * t.frequency * static_cast<double>(t.at) / rate_);
            left += v;
            right += v;
            ++t.at;
        }
        std::erase_if(ticks_, [tickFrames](const TickVoice& t) { return t.delay == 0 && t.at >= tickFrames; });
        out[2 * i] = static_cast<int16_t>(std::lround(std::clamp(left, -1.0, 1.0) * 32767));
        out[2 * i + 1] = static_cast<int16_t>(std::lround(std::clamp(right, -1.0, 1.0) * 32767));
    }
}

bool CueGenerator::audible() const { return on_ || level_ > 0 || !ticks_.empty(); }

void MixInto(int16_t* into, const int16_t* add, size_t samples) {
    for (size_t i = 0; i < samples; ++i) {
        const int sum = int{into[i]} + int{add[i]};
        into[i] = static_cast<int16_t>(std::clamp(sum, int{std::numeric_limits<int16_t>::min()},
                                                  int{std::numeric_limits<int16_t>::max()}));
    }
}

}  // namespace cues
