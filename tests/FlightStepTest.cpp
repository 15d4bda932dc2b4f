// The flight step, checked against worked examples with numbers.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "tests/TestAtlas.h"

namespace {

class FlightStep : public ::testing::Test {
protected:
    void SetUp() override {
        view = MakeTestView(host);
        view->OnCreate();
        view->RestartApproach();
        view->gameState = kStateFlightStep;
    }
    // One flight step, as the tick runs it in state 10.
    void Step() {
        view->gameState = kStateFlightStep;
        view->OnTimer();
    }

    HeadlessHost host;
    std::unique_ptr<CAveluneView> view;
};

TEST_F(FlightStep, FirstStepFromTheRestartValues) {
    Step();
    const CAveluneView& v = *view;
    EXPECT_EQ(v.power, 25u);
    EXPECT_EQ(v.fuel, 49975u);
    EXPECT_EQ(v.enginePointerA, 52u);
    EXPECT_EQ(v.enginePointerB, 52u);
    EXPECT_EQ(v.airspeedFrame, 34u);
    EXPECT_EQ(v.altitude, 3180);
    EXPECT_EQ(v.airspeed, 172u);
    EXPECT_EQ(v.sinkRate, -32);
    EXPECT_EQ(v.distanceFlown, 252u);
    EXPECT_EQ(v.distanceToGo, 891u);
    EXPECT_EQ(v.glideSlopeError, 43);
    EXPECT_EQ(v.glideSlopeBarY, 275);
    EXPECT_EQ(v.lateralOffset, 50);
    // Neither set-up writes previousAltitude, so the first step climbs from 0.
    EXPECT_EQ(v.climbRate, 3180);
    EXPECT_EQ(v.previousAltitude, 3180);
    EXPECT_EQ(v.arrived, 0u);
    EXPECT_EQ(v.gameState, uint32_t{kStateCockpit});
    EXPECT_TRUE(host.timerRunning());
}

TEST_F(FlightStep, FirstApproachAfterStartUpBeginsAtRest) {
    view->airspeed = 0;  // the zero start: the title's set-up leaves airspeed alone
    Step();
    EXPECT_EQ(view->airspeed, 43u);
    EXPECT_EQ(view->sinkRate, 32);
    EXPECT_EQ(view->altitude, 3229);
    EXPECT_EQ(view->distanceFlown, 63u);
    EXPECT_EQ(view->airspeedFrame, 8u);
}

TEST_F(FlightStep, AirspeedFirstPasses275AtTheTenthStep) {
    int steps = 0;
    while (view->airspeed <= 275 && steps < 50) {
        Step();
        ++steps;
    }
    EXPECT_EQ(steps, 10);
    EXPECT_EQ(view->airspeed, 277u);
    EXPECT_EQ(view->altitude, 2899);
    EXPECT_EQ(view->distanceFlown, 3440u);
}

TEST_F(FlightStep, LevelFlightAt25PowerHolds150Mph) {
    view->pitch = 0;
    for (int i = 0; i < 20; ++i) {
        Step();
        ASSERT_EQ(view->airspeed, 150u) << "after step " << i + 1;
    }
    EXPECT_EQ(view->altitude, 3202);
}

// A case sets up the record before one step and checks it after.
struct StepCase {
    const char* name;
    std::function<void(FlightState&)> given;
    std::function<void(const FlightState&)> expect;
};
void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }

