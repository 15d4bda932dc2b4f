// State 6: the switch lamps with their effects, and the judgement of the
// approach against its warning and failure limits.
#include <gtest/gtest.h>

#include "tests/RecordingHost.h"

namespace {

struct LimitCase {
    const char* name;
    uint32_t airspeed;
    int16_t needle;
    int16_t deviation;
    uint32_t next;
};

// clang-format off
const LimitCase kLimitCases[] = {
    // name                                 airspeed      needle deviation next
    {"on course",                           150,           50,     0,      kStateFlightStep},
    {"needle 75 is still fine",             150,           75,     0,      kStateFlightStep},
    {"needle 76 warns",                     150,           76,     0,      kStateWarning},
    {"needle 25 is still fine",             150,           25,     0,      kStateFlightStep},
    {"needle 24 warns",                     150,           24,     0,      kStateWarning},
    {"needle 95 only warns",                150,           95,     0,      kStateWarning},
    {"needle 96 fails",                     150,           96,     0,      kStateFailure},
    {"needle 5 only warns",                 150,            5,     0,      kStateWarning},
    {"needle 4 fails",                      150,            4,     0,      kStateFailure},
    {"needle 0 fails",                      150,            0,     0,      kStateFailure},
    {"needle 100 fails",                    150,          100,     0,      kStateFailure},
    {"deviation 95 is still fine",          150,           50,    95,      kStateFlightStep},
    {"deviation 96 warns",                  150,           50,    96,      kStateWarning},
    {"deviation 100 only warns",            150,           50,   100,      kStateWarning},
    {"deviation 101 fails",                 150,           50,   101,      kStateFailure},
    {"airspeed 275 is still fine",          275,           50,     0,      kStateFlightStep},
    {"airspeed 276 warns",                  276,           50,     0,      kStateWarning},
    {"airspeed 300 warns",                  300,           50,     0,      kStateWarning},
    {"airspeed 301 only warns here",        301,           50,     0,      kStateWarning},
    {"airspeed below zero counts as huge",  0xFFFFFFF6u,   50,     0,      kStateWarning},
    {"needle 3 with deviation 98 warns",    150,            3,    98,      kStateWarning},
    {"needle 97 with deviation 96 warns",   150,           97,    96,      kStateWarning},
    {"needle 3 with deviation 101 fails",   150,            3,   101,      kStateFailure},
    {"needle 96 with fast flight fails",    290,           96,     0,      kStateFailure},
    {"deviation 101 with fast flight fails",290,           50,   101,      kStateFailure},
    {"needle 80 with fast flight warns",    290,           80,     0,      kStateWarning},
};
// clang-format on

TEST(Judgement, LimitsChooseTheNextState) {
    for (const LimitCase& c : kLimitCases) {
        SCOPED_TRACE(c.name);
        RecordedView v;
        Judge(v, c.airspeed, c.needle, c.deviation);
        EXPECT_EQ(v->gameState, c.next);
        EXPECT_EQ(v->airspeed, c.airspeed) << "no switch is set, so nothing may change the airspeed";
        EXPECT_TRUE(v.host.calls.empty()) << "unset switches light no lamp and present nothing";
    }
}

// What a switch does to the flight before the judgement.
struct EffectCase {
    const char* name;
    uint32_t drag, lift, turbulence;
    uint32_t airspeed;
    int32_t altitude;
    int16_t lateralOffset;
    std::vector<int> rands;
    uint32_t wantAirspeed;
    int32_t wantAltitude;
    int16_t wantLateral;
};

// clang-format off
const EffectCase kEffectCases[] = {
    // name                                 drag lift turb  airspeed alt   lateral rands                         airspeed alt   lateral
    {"drag off changes nothing",            1,   0,   0,    200,     1000, 50,     {},                           200,     1000, 50},
    {"drag on takes 15 percent",            2,   0,   0,    200,     1000, 50,     {},                           170,     1000, 50},
    {"drag truncates the loss",             2,   0,   0,    7,       1000, 50,     {},                           6,       1000, 50},
    {"lift off changes nothing",            0,   3,   0,    200,     1000, 50,     {},                           200,     1000, 50},
    {"lift on: 10 percent, then height",    0,   4,   0,    200,     1000, 50,     {},                           180,     1009, 50},
    {"drag before lift",                    2,   4,   0,    200,     1000, 50,     {},                           153,     1007, 50},
    {"turbulence off draws nothing",        0,   0,   5,    200,     1000, 50,     {},                           200,     1000, 50},
    {"turbulence: draws in order",          0,   0,   6,    200,     1000, 50,     {29999, 10000, 0, 32767},     200,     1002, 44},
    {"turbulence: largest climb",           0,   0,   6,    200,     1000, 50,     {30000, 9999, 9999, 30000},   200,     1006, 44},
    {"turbulence: largest fall",            0,   0,   6,    200,     1000, 50,     {0, 32767, 32767, 0},         200,     994,  56},
    {"turbulence wraps the offset",         0,   0,   6,    200,     1000, 32767,  {0, 0, 30000, 0},             200,     1000, -32763},
    {"lift height from the lower speed",    0,   4,   0,    100,     -5,   50,     {},                           90,      -1,   50},
};
// clang-format on

TEST(Judgement, SwitchesActBeforeTheLimits) {
    for (const EffectCase& c : kEffectCases) {
        SCOPED_TRACE(c.name);
        RecordedView v;
        v->dragSwitch = c.drag;
        v->liftSwitch = c.lift;
        v->turbulenceSwitch = c.turbulence;
        v->airspeed = c.airspeed;
        v->altitude = c.altitude;
        v->lateralOffset = c.lateralOffset;
        v->localizerNeedle = 50;
        v.host.randValues.assign(c.rands.begin(), c.rands.end());
        v->JudgeApproach();
        EXPECT_EQ(v->airspeed, c.wantAirspeed);
        EXPECT_EQ(v->altitude, c.wantAltitude);
        EXPECT_EQ(v->lateralOffset, c.wantLateral);
        EXPECT_EQ(v.host.randCalls, static_cast<int>(c.rands.size()));
        EXPECT_EQ(v->localizerNeedle, 50) << "the needle of the last cockpit picture is judged";
    }
}

TEST(Judgement, TurbulenceStaysWithinSixEachWay) {
    // The host's own generator, many cycles: no cycle may move more than 6.
    RecordedView v;
    v->turbulenceSwitch = kTurbulenceOn;
    for (int cycle = 0; cycle < 2000; ++cycle) {
        v->altitude = 1000;
        v->lateralOffset = 50;
        v->JudgeApproach();
        ASSERT_LE(std::abs(v->altitude - 1000), 6);
        ASSERT_LE(std::abs(v->lateralOffset - 50), 6);
        ASSERT_EQ((v->altitude - 1000) % 2, 0);
    }
}

TEST(Judgement, SpeedLimitIsJudgedAfterTheSwitches) {
    RecordedView v;
    v->dragSwitch = kDragOn;
    v->airspeed = 300;  // 255 after drag
    v->localizerNeedle = 50;
    v->JudgeApproach();
    EXPECT_EQ(v->airspeed, 255u);
    EXPECT_EQ(v->gameState, kStateFlightStep);
}

// A lamp for every value of every switch, and which of them show the window.
struct LampCase {
    const char* name;
    uint32_t FlightState::*member;
    uint32_t value;
    Placed lamp;
    int presents;
};

// clang-format off
const LampCase kLampCases[] = {
    {"drag off",          &FlightState::dragSwitch,         1, { 61, 349, sprite::kDragLampOff},       1},
    {"drag on",           &FlightState::dragSwitch,         2, { 61, 349, sprite::kDragLampOn},        1},
    {"lift off",          &FlightState::liftSwitch,         3, { 63, 382, sprite::kLiftLampOff},       0},
    {"lift on",           &FlightState::liftSwitch,         4, { 62, 383, sprite::kLiftLampOn},        1},
    {"turbulence off",    &FlightState::turbulenceSwitch,   5, {181, 349, sprite::kTurbulenceLampOff}, 0},
    {"turbulence on",     &FlightState::turbulenceSwitch,   6, {181, 349, sprite::kTurbulenceLampOn},  1},
    {"outside view on",   &FlightState::outsideViewSwitch,  7, {181, 383, sprite::kViewLampOn},        0},
    {"outside view off",  &FlightState::outsideViewSwitch,  8, {181, 383, sprite::kViewLampOff},       1},
    {"page off",          &FlightState::pageSwitch,         9, {442, 380, sprite::kPageLampOff},       0},
    {"page on",           &FlightState::pageSwitch,        10, {442, 380, sprite::kPageLampOn},        1},
    {"restart",           &FlightState::restartLamp,       11, {534, 380, sprite::kRestartLamp},       0},
};
// clang-format on

TEST(Judgement, EachSwitchValueLightsItsLamp) {
    for (const LampCase& c : kLampCases) {
        SCOPED_TRACE(c.name);
        RecordedView v;
        v->localizerNeedle = 50;
        (*v).*c.member = c.value;
        v->JudgeApproach();
        EXPECT_TRUE(ShowsSprite(*v, c.lamp));
        std::vector<std::string> want;
        for (int i = 0; i < c.presents; ++i) want = Calls({want, kPresent});
        EXPECT_EQ(v.host.calls, want);
    }
}

TEST(Judgement, OtherSwitchValuesLightNothing) {
    for (uint32_t value : {0u, 12u, 99u}) {
        RecordedView v;
        v->localizerNeedle = 50;
        v->dragSwitch = v->liftSwitch = v->turbulenceSwitch = value;
        v->outsideViewSwitch = v->pageSwitch = v->restartLamp = value;
        v->airspeed = 200;
        v->JudgeApproach();
        for (int y = 0; y < kSurfaceHeight; ++y) {
            for (int x = 0; x < kSurfaceWidth; ++x) ASSERT_EQ(v->PixelAt(x, y), 0) << value;
        }
        EXPECT_TRUE(v.host.calls.empty());
        EXPECT_EQ(v->airspeed, 200u);
    }
}

TEST(Judgement, AllLampsInTheirOrder) {
    FramesView v;
    v->localizerNeedle = 50;
    v->dragSwitch = kDragOn;
    v->liftSwitch = kLiftOn;
    v->turbulenceSwitch = kTurbulenceOn;
    v->outsideViewSwitch = kOutsideViewHidden;
    v->pageSwitch = kPageOn;
    v->restartLamp = kRestartLampLit;
    v->JudgeApproach();
    ASSERT_EQ(v.host.frames.size(), 5u);
    // The first presentation shows the drag lamp before the lift lamp is lit.
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[0], {61, 349, sprite::kDragLampOn}));
    EXPECT_FALSE(FrameShowsSprite(v.host.frames[0], {62, 383, sprite::kLiftLampOn}));
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[1], {62, 383, sprite::kLiftLampOn}));
    // The restart lamp is drawn but never shown by this state.
    EXPECT_TRUE(ShowsSprite(*v, {534, 380, sprite::kRestartLamp}));
    EXPECT_FALSE(FrameShowsSprite(v.host.frames[4], {534, 380, sprite::kRestartLamp}));
}

}  // namespace
