// The flight taker: keeps, for the approach being flown and for the latest
// one that ended, what a flight file needs: the snapshot at its start, every
// input, a checkpoint after every tick and the record at the end.
//
// Like the flight recorder it only observes: a host calls OnInput after each
// mouse handler and AfterTick after each tick it delivered, with the host's
// generator state and timer. An approach begins when an input takes the game
// into a flight state (the start button) or writes the set-up values in
// flight (the restart switch); it ends after the flight step that arrived,
// after the failure screen's tick, or when an input leaves the flight
// states (the page switch). A replay begins one from a saved snapshot.
#pragma once

#include <cstdint>
#include <optional>

#include "flightfile/FlightFile.h"

namespace flightfile {

class FlightTaker {
public:
    // The atlas the session plays with, written into every flight.
    void SetAtlasHash(uint64_t hash) { atlasHash_ = hash; }

    void OnInput(InputKind kind, int x, int y, const FlightState& s, uint32_t randState, bool timerRunning);
    void AfterTick(const FlightState& s);
    // A replay restored `flight`'s snapshot: an approach begins there, marked
    // as replayed.
    void BeginFromSnapshot(const Flight& flight);
    // The player took over the replayed approach in flight: from here it is
    // theirs, and counts as flown when it ends.
    void TakeOver() { currentReplayed_ = false; }

    // The approach in flight, as far as it has gone; null when none is.
    const Flight* current() const { return active_ ? &current_ : nullptr; }
    // The latest approach that arrived, failed or was left; null before one.
    const Flight* latestEnded() const { return hasEnded_ ? &ended_ : nullptr; }
    // What a save takes: the latest ended approach, else the one in flight.
    const Flight* ToSave() const { return hasEnded_ ? &ended_ : current(); }
    // Whether that approach began with a replay.
    bool latestEndedReplayed() const { return endedReplayed_; }
    // Approaches that have ended, arrived or failed, since the session began
    // (a host compares it to see a new one).
    uint32_t approachesEnded() const { return approachesEnded_; }
    // The approach outgrew what a flight file holds; it is not kept.
    bool overflowed() const { return overflowed_; }

private:
    void Begin(const FlightState& s, bool fromRestart, uint32_t randState, bool timerRunning);
    void End(const FlightState& s, Ending ending);
    void Observe(const FlightState& s);

    uint64_t atlasHash_ = 0;
    bool active_ = false;
    bool currentReplayed_ = false;
    Flight current_;
    bool hasEnded_ = false;
    bool endedReplayed_ = false;
    Flight ended_;
    uint32_t approachesEnded_ = 0;
    bool overflowed_ = false;
    uint32_t lastState_ = 0;
    uint32_t lastDistanceFlown_ = 0;
    uint32_t lastFuel_ = 0;
};

// Fills the end of a flight from the record it stopped at.
void SetEnd(Flight& flight, const FlightState& s);

}  // namespace flightfile
