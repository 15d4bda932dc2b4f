#include "flightfile/Replayer.h"

#include <cinttypes>
#include <cstdio>

namespace flightfile {

void Replayer::Begin(ReplayTarget& target) {
    target.Restore(flight_.start, flight_.randState, flight_.timerRunning);
    status_ = Status::kPlaying;
    tick_ = 0;
    nextInput_ = 0;
    lastInputs_.clear();
}

void Replayer::DeliverDue(ReplayTarget& target) {
    while (nextInput_ < flight_.inputs.size() && flight_.inputs[nextInput_].tick == tick_) {
        const Input& in = flight_.inputs[nextInput_++];
        target.DeliverInput(in);
        lastInputs_.push_back(in);
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
    return status_ = Status::kMatched;
}

Replayer::Status Replayer::Step(ReplayTarget& target) {
    if (status_ != Status::kPlaying) return status_;
    lastInputs_.clear();
    if (tick_ >= flight_.ticks) return Finish(target);
    DeliverDue(target);
    const uint32_t tick = tick_ + 1;
    if (!target.TimerRunning()) {
        return Diverge(tick, "the timer is stopped where the flight had a tick");
    }
    target.DeliverTick();
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
