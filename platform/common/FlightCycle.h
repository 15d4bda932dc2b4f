// One flight cycle, timed by the native benchmarks (bench/) and by the web
// page's own measure (avelune_bench_cycles), so that both time the very same
// work. It stands in the host layer, below the hosts and the benchmarks both.
#pragma once

#include "game/AveluneView.h"
#include "game/FlightState.h"

#include <vector>

// Mid-approach: the new-flight values flown for two minutes, all switches set.
inline void MidApproach(FlightState& s) {
    s.power = 25;
    s.fuel = 47000;
    s.altitude = 1900;
    s.previousAltitude = 1915;
    s.airspeed = 150;
    s.airspeedFrame = 34;
    s.distanceFlown = 26400;
    s.runwayDistance = 47320;
    s.distanceToGo = 396;
    s.lateralOffset = 47;
    s.localizerNeedle = 47;
    s.glideSlopeBarY = 240;
    s.glideSlopeError = 44;
    s.glideSlopeDeviation = 6;
    s.pitch = -10;
    s.horizonRow = 109;
    s.horizonColumn = -1;
    s.bank = 1;
    s.headingOffset = -3;
    s.turnRate = 1;
    s.compassHeading = 91;
    s.climbRate = 15;
    s.dragSwitch = kDragOff;
    s.liftSwitch = kLiftOff;
    s.turbulenceSwitch = kTurbulenceOff;
    s.outsideViewSwitch = kOutsideViewShown;
    s.pageSwitch = kPageOff;
    s.restartLamp = kRestartLampLit;
    s.pressMode = kModeCockpit;
    s.releaseMode = kModeCockpit;
}

// One simulated second from `start`: the flight step (state 10), the cockpit
// picture (state 4) and the judgement (state 6), each one tick.
inline void FlyCycle(CAveluneView& view, const FlightState& start) {
    static_cast<FlightState&>(view) = start;
    view.gameState = kStateFlightStep;
    view.OnTimer();
    view.OnTimer();
    view.OnTimer();
}

// `count` consecutive simulated seconds from `start`, flown with no hand on
// the controls: the records a cockpit picture meets in play, each second's
// instruments a little on from the last. The judgement's verdict is not
// acted on (the mid-approach record is judged off its glide slope): the
// record flies on.
inline std::vector<FlightState> FlownSeconds(CAveluneView& view, const FlightState& start, size_t count) {
    std::vector<FlightState> seconds;
    FlightState s = start;
    while (seconds.size() < count) {
        seconds.push_back(s);
        FlyCycle(view, s);
        s = static_cast<const FlightState&>(view);
    }
    return seconds;
}
