// The flight taker: keeps, for the approach being flown and for the latest
// one that ended, what a flight file needs: the snapshot at its start, every
// input, a checkpoint after every tick and the record at the end.
//
// Like the flight recorder it only observes: a host calls OnInput after each
// mouse handler and AfterTick after each tick it delivered, with the host's
// generator state and timer. Its approaches begin and end as the recorder's
// do (flightfile/Approaches.h): an approach ends after the flight step that
// arrived, after the failure screen's tick, or when an input leaves the
// flight states. A replay begins one from a saved snapshot.
#pragma once

#include <cstdint>
#include <optional>

#include "flightfile/Approaches.h"
#include "flightfile/FlightFile.h"

namespace flightfile {

// current(), latestEnded() and approachesEnded() come from Approaches.
class FlightTaker : public Approaches<Flight> {
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

    // What a save takes: the latest ended approach, else the one in flight.
    const Flight* ToSave() const { return Latest(); }
    // Whether the latest ended approach began with a replay.
    bool latestEndedReplayed() const { return endedReplayed_; }
    // The approach outgrew what a flight file holds; it is not kept.
    bool overflowed() const { return overflowed_; }

private:
    void Begin(const FlightState& s, bool fromRestart, uint32_t randState, bool timerRunning);
    void End(const FlightState& s, Ending ending);

    uint64_t atlasHash_ = 0;
    bool currentReplayed_ = false;
    bool endedReplayed_ = false;
    bool overflowed_ = false;
    ApproachEdges edges_;
};

// Fills the end of a flight from the record it stopped at.
void SetEnd(Flight& flight, const FlightState& s);

}  // namespace flightfile
