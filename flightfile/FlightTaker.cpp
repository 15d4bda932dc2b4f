#include "flightfile/FlightTaker.h"

#include <algorithm>
#include <cstdlib>

namespace flightfile {

namespace {

constexpr uint32_t kFullTank = 50000;        // both set-ups fill the tank
constexpr uint32_t kMaxTakenTicks = 1u << 24;
constexpr size_t kMaxTakenInputs = 1u << 22;

bool InFlight(uint32_t state) {
    return state == kStateCockpit || state == kStateJudgement || state == kStateFailure ||
           state == kStateWarning || state == kStateFlightStep;
}

}  // namespace

void SetEnd(Flight& flight, const FlightState& s) {
    const int64_t d = static_cast<int64_t>(s.runwayDistance) - static_cast<int64_t>(s.distanceFlown);
    flight.endDistance = static_cast<int32_t>(std::clamp<int64_t>(d, INT32_MIN, INT32_MAX));
    flight.endAltitude = s.altitude;
    flight.endAirspeed = s.airspeed;
    flight.finalHash = RecordHash(s);
}

void FlightTaker::Observe(const FlightState& s) {
    lastState_ = s.gameState;
    lastDistanceFlown_ = s.distanceFlown;
    lastFuel_ = s.fuel;
}

void FlightTaker::Begin(const FlightState& s, bool fromRestart, uint32_t randState, bool timerRunning) {
    current_ = Flight{};
    current_.gameVersion = GameVersion();
    current_.atlasHash = atlasHash_;
    current_.fromRestart = fromRestart;
    current_.randState = randState;
    current_.timerRunning = timerRunning;
    current_.start = s;
    SetEnd(current_, s);
    active_ = true;
    currentReplayed_ = false;
    overflowed_ = false;
}

void FlightTaker::BeginFromSnapshot(const Flight& flight) {
    Begin(flight.start, flight.fromRestart, flight.randState, flight.timerRunning);
    // The replay takes the flight again: room for all of it at once, so a
    // long one costs its size once more, not twice that while it grows.
    current_.inputs.reserve(std::min(flight.inputs.size(), kMaxTakenInputs));
    current_.checkpoints.reserve(std::min<size_t>(flight.checkpoints.size(), kMaxTakenTicks));
    current_.atlasHash = flight.atlasHash;
    currentReplayed_ = true;
    Observe(flight.start);
}

void FlightTaker::End(const FlightState& s, Ending ending) {
    current_.ending = ending;
    SetEnd(current_, s);
    ended_ = std::move(current_);
    current_ = Flight{};
    hasEnded_ = true;
    endedReplayed_ = currentReplayed_;
    active_ = false;
    if (ending != Ending::kLeft) ++approachesEnded_;
}

void FlightTaker::OnInput(InputKind kind, int x, int y, const FlightState& s, uint32_t randState, bool timerRunning) {
    const bool wasFlying = InFlight(lastState_);
    const bool flying = InFlight(s.gameState);
    const bool setUp = s.distanceFlown < lastDistanceFlown_ || (s.fuel == kFullTank && lastFuel_ != kFullTank);
    if (flying && (!wasFlying || setUp)) {
        // The input that began it is in the snapshot.
        Begin(s, wasFlying, randState, timerRunning);
    } else if (active_) {
        if (current_.inputs.size() >= kMaxTakenInputs) {
            overflowed_ = true;
            active_ = false;
        } else {
            current_.inputs.push_back({current_.ticks, kind, x, y});
            SetEnd(current_, s);
            if (wasFlying && !flying) End(s, Ending::kLeft);
        }
    }
    Observe(s);
}

void FlightTaker::AfterTick(const FlightState& s) {
    const uint32_t ran = lastState_;
    if (active_) {
        if (current_.ticks >= kMaxTakenTicks) {
            overflowed_ = true;
            active_ = false;
        } else {
            ++current_.ticks;
            current_.checkpoints.push_back(Checkpoint(s));
            SetEnd(current_, s);
            if (ran == kStateJudgement) {
                current_.maxAirspeed = std::max(current_.maxAirspeed, s.airspeed);
                current_.maxNeedleOffset = std::max(current_.maxNeedleOffset, std::abs(s.localizerNeedle - 50));
                current_.maxGlideSlopeDeviation = std::max<int>(current_.maxGlideSlopeDeviation, s.glideSlopeDeviation);
                if (s.gameState != kStateFlightStep) ++current_.cyclesWarned;
            }
            if (ran == kStateFlightStep) ++current_.secondsFlown;
            if (ran == kStateFlightStep && s.arrived == 1) End(s, Ending::kArrived);
            else if (ran == kStateFailure) End(s, Ending::kFailed);
        }
    }
    Observe(s);
}

}  // namespace flightfile
