// Presses and releases: which point hits which control, what each control
// changes, and how each shows itself.
#include <functional>

#include <gtest/gtest.h>

#include "input/ControlTables.h"
#include "tests/RecordingHost.h"

namespace {

using Change = std::function<void(FlightState&)>;

void Steer(FlightState& s, int pitchStep, int turnStep) {
    s.pitch = static_cast<int16_t>(s.pitch + pitchStep);
    s.horizonRow -= pitchStep;
    s.horizonColumn -= turnStep;
    s.bank = static_cast<int16_t>(s.bank + turnStep);
    s.compassHeading += turnStep;
    s.turnRate += turnStep;
}

const Change kNothing = [](FlightState&) {};
Change Steering(int pitchStep, int turnStep) {
    return [=](FlightState& s) { Steer(s, pitchStep, turnStep); };
}
Change Setting(uint32_t FlightState::*member, uint32_t value) {
    return [=](FlightState& s) { s.*member = value; };
}

// A cockpit in the middle of an approach, every control away from its limits.
void MidApproach(CAveluneView& v) {
    v.RestartApproach();
    v.gameState = kStateCockpit;
    v.pressMode = kModeCockpit;
    v.releaseMode = kModeCockpit;
    v.compassHeading = 10;
    v.bank = 1;
    v.outsideViewSwitch = 0;  // every switch unset, so either half changes it
    v.distanceFlown = 12345;
    v.airspeed = 180;
}

struct PressCase {
    int x, y;
    const char* what;
    Change change;  // kNothing with presents false: a miss
    bool presents;
};

// Edges of the cockpit's areas: one pixel inside acts, one outside misses.
const PressCase kCockpitEdges[] = {
    {281, 330, "upper left, left edge", Steering(-1, -1), true},
    {280, 330, "left of the upper left", kNothing, false},
    {301, 330, "upper left, right edge", Steering(-1, -1), true},
    {302, 330, "between upper left and up", kNothing, false},
    {290, 323, "above the upper left", kNothing, false},
    {290, 324, "upper left, top edge", Steering(-1, -1), true},
    {290, 344, "upper left, bottom edge", Steering(-1, -1), true},
    {290, 345, "below the upper left", kNothing, false},
    {305, 335, "up", Steering(-1, 0), true},
    {349, 335, "upper right", Steering(-1, 1), true},
    {350, 335, "right of the upper right", kNothing, false},
    {290, 358, "left", Steering(0, -1), true},
    {315, 358, "centre presents only", kNothing, true},
    {340, 358, "right", Steering(0, 1), true},
    {290, 392, "lower left, bottom edge", Steering(1, -1), true},
    {290, 393, "below the lower left", kNothing, false},
    {315, 372, "down, top edge", Steering(1, 0), true},
    {315, 394, "down reaches two rows lower", Steering(1, 0), true},
    {315, 395, "below the down button", kNothing, false},
    {340, 392, "lower right, bottom edge", Steering(1, 1), true},
    {340, 393, "below the lower right", kNothing, false},
    {246, 395, "left pedal", Steering(0, -1), true},
    {278, 409, "left pedal, far corner", Steering(0, -1), true},
    {245, 400, "left of the left pedal", kNothing, false},
    {279, 400, "right of the left pedal", kNothing, false},
    {384, 409, "right pedal", Steering(0, 1), true},
    {352, 410, "below the right pedal", kNothing, false},
    {370, 320, "above full power", kNothing, false},
    {370, 321, "full power", Setting(&FlightState::power, 75), true},
    {370, 331, "between full power and power up", kNothing, false},
    {370, 333, "power up", [](FlightState& s) { s.power += 1; }, true},
    {384, 375, "power down", [](FlightState& s) { s.power -= 1; }, true},
    {370, 376, "between power down and idle", kNothing, false},
    {364, 389, "idle power", Setting(&FlightState::power, 5), true},
    {385, 380, "right of idle power", kNothing, false},
    {40, 340, "drag on", Setting(&FlightState::dragSwitch, 2), true},
    {40, 363, "drag on, bottom edge", Setting(&FlightState::dragSwitch, 2), true},
    {40, 364, "between the drag halves", kNothing, false},
    {40, 366, "drag off, short half", Setting(&FlightState::dragSwitch, 1), true},
    {40, 375, "drag off, bottom edge", Setting(&FlightState::dragSwitch, 1), true},
    {40, 376, "below the drag switch", kNothing, false},
    {40, 378, "lift on", Setting(&FlightState::liftSwitch, 4), true},
    {40, 400, "between the lift halves", kNothing, false},
    {57, 424, "lift off, far corner", Setting(&FlightState::liftSwitch, 3), true},
    {58, 410, "right of the lift switch", kNothing, false},
    {160, 345, "turbulence on", Setting(&FlightState::turbulenceSwitch, 6), true},
    {160, 366, "turbulence off, short half", Setting(&FlightState::turbulenceSwitch, 5), true},
    {160, 376, "below the turbulence switch", kNothing, false},
    {177, 378, "outside view off", Setting(&FlightState::outsideViewSwitch, 8), true},
    {155, 424, "outside view on", Setting(&FlightState::outsideViewSwitch, 7), true},
    {155, 425, "below the outside-view switch", kNothing, false},
    {425, 410, "page switch off", Setting(&FlightState::pageSwitch, 9), true},
    {413, 390, "left of the page switch", kNothing, false},
    {300, 100, "the windscreen", kNothing, false},
};

TEST(CockpitPress, EachPointHitsItsControlOnly) {
    for (const PressCase& c : kCockpitEdges) {
        SCOPED_TRACE(c.what);
        RecordedView v;
        MidApproach(*v);
        FlightState want = *v;
        c.change(want);
        v->OnLButtonDown(c.x, c.y);
        EXPECT_EQ(RecordDiff(want, *v), "");
        EXPECT_EQ(v.host.calls, c.presents ? kPresent : std::vector<std::string>{});
    }
}

TEST(CockpitPress, PitchAndAttitudePictureMoveTogether) {
    RecordedView v;
    MidApproach(*v);
    const int clicks[][2] = {{315, 335}, {290, 335}, {315, 380}, {340, 385}, {315, 330}, {290, 335}};
    for (int round = 0; round < 50; ++round) {
        for (const auto& c : clicks) v->OnLButtonDown(c[0], c[1]);
        ASSERT_EQ(static_cast<int32_t>(v->horizonRow) + v->pitch, 99);
    }
}

TEST(CockpitPress, PowerIsNotLimitedHere) {
    RecordedView v;
    MidApproach(*v);
    v->power = 0;
    v->OnLButtonDown(370, 360);  // power down
    EXPECT_EQ(v->power, 0xFFFFFFFFu);
    v->power = 70;
    v->OnLButtonDown(370, 340);  // power up
    EXPECT_EQ(v->power, 71u);
}

TEST(CockpitPress, PageSwitchOpensTheInformationPage) {
    RecordedView v;
    MidApproach(*v);
    v->OnLButtonDown(414, 399);
    EXPECT_EQ(v->pageSwitch, 10u);
    EXPECT_EQ(v->gameState, kStateInformationPage);
    EXPECT_EQ(v.host.calls, kPresent);
    EXPECT_TRUE(ShowsSprite(*v, {413, 377, sprite::kLeverUp}));
}

TEST(CockpitPress, RestartPutsTheAircraftBackAndLeavesTheRest) {
    RecordedView v;
    MidApproach(*v);
    // Everything the restart writes, away from its restart value.
    v->restartLamp = 0;
    v->sceneryColumn = 17;
    v->fuel = 123;
    v->horizonColumn = -4;
    v->horizonRow = 80;
    v->pitch = 19;
    v->altitude = -40;
    v->turnRate = 3;
    v->headingOffset = -7;
    v->power = 71;
    v->sinkRate = -320;
    v->arrived = 1;
    v->outsideViewSwitch = kOutsideViewHidden;
    v->bank = -3;
    v->glideSlopeBarY = 300;
    v->lateralOffset = 12;
    v->runwayDistance = 1;
    // And some of what it must leave alone.
    v->gameState = kStateFailure;
    v->compassHeading = 359;
    v->enginePointerA = 52;
    v->enginePointerB = 51;
    v->dragSwitch = kDragOn;
    v->turbulenceSwitch = kTurbulenceOn;
    v->liftSwitch = kLiftOn;
    v->pageSwitch = kPageOn;
    v->localizerNeedle = 97;

    FlightState want = *v;
    want.restartLamp = kRestartLampLit;
    want.sceneryColumn = 0;
    want.fuel = 50000;
    want.horizonColumn = 0;
    want.horizonRow = 109;
    want.runwayDistance = 47320;
    want.altitude = 3202;
    want.turnRate = 0;
    want.headingOffset = 0;
    want.power = 25;
    want.airspeed = 150;
    want.distanceFlown = 0;
    want.sinkRate = 0;
    want.arrived = 0;
    want.outsideViewSwitch = kOutsideViewShown;
    want.bank = 0;
    want.glideSlopeBarY = 232;
    want.lateralOffset = 50;
    want.pitch = -10;

    v->OnLButtonDown(520, 399);
    EXPECT_EQ(RecordDiff(want, *v), "");
    EXPECT_EQ(v.host.calls, Calls({{"rearm 100"}, kPresent}));
    EXPECT_TRUE(ShowsSprite(*v, {507, 377, sprite::kLeverUp}));
}

TEST(CockpitPress, QuitPresentsThenAsksToEnd) {
    RecordedView v;
    MidApproach(*v);
    FlightState want = *v;
    v->OnLButtonDown(508, 401);
    EXPECT_EQ(v.host.calls, Calls({kPresent, {"quit"}}));
    EXPECT_EQ(RecordDiff(want, *v), "");
    EXPECT_TRUE(ShowsSprite(*v, {507, 377, sprite::kLeverDown}));
}

TEST(CockpitPress, SwitchPicturesShareOnePlace) {
    RecordedView v;
    MidApproach(*v);
    v->OnLButtonDown(40, 350);
    EXPECT_TRUE(ShowsSprite(*v, {34, 341, sprite::kLeverUp}));
    v->OnLButtonDown(40, 370);
    EXPECT_TRUE(ShowsSprite(*v, {34, 341, sprite::kLeverDown}));
    v->OnLButtonDown(305, 394);
    EXPECT_TRUE(ShowsSprite(*v, {304, 371, sprite::kPadPressed}));
}

TEST(TitlePress, StartRearmsFirstAndOnlyRealises) {
    RecordedView v;
    v->pressMode = kModeTitle;
    v->gameState = kStateTitleAnimation;
    FlightState want = *v;
    v->OnLButtonDown(299, 202);
    EXPECT_EQ(v.host.calls, (std::vector<std::string>{"rearm 100", "realize"}));
    EXPECT_EQ(RecordDiff(want, *v), "");
    EXPECT_TRUE(ShowsSprite(*v, {298, 219, sprite::kStartPressed}));
    EXPECT_FALSE(WindowShowsSprite(v.host, {298, 219, sprite::kStartPressed}));
}

struct ModeCase {
    uint32_t pressMode;
    int x, y;
    const char* what;
    Placed picture;
    uint32_t gameState;  // after the press (kStateTitleAnimation: unchanged)
    bool presents;
};

// clang-format off
const ModeCase kModePresses[] = {
    {kModeTitle,           420, 221, "page",          {420, 219, sprite::kPagePressed},     kStateTitleAnimation, true},
    {kModeTitle,           572, 253, "quit",          {497, 219, sprite::kQuitPressed},     kStateTitleAnimation, true},
    {kModeTitle,           573, 240, "beside quit",   controls::kNoPicture,                 kStateTitleAnimation, false},
    {kModeTitle,           300, 380, "info button",   controls::kNoPicture,                 kStateTitleAnimation, false},
    {kModeInformationPage, 181, 376, "back",          {178, 375, sprite::kStartPressed},    kStateTitleAnimation, true},
    {kModeInformationPage, 333, 409, "middle",        controls::kNoPicture,                 kStateTitleAnimation, true},
    {kModeInformationPage, 453, 409, "continue",      {378, 375, sprite::kContinuePressed}, kStateSecondPage,     true},
    {kModeInformationPage, 454, 400, "beside continue", controls::kNoPicture,               kStateTitleAnimation, false},
    {kModeInformationPage, 315, 335, "pad up",        controls::kNoPicture,                 kStateTitleAnimation, false},
    {kModeInformationPage, 300, 220, "start",         controls::kNoPicture,                 kStateTitleAnimation, false},
    {2,                    300, 220, "no mode 2",     controls::kNoPicture,                 kStateTitleAnimation, false},
};
// clang-format on

TEST(PagePress, TitleAndInformationButtons) {
    for (const ModeCase& c : kModePresses) {
        SCOPED_TRACE(c.what);
        RecordedView v;
        v->pressMode = c.pressMode;
        v->gameState = kStateTitleAnimation;
        const int16_t pitch = v->pitch;
        v->OnLButtonDown(c.x, c.y);
        EXPECT_EQ(v->gameState, c.gameState);
        EXPECT_EQ(v->pitch, pitch);
        EXPECT_FALSE(v.host.timerRunning()) << "no press here restarts the tick";
        EXPECT_FALSE(v.host.quitRequested()) << "quit acts on release";
        EXPECT_EQ(v.host.calls, c.presents ? kPresent : std::vector<std::string>{});
        if (controls::HasPicture(c.picture)) {
            EXPECT_TRUE(ShowsSprite(*v, c.picture));
        }
    }
}

struct ReleaseCase {
    uint32_t releaseMode;
    int x, y;
    const char* what;
    std::vector<std::string> calls;
    uint32_t gameState;  // kUnchanged: as it was
    uint32_t pressMode;
    Placed picture;
};
constexpr uint32_t kUnchanged = 99;

const std::vector<std::string> kBackCalls = Calls({kPresent, {"show 632x440", "rearm 100"}});
const std::vector<std::string> kContinueCalls = Calls({kPresent, {"rearm 100"}});

// clang-format off
const ReleaseCase kReleaseCases[] = {
    {kModeTitle,           299, 202, "start",             kPresent,                   kStateCockpit,          kUnchanged,   {298, 219, sprite::kStartReleased}},
    {kModeTitle,           370, 253, "start, far corner", kPresent,                   kStateCockpit,          kUnchanged,   {298, 219, sprite::kStartReleased}},
    {kModeTitle,           371, 253, "beside start",         {},                         kUnchanged,             kUnchanged,   controls::kNoPicture},
    {kModeTitle,           301, 376, "middle",            kPresent,                   kUnchanged,             kUnchanged,   {298, 375, sprite::kMiddleReleased}},
    {kModeTitle,           492, 221, "quit",              Calls({kPresent, {"quit"}}),kUnchanged,             kUnchanged,   {497, 219, sprite::kQuitReleased}},
    {kModeTitle,           181, 409, "back on the title", kBackCalls,                 kStateTitlePicture,     kUnchanged,   controls::kNoPicture},
    {kModeTitle,           451, 253, "page",              kPresent,                   kStateInformationPage,  kUnchanged,   {418, 219, sprite::kPageReleased}},
    {kModeTitle,           381, 376, "continue",          kContinueCalls,             kStateSecondPage,       kModeCockpit, controls::kNoPicture},
    {kModeInformationPage, 253, 376, "back",              kBackCalls,                 kStateTitlePicture,     kUnchanged,   controls::kNoPicture},
    {kModeInformationPage, 420, 221, "page",              kPresent,                   kStateInformationPage,  kUnchanged,   {418, 219, sprite::kPageReleased}},
    {kModeInformationPage, 453, 409, "continue",          kContinueCalls,             kStateSecondPage,       kModeCockpit, controls::kNoPicture},
    {kModeInformationPage, 380, 390, "beside continue",      {},                         kUnchanged,             kUnchanged,   controls::kNoPicture},
    {kModeInformationPage, 300, 220, "start is not live",    {},                         kUnchanged,             kUnchanged,   controls::kNoPicture},
    {kModeInformationPage, 310, 390, "middle is not live",   {},                         kUnchanged,             kUnchanged,   controls::kNoPicture},
    {kModeInformationPage, 500, 240, "quit is not live",     {},                         kUnchanged,             kUnchanged,   controls::kNoPicture},
    {kModeCockpit,         300, 220, "nothing in flight",    {},                         kUnchanged,             kUnchanged,   controls::kNoPicture},
    {kModeCockpit,         400, 390, "nothing in flight",    {},                         kUnchanged,             kUnchanged,   controls::kNoPicture},
};
// clang-format on

TEST(Release, EachModeTestsItsAreas) {
    for (const ReleaseCase& c : kReleaseCases) {
        SCOPED_TRACE(c.what);
        RecordedView v;
        v->releaseMode = c.releaseMode;
        v->pressMode = kUnchanged;
        v->gameState = kUnchanged;
        v->OnLButtonUp(c.x, c.y);
        EXPECT_EQ(v.host.calls, c.calls);
        EXPECT_EQ(v->gameState, c.gameState);
        EXPECT_EQ(v->pressMode, c.pressMode);
        if (controls::HasPicture(c.picture)) {
            EXPECT_TRUE(WindowShowsSprite(v.host, c.picture));
        }
    }
}

TEST(Release, BackShowsTheTitleBackgroundOpaqueAtOnce) {
    FramesView v;
    v->releaseMode = kModeInformationPage;
    v->OnLButtonUp(200, 390);
    ASSERT_EQ(v.host.frames.size(), 2u);
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[0], {178, 375, sprite::kStartReleased}));
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[1], {0, 0, sprite::kTitleBackgroundFull}));
    EXPECT_TRUE(ShowsSprite(*v, {0, 0, sprite::kTitleBackgroundFull}));
}

