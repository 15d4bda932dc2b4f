// The bookkeeping the desktop and the web hosts share: a palette counts as
// changed only when it differs from the one last realised, and taking the
// change clears it; the timer stops on KillTimer; quit is only remembered.
#include <gtest/gtest.h>

#include "platform/common/TimedWindowHost.h"

namespace {

class ClockHost : public TimedWindowHost {
public:
    void RearmTimer(uint32_t periodMs) override { timer().Rearm(now, periodMs); }
    void StartSound(const std::string&) override {}
    uint64_t now = 1000;
};

PaletteColors Grey(uint8_t level) {
    PaletteColors p{};
    for (Rgb& c : p) c = {level, level, level};
    return p;
}

TEST(TimedWindowHost, PaletteChangesAreTakenOnce) {
    ClockHost host;
    EXPECT_TRUE(host.TakePaletteChanged()) << "the first picture needs a palette";
    struct Step {
        uint8_t level;
        bool changed;
    };
    const Step steps[] = {{0, false}, {10, true}, {10, false}, {11, true}, {0, true}};
    for (const Step& s : steps) {
        host.RealizePalette(Grey(s.level));
        EXPECT_EQ(host.paletteChanged(), s.changed) << "level " << int{s.level};
        EXPECT_EQ(host.TakePaletteChanged(), s.changed) << "level " << int{s.level};
        EXPECT_FALSE(host.paletteChanged());
        EXPECT_EQ(host.palette()[7].red, s.level);
    }
}

TEST(TimedWindowHost, TimerAndQuitFollowTheGame) {
    ClockHost host;
    host.RearmTimer(100);
    EXPECT_EQ(host.timer().WaitMs(host.now), 100);
    EXPECT_TRUE(host.timer().TakeDue(host.now + 100));
    host.KillTimer();
    EXPECT_EQ(host.timer().WaitMs(host.now + 500), -1);
    EXPECT_FALSE(host.quitRequested());
    host.PostQuit();
    EXPECT_TRUE(host.quitRequested());
}

}  // namespace