// clang-format off
const StepCase kStepCases[] = {
    {"power 75 from the panel is flown as 70",
     [](FlightState& s) { s.power = 75; },
     [](const FlightState& s) { EXPECT_EQ(s.power, 70u); EXPECT_EQ(s.fuel, 50000u - 70u); EXPECT_EQ(s.enginePointerA, 52u); }},
    {"power decreased below 0 is flown as 70",
     [](FlightState& s) { s.power = 0xFFFFFFFFu; },
     [](const FlightState& s) { EXPECT_EQ(s.power, 70u); EXPECT_EQ(s.enginePointerB, 52u); }},
    {"power 5 moves the engine pointers to 50",
     [](FlightState& s) { s.power = 5; },
     [](const FlightState& s) { EXPECT_EQ(s.enginePointerA, 50u); EXPECT_EQ(s.enginePointerB, 50u); }},
    {"power 0 burns nothing",
     [](FlightState& s) { s.power = 0; },
     [](const FlightState& s) { EXPECT_EQ(s.fuel, 50000u); EXPECT_EQ(s.enginePointerA, 0u); }},
    {"fuel runs past empty and wraps",
     [](FlightState& s) { s.fuel = 10; },
     [](const FlightState& s) { EXPECT_EQ(s.fuel, 0xFFFFFFFFu - 14u); }},
    {"exactly 104 mph after the exchange leaves the sink alone",
     [](FlightState& s) { s.pitch = 0; s.airspeed = 88; s.sinkRate = 17; },  // 88 + 50 = 138, less 34 = 104
     [](const FlightState& s) { EXPECT_EQ(s.airspeed, 104u); EXPECT_EQ(s.sinkRate, 17); EXPECT_EQ(s.altitude, 3202); }},
    {"103 mph sinks, and the sink is added at once",
     [](FlightState& s) { s.pitch = 0; s.airspeed = 87; s.sinkRate = 17; },  // 137 less 34 = 103
     [](const FlightState& s) { EXPECT_EQ(s.airspeed, 103u); EXPECT_EQ(s.sinkRate, 49); EXPECT_EQ(s.altitude, 3202 + 49); }},
    {"105 mph stores up lift: the sink rate falls",
     [](FlightState& s) { s.pitch = 0; s.airspeed = 90; s.sinkRate = 17; },  // 140 less 35 = 105
     [](const FlightState& s) { EXPECT_EQ(s.airspeed, 105u); EXPECT_EQ(s.sinkRate, -15); EXPECT_EQ(s.altitude, 3202); }},
    {"nose down at the speed limit leaves 345 mph",
     [](FlightState& s) { s.airspeed = 400; },
     [](const FlightState& s) { EXPECT_EQ(s.airspeedFrame, 68u); EXPECT_EQ(s.airspeed, 345u); EXPECT_EQ(s.altitude, 3202 - 45); }},
    {"nose up trades speed for height, rounding toward zero",
     [](FlightState& s) { s.pitch = 7; },  // 150 mph: 7 * 150 * 15 / 1000 = 15.75
     [](const FlightState& s) { EXPECT_EQ(s.altitude, 3217); EXPECT_EQ(s.airspeed, 135u); }},
    {"no exchange at 35 mph or below",
     [](FlightState& s) { s.airspeed = 0; s.power = 5; s.pitch = -50; },  // 10 less 2 = 8
     [](const FlightState& s) { EXPECT_EQ(s.airspeed, 8u); EXPECT_EQ(s.sinkRate, 32); EXPECT_EQ(s.altitude, 3202 + 32); }},
    {"a steep climb drives the airspeed below zero, counted as very fast",
     [](FlightState& s) { s.pitch = 1000; },  // q = 2250 > 150: 4294965196 mph
     [](const FlightState& s) {
         EXPECT_EQ(s.altitude, 3202 + 2250);
         EXPECT_EQ(s.sinkRate, -32);
         // The 32-bit product 4294965196 x 5280 wraps to 4283879296 before the division.
         EXPECT_EQ(s.distanceFlown, 1189966u);
         EXPECT_EQ(s.arrived, 1u); }},
    {"below 150 ft the outside view is forced on",
     [](FlightState& s) { s.altitude = 140; s.pitch = 0; s.outsideViewSwitch = kOutsideViewHidden; },
     [](const FlightState& s) { EXPECT_EQ(s.outsideViewSwitch, 7u); }},
    {"a negative altitude counts as high: the switch stays",
     [](FlightState& s) { s.altitude = -500; s.pitch = 0; s.outsideViewSwitch = kOutsideViewHidden; },
     [](const FlightState& s) { EXPECT_EQ(s.outsideViewSwitch, 8u); }},
    {"the climb rate is the size of the change either way",
     [](FlightState& s) { s.previousAltitude = 5000; },
     [](const FlightState& s) { EXPECT_EQ(s.climbRate, 5000 - 3180); }},
    {"the glide-slope error keeps its low 16 bits",
     [](FlightState& s) { s.pitch = 0; s.altitude = 65546 + 3140; },  // reference 3140 ft at 47101 ft to go
     [](const FlightState& s) { EXPECT_EQ(s.glideSlopeError, 10); EXPECT_EQ(s.glideSlopeBarY, 242); }},
    {"a bar row past 32767 reads negative and is held at the top row",
     [](FlightState& s) { s.pitch = 0; s.altitude = 40000 + 3140; },
     [](const FlightState& s) { EXPECT_EQ(s.glideSlopeError, static_cast<int16_t>(40000 - 65536)); EXPECT_EQ(s.glideSlopeBarY, 232); }},
    {"a large error holds the bar at its bottom row",
     [](FlightState& s) { s.pitch = 0; s.altitude = 3140 + 101; },
     [](const FlightState& s) { EXPECT_EQ(s.glideSlopeError, 101); EXPECT_EQ(s.glideSlopeBarY, 332); }},
    {"below the descent line the error counts the same",
     [](FlightState& s) { s.pitch = 0; s.altitude = 3140 - 60; },
     [](const FlightState& s) { EXPECT_EQ(s.glideSlopeError, 60); EXPECT_EQ(s.glideSlopeBarY, 292); }},
    {"a turn input turns the heading and drifts the aircraft",
     [](FlightState& s) { s.turnRate = -2; s.headingOffset = 5; },
     [](const FlightState& s) { EXPECT_EQ(s.headingOffset, 7); EXPECT_EQ(s.lateralOffset, 57); }},
    {"the sideways position wraps in 16 bits",
     [](FlightState& s) { s.lateralOffset = 32767; s.turnRate = -1; },
     [](const FlightState& s) { EXPECT_EQ(s.lateralOffset, -32768); }},
    {"heading 360 reads 0",
     [](FlightState& s) { s.compassHeading = 360; },
     [](const FlightState& s) { EXPECT_EQ(s.compassHeading, 0u); }},
    {"heading decreased below 0 reads 0",
     [](FlightState& s) { s.compassHeading = 0xFFFFFFFFu; },
     [](const FlightState& s) { EXPECT_EQ(s.compassHeading, 0u); }},
    {"heading 359 stays",
     [](FlightState& s) { s.compassHeading = 359; },
     [](const FlightState& s) { EXPECT_EQ(s.compassHeading, 359u); }},
    {"the 32-bit sink rate wraps instead of overflowing",
     [](FlightState& s) { s.sinkRate = std::numeric_limits<int32_t>::min() + 10; },
     [](const FlightState& s) { EXPECT_EQ(s.sinkRate, std::numeric_limits<int32_t>::max() - 21); }},
    {"the altitude wraps instead of overflowing",
     [](FlightState& s) { s.altitude = std::numeric_limits<int32_t>::max(); s.pitch = 10; },
     [](const FlightState& s) { EXPECT_EQ(s.altitude, std::numeric_limits<int32_t>::min() + 21); }},
    {"the heading offset wraps instead of overflowing",
     [](FlightState& s) { s.headingOffset = std::numeric_limits<int32_t>::min(); s.turnRate = 1; },
     [](const FlightState& s) { EXPECT_EQ(s.headingOffset, std::numeric_limits<int32_t>::max()); }},
};
// clang-format on

