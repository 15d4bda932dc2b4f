// The warning, failure and arrival screens: what they show, how often they
// show it, and when they stop the tick.
#include <gtest/gtest.h>

#include "game/ScreenLayout.h"
#include "tests/RecordingHost.h"

namespace {

// What the left end leaves of the overspeed message: its first column lies
// under the end.
const Placed kOverspeedSeen{151, 122, {250, 912, 380, 22, 255}};

// Sixteen presentations, then the final copy without a palette realisation.
std::vector<std::string> BlinkingResult() {
    std::vector<std::string> want;
    for (int i = 0; i < 16; ++i) want = Calls({want, kPresent});
    want.push_back("show 640x480");
    return want;
}

TEST(WarningScreen, ShowsThePanelAndFliesOnUnlessOverspeed) {
    struct Case {
        uint32_t airspeed;
        uint32_t next;
    };
    for (const Case c : {Case{150, kStateFlightStep}, Case{300, kStateFlightStep}, Case{301, kStateFailure},
                         Case{0xFFFFFFFFu, kStateFailure}}) {
        SCOPED_TRACE(c.airspeed);
        RecordedView v;
        v->gameState = kStateWarning;
        v->localizerNeedle = 99;  // the warning screen judges the airspeed only
        v->airspeed = c.airspeed;
        v->ShowWarningScreen();
        EXPECT_EQ(v->gameState, c.next);
        EXPECT_EQ(v.host.calls, kPresent);
        EXPECT_TRUE(ShowsSprite(*v, kWarningTitle));
    }
}

struct FailureCase {
    const char* name;
    uint32_t airspeed;
    int16_t needle;
    int16_t deviation;
    bool stops;
    bool course;
    bool overspeed;
};

// clang-format off
const FailureCase kFailureCases[] = {
    // name                             airspeed needle dev  stops  course overspeed
    {"off course to the right",         150,     96,    0,   true,  true,  false},
    {"off course to the left",          150,     4,     0,   true,  true,  false},
    {"off the glide slope",             150,     50,    101, true,  true,  false},
    {"overspeed",                       301,     50,    0,   true,  false, true},
    {"overspeed and off course",        301,     97,    0,   true,  true,  true},
    {"every limit within",              300,     95,    100, false, false, false},
};
// clang-format on

TEST(FailureScreen, NamesEachFailedLimitAndStopsTheTick) {
    for (const FailureCase& c : kFailureCases) {
        SCOPED_TRACE(c.name);
        FramesView v;
        v->gameState = kStateFailure;
        v->airspeed = c.airspeed;
        v->localizerNeedle = c.needle;
        v->glideSlopeDeviation = c.deviation;
        v->ShowFailureScreen();

        std::vector<std::string> want = BlinkingResult();
        if (c.stops) want.push_back("kill");
        EXPECT_EQ(v.host.calls, want);
        EXPECT_EQ(v->gameState, kStateFlightStep) << "set before the timer is looked at";

        // The overspeed pictures lie over the course message where both hold.
        if (c.overspeed) {
            EXPECT_TRUE(ShowsSprite(*v, kOverspeedSeen));
            EXPECT_TRUE(ShowsSprite(*v, kOverspeedLeft));
            EXPECT_TRUE(ShowsSprite(*v, kOverspeedRight));
        } else {
            EXPECT_EQ(static_cast<bool>(ShowsSprite(*v, kCourseText)), c.course);
        }
        if (!c.course && !c.overspeed) {
            EXPECT_FALSE(ShowsSprite(*v, kCourseText));
            EXPECT_FALSE(ShowsSprite(*v, kOverspeedText));
        }
    }
}

TEST(FailureScreen, TheLampBlinksSixteenTimesAndEndsLit) {
    FramesView v;
    v->localizerNeedle = 99;
    v->ShowFailureScreen();
    ASSERT_EQ(v.host.frames.size(), 17u);
    for (size_t i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(FrameShowsSprite(v.host.frames[i], i % 2 == 0 ? kLampLit : kLampDark));
        EXPECT_TRUE(FrameShowsSprite(v.host.frames[i], kFailureTitle));
        EXPECT_FALSE(FrameShowsSprite(v.host.frames[i], kCourseText)) << "the message comes after the blinking";
    }
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[16], kLampLit));
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[16], kCourseText));
}

