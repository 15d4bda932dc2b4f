// What the flight taker and the flight recorder share: where an approach
// begins and ends, read from the record after each input and tick, and the
// approach in flight kept beside the latest one that ended.
//
// An approach begins when an input takes the game into a flight state (the
// start button) or writes the set-up values in flight (the restart switch);
// an input ends it by leaving the flight states (the page switch), a tick by
// the state it ran (the arrival, the failure screen).
#pragma once

#include <cstdint>
#include <utility>

#include "game/FlightState.h"

namespace flightfile {

class ApproachEdges {
public:
    struct Input {
        bool begins = false;     // an approach begins with the record after the input
        bool restarted = false;  // ... by the restart switch, in flight
        bool leaves = false;     // the input took the game out of the flight states
    };
    // What an input did, from the record after it.
    Input AfterInput(const FlightState& s) const;
    // The state before the latest input or tick: after a tick, the state it ran.
    uint32_t lastState() const { return lastState_; }
    uint32_t lastDistanceFlown() const { return lastDistanceFlown_; }
    // Keeps what the next input or tick is compared with.
    void Observe(const FlightState& s);

private:
    uint32_t lastState_ = 0;
    uint32_t lastDistanceFlown_ = 0;
    uint32_t lastFuel_ = 0;
};

// The approach being flown, if one is, and the latest one that ended.
template <typename Approach>
class Approaches {
public:
    // The approach in flight, as far as it has gone; null when none is.
    const Approach* current() const { return active_ ? &current_ : nullptr; }
    // The latest approach that arrived, failed or was left; null before one.
    const Approach* latestEnded() const { return hasEnded_ ? &ended_ : nullptr; }
    // The latest ended approach, else the one in flight; null before one.
    const Approach* Latest() const { return hasEnded_ ? &ended_ : current(); }
    // Approaches that arrived or failed since the session began (a host
    // compares it to see a new one).
    uint32_t approachesEnded() const { return approachesEnded_; }

protected:
    // A fresh approach in flight.
    Approach& BeginCurrent() {
        current_ = Approach{};
        active_ = true;
        return current_;
    }
    // The approach in flight becomes the latest ended; `counted` when it
    // arrived or failed.
    void EndCurrent(bool counted) {
        ended_ = std::move(current_);
        current_ = Approach{};
        hasEnded_ = true;
        active_ = false;
        if (counted) ++approachesEnded_;
    }

    bool active_ = false;
    Approach current_;

private:
    bool hasEnded_ = false;
    Approach ended_;
    uint32_t approachesEnded_ = 0;
};

}  // namespace flightfile
