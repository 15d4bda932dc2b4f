#include "flightfile/FlightTaker.h"

#include <algorithm>
#include <cstdlib>

namespace flightfile {

namespace {

constexpr uint32_t kMaxTakenTicks = 1u << 24;
constexpr size_t kMaxTakenInputs = 1u << 22;

}  // namespace

void SetEnd(Flight& flight, const FlightState& s) {
    const int64_t d = static_cast<int64_t>(s.runwayDistance) - static_cast<int64_t>(s.distanceFlown);
    flight.endDistance = static_cast<int32_t>(std::clamp<int64_t>(d, INT32_MIN, INT32_MAX));
    flight.endAltitude = s.altitude;
    flight.endAirspeed = s.airspeed;
    flight.finalHash = RecordHash(s);
}

void FlightTaker::Begin(const FlightState& s, bool fromRestart, uint32_t randState, bool timerRunning) {
    BeginCurrent();
    current_.gameVersion = GameVersion();
    current_.atlasHash = atlasHash_;
    current_.fromRestart = fromRestart;
    current_.randState = randState;
    current_.timerRunning = timerRunning;
    current_.start = s;
    SetEnd(current_, s);
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
    edges_.Observe(flight.start);
}

void FlightTaker::End(const FlightState& s, Ending ending) {
    current_.ending = ending;
    SetEnd(current_, s);
    endedReplayed_ = currentReplayed_;
    EndCurrent(ending != Ending::kLeft);
}

void FlightTaker::OnInput(InputKind kind, int x, int y, const FlightState& s, uint32_t randState, bool timerRunning) {
    const ApproachEdges::Input edge = edges_.AfterInput(s);
    if (edge.begins) {
        // The input that began it is in the snapshot.
        Begin(s, edge.restarted, randState, timerRunning);
    } else if (active_) {
        if (current_.inputs.size() >= kMaxTakenInputs) {
            overflowed_ = true;
            active_ = false;
        } else {
            current_.inputs.push_back({current_.ticks, kind, x, y});
            SetEnd(current_, s);
            if (edge.leaves) End(s, Ending::kLeft);
        }
    }
    edges_.Observe(s);
}

void FlightTaker::AfterTick(const FlightState& s) {
    const uint32_t ran = edges_.lastState();
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
    edges_.Observe(s);
}

}  // namespace flightfile
