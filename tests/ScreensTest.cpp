// The title picture, the title animation, the information page and the
// second page: what each state draws and how it shows it.
#include <gtest/gtest.h>

#include "game/ScreenLayout.h"
#include "tests/RecordingHost.h"

namespace {

TEST(TitlePicture, PresentsTheClientAreaThenLaysTheBackground) {
    RecordedView v;
    v->OnTimer();
    EXPECT_EQ(v.host.calls, (std::vector<std::string>{"realize", "show 632x440", "rearm 100"}));
    EXPECT_EQ(v->gameState, kStateTitleAnimation);
    EXPECT_TRUE(WindowShowsSprite(v.host, kTitlePanel));
    // The background is drawn after the show: the surface holds it, the window not yet.
    EXPECT_TRUE(ShowsSprite(*v, kTitleBackground));
    EXPECT_FALSE(WindowShowsSprite(v.host, kTitleBackground));
}

struct FrameCase {
    uint32_t frame;
    Sprite figure, motif, aircraft;
    int16_t x;
};

// clang-format off
const FrameCase kFrames[] = {
    { 0, sprite::kTitleAnimA, sprite::kTitleMotif0, sprite::kAircraftB, 300},
    { 1, sprite::kTitleAnimB, sprite::kTitleMotif1, sprite::kAircraftB, 290},
    { 2, sprite::kTitleAnimC, sprite::kTitleMotif2, sprite::kAircraftB, 280},
    { 3, sprite::kTitleAnimB, sprite::kTitleMotif3, sprite::kAircraftA, 270},
    { 4, sprite::kTitleAnimA, sprite::kTitleMotif0, sprite::kAircraftA, 260},
    { 5, sprite::kTitleAnimB, sprite::kTitleMotif1, sprite::kAircraftA, 275},
    { 6, sprite::kTitleAnimC, sprite::kTitleMotif2, sprite::kAircraftA, 290},
    { 8, sprite::kTitleAnimA, sprite::kTitleMotif0, sprite::kAircraftA, 320},
    { 9, sprite::kTitleAnimB, sprite::kTitleMotif1, sprite::kAircraftB, 335},
    {10, sprite::kTitleAnimC, sprite::kTitleMotif2, sprite::kAircraftB, 350},
    {11, sprite::kTitleAnimB, sprite::kTitleMotif3, sprite::kAircraftB, 365},
    {12, sprite::kTitleAnimA, sprite::kTitleMotif0, sprite::kAircraftB, 380},
    {13, sprite::kTitleAnimB, sprite::kTitleMotif1, sprite::kAircraftB, 365},
    {14, sprite::kTitleAnimC, sprite::kTitleMotif2, sprite::kAircraftB, 350},
    {15, sprite::kTitleAnimB, sprite::kTitleMotif3, sprite::kAircraftB, 320},
};
// clang-format on

// The tick that draws frame f (the state machine advances titleFrame first).
void TickToFrame(RecordedView& v, uint32_t f) {
    v->gameState = kStateTitleAnimation;
    v->titleFrame = (f + 15) % 16;
    v->OnTimer();
    ASSERT_EQ(v->titleFrame, f);
}

TEST(TitleAnimation, EachFrameDrawsItsPicturesAndShowsOnce) {
    for (const FrameCase& c : kFrames) {
        SCOPED_TRACE(c.frame);
        RecordedView v;
        v.host.randValues = {20000};
        TickToFrame(v, c.frame);
        EXPECT_EQ(v.host.calls, (std::vector<std::string>{"realize", "show 640x480"}));
        EXPECT_EQ(v.host.randCalls, 1);
        EXPECT_TRUE(ShowsSprite(*v, {59, 64, c.figure}));
        EXPECT_TRUE(ShowsSprite(*v, {300, 67, c.motif}));
        EXPECT_TRUE(ShowsSprite(*v, {c.x, 319, c.aircraft}));
        EXPECT_EQ(v->pressMode, kModeTitle);
        EXPECT_EQ(v->releaseMode, kModeTitle);
        EXPECT_EQ(v->altitude, 3202) << "the new-flight values follow every frame";
    }
}

TEST(TitleAnimation, FrameSevenShowsTheAircraftTwice) {
    FramesView v;
    v.host.randValues = {0, 30000};
    TickToFrame(v, 7);
    EXPECT_EQ(v.host.calls, (std::vector<std::string>{"realize", "show 640x480", "show 640x480"}));
    ASSERT_EQ(v.host.frames.size(), 2u);
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[0], {305, 315, sprite::kAircraftA}));
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[1], {320, 321, sprite::kAircraftA}));
    EXPECT_TRUE(ShowsSprite(*v, {59, 64, sprite::kTitleAnimB}));
    EXPECT_TRUE(ShowsSprite(*v, {300, 67, sprite::kTitleMotif3}));
}

