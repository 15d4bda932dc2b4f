#include "flightfile/Replayer.h"

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>

#include "flightfile/FlightTaker.h"

namespace flightfile {

namespace {

bool InFlight(uint32_t state) {
    return state == kStateCockpit || state == kStateJudgement || state == kStateFailure ||
           state == kStateWarning || state == kStateFlightStep;
}

}  // namespace

// The taker's rule for the end of an approach: left when an input takes the
// game out of flight, arrived or failed by the tick that ran the flight step
// or the failure screen.
void Replayer::Follow(const FlightState& s, bool afterTick) {
    if (!ended_) {
        // SetEnd's values without its hash, which the end does not compare.
        const int64_t d = static_cast<int64_t>(s.runwayDistance) - static_cast<int64_t>(s.distanceFlown);
        end_.endDistance = static_cast<int32_t>(std::clamp<int64_t>(d, INT32_MIN, INT32_MAX));
        end_.endAltitude = s.altitude;
        end_.endAirspeed = s.airspeed;
        if (afterTick && lastState_ == kStateFlightStep && s.arrived == 1) end_.ending = Ending::kArrived, ended_ = true;
        else if (afterTick && lastState_ == kStateFailure) end_.ending = Ending::kFailed, ended_ = true;
        else if (!afterTick && InFlight(lastState_) && !InFlight(s.gameState)) end_.ending = Ending::kLeft, ended_ = true;
    }
    lastState_ = s.gameState;
}

void Replayer::Begin(ReplayTarget& target) {
    target.Restore(flight_.start, flight_.randState, flight_.timerRunning);
    status_ = Status::kPlaying;
    tick_ = 0;
    nextInput_ = 0;
    firstLastInput_ = 0;
    lastState_ = flight_.start.gameState;
    ended_ = false;
    end_ = Flight{};
    end_.ending = Ending::kFlying;
    SetEnd(end_, flight_.start);
}

void Replayer::DeliverDue(ReplayTarget& target) {
    while (nextInput_ < flight_.inputs.size() && flight_.inputs[nextInput_].tick == tick_) {
        const Input& in = flight_.inputs[nextInput_++];
        target.DeliverInput(in);
        Follow(target.Record(), false);
    }
}

Replayer::Status Replayer::Diverge(uint32_t tick, std::string why) {
    divergedTick_ = tick;
    divergence_ = std::move(why);
    return status_ = Status::kDiverged;
}

Replayer::Status Replayer::Finish(ReplayTarget& target) {
    DeliverDue(target);  // the inputs after the last tick
    const uint64_t h = RecordHash(target.Record());
    if (h != flight_.finalHash) {
        char text[96];
        std::snprintf(text, sizeof text, "the final record differs (hash %016" PRIx64 ", the flight's %016" PRIx64 ")",
                      h, flight_.finalHash);
        return Diverge(tick_, text);
    }
    // The lines that say how it began and ended must say what was replayed.
    if (flight_.fromRestart && flight_.start.restartLamp != kRestartLampLit) {
        return Diverge(tick_, "the flight's 'start' line says restart, but its record was not begun by the restart switch");
    }
    if (end_.ending != flight_.ending || end_.endDistance != flight_.endDistance ||
        end_.endAltitude != flight_.endAltitude || end_.endAirspeed != flight_.endAirspeed) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "the flight's 'end' line says %s distance=%d altitude=%d airspeed=%u; the replay ended %s "
                      "distance=%d altitude=%d airspeed=%u",
                      EndingName(flight_.ending), flight_.endDistance, flight_.endAltitude, flight_.endAirspeed,
                      EndingName(end_.ending), end_.endDistance, end_.endAltitude, end_.endAirspeed);
        return Diverge(tick_, text);
    }
    return status_ = Status::kMatched;
}

Replayer::Status Replayer::Step(ReplayTarget& target) {
    if (status_ != Status::kPlaying) return status_;
    firstLastInput_ = nextInput_;
    if (tick_ >= flight_.ticks) return Finish(target);
    DeliverDue(target);
    const uint32_t tick = tick_ + 1;
    if (!target.TimerRunning()) {
        return Diverge(tick, "the timer is stopped where the flight had a tick");
    }
    target.DeliverTick();
    Follow(target.Record(), true);
    tick_ = tick;
    const uint32_t c = Checkpoint(target.Record());
    if (tick_ - 1 < flight_.checkpoints.size() && c != flight_.checkpoints[tick_ - 1]) {
        char text[96];
        std::snprintf(text, sizeof text, "the record after it differs (checkpoint %08" PRIx32 ", the flight's %08" PRIx32 ")",
                      c, flight_.checkpoints[tick_ - 1]);
        return Diverge(tick, text);
    }
    // The last tick: the inputs after it and the final record follow at once
    // (the game has often stopped its timer by then, so no tick would come).
    if (tick_ >= flight_.ticks) return Finish(target);
    return status_;
}

Replayer::Status Replayer::Run(ReplayTarget& target) {
    while (Step(target) == Status::kPlaying) {
    }
    return status_;
}

}  // namespace flightfile
