#include "flightfile/Approaches.h"

namespace flightfile {

namespace {

constexpr uint32_t kFullTank = 50000;  // both set-ups fill the tank

bool InFlight(uint32_t state) {
    return state == kStateCockpit || state == kStateJudgement || state == kStateFailure ||
           state == kStateWarning || state == kStateFlightStep;
}

}  // namespace

ApproachEdges::Input ApproachEdges::AfterInput(const FlightState& s) const {
    const bool wasFlying = InFlight(lastState_);
    const bool flying = InFlight(s.gameState);
    const bool setUp = s.distanceFlown < lastDistanceFlown_ || (s.fuel == kFullTank && lastFuel_ != kFullTank);
    Input in;
    in.begins = flying && (!wasFlying || setUp);
    in.restarted = in.begins && wasFlying;
    in.leaves = wasFlying && !flying;
    return in;
}

void ApproachEdges::Observe(const FlightState& s) {
    lastState_ = s.gameState;
    lastDistanceFlown_ = s.distanceFlown;
    lastFuel_ = s.fuel;
}

}  // namespace flightfile
