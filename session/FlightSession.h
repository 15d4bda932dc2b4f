// One flight session, the same for every host: the view on its host, the
// input path (clicks, and keys or buttons through the key map), the flight
// taker that keeps approaches as flight files, the recorder that keeps them
// for the debrief, and the replay of a flight file, which both follow as if
// the player flew it. Finished approaches are handed to whoever keeps the
// logbook. Nothing of a window, a clock or a file system is in here: the
// host (headless, desktop, web, or a quiet one for a debrief) brings those.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "flightfile/FlightFile.h"
#include "flightfile/FlightTaker.h"
#include "flightfile/Replayer.h"
#include "game/AveluneView.h"
#include "game/GameHost.h"
#include "keymap/Keymap.h"
#include "logbook/Logbook.h"
#include "recorder/FlightRecorder.h"

namespace session {

using InputKind = flightfile::InputKind;

// What the session needs of its host besides the game's seam: timer 1's
// state and the runtime generator's, as a flight file keeps them.
class SessionHost : public GameHost {
public:
    virtual bool TimerRunning() const = 0;
    virtual uint32_t RandState() const = 0;
    virtual void SetRandState(uint32_t state) = 0;
};

class FlightSession {
public:
    // Builds the view on `host` from `atlas` and creates it (OnCreate starts
    // the timer). The host outlives the session.
    FlightSession(SessionHost& host, std::unique_ptr<CDibImage> atlas);
    ~FlightSession();  // OnDestroy: the timer stops before the view goes
    FlightSession(const FlightSession&) = delete;
    FlightSession& operator=(const FlightSession&) = delete;

    // One timer tick, if timer 1 runs: the game's, or the watched flight's
    // next (Watching() then decides).
    void Tick();
    // The player's mouse, at a game pixel. While a flight is watched the
    // flight has the controls, and the player's input is dropped.
    void Input(InputKind kind, int x, int y);
    // A key or button of the map going down or up: a press or release at its
    // control's centre, exactly as a click there. False when it acts on
    // nothing here.
    bool KeyDown(keymap::Device device, std::string_view name);
    bool KeyUp(keymap::Device device, std::string_view name);
    // Lets every held key and button go (the window lost the keyboard).
    void ReleaseKeys();
    void SetKeymap(const keymap::Keymap& map) { keys_ = map; }
    const keymap::Keymap& keymap() const { return keys_; }
    // The control a key or button stands for in the view's present modes.
    std::optional<size_t> ControlFor(keymap::Device device, std::string_view name) const;

    // Watching a flight file: its snapshot restored now, then each Tick()
    // moves it on a tick (Step() too, Run() to its end). The taker and the
    // recorder follow it; TakeOver() hands the game to the player there.
    void Watch(flightfile::Flight flight);
    flightfile::Replayer::Status Step();
    flightfile::Replayer::Status Run();
    void TakeOver() {
        watching_ = false;
        taker_.TakeOver();
        recorder_.TakeOver();
    }
    // The watch closed while the flight plays: the game goes on from there,
    // but the approach stays the watched one's, kept out of the logbook (the
    // player did not take it over).
    void CloseWatch() { watching_ = false; }
    // Replays a flight through a replayer of the caller's, to its end or
    // where it goes its own way (the caller reads the replayer after).
    flightfile::Replayer::Status Replay(flightfile::Replayer& replayer);
    bool Watching() const { return replayer_ != nullptr && watching_; }
    const flightfile::Replayer* replayer() const { return replayer_.get(); }
    void StopWatching();

    // Finished approaches the player flew (not watched ones, but ones taken
    // over), with the recorder's account of each: for the logbook.
    using ApproachEnded = std::function<void(const flightfile::Flight&, const recorder::Recording*)>;
    void OnApproachEnded(ApproachEnded handler) { approachEnded_ = std::move(handler); }
    // Every input the watched flight delivers (for marks over the picture).
    using ReplayedInput = std::function<void(const flightfile::Input&)>;
    void OnReplayedInput(ReplayedInput handler) { replayedInput_ = std::move(handler); }

    CAveluneView& view() { return *view_; }
    const CAveluneView& view() const { return *view_; }
    SessionHost& host() { return host_; }
    flightfile::FlightTaker& flights() { return taker_; }
    const flightfile::FlightTaker& flights() const { return taker_; }
    const recorder::FlightRecorder& recorder() const { return recorder_; }

private:
    class Target;
    void Deliver(InputKind kind, int x, int y);
    void AfterTick();
    // After a snapshot is restored: the game palette, and the cockpit the
    // snapshot shows.
    void ShowRestored();

    SessionHost& host_;
    std::unique_ptr<CAveluneView> view_;
    flightfile::FlightTaker taker_;
    recorder::FlightRecorder recorder_;
    keymap::Keymap keys_ = keymap::Keymap::Defaults();
    keymap::HeldInputs held_;
    uint32_t endedSeen_ = 0;
    std::unique_ptr<Target> target_;
    std::unique_ptr<flightfile::Replayer> replayer_;
    bool watching_ = false;
    ApproachEnded approachEnded_;
    ReplayedInput replayedInput_;
};

// The logbook's figures of a finished approach: the recorder's margins,
// warnings and verdict, and the debrief's score and grade.
logbook::Figures LogbookFigures(const recorder::Recording& recording);

// Replays `flight` in a session of its own on a host nobody sees, with the
// recorder following it, and gives the recorder's account of its approach:
// the debrief of a saved flight. False with `error` when the replay does not
// reach the flight's end.
bool RecordFlight(const flightfile::Flight& flight, std::unique_ptr<CDibImage> atlas, recorder::Recording& out,
                  std::string& error);

}  // namespace session
