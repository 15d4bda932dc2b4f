// One simulated hour of flying: 36000 ticks of 100 ms in the headless host,
// approach after approach, each ended by arrival or failure and restarted
// with the cockpit's restart switch. The program's resident memory at the end
// is what it was once warmed up: nothing piles up from tick to tick.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "tests/TestAtlas.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer holds freed blocks in quarantine before reusing them,
// which shows as resident memory; its leak check at exit covers real leaks.
constexpr long kAllowedGrowthKb = 32 * 1024;
#else
constexpr long kAllowedGrowthKb = 1024;
#endif

// Resident memory of this process in kB, or -1 where /proc is not there.
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Window pixels of the controls the pilot uses here.
struct Point {
    int x, y;
};
constexpr Point kStart{330, 230};
constexpr Point kPadUp{315, 334};
constexpr Point kPadDown{315, 382};
constexpr Point kPowerUp{374, 342};
constexpr Point kPowerDown{374, 366};
constexpr Point kRestart{518, 388};
// clang-format off
// A pilot who keeps changing his mind (every other approach, failing).
constexpr Point kHabits[] = {
    {374, 342},  // power up
    {315, 334},  // pad up: nose down
    {374, 366},  // power down
    {315, 382},  // pad down: nose up
    {339, 358},  // pad right
    {291, 358},  // pad left
    {374, 342},  // power up
    {374, 342},  // power up
};
// clang-format on

TEST(LongRun, AnHourOfApproachesKeepsMemorySteady) {
    auto session = MakeTestSession();
    HeadlessSession& s = *session;
    s.Tick(5);  // the title picture, then the animation
    s.Press(kStart.x, kStart.y);
    s.Release(kStart.x, kStart.y);

    constexpr int kTicks = 36000;         // one hour at 100 ms
    constexpr int kWarmUp = 3000;         // five minutes before the first measure
    long startKb = -1, middleKb = -1;
    int approaches = 1, arrivals = 0, failures = 0, habit = 0;
    for (int tick = 1; tick <= kTicks; ++tick) {
        if (tick == kWarmUp) startKb = ResidentKb();
        if (tick == kTicks / 2) middleKb = ResidentKb();
        if (!s.host().timerRunning()) {
            // A result screen stands: count it and fly the approach again.
            (s.view().arrived != 0 ? arrivals : failures)++;
            s.Press(kRestart.x, kRestart.y);
            s.Release(kRestart.x, kRestart.y);
            ++approaches;
            ASSERT_TRUE(s.host().timerRunning()) << "the restart switch did not re-arm the tick";
        }
        if (approaches % 2 == 0) {
            if (tick % 40 == 0) {
                const Point p = kHabits[habit++ % std::size(kHabits)];
                s.Click(p.x, p.y);
            }
        } else if (s.view().gameState == kStateFlightStep) {
            // Every other approach is flown with care, once a flight cycle:
            // 50 ft above the reference descent line (where the glide-slope
            // bar is centred), near 150 mph.
            const FlightState& f = s.view();
            const int32_t line = static_cast<int32_t>((f.runwayDistance - f.distanceFlown) / 15) + 50;
            if (f.altitude > line + 5 && f.pitch > -12) s.Click(kPadUp.x, kPadUp.y);
            if (f.altitude < line - 5 && f.pitch < 2) s.Click(kPadDown.x, kPadDown.y);
            if (f.airspeed > 170) s.Click(kPowerDown.x, kPowerDown.y);
            if (f.airspeed < 130) s.Click(kPowerUp.x, kPowerUp.y);
        }
        s.Tick();
        ASSERT_NE(s.view().gameState, static_cast<uint32_t>(kStateInformationPage)) << "the pilot left the cockpit";
    }
    const long endKb = ResidentKb();
    std::cout << "[ long run ] " << kTicks << " ticks, " << approaches << " approaches (" << arrivals
              << " arrivals, " << failures << " failures); resident memory " << startKb << " kB after warm-up, "
              << middleKb << " kB halfway, " << endKb << " kB at the end" << std::endl;
    ::testing::Test::RecordProperty("rss_start_kb", std::to_string(startKb));
    ::testing::Test::RecordProperty("rss_end_kb", std::to_string(endKb));

    // Approach after approach really was flown to its end, both ways, and restarted.
    EXPECT_GE(arrivals, 10);
    EXPECT_GE(failures, 10);
    EXPECT_EQ(approaches, arrivals + failures + 1);
    if (startKb < 0 || endKb < 0) GTEST_SKIP() << "no /proc/self/status here";
    EXPECT_LE(endKb - startKb, kAllowedGrowthKb) << "resident memory grew from " << startKb << " to " << endKb;
}

}  // namespace
