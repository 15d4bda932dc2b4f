#include "recorder/FlightRecorder.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace recorder {

namespace {

constexpr int64_t kFeetPerMile = limits::kFeetPerMile;

// The speed a flight step flew at, from the feet it covered: the step adds
// speed x 5280 / 3600 feet (rounded down), which grows by more than a foot
// for every mile per hour, so each distance has at most one speed.
uint32_t SpeedFromStep(uint32_t feet) {
    const uint64_t speed = (uint64_t{feet} * 3600 + 5279) / 5280;
    return static_cast<uint32_t>(std::min<uint64_t>(speed, UINT32_MAX));
}

int32_t FeetToGo(const FlightState& s) {
    const int64_t d = static_cast<int64_t>(s.runwayDistance) - static_cast<int64_t>(s.distanceFlown);
    return static_cast<int32_t>(std::clamp<int64_t>(d, INT32_MIN, INT32_MAX));
}

Sample SampleOf(const FlightState& s, const Recording& r, Judged judged) {
    Sample x;
    x.step = r.summary.secondsFlown;
    x.tick = r.summary.ticks;
    x.feetToGo = FeetToGo(s);
    x.distanceToGo = x.feetToGo > 0 ? static_cast<uint32_t>(int64_t{x.feetToGo} * 100 / kFeetPerMile) : 0;
    x.altitude = s.altitude;
    x.airspeed = s.airspeed;
    x.sinkDrift = s.sinkRate;
    x.power = s.power;
    x.pitch = s.pitch;
    x.bank = s.bank;
    x.turnRate = s.turnRate;
    x.headingOffset = s.headingOffset;
    x.lateralOffset = s.lateralOffset;
    x.localizerNeedle = s.localizerNeedle;
    x.glideSlopeDeviation = s.glideSlopeDeviation;
    x.judged = judged;
    return x;
}

Judged JudgedFrom(uint32_t state) {
    if (state == kStateFailure) return Judged::kFailure;
    if (state == kStateWarning) return Judged::kWarning;
    return Judged::kClear;
}

Mark MarkAt(Mark::Kind kind, Limit limit, const Sample& s) {
    return Mark{kind, limit, s.step, s.feetToGo, s.altitude, s.airspeed, s.localizerNeedle, s.glideSlopeDeviation};
}

void AddMark(Recording& r, const Mark& m) {
    if (r.marks.size() >= kMaxMarks) {
        r.marksTruncated = true;
        return;
    }
    r.marks.push_back(m);
}

int NeedleFromCentre(int n) { return std::abs(n - limits::kNeedleCentre); }

// The running worst of each limit, from every judgement (thinning the
// samples never loses one).
void UpdateLimits(Summary& sum, const Sample& s) {
    const bool first = sum.judgements == 1;
    LimitSummary& a = sum.limits[static_cast<int>(Limit::kAirspeed)];
    LimitSummary& n = sum.limits[static_cast<int>(Limit::kLocalizer)];
    LimitSummary& g = sum.limits[static_cast<int>(Limit::kGlideSlope)];
    const int speed = static_cast<int>(std::min<uint32_t>(s.airspeed, INT_MAX / 2));
    if (first || speed > a.worst) a.worst = speed;
    if (first || NeedleFromCentre(s.localizerNeedle) > NeedleFromCentre(n.worst)) n.worst = s.localizerNeedle;
    if (first || s.glideSlopeDeviation > g.worst) g.worst = s.glideSlopeDeviation;
    a.warnMargin = static_cast<int>(limits::kAirspeedWarnAbove) - a.worst;
    a.failMargin = static_cast<int>(limits::kAirspeedFailAbove) - a.worst;
    n.warnMargin = (limits::kNeedleCentre - limits::kNeedleWarnLow) - NeedleFromCentre(n.worst);
    n.failMargin = limits::kNeedleFailOffset - NeedleFromCentre(n.worst);
    g.warnMargin = limits::kDeviationWarnAbove - g.worst;
    g.failMargin = limits::kDeviationFailAbove - g.worst;
    for (int l = 0; l < kLimits; ++l)
        if (Warns(s, static_cast<Limit>(l))) ++sum.limits[l].secondsWarned;
}

// The verdict: stable when no stretch in warning reaches into the last third
// of the way flown. Distances to go only shrink along an approach.
void Decide(Recording& r) {
    Summary& sum = r.summary;
    const int64_t start = sum.startFeet, end = sum.endFeet;
    sum.lastThirdFeet = static_cast<int32_t>(end + (start - end) / 3);
    sum.stableThroughout = r.stretches.empty();
    sum.stable = true;
    sum.stabilityFeet = sum.startFeet;
    for (const Stretch& st : r.stretches) {
        if (st.lastFeet <= sum.lastThirdFeet || !st.cleared) {
            sum.stable = false;
            sum.stabilityFeet = st.firstFeet;
            return;
        }
    }
    if (!r.stretches.empty()) sum.stabilityFeet = r.stretches.back().clearedFeet;
}

}  // namespace

const char* JudgedName(Judged j) {
    switch (j) {
    case Judged::kClear: return "clear";
    case Judged::kWarning: return "warning";
    case Judged::kFailure: return "failure";
    case Judged::kArrived: return "arrived";
    }
    return "?";
}

const char* LimitName(Limit l) {
    switch (l) {
    case Limit::kAirspeed: return "airspeed";
    case Limit::kLocalizer: return "localizer";
    case Limit::kGlideSlope: return "glide slope";
    }
    return "?";
}

