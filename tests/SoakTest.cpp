// A seeded random player: ticks, presses, releases and moves anywhere,
// biased towards the controls that are live, with long runs of one control
// that drive pitch, heading, bank, power and the outside view far out. The
// game's rules that hold whatever the player does are checked after every
// event; under the sanitize preset any read or write outside a buffer, or any
// signed overflow, ends the run as well.
//
// The run in the test suite is 100000 events. A longer one:
//   AVELUNE_SOAK_EVENTS=1000000 AVELUNE_SOAK_SEED=7 build-sanitize/bin/avelune_tests --gtest_filter='Soak.*'
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>

#include "tests/TestAtlas.h"

namespace {

// An inclusive hit rectangle in window pixels.
struct Area {
    int x0, x1, y0, y1;
    const char* name;
};

// clang-format off
// The live controls of each press mode, as the player sees them. Quit
// buttons are left out: the player reaches them only on purpose (Quit below).
constexpr Area kTitleControls[] = {
    {299, 370, 202, 253, "start"},       {420, 451, 221, 253, "page"},
    // Releases on the title screen also test the information page's buttons.
    {181, 253, 376, 409, "back"},        {301, 333, 376, 409, "middle"},     {381, 453, 376, 409, "continue"},
};
constexpr Area kPageControls[] = {
    {181, 253, 376, 409, "back"},        {301, 333, 376, 409, "middle"},     {381, 453, 376, 409, "continue"},
};
constexpr Area kCockpitControls[] = {
    {281, 301, 324, 344, "pad upper left"},  {305, 325, 324, 344, "pad up"},    {329, 349, 324, 344, "pad upper right"},
    {281, 301, 348, 368, "pad left"},        {305, 325, 348, 368, "pad centre"},{329, 349, 348, 368, "pad right"},
    {281, 301, 372, 392, "pad lower left"},  {305, 325, 372, 394, "pad down"},  {329, 349, 372, 392, "pad lower right"},
    {246, 278, 395, 409, "left pedal"},      {352, 384, 395, 409, "right pedal"},
    {364, 384, 321, 330, "full power"},      {364, 384, 333, 351, "power up"},
    {364, 384, 357, 375, "power down"},      {364, 384, 378, 389, "idle power"},
    {35, 57, 340, 363, "drag on"},           {35, 57, 366, 375, "drag off"},
    {35, 57, 378, 399, "lift on"},           {35, 57, 401, 424, "lift off"},
    {155, 177, 340, 363, "turbulence on"},   {155, 177, 366, 375, "turbulence off"},
    {155, 177, 378, 399, "view off"},        {155, 177, 401, 424, "view on"},
    {414, 436, 378, 399, "page switch on"},  {414, 436, 401, 424, "page switch off"},
    {508, 529, 378, 399, "restart"},
};
// Controls worth pressing hundreds of times in a row: pitch, turn and power
// have no limits of their own.
constexpr int kRunControls[] = {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 12, 13};
constexpr Area kTitleQuit   {492, 572, 221, 253, "quit"};
constexpr Area kCockpitQuit {508, 529, 401, 424, "restart switch, quit half"};
// clang-format on
constexpr int kRestartControl = 25;

bool Inside(const Area& a, int x, int y) { return a.x0 <= x && x <= a.x1 && a.y0 <= y && y <= a.y1; }

int64_t EnvNumber(const char* name, int64_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    return (end != nullptr && *end == '\0' && v > 0) ? v : fallback;
}

// A failure limit that stops the tick on the failure screen.
bool FailureLimitHolds(const FlightState& s) {
    return s.airspeed > 300 || s.localizerNeedle > 95 || s.localizerNeedle < 5 || s.glideSlopeDeviation > 100;
}

class RandomPlayer {
public:
    RandomPlayer(uint64_t seed, int64_t budget) : rng_(seed), budget_(budget) { NewSession(kTopDown); }

    void Play() {
        while (events_ < budget_ && !::testing::Test::HasFatalFailure()) Step();
    }