// An approach one step short of the threshold: 150 mph flown level for one
// second covers 220 ft.
void OneStepFromTheThreshold(CAveluneView& v) {
    v.RestartApproach();
    v.pitch = 0;
    v.horizonRow = 99;
    v.distanceFlown = 47320 - 200;
    v.gameState = kStateFlightStep;
}

TEST(ArrivalScreen, PassingTheThresholdShowsArrivalAndStopsTheTick) {
    FramesView v;
    OneStepFromTheThreshold(*v);
    v->localizerNeedle = 99;  // arrival stands whatever the limits
    v->glideSlopeDeviation = 150;
    v->RearmTimer();
    v.host.calls.clear();
    v->OnTimer();

    std::vector<std::string> want = BlinkingResult();
    want.push_back("kill");
    EXPECT_EQ(v.host.calls, want);
    EXPECT_FALSE(v.host.timerRunning());
    EXPECT_EQ(v->arrived, 1u);
    EXPECT_EQ(v->gameState, kStateCockpit) << "taken up only when the tick runs again";
    EXPECT_EQ(v->airspeed, 0u);
    EXPECT_EQ(v->distanceToGo, 0u);
    EXPECT_TRUE(ShowsSprite(*v, kArrivalTitle));
    EXPECT_TRUE(ShowsSprite(*v, kArrivalText));
    EXPECT_TRUE(ShowsSprite(*v, kLampLit));
    EXPECT_TRUE(ShowsSprite(*v, kPanelRow2End));
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[15], kLampDark));
    EXPECT_FALSE(FrameShowsSprite(v.host.frames[15], kArrivalText));
}

TEST(ArrivalScreen, ExactlyAtTheThresholdTheFlightGoesOn) {
    RecordedView v;
    OneStepFromTheThreshold(*v);
    v->distanceFlown = 47320 - 220;
    v->RearmTimer();
    v.host.calls.clear();
    v->OnTimer();
    EXPECT_EQ(v->distanceFlown, 47320u);
    EXPECT_EQ(v->arrived, 0u);
    EXPECT_TRUE(v.host.timerRunning());
    EXPECT_TRUE(v.host.calls.empty());
}

// Only the restart switch brings a stopped result screen back to life.
TEST(ResultScreens, OnlyTheRestartSwitchRestartsTheTick) {
    auto session = MakeTestSession();
    CAveluneView& v = session->view();
    HeadlessHost& host = session->host();
    v.pressMode = kModeCockpit;
    v.releaseMode = kModeCockpit;
    v.gameState = kStateFailure;
    v.localizerNeedle = 3;
    session->Tick();
    ASSERT_FALSE(host.timerRunning());
    ASSERT_EQ(v.gameState, kStateFlightStep);

    // Other controls and any release leave the screen standing.
    session->Press(315, 335);   // pad up
    session->Press(370, 340);   // power up
    session->Release(515, 390);
    session->Tick(5);
    EXPECT_FALSE(host.timerRunning());
    EXPECT_EQ(v.gameState, kStateFlightStep);

    session->Press(515, 390);  // restart
    EXPECT_TRUE(host.timerRunning());
    EXPECT_EQ(host.timerPeriodMs(), 100u);
    EXPECT_EQ(v.gameState, kStateFlightStep);
    session->Tick();  // a flight step from the restart values
    EXPECT_EQ(v.airspeed, 172u);
    EXPECT_EQ(v.distanceFlown, 252u);
    EXPECT_EQ(v.altitude, 3180);
    EXPECT_EQ(v.gameState, kStateCockpit);
}

// A warning inserts state 8; overspeed goes on to the failure screen.
TEST(ResultScreens, OverspeedWarnsThenFails) {
    RecordedView v;
    v->RearmTimer();
    v->gameState = kStateJudgement;
    v->localizerNeedle = 50;
    v->airspeed = 320;
    std::vector<uint32_t> states;
    for (int i = 0; i < 3 && v.host.timerRunning(); ++i) {
        v->OnTimer();
        states.push_back(v->gameState);
    }
    EXPECT_EQ(states, (std::vector<uint32_t>{kStateWarning, kStateFailure, kStateFlightStep}));
    EXPECT_FALSE(v.host.timerRunning());
    EXPECT_TRUE(ShowsSprite(*v, kOverspeedSeen));
}

}  // namespace
