// The two set-ups that put the aircraft at the start of the approach.
#include "game/AveluneView.h"

// Written on every tick of the title animation, so the values stand ready
// whenever the start button is released. Airspeed, distance flown, bank and
// the switches keep what the last approach left.
void CAveluneView::NewFlightSetUp() {
    fuel = 50000;
    horizonRow = 109;
    runwayDistance = 47320;
    horizonColumn = 0;
    turnRate = 0;
    altitude = 3202;
    power = 25;
    headingOffset = 0;
    sinkRate = 0;
    outsideViewSwitch = 7;
    glideSlopeBarY = 232;
    lateralOffset = 50;
    pitch = -10;
    arrived = 0;
}

// The cockpit's restart switch: back to the start of the approach at 150 mph.
// gameState, the heading, the engine pointers and the other switches stay.
void CAveluneView::RestartApproach() {
    restartLamp = 12;
    restartLamp = 11;
    sceneryColumn = 0;
    fuel = 50000;
    horizonColumn = 0;
    horizonRow = 109;
    runwayDistance = 47320;
    altitude = 3202;
    turnRate = 0;
    headingOffset = 0;
    power = 25;
    airspeed = 150;
    distanceFlown = 0;
    sinkRate = 0;
    arrived = 0;
    outsideViewSwitch = 7;
    bank = 0;
    glideSlopeBarY = 232;
    lateralOffset = 50;
    pitch = -10;
}