    int64_t events() const { return events_; }
    const std::map<uint32_t, int64_t>& statesTicked() const { return statesTicked_; }
    std::string Summary() const {
        std::ostringstream out;
        out << events_ << " events, " << sessions_ << " sessions; ticks by state:";
        for (const auto& [state, n] : statesTicked_) out << " " << state << ":" << n;
        out << "; timer stops: page " << stops_[0] << ", failure " << stops_[1] << ", arrival " << stops_[2]
            << "; pitch " << minPitch_ << ".." << maxPitch_ << ", power up to " << maxPower_
            << ", heading offset " << minHeadingOffset_ << ".." << maxHeadingOffset_;
        return out.str();
    }

private:
    HeadlessSession& s() { return *session_; }
    CAveluneView& v() { return session_->view(); }

    void NewSession(int orientation) {
        session_.reset();
        session_ = MakeTestSession(orientation);
        setUp_ = false;
        ++sessions_;
    }

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Uniform(0, 99) < percent; }

    // Anywhere: mostly on the window, sometimes far outside it.
    std::pair<int, int> AnyPoint() {
        if (Chance(5)) return {static_cast<int>(rng_()), static_cast<int>(rng_())};
        return {Uniform(-20, 660), Uniform(-20, 500)};
    }
    std::pair<int, int> PointIn(const Area& a) { return {Uniform(a.x0, a.x1), Uniform(a.y0, a.y1)}; }
    bool OnQuit(int x, int y) const { return Inside(kTitleQuit, x, y) || Inside(kCockpitQuit, x, y); }

    const Area* LiveControls(int& count) {
        switch (v().pressMode) {
        case kModeTitle: count = static_cast<int>(std::size(kTitleControls)); return kTitleControls;
        case kModeInformationPage: count = static_cast<int>(std::size(kPageControls)); return kPageControls;
        case kModeCockpit: count = static_cast<int>(std::size(kCockpitControls)); return kCockpitControls;
        default: count = 0; return nullptr;
        }
    }

    void Step() {
        const int choice = Uniform(0, 999);
        if (v().gameState == kStateTitleAnimation && Chance(20)) {
            // Most players start a flight soon.
            const auto [x, y] = PointIn(kTitleControls[0]);
            Press(x, y);
            Release(x, y);
        } else if (choice < 350) {
            Tick();
        } else if (choice < 370) {
            // Fly on untouched for a while: approaches get to their end.
            for (int n = Uniform(10, 800); n > 0 && events_ < budget_; --n) Tick();
        } else if (choice < 600) {
            int count = 0;
            const Area* live = LiveControls(count);
            if (count == 0) return Tick();
            // The pages lead everywhere but into the cockpit: head there often.
            const Area* a = &live[Uniform(0, count - 1)];
            if (v().gameState == kStateSecondPage && Chance(50)) a = &kTitleControls[v().releaseMode == kModeTitle ? 0 : 2];
            if (v().pressMode == kModeTitle && Chance(50)) a = &kTitleControls[0];
            const auto [x, y] = PointIn(*a);
            Press(x, y);
            if (Chance(30)) Tick();
            Release(Chance(90) ? x : x + Uniform(-40, 40), y);
        } else if (choice < 640) {
            LongRun();
        } else if (choice < 720) {
            // Out of a stopped result screen or a standing page.
            if (!s().host().timerRunning()) {
                const auto [x, y] = PointIn(v().pressMode == kModeCockpit ? kCockpitControls[kRestartControl]
                                                                          : kPageControls[Uniform(0, 1) * 2]);
                Press(x, y);
                Release(x, y);
            }
        } else if (choice < 840) {
            const auto [x, y] = AnyPoint();
            Move(x, y);
        } else if (choice < 920) {
            const auto [x, y] = AnyPoint();
            if (!OnQuit(x, y)) Press(x, y);
        } else if (choice < 999) {
            const auto [x, y] = AnyPoint();
            if (!OnQuit(x, y)) Release(x, y);
        } else if (Chance(20)) {
            Quit();
        }
    }