TEST(InformationPage, ContinuePressWaitsForTheRelease) {
    auto session = MakeTestSession();
    CAveluneView& v = session->view();
    HeadlessHost& host = session->host();
    v.gameState = kStateInformationPage;
    session->Tick();
    ASSERT_FALSE(host.timerRunning());

    session->Press(400, 390);
    EXPECT_EQ(v.gameState, kStateSecondPage);
    EXPECT_FALSE(host.timerRunning());
    session->Tick(3);
    const int shows = host.surfaceShows();
    EXPECT_EQ(shows, 2) << "the information page and the continue press: nothing more";

    session->Release(400, 390);
    EXPECT_TRUE(host.timerRunning());
    EXPECT_EQ(v.pressMode, kModeCockpit);
    EXPECT_EQ(v.releaseMode, kModeInformationPage);
    session->Tick();
    EXPECT_EQ(host.surfaceShows(), shows + 1 + 12);
    EXPECT_EQ(v.gameState, kStateSecondPage);
}

TEST(SecondPage, AClickOnContinueIsAPageSwitchThenContinue) {
    auto session = MakeTestSession();
    CAveluneView& v = session->view();
    v.gameState = kStateSecondPage;
    v.pressMode = kModeCockpit;
    v.releaseMode = kModeInformationPage;
    session->Tick();

    session->Press(420, 380);
    EXPECT_EQ(v.pageSwitch, 10u);
    EXPECT_EQ(v.gameState, kStateInformationPage);
    session->Release(420, 380);
    EXPECT_EQ(v.gameState, kStateSecondPage);
    EXPECT_TRUE(session->host().timerRunning());
    session->Tick(3);
    EXPECT_EQ(v.gameState, kStateSecondPage) << "the second page stays";
}

