// A headless host that also keeps the order of what the game asked of it,
// and can hand out chosen `rand` values.
//
// The result screens, the title screens and the mouse handlers are defined
// by the order of their palette realisations, surface copies (with their
// sizes) and timer calls, so the tests compare that order as a list of words.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/headless/HeadlessHost.h"
#include "tests/TestAtlas.h"

class RecordingHost : public HeadlessHost {
public:
    void RearmTimer(uint32_t periodMs) override {
        calls.push_back("rearm " + std::to_string(periodMs));
        HeadlessHost::RearmTimer(periodMs);
    }
    void KillTimer() override {
        calls.push_back("kill");
        HeadlessHost::KillTimer();
    }
    void RealizePalette(const PaletteColors& palette) override {
        calls.push_back("realize");
        HeadlessHost::RealizePalette(palette);
    }
    void ShowSurface(const uint8_t* bits, int orientation, int width, int height) override {
        calls.push_back("show " + std::to_string(width) + "x" + std::to_string(height));
        HeadlessHost::ShowSurface(bits, orientation, width, height);
        if (keepFrames) frames.push_back(WindowPixels());
    }
    // A show of an unchanged surface is a show all the same.
    void ShowSurfaceUnchanged(const uint8_t* bits, int orientation, int width, int height) override {
        calls.push_back("show " + std::to_string(width) + "x" + std::to_string(height));
        HeadlessHost::ShowSurfaceUnchanged(bits, orientation, width, height);
        if (keepFrames) frames.push_back(WindowPixels());
    }
    void ShowSurfaceRows(const uint8_t* bits, int orientation, int width, int height, const SurfaceRows& rows) override {
        calls.push_back("show " + std::to_string(width) + "x" + std::to_string(height));
        HeadlessHost::ShowSurfaceRows(bits, orientation, width, height, rows);
        if (keepFrames) frames.push_back(WindowPixels());
    }
    void PostQuit() override {
        calls.push_back("quit");
        HeadlessHost::PostQuit();
    }
    // The queued values first, then the host's own generator.
    int Rand() override {
        ++randCalls;
        if (!randValues.empty()) {
            const int v = randValues.front();
            randValues.pop_front();
            return v;
        }
        return HeadlessHost::Rand();
    }

    // Count of one kind of call ("realize", "show 640x480", "kill" ...).
    int Count(const std::string& call) const {
        int n = 0;
        for (const auto& c : calls) n += (c == call);
        return n;
    }

    std::vector<std::string> calls;
    std::deque<int> randValues;
    bool keepFrames = false;                  // keep the window picture of every show
    std::vector<std::vector<uint8_t>> frames; // top-down, 640 wide
    int randCalls = 0;
};

// A view on the synthetic atlas over a recording host.
struct RecordedView {
    RecordingHost host;
    std::unique_ptr<CAveluneView> view = MakeTestView(host);
    CAveluneView& operator*() { return *view; }
    CAveluneView* operator->() { return view.get(); }
};

// The same, its host keeping the window picture of every show (host.frames).
struct FramesView : RecordedView {
    FramesView() { host.keepFrames = true; }
};

// The judgement (state 6) of these readings, the switches as they are.
inline void Judge(RecordedView& v, uint32_t airspeed, int16_t needle, int16_t deviation) {
    v->gameState = kStateJudgement;
    v->airspeed = airspeed;
    v->localizerNeedle = needle;
    v->glideSlopeDeviation = deviation;
    v->JudgeApproach();
}

// Presentation of the whole surface, as the handlers and results make it.
inline const std::vector<std::string> kPresent{"realize", "show 640x480"};

// Joined lists of calls, for readable expectations.
inline std::vector<std::string> Calls(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// True if every pixel of the sprite that its key does not leave out lies at
// its place in a picture (the synthetic atlas is AtlasPattern).
template <typename PixelAt>
::testing::AssertionResult HoldsSprite(PixelAt pixelAt, const Placed& p) {
    const Sprite& s = p.sprite;
    for (int j = 0; j < s.height; ++j) {
        for (int i = 0; i < s.width; ++i) {
            const uint8_t want = AtlasPattern(s.x + i, s.y + j);
            if (s.key != kOpaque && want == s.key) continue;
            const uint8_t got = pixelAt(p.x + i, p.y + j);
            if (got != want) {
                return ::testing::AssertionFailure()
                       << "at (" << p.x + i << ", " << p.y + j << ") found " << int(got) << ", sprite "
                       << int(want) << " from atlas (" << s.x + i << ", " << s.y + j << ")";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The sprite on the surface.
inline ::testing::AssertionResult ShowsSprite(const CAveluneView& v, const Placed& p) {
    return HoldsSprite([&](int x, int y) { return v.PixelAt(x, y); }, p);
}
// The sprite in a kept window frame.
inline ::testing::AssertionResult FrameShowsSprite(const std::vector<uint8_t>& frame, const Placed& p) {
    return HoldsSprite([&](int x, int y) { return frame[static_cast<size_t>(y) * kSurfaceWidth + x]; }, p);
}
// The sprite in the window as it stands.
inline ::testing::AssertionResult WindowShowsSprite(const HeadlessHost& h, const Placed& p) {
    return HoldsSprite([&](int x, int y) { return h.WindowPixel(x, y); }, p);
}

// The members whose values differ between two records, as "name a -> b".
inline std::string RecordDiff(const FlightState& a, const FlightState& b) {
    std::string out;
#define AVELUNE_DIFF_MEMBER(type, name)                                                          \
    if (a.name != b.name) {                                                                      \
        out += std::string(" " #name " ") + std::to_string(a.name) + " -> " + std::to_string(b.name); \
    }
    AVELUNE_FLIGHT_STATE_MEMBERS(AVELUNE_DIFF_MEMBER)
#undef AVELUNE_DIFF_MEMBER
    return out;
}