TEST(TitleAnimation, TheAircraftBobsByTwoRowsPerTenThousand) {
    struct Case {
        int rand;
        int row;
    };
    for (const Case c : {Case{0, 315}, Case{9999, 315}, Case{10000, 317}, Case{19999, 317}, Case{20000, 319},
                         Case{29999, 319}, Case{30000, 321}, Case{32767, 321}}) {
        SCOPED_TRACE(c.rand);
        RecordedView v;
        v.host.randValues = {c.rand};
        TickToFrame(v, 12);  // x 380, clear of the strip's right end
        EXPECT_TRUE(ShowsSprite(*v, {380, static_cast<int16_t>(c.row), sprite::kAircraftB}));
    }
}

TEST(TitleAnimation, NothingRestoresTheGroundUnderTheAircraft) {
    // Frame 12 leaves the aircraft at x 380..411, rows 321..352; frame 13
    // draws it at x 365..396. Right of that, only the keyed strip lies over
    // the old copy, which shows through wherever the strip is transparent.
    RecordedView v;
    v.host.randValues = {32767, 0};
    TickToFrame(v, 12);
    v->OnTimer();  // frame 13
    const Sprite old = sprite::kAircraftB;
    int seen = 0;
    for (int y = 321; y < 321 + 32; ++y) {
        for (int x = 397; x < 380 + 32; ++x) {
            const uint8_t strip = AtlasPattern(kTitleStrip.sprite.x + (x - kTitleStrip.x), kTitleStrip.sprite.y + (y - kTitleStrip.y));
            const uint8_t want = AtlasPattern(old.x + (x - 380), old.y + (y - 321));
            if (strip != kTitleStrip.sprite.key || want == old.key) continue;
            EXPECT_EQ(v->PixelAt(x, y), want) << x << "," << y;
            ++seen;
        }
    }
    EXPECT_GT(seen, 0);
}

TEST(TitleAnimation, TheFirstFrameAfterTheTitlePictureIsFrameOne) {
    auto session = MakeTestSession();
    session->Tick(2);
    EXPECT_EQ(session->view().titleFrame, 1u);
    EXPECT_EQ(session->view().gameState, kStateTitleAnimation);
    EXPECT_TRUE(ShowsSprite(session->view(), {59, 64, sprite::kTitleAnimB}));
    EXPECT_TRUE(ShowsSprite(session->view(), {300, 67, sprite::kTitleMotif1}));
}

TEST(InformationPage, ShownOnceWithoutRealisingAndTheTickStops) {
    RecordedView v;
    v->RearmTimer();
    v.host.calls.clear();
    v->gameState = kStateInformationPage;
    v->OnTimer();
    EXPECT_EQ(v.host.calls, (std::vector<std::string>{"show 640x480", "kill"}));
    EXPECT_EQ(v->pressMode, kModeInformationPage);
    EXPECT_EQ(v->releaseMode, kModeInformationPage);
    EXPECT_TRUE(WindowShowsSprite(v.host, kPageBar));
    // Below the bar the page itself shows (the bar covers 371..413 only).
    EXPECT_TRUE(WindowShowsSprite(v.host, {0, 414, {1269, 414, 632, 26, 225}}));
}

TEST(SecondPage, FiveLayersRealisedOnceAndShownTwelveTimes) {
    RecordedView v;
    v->gameState = kStateSecondPage;
    v->OnTimer();
    std::vector<std::string> want{"realize"};
    for (int i = 0; i < 12; ++i) want.push_back("show 632x440");
    EXPECT_EQ(v.host.calls, want);
    EXPECT_EQ(v->gameState, kStateSecondPage) << "the page stands, redrawn every tick";
    EXPECT_TRUE(WindowShowsSprite(v.host, kSecondPanel));
    EXPECT_TRUE(WindowShowsSprite(v.host, kSecondBar));
}

}  // namespace
