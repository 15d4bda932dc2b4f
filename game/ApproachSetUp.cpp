// The two set-ups that put the aircraft at the start of the approach.
#include "game/AveluneView.h"

namespace {

// Where every approach begins: 47320 ft from the threshold, 3202 ft up, on
// the centre line, power 25 and the nose 10 steps down, a full tank, the
// attitude picture level and the outside view shown.
struct ApproachStart {
    uint32_t fuel;
    uint32_t runwayDistance;
    int32_t altitude;
    uint32_t power;
    int16_t pitch;
    uint32_t horizonRow;
    int32_t horizonColumn;
    int32_t headingOffset;
    int32_t turnRate;
    int32_t sinkRate;
    int16_t lateralOffset;
    int16_t glideSlopeBarY;
    uint32_t outsideViewSwitch;
    uint32_t arrived;

    void WriteTo(FlightState& s) const {
        s.fuel = fuel;
        s.runwayDistance = runwayDistance;
        s.altitude = altitude;
        s.power = power;
        s.pitch = pitch;
        s.horizonRow = horizonRow;
        s.horizonColumn = horizonColumn;
        s.headingOffset = headingOffset;
        s.turnRate = turnRate;
        s.sinkRate = sinkRate;
        s.lateralOffset = lateralOffset;
        s.glideSlopeBarY = glideSlopeBarY;
        s.outsideViewSwitch = outsideViewSwitch;
        s.arrived = arrived;
    }
};

constexpr ApproachStart kApproachStart{
    .fuel = 50000,
    .runwayDistance = 47320,
    .altitude = 3202,
    .power = 25,
    .pitch = -10,
    .horizonRow = 109,
    .horizonColumn = 0,
    .headingOffset = 0,
    .turnRate = 0,
    .sinkRate = 0,
    .lateralOffset = 50,
    .glideSlopeBarY = 232,
    .outsideViewSwitch = kOutsideViewShown,
    .arrived = 0,
};

// A restart flies on at this speed.
constexpr uint32_t kRestartAirspeed = 150;

}  // namespace

// Written on every tick of the title animation, so the values stand ready
// whenever the start button is released. Airspeed, distance flown, bank and
// the switches keep what the last approach left.
void CAveluneView::NewFlightSetUp() { kApproachStart.WriteTo(*this); }

// The cockpit's restart switch: back to the start of the approach at 150 mph.
// gameState, the heading, the engine pointers and the other switches stay.
void CAveluneView::RestartApproach() {
    restartLamp = kRestartLampPushed;
    restartLamp = kRestartLampLit;
    kApproachStart.WriteTo(*this);
    sceneryColumn = 0;
    airspeed = kRestartAirspeed;
    distanceFlown = 0;
    bank = 0;
}
