// The replayer: plays a flight back into a game, tick for tick, and checks
// every tick's record against the flight's checkpoints.
//
// It reaches the game through a ReplayTarget the host implements (restore
// the record and the generator, set the timer, deliver ticks and inputs), so
// the headless and the desktop host replay through the same steps.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "flightfile/FlightFile.h"

namespace flightfile {

class ReplayTarget {
public:
    virtual ~ReplayTarget() = default;
    // Put the snapshot in place: the view's record, the host's generator and timer 1.
    virtual void Restore(const FlightState& record, uint32_t randState, bool timerRunning) = 0;
    virtual bool TimerRunning() const = 0;
    virtual void DeliverTick() = 0;
    virtual void DeliverInput(const Input& input) = 0;
    virtual const FlightState& Record() const = 0;
};

class Replayer {
public:
    enum class Status { kPlaying, kMatched, kDiverged };

    explicit Replayer(Flight flight) : flight_(std::move(flight)) {}

    // Restores the snapshot into the target.
    void Begin(ReplayTarget& target);
    // Delivers the inputs due before the next tick, then that tick, and
    // checks it; at the end, the inputs after the last tick and the final
    // record. Does nothing once the replay has matched or diverged.
    Status Step(ReplayTarget& target);
    // Steps to the end.
    Status Run(ReplayTarget& target);

    Status status() const { return status_; }
    // Ticks delivered so far.
    uint32_t tick() const { return tick_; }
    // The tick (1 = the first after the snapshot) where the replay first
    // differed from the flight, and how; set once diverged.
    uint32_t divergedTick() const { return divergedTick_; }
    const std::string& divergence() const { return divergence_; }
    // The inputs the last step delivered.
    // (a view of the flight's own: a step may deliver millions at once)
    std::span<const Input> lastInputs() const {
        return std::span<const Input>(flight_.inputs).subspan(firstLastInput_, nextInput_ - firstLastInput_);
    }
    const Flight& flight() const { return flight_; }

private:
    void DeliverDue(ReplayTarget& target);
    Status Finish(ReplayTarget& target);
    Status Diverge(uint32_t tick, std::string why);
    void Follow(const FlightState& s, bool afterTick);

    // How the replayed approach ended, followed as the flight taker does,
    // to be checked against the flight's 'end' line.
    uint32_t lastState_ = 0;
    bool ended_ = false;
    Flight end_;

    Flight flight_;
    Status status_ = Status::kPlaying;
    uint32_t tick_ = 0;
    size_t nextInput_ = 0;
    uint32_t divergedTick_ = 0;
    std::string divergence_;
    size_t firstLastInput_ = 0;
};

}  // namespace flightfile
