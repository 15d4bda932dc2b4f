// The tick: which state runs, what it leaves behind, and which do nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/TestAtlas.h"

namespace {

// Names of the members in which two records differ.
std::vector<std::string> Differences(const FlightState& a, const FlightState& b) {
    std::vector<std::string> names;
#define AVELUNE_COMPARE_MEMBER(type, name) \
    if (std::memcmp(&a.name, &b.name, sizeof(type)) != 0) names.push_back(#name);
    AVELUNE_FLIGHT_STATE_MEMBERS(AVELUNE_COMPARE_MEMBER)
#undef AVELUNE_COMPARE_MEMBER
    return names;
}

class StateMachine : public ::testing::Test {
protected:
    void SetUp() override { session = MakeTestSession(); }
    CAveluneView& view() { return session->view(); }
    HeadlessHost& host() { return session->host(); }
    std::unique_ptr<HeadlessSession> session;
};

TEST_F(StateMachine, AFreshViewHasAZeroRecordAndARunningTimer) {
    EXPECT_TRUE(Differences(view(), FlightState{}).empty());
    EXPECT_TRUE(host().timerRunning());
    EXPECT_EQ(host().timerPeriodMs(), 100u);
    // The start sound begins once, while the view is built.
    ASSERT_EQ(host().soundsStarted().size(), 1u);
    EXPECT_EQ(host().soundsStarted()[0], "AV1.wav");
}

TEST_F(StateMachine, TheFirstTickShowsTheTitleAndTheNextStartsTheAnimation) {
    session->Tick();
    EXPECT_EQ(view().gameState, uint32_t{kStateTitleAnimation});
    EXPECT_TRUE(host().timerRunning());
    EXPECT_EQ(view().titleFrame, 0u);
    session->Tick();
    EXPECT_EQ(view().gameState, uint32_t{kStateTitleAnimation});
    EXPECT_EQ(view().titleFrame, 1u);  // frame 1 comes first
}

TEST_F(StateMachine, TheTitleFramesRunFrom1To15AndBackTo0) {
    session->Tick();  // state 0
    std::vector<uint32_t> frames;
    for (int i = 0; i < 17; ++i) {
        session->Tick();
        frames.push_back(view().titleFrame);
    }
    const std::vector<uint32_t> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1};
    EXPECT_EQ(frames, expected);
}

TEST_F(StateMachine, EveryTitleTickWritesTheNewFlightValuesAndNothingMore) {
    view().gameState = kStateTitleAnimation;
    view().airspeed = 222;
    view().distanceFlown = 4444;
    view().bank = -3;
    view().dragSwitch = kDragOn;
    view().power = 70;
    view().pitch = 5;
    view().horizonRow = 94;
    view().previousAltitude = 123;
    session->Tick();
    const CAveluneView& v = view();
    EXPECT_EQ(v.fuel, 50000u);
    EXPECT_EQ(v.horizonRow, 109u);
    EXPECT_EQ(v.runwayDistance, 47320u);
    EXPECT_EQ(v.horizonColumn, 0);
    EXPECT_EQ(v.turnRate, 0);
    EXPECT_EQ(v.altitude, 3202);
    EXPECT_EQ(v.power, 25u);
    EXPECT_EQ(v.headingOffset, 0);
    EXPECT_EQ(v.sinkRate, 0);
    EXPECT_EQ(v.outsideViewSwitch, 7u);
    EXPECT_EQ(v.glideSlopeBarY, 232);
    EXPECT_EQ(v.lateralOffset, 50);
    EXPECT_EQ(v.pitch, -10);
    EXPECT_EQ(v.arrived, 0u);
    EXPECT_EQ(v.horizonRow + static_cast<uint32_t>(v.pitch), 99u);
    // What the last approach left stays.
    EXPECT_EQ(v.airspeed, 222u);
    EXPECT_EQ(v.distanceFlown, 4444u);
    EXPECT_EQ(v.bank, -3);
    EXPECT_EQ(v.dragSwitch, 2u);
    EXPECT_EQ(v.previousAltitude, 123);
    EXPECT_EQ(v.pressMode, uint32_t{kModeTitle});
    EXPECT_EQ(v.releaseMode, uint32_t{kModeTitle});
}

TEST_F(StateMachine, RestartPutsTheAircraftBackWithoutChangingTheState) {
    view().gameState = kStateFailure;
    view().compassHeading = 200;
    view().enginePointerA = 40;
    view().dragSwitch = kDragOn;
    view().airspeed = 999;
    view().distanceFlown = 30000;
    view().bank = 3;
    view().sceneryColumn = 17;
    view().RestartApproach();
    const CAveluneView& v = view();
    EXPECT_EQ(v.restartLamp, 11u);
    EXPECT_EQ(v.airspeed, 150u);
    EXPECT_EQ(v.distanceFlown, 0u);
    EXPECT_EQ(v.bank, 0);
    EXPECT_EQ(v.sceneryColumn, 0u);
    EXPECT_EQ(v.altitude, 3202);
    EXPECT_EQ(v.horizonRow + static_cast<uint32_t>(v.pitch), 99u);
    EXPECT_EQ(v.gameState, uint32_t{kStateFailure});
    EXPECT_EQ(v.compassHeading, 200u);
    EXPECT_EQ(v.enginePointerA, 40u);
    EXPECT_EQ(v.dragSwitch, 2u);
}

// What one tick leaves in the state machine's own members.
struct TickCase {
    const char* name;
    uint32_t stateBefore;
    uint32_t stateAfter;
    bool timerAfter;
    int pressModeAfter;    // -1: unchanged
    int releaseModeAfter;  // -1: unchanged
};
void PrintTo(const TickCase& c, std::ostream* os) { *os << c.name; }

// clang-format off
const TickCase kTickCases[] = {
    // name                          before  after  timer  press  release
    {"TitlePictureLeadsToAnimation",      0,     3,  true,    -1,      -1},
    {"InformationPageStopsTheTimer",      1,     1, false,     1,       1},
    {"TitleAnimationStays",               3,     3,  true,     0,       0},
    {"CockpitLeadsToJudgement",           4,     6,  true,     3,       3},
    {"SecondPageStays",                   9,     9,  true,    -1,      -1},
    {"FlightStepLeadsToCockpit",         10,     4,  true,    -1,      -1},
};
// clang-format on

class TickTransition : public StateMachine, public ::testing::WithParamInterface<TickCase> {};

TEST_P(TickTransition, OneTick) {
    const TickCase& c = GetParam();
    view().RestartApproach();  // a sane aircraft for the states that fly or judge
    view().gameState = c.stateBefore;
    view().pressMode = 77;
    view().releaseMode = 77;
    session->Tick();
    EXPECT_EQ(view().gameState, c.stateAfter);
    EXPECT_EQ(host().timerRunning(), c.timerAfter);
    EXPECT_EQ(view().pressMode, c.pressModeAfter < 0 ? 77u : static_cast<uint32_t>(c.pressModeAfter));
    EXPECT_EQ(view().releaseMode, c.releaseModeAfter < 0 ? 77u : static_cast<uint32_t>(c.releaseModeAfter));
}

INSTANTIATE_TEST_SUITE_P(States, TickTransition, ::testing::ValuesIn(kTickCases),
                         [](const ::testing::TestParamInfo<TickCase>& info) { return std::string(info.param.name); });

// States that do not exist change nothing at all: not the record, not the
// surface, not the window, not the timer.
TEST_F(StateMachine, StatesThatDoNotExistDoNothing) {
    for (const uint32_t state : {2u, 5u, 11u, 12u, 255u, 0x80000000u, 0xFFFFFFFFu}) {
        view().RestartApproach();
        view().gameState = state;
        const FlightState before = view();
        const std::vector<uint8_t> surfaceBefore(view().surfaceBits(), view().surfaceBits() + 640 * 480);
        const auto windowBefore = host().window();
        const int showsBefore = host().surfaceShows();
        session->Tick(3);
        EXPECT_TRUE(Differences(view(), before).empty()) << "state " << state;
        EXPECT_TRUE(std::equal(surfaceBefore.begin(), surfaceBefore.end(), view().surfaceBits())) << "state " << state;
        EXPECT_EQ(host().window(), windowBefore) << "state " << state;
        EXPECT_EQ(host().surfaceShows(), showsBefore) << "state " << state;
        EXPECT_TRUE(host().timerRunning()) << "state " << state;
    }
}

TEST_F(StateMachine, AStoppedTimerDeliversNoTicks) {
    view().gameState = kStateInformationPage;
    session->Tick();
    ASSERT_FALSE(host().timerRunning());
    view().gameState = kStateTitlePicture;  // would move on to 3 if a tick arrived
    session->Tick(50);
    EXPECT_EQ(view().gameState, uint32_t{kStateTitlePicture});
    view().RearmTimer();
    session->Tick();
    EXPECT_EQ(view().gameState, uint32_t{kStateTitleAnimation});
}

TEST_F(StateMachine, TheFlightCycleFliesOneSecondEveryThirdTick) {
    view().RestartApproach();
    view().pitch = 0;
    view().horizonRow = 99;
    view().gameState = kStateCockpit;
    std::vector<uint32_t> states;
    for (int i = 0; i < 9; ++i) {
        session->Tick();
        states.push_back(view().gameState);
    }
    const std::vector<uint32_t> expected = {6, 10, 4, 6, 10, 4, 6, 10, 4};
    EXPECT_EQ(states, expected);
    EXPECT_EQ(view().distanceFlown, 3u * 220u);  // three steps at 150 mph
}

TEST_F(StateMachine, NoTransitionEverProducesState2Or5) {
    // Fly whole approaches with the controls left alone and with a steady
    // climb; whatever happens, the state is always one the game has.
    for (int pitch : {-10, 0, 15}) {
        session = MakeTestSession();
        session->Tick(2);
        view().RestartApproach();
        view().pitch = static_cast<int16_t>(pitch);
        view().gameState = kStateCockpit;
        for (int i = 0; i < 3000 && host().timerRunning(); ++i) {
            session->Tick();
            const uint32_t s = view().gameState;
            ASSERT_TRUE(s == 1 || s == 3 || s == 4 || s == 6 || s == 7 || s == 8 || s == 9 || s == 10)
                << "state " << s << " after tick " << i << " at pitch " << pitch;
        }
    }
}

}  // namespace