TEST(SecondPage, ReachedFromTheTitleTheStartReleaseStillFlies) {
    auto session = MakeTestSession();
    CAveluneView& v = session->view();
    session->Tick(3);  // title picture, two frames
    session->Press(400, 390);   // nothing on the title screen
    session->Release(400, 390); // continue's place: the second page
    EXPECT_EQ(v.gameState, kStateSecondPage);
    session->Tick();
    session->Press(330, 230);
    session->Release(330, 230);  // start, still live with release mode 0
    EXPECT_EQ(v.gameState, kStateCockpit);
    session->Tick();
    EXPECT_EQ(v.gameState, kStateJudgement);
    EXPECT_EQ(v.pressMode, kModeCockpit);
    EXPECT_EQ(v.releaseMode, kModeCockpit);
}

// The areas of one mode never overlap, so the order of a table decides
// nothing; a point in two areas would make one click two controls.
TEST(ControlTables, AreasOfOneModeDoNotOverlap) {
    auto overlap = [](const controls::InclusiveArea& a, const controls::InclusiveArea& b) {
        return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
    };
    for (uint32_t mode : {0u, 1u, 3u}) {
        const auto rows = controls::PressAreas(mode);
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_LE(rows[i].area.left, rows[i].area.right) << rows[i].name;
            EXPECT_LE(rows[i].area.top, rows[i].area.bottom) << rows[i].name;
            for (size_t j = i + 1; j < rows.size(); ++j) {
                EXPECT_FALSE(overlap(rows[i].area, rows[j].area)) << rows[i].name << " / " << rows[j].name;
            }
        }
    }
    const std::span<const controls::ReleaseRow> r(controls::kReleases);
    for (size_t i = 0; i < r.size(); ++i) {
        for (size_t j = i + 1; j < r.size(); ++j) {
            EXPECT_FALSE(overlap(r[i].area, r[j].area)) << r[i].name << " / " << r[j].name;
        }
    }
}

}  // namespace