const char* OutcomeName(Outcome o) {
    switch (o) {
    case Outcome::kInFlight: return "in flight";
    case Outcome::kArrived: return "arrived";
    case Outcome::kFailed: return "failed";
    case Outcome::kLeft: return "left";
    }
    return "?";
}

bool Warns(const Sample& s, Limit limit) {
    switch (limit) {
    case Limit::kAirspeed: return limits::AirspeedWarns(s.airspeed);
    case Limit::kLocalizer: return limits::NeedleWarns(s.localizerNeedle);
    case Limit::kGlideSlope: return limits::DeviationWarns(s.glideSlopeDeviation);
    }
    return false;
}

bool Fails(const Sample& s, Limit limit) {
    switch (limit) {
    case Limit::kAirspeed: return limits::AirspeedFails(s.airspeed);
    case Limit::kLocalizer: return limits::NeedleFails(s.localizerNeedle);
    case Limit::kGlideSlope: return limits::DeviationFails(s.glideSlopeDeviation);
    }
    return false;
}

void FlightRecorder::Begin(const FlightState& s) {
    Summary& sum = BeginCurrent().summary;
    sum.startFeet = sum.endFeet = FeetToGo(s);
    seen_ = 0;
    lastKept_ = true;
    std::fill(std::begin(warned_), std::end(warned_), false);
    anyWarned_ = false;
}

void FlightRecorder::BeginFromSnapshot(const FlightState& s) {
    Begin(s);
    current_.replayed = true;
    edges_.Observe(s);
}

// Keeps a sample in the buffer, thinning it when it is full.
void FlightRecorder::Take(const Sample& sample) {
    Recording& r = current_;
    last_ = sample;
    lastKept_ = seen_ % r.sampleStride == 0;
    ++seen_;
    if (!lastKept_) return;
    r.samples.push_back(sample);
    if (r.samples.size() >= kMaxSamples) {
        size_t kept = 0;
        for (size_t i = 0; i < r.samples.size(); i += 2) r.samples[kept++] = r.samples[i];
        r.samples.resize(kept);
        r.sampleStride *= 2;
    }
}

void FlightRecorder::End(const FlightState& s, Outcome outcome) {
    Summary& sum = current_.summary;
    sum.outcome = outcome;
    if (!lastKept_) current_.samples.push_back(last_);
    lastKept_ = true;
    if (outcome == Outcome::kFailed) {
        Sample at = SampleOf(s, current_, Judged::kFailure);
        for (int l = 0; l < kLimits; ++l) {
            sum.failed[l] = Fails(at, static_cast<Limit>(l));
            if (sum.failed[l]) AddMark(current_, MarkAt(Mark::Kind::kFailed, static_cast<Limit>(l), at));
        }
    }
    EndCurrent(outcome != Outcome::kLeft);
}

void FlightRecorder::OnInput(InputKind kind, int x, int y, const FlightState& s) {
    const flightfile::ApproachEdges::Input edge = edges_.AfterInput(s);
    if (edge.begins) {
        Begin(s);
    } else if (active_) {
        if (current_.inputsSeen < UINT32_MAX) ++current_.inputsSeen;
        if (current_.inputs.size() < kMaxInputs) current_.inputs.push_back({current_.summary.ticks, kind, x, y});
        if (edge.leaves) End(s, Outcome::kLeft);
    }
    edges_.Observe(s);
}

void FlightRecorder::AfterTick(const FlightState& s) {
    const uint32_t ran = edges_.lastState();
    if (active_) {
        Recording& r = current_;
        Summary& sum = r.summary;
        if (sum.ticks < UINT32_MAX) ++sum.ticks;
        if (ran == kStateJudgement) {
            const Sample sample = SampleOf(s, r, JudgedFrom(s.gameState));
            ++sum.judgements;
            bool any = false;
            for (int l = 0; l < kLimits; ++l) {
                const bool w = Warns(sample, static_cast<Limit>(l));
                if (w && !warned_[l]) AddMark(r, MarkAt(Mark::Kind::kWarningBegan, static_cast<Limit>(l), sample));
                warned_[l] = w;
                any = any || w;
            }
            if (any) {
                if (!anyWarned_) {
                    if (r.stretches.size() < kMaxStretches) {
                        r.stretches.push_back({sample.feetToGo, sample.feetToGo, sample.step, sample.step, false, 0});
                    } else {
                        r.stretches.back().cleared = false;  // the last one grows over the rest
                    }
                }
                r.stretches.back().lastFeet = sample.feetToGo;
                r.stretches.back().lastStep = sample.step;
            } else if (anyWarned_ && !r.stretches.back().cleared) {
                r.stretches.back().cleared = true;
                r.stretches.back().clearedFeet = sample.feetToGo;
            }
            anyWarned_ = any;
            if (sample.judged != Judged::kClear) ++sum.secondsWarned;
            UpdateLimits(sum, sample);
            sum.endFeet = sample.feetToGo;
            Decide(r);
            Take(sample);
        }
        if (ran == kStateFlightStep) {
            if (sum.secondsFlown < UINT32_MAX) ++sum.secondsFlown;
            if (s.arrived == 1) {
                Sample at = SampleOf(s, r, Judged::kArrived);
                if (s.distanceFlown > edges_.lastDistanceFlown())
                    at.airspeed = SpeedFromStep(s.distanceFlown - edges_.lastDistanceFlown());
                Take(at);
                sum.endFeet = at.feetToGo;
                Decide(r);
                AddMark(r, MarkAt(Mark::Kind::kArrived, Limit::kAirspeed, at));
                End(s, Outcome::kArrived);
            }
        } else if (ran == kStateFailure) {
            End(s, Outcome::kFailed);
        }
    }
    edges_.Observe(s);
}

}  // namespace recorder
