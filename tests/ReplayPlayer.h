// Plays one of the scripted approaches of tests/replays into a headless
// session: tick, press, release and move, until the game asks to quit; and
// the recording of the approach one ended with.
#pragma once

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/headless/HeadlessSession.h"
#include "tests/TestAtlas.h"

// `tick`, if given, stands for the session's own ticks (a test that looks at
// every one).
inline void PlayReplayFile(HeadlessSession& session, const std::string& file,
                           const std::function<void(int)>& tick = nullptr) {
    std::ifstream in(std::string(AVELUNE_SOURCE_DIR) + "/tests/replays/" + file);
    for (std::string line; std::getline(in, line) && !session.host().quitRequested();) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string verb;
        int a = 1, b = 0;
        if (!(words >> verb)) continue;
        words >> a >> b;
        if (verb == "tick") tick ? tick(a) : session.Tick(a);
        else if (verb == "press") session.Press(a, b);
        else if (verb == "release") session.Release(a, b);
        else if (verb == "move") session.Move(a, b);
    }
}

// The latest approach that ended when the replay `name`.events was played
// into a fresh session on the test atlas; an empty recording when none did.
inline recorder::Recording Recorded(const std::string& name) {
    HeadlessSession session(MakeTestAtlas());
    PlayReplayFile(session, name + ".events");
    const recorder::Recording* r = session.recorder().latestEnded();
    return r ? *r : recorder::Recording{};
}