    // One control pressed again and again with the flight running between.
    void LongRun() {
        if (v().pressMode != kModeCockpit) return Tick();
        const Area& a = kCockpitControls[kRunControls[Uniform(0, static_cast<int>(std::size(kRunControls)) - 1)]];
        const int clicks = Chance(10) ? Uniform(500, 5000) : Uniform(5, 300);
        const int ticksEvery = Uniform(1, 60);
        for (int i = 0; i < clicks && events_ < budget_; ++i) {
            if (v().pressMode != kModeCockpit) return;
            const auto [x, y] = PointIn(a);
            Press(x, y);
            Release(x, y);
            if (i % ticksEvery == 0) Tick();
        }
    }

    // The player ends the program with a quit button; a new one starts.
    void Quit() {
        int x = 0, y = 0;
        bool press = true;
        if (v().pressMode == kModeCockpit) {
            std::tie(x, y) = PointIn(kCockpitQuit);
        } else if (v().pressMode == kModeTitle) {
            std::tie(x, y) = PointIn(kTitleQuit);
            press = Chance(50);
        } else {
            return;
        }
        ++events_;
        if (press) s().Press(x, y);
        else s().Release(x, y);
        ASSERT_TRUE(s().host().quitRequested()) << "quit at (" << x << ", " << y << ") did not ask to end";
        NewSession(sessions_ % 2 == 0 ? kTopDown : kBottomUp);
    }

    // ---- Events and the rules checked after each ---------------------------

    struct Before {
        FlightState state;
        bool timerRunning;
    };
    Before Snapshot() { return {static_cast<const FlightState&>(v()), s().host().timerRunning()}; }

    void Tick() {
        const Before b = Snapshot();
        ++events_;
        s().Tick();
        CheckAlways("tick");
        const FlightState& now = v();
        const bool running = s().host().timerRunning();
        if (!b.timerRunning) {
            ASSERT_FALSE(running) << "a tick ran with the timer stopped";
            return;
        }
        const uint32_t ran = b.state.gameState;
        ++statesTicked_[ran];
        std::ostringstream where;
        where << "tick of state " << ran << " at event " << events_ << ": " << s().StateJson();
        switch (ran) {
        case kStateInformationPage:
            ASSERT_EQ(now.pressMode, kModeInformationPage) << where.str();
            ASSERT_EQ(now.releaseMode, kModeInformationPage) << where.str();
            ASSERT_FALSE(running) << "the information page stands still; " << where.str();
            ++stops_[0];
            break;
        case kStateTitleAnimation:
            setUp_ = true;
            ASSERT_EQ(static_cast<int>(now.pitch), -10) << where.str();
            ASSERT_EQ(now.horizonRow, 109u) << where.str();
            ASSERT_EQ(now.pressMode, kModeTitle) << where.str();
            ASSERT_EQ(now.releaseMode, kModeTitle) << where.str();
            break;
        case kStateCockpit:
        case kStateJudgement:
        case kStateWarning:
            ASSERT_EQ(now.pressMode, kModeCockpit) << where.str();
            ASSERT_EQ(now.releaseMode, kModeCockpit) << where.str();
            ASSERT_TRUE(running) << where.str();
            break;
        case kStateFailure:
            ASSERT_EQ(now.pressMode, kModeCockpit) << where.str();
            ASSERT_EQ(now.releaseMode, kModeCockpit) << where.str();
            ASSERT_EQ(running, !FailureLimitHolds(now)) << "the failure screen stops exactly while a limit holds; "
                                                        << where.str();
            if (!running) ++stops_[1];
            break;
        case kStateFlightStep:
            ASSERT_EQ(now.pressMode, kModeCockpit) << where.str();
            ASSERT_EQ(now.releaseMode, kModeCockpit) << where.str();
            ASSERT_EQ(running, now.arrived == 0) << "the flight step stops exactly on arrival; " << where.str();
            ASSERT_LE(now.power, 70u) << where.str();
            ASSERT_LE(now.compassHeading, 359u) << where.str();
            ASSERT_EQ(now.gameState, kStateCockpit) << where.str();
            if (!running) ++stops_[2];
            minPitch_ = std::min<int>(minPitch_, now.pitch);
            maxPitch_ = std::max<int>(maxPitch_, now.pitch);
            maxPower_ = std::max(maxPower_, b.state.power);
            minHeadingOffset_ = std::min(minHeadingOffset_, now.headingOffset);
            maxHeadingOffset_ = std::max(maxHeadingOffset_, now.headingOffset);
            break;
        default:
            ASSERT_TRUE(running) << where.str();
            break;
        }
    }

