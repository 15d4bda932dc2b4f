// A game running on the headless host, driven event by event as a player's
// session would be: the view is created with the timer running, and each
// timer period delivers one tick while the timer runs. The flight session
// (session/FlightSession) does the work; this keeps the host beside it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "flightfile/FlightTaker.h"
#include "flightfile/Replayer.h"
#include "game/AveluneView.h"
#include "platform/headless/HeadlessHost.h"
#include "recorder/FlightRecorder.h"
#include "session/FlightSession.h"

class HeadlessSession {
public:
    // Takes an atlas that can serve; creates the view (OnCreate starts the timer).
    explicit HeadlessSession(std::unique_ptr<CDibImage> atlas, int surfaceOrientation = kTopDown);

    // n timer periods pass; each delivers one tick if the timer runs then.
    void Tick(int n = 1);
    void Press(int x, int y) { session_.Input(session::InputKind::kPress, x, y); }
    void Release(int x, int y) { session_.Input(session::InputKind::kRelease, x, y); }
    // A press and its release at one place, as a quick click.
    void Click(int x, int y) { Press(x, y); Release(x, y); }
    void Move(int x, int y) { session_.Input(session::InputKind::kMove, x, y); }
    // A key of the default map goes down or comes up: a press or release at
    // its control's centre, exactly as a click there. Key() is both at once.
    void KeyDown(std::string_view name) { session_.KeyDown(keymap::Device::kKey, name); }
    void KeyUp(std::string_view name) { session_.KeyUp(keymap::Device::kKey, name); }
    void Key(std::string_view name) {
        KeyDown(name);
        KeyUp(name);
    }

    // The flight state record as one JSON line, plus timerRunning and quit.
    std::string StateJson() const;

    CAveluneView& view() { return session_.view(); }
    HeadlessHost& host() { return host_; }
    session::FlightSession& session() { return session_; }

    // The approaches as flight files see them.
    flightfile::FlightTaker& flights() { return session_.flights(); }
    // The approaches as the debrief sees them.
    const recorder::FlightRecorder& recorder() const { return session_.recorder(); }
    // Replays a flight from its snapshot; the taker follows it, so the
    // replayed approach can be saved again.
    flightfile::Replayer::Status Replay(flightfile::Replayer& replayer) { return session_.Replay(replayer); }

private:
    HeadlessHost host_;
    session::FlightSession session_;
};
