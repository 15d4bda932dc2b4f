// The desktop debriefs a logbook entry by replaying its flight out of sight:
// the recording it gets is the one the player's session made.
#ifdef AVELUNE_HAS_DESKTOP
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sdl/DesktopDebrief.h"
#include "tests/ReplayPlayer.h"
#include "tests/TestAtlas.h"

namespace {

void Play(HeadlessSession& session, const std::string& file) { PlayReplayFile(session, file); }

TEST(DesktopDebrief, AFlightReplayedOutOfSightRecordsAsFlown) {
    const std::string dir = MakeTempDir();
    WriteTestAtlasFile(dir + "/prop.bmp");
    for (const char* file : {"warning-recovered.events", "localizer-failure.events"}) {
        SCOPED_TRACE(file);
        HeadlessSession session(MakeTestAtlas());
        Play(session, file);
        const flightfile::Flight* flight = session.flights().latestEnded();
        const recorder::Recording* flown = session.recorder().latestEnded();
        ASSERT_NE(flight, nullptr);
        ASSERT_NE(flown, nullptr);
        recorder::Recording again;
        std::string error;
        ASSERT_TRUE(RecordFlight(*flight, dir + "/prop.bmp", again, error)) << error;
        EXPECT_TRUE(again.replayed);
        EXPECT_EQ(again.samples.size(), flown->samples.size());
        EXPECT_EQ(again.summary.outcome, flown->summary.outcome);
        EXPECT_EQ(again.summary.secondsWarned, flown->summary.secondsWarned);
        EXPECT_EQ(again.summary.stabilityFeet, flown->summary.stabilityFeet);
        EXPECT_EQ(again.samples.back().feetToGo, flown->samples.back().feetToGo);
        EXPECT_EQ(again.samples.back().altitude, flown->samples.back().altitude);
    }
    // No atlas: said, not crashed.
    HeadlessSession session(MakeTestAtlas());
    Play(session, "overspeed-failure.events");
    recorder::Recording r;
    std::string error;
    EXPECT_FALSE(RecordFlight(*session.flights().latestEnded(), dir + "/missing.bmp", r, error));
    EXPECT_NE(error.find("missing.bmp"), std::string::npos) << error;
    std::filesystem::remove_all(dir);
}

TEST(DesktopDebrief, PlotFitsTheWindowButNeverBelowOneX) {
    struct Case {
        float fit, scale;
    };
    // Fitted in sixteenths where the window is large, else 1x and scrolled;
    // never blown past the window (at scale 2 a 1264 x 920 window fits 0.93).
    const Case cases[] = {{0.61f, 1}, {0.93f, 1}, {1.7f, 1.6875f}, {2.5f, 2.5f}, {3.0f, 3}};
    for (const Case& c : cases) EXPECT_FLOAT_EQ(DebriefPlotScale(c.fit), c.scale) << c.fit;
}

}  // namespace
#endif