class FlightStepCase : public FlightStep, public ::testing::WithParamInterface<StepCase> {};

TEST_P(FlightStepCase, OneStep) {
    GetParam().given(*view);
    Step();
    GetParam().expect(*view);
}

INSTANTIATE_TEST_SUITE_P(Rules, FlightStepCase, ::testing::ValuesIn(kStepCases),
                         [](const ::testing::TestParamInfo<StepCase>& info) { return CaseName(info.param.name); });

// The display frame is the speed before the exchange divided by 4.411.
TEST_F(FlightStep, AirspeedFrameTruncatesTheQuotient) {
    // clang-format off
    const struct { uint32_t airspeedBefore; uint32_t power; uint32_t frame; } cases[] = {
        {  0, 0,  0},   // 0 mph
        {  0, 3,  1},   // 6 less 1 = 5: 1.13
        {  0, 6,  2},   // 12 less 3 = 9: 2.04
        { 12, 0,  2},   // 12 less 3 = 9
        {300, 0, 51},   // 300 less 75 = 225: 51.0079...
        {400, 0, 68},   // held at 300: 68.01
    };
    // clang-format on
    for (const auto& c : cases) {
        view->airspeed = c.airspeedBefore;
        view->power = c.power;
        Step();
        EXPECT_EQ(view->airspeedFrame, c.frame) << "from " << c.airspeedBefore << " mph at power " << c.power;
    }
}

TEST_F(FlightStep, ExactlyAtTheThresholdNothingEndsUntilTheNextStep) {
    view->pitch = 0;
    view->distanceFlown = 47320 - 220;  // 150 mph flies 220 ft
    view->distanceToGo = 555;
    view->glideSlopeError = 77;
    view->glideSlopeBarY = 300;
    Step();
    EXPECT_EQ(view->distanceFlown, 47320u);
    EXPECT_EQ(view->distanceToGo, 555u);
    EXPECT_EQ(view->glideSlopeError, 77);
    EXPECT_EQ(view->glideSlopeBarY, 300);
    EXPECT_EQ(view->arrived, 0u);
    EXPECT_TRUE(host.timerRunning());

    view->digitWork = 1234;
    Step();
    EXPECT_EQ(view->distanceFlown, 47320u + 220u);
    EXPECT_EQ(view->arrived, 1u);
    EXPECT_EQ(view->distanceToGo, 0u);
    EXPECT_EQ(view->glideSlopeBarY, 232);
    EXPECT_EQ(view->airspeed, 0u);
    EXPECT_EQ(view->digitWork, 0);
    EXPECT_EQ(view->glideSlopeError, 77);
    EXPECT_FALSE(host.timerRunning());
    EXPECT_EQ(view->gameState, uint32_t{kStateCockpit});
}

TEST_F(FlightStep, ANoInputApproachArrivesAndStopsTheTimer) {
    int steps = 0;
    while (host.timerRunning() && steps < 1000) {
        Step();
        ++steps;
        ASSERT_GE(view->glideSlopeBarY, 232);
        ASSERT_LE(view->glideSlopeBarY, 332);
        ASSERT_LE(view->enginePointerA, 52u);
    }
    EXPECT_LT(steps, 1000);
    EXPECT_EQ(view->arrived, 1u);
    EXPECT_GT(view->distanceFlown, 47320u);
}

TEST_F(FlightStep, RestartAfterArrivalFliesTheApproachAgain) {
    view->distanceFlown = 47310;
    Step();
    ASSERT_FALSE(host.timerRunning());
    view->RestartApproach();
    view->RearmTimer();
    view->gameState = kStateFlightStep;
    Step();
    EXPECT_EQ(view->distanceFlown, 252u);
    EXPECT_EQ(view->arrived, 0u);
    EXPECT_TRUE(host.timerRunning());
}

}  // namespace
