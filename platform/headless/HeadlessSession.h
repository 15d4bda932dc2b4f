// A game running on the headless host, driven event by event as a player's
// session would be: the view is created with the timer running, and each
// timer period delivers one tick while the timer runs.
#pragma once

#include <memory>
#include <string>

#include "flightfile/FlightTaker.h"
#include "flightfile/Replayer.h"
#include "keymap/Keymap.h"
#include "game/AveluneView.h"
#include "platform/headless/HeadlessHost.h"

class HeadlessSession {
public:
    // Takes an atlas that can serve; creates the view (OnCreate starts the timer).
    explicit HeadlessSession(std::unique_ptr<CDibImage> atlas, int surfaceOrientation = kTopDown);
    ~HeadlessSession();  // OnDestroy: the timer stops before the view goes

    // n timer periods pass; each delivers one tick if the timer runs then.
    void Tick(int n = 1);
    void Press(int x, int y);
    void Release(int x, int y);
    void Move(int x, int y);
    // A key of the default map goes down or comes up: a press or release at
    // its control's centre, exactly as a click there. Key() is both at once.
    void KeyDown(std::string_view name);
    void KeyUp(std::string_view name);
    void Key(std::string_view name);

    // The flight state record as one JSON line, plus timerRunning and quit.
    std::string StateJson() const;

    CAveluneView& view() { return *view_; }
    HeadlessHost& host() { return host_; }

    // The approaches as flight files see them.
    flightfile::FlightTaker& flights() { return flights_; }
    // Replays a flight from its snapshot; the taker follows it, so the
    // replayed approach can be saved again.
    flightfile::Replayer::Status Replay(flightfile::Replayer& replayer);

private:
    class ReplayAdapter;
    void Input(flightfile::InputKind kind, int x, int y);

    HeadlessHost host_;
    std::unique_ptr<CAveluneView> view_;
    flightfile::FlightTaker flights_;
    keymap::Keymap keys_ = keymap::Keymap::Defaults();
    keymap::HeldInputs held_;
};