    void Press(int x, int y) { MouseEvent("press", x, y, [&] { s().Press(x, y); }); }
    void Release(int x, int y) { MouseEvent("release", x, y, [&] { s().Release(x, y); }); }
    void Move(int x, int y) {
        MouseEvent("move", x, y, [&] { s().Move(x, y); });
        const FlightState& now = v();
        ASSERT_EQ(now.gameState, lastState_) << "a move changed the game state";
    }

    template <typename Fn>
    void MouseEvent(const char* what, int x, int y, Fn&& fn) {
        const bool wasRunning = s().host().timerRunning();
        lastState_ = v().gameState;
        ++events_;
        fn();
        std::ostringstream where;
        where << what << " (" << x << ", " << y << ") at event " << events_;
        CheckAlways(where.str());
        ASSERT_FALSE(wasRunning && !s().host().timerRunning()) << "a mouse handler stopped the timer: " << where.str();
    }

    // Rules that hold between any two events.
    void CheckAlways(const std::string& where) {
        const FlightState& now = v();
        // The attitude picture's row moves opposite to pitch (in 16 bits, as
        // pitch keeps only those), from the first set-up of an approach on:
        // both start at zero when the view is created.
        if (now.restartLamp != 0) setUp_ = true;
        if (setUp_) {
            ASSERT_EQ(static_cast<uint16_t>(now.horizonRow + static_cast<uint32_t>(static_cast<int32_t>(now.pitch))), 99)
                << "horizonRow " << now.horizonRow << " pitch " << now.pitch << " after " << where;
        }
        const uint32_t st = now.gameState;
        ASSERT_TRUE(st <= 10 && st != 2 && st != 5) << "gameState " << st << " after " << where;
        ASSERT_FALSE(s().host().quitRequested()) << "quit requested after " << where;
        if (s().host().timerRunning()) {
            ASSERT_EQ(s().host().timerPeriodMs(), kTickMs) << where;
        }
    }

    std::mt19937_64 rng_;
    int64_t budget_;
    int64_t events_ = 0;
    int sessions_ = 0;
    uint32_t lastState_ = 0;
    bool setUp_ = false;  // an approach has been set up in this session
    std::unique_ptr<HeadlessSession> session_;
    std::map<uint32_t, int64_t> statesTicked_;
    std::array<int64_t, 3> stops_{};
    int minPitch_ = 0, maxPitch_ = 0;
    uint32_t maxPower_ = 0;
    int32_t minHeadingOffset_ = 0, maxHeadingOffset_ = 0;
};

TEST(Soak, RandomPlayerKeepsEveryRule) {
    const int64_t budget = EnvNumber("AVELUNE_SOAK_EVENTS", 100000);
    const auto seed = static_cast<uint64_t>(EnvNumber("AVELUNE_SOAK_SEED", 20261208));
    RandomPlayer player(seed, budget);
    player.Play();
    std::cout << "[ soak     ] seed " << seed << ": " << player.Summary() << std::endl;
    EXPECT_GE(player.events(), budget);
    // The player got everywhere: every state the game has ran at least once.
    for (uint32_t state : {0u, 1u, 3u, 4u, 6u, 7u, 8u, 9u, 10u})
        EXPECT_GT(player.statesTicked().count(state), 0u) << "state " << state << " never ran";
}

}  // namespace
