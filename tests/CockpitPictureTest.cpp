// The cockpit picture as a whole: the order of its work, the attitude, ILS
// and airspeed indicators, the limits applied while composing, and what
// reaches the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/CockpitTestSupport.h"

using namespace cockpit_test;

namespace {

// A recording host that also keeps the lines drawn on the window.
class LineHost : public RecordingHost {
public:
    void DrawBlackLine(int x0, int y0, int x1, int y1) override {
        lines.push_back({x0, y0, x1, y1});
        RecordingHost::DrawBlackLine(x0, y0, x1, y1);
    }
    std::vector<std::array<int, 4>> lines;
};

struct LineView {
    LineHost host;
    std::unique_ptr<CAveluneView> view = MakeCockpitView(host);
    CAveluneView* operator->() { return view.get(); }
    CAveluneView& operator*() { return *view; }
};

// A record in flight: the start of the approach as the game sets it up, at
// 150 mph, the cockpit about to be drawn.
void FlyingRecord(CAveluneView& v) {
    v.NewFlightSetUp();
    v.gameState = kStateCockpit;
    v.airspeed = 150;
    v.airspeedFrame = 34;
    v.distanceFlown = 47320;
    v.distanceToGo = 0;
}

// ---- Order and presentation -------------------------------------------------

TEST(CockpitPicture, ShowsTheWholeSurfaceWithoutRealisingThePaletteAndHandsOverToTheJudgement) {
    for (const uint32_t viewSwitch : {7u, 8u}) {
        LineView v;
        FlyingRecord(*v);
        v->outsideViewSwitch = viewSwitch;
        v->pressMode = kModeTitle;
        v->releaseMode = kModeInformationPage;
        v->OnTimer();  // state 4: the input modes, the composition, the next state
        EXPECT_EQ(v.host.calls, std::vector<std::string>{"show 640x480"}) << viewSwitch;
        EXPECT_EQ(v->gameState, static_cast<uint32_t>(kStateJudgement));
        EXPECT_EQ(v->pressMode, static_cast<uint32_t>(kModeCockpit));
        EXPECT_EQ(v->releaseMode, static_cast<uint32_t>(kModeCockpit));
        EXPECT_EQ(v.host.randCalls, 5) << "one jitter for each of five gauges";
        EXPECT_EQ(v.host.lines.size(), viewSwitch == 7u ? 4u : 0u);
    }
}

TEST(CockpitPicture, LeavesTheSurfaceBeyondTheBasePanelAlone) {
    CockpitView v;
    FlyingRecord(*v);
    v->ComposeCockpit();
    EXPECT_TRUE(AreaIs(*v, {632, 0, 639, 479}, 0));
    EXPECT_TRUE(AreaIs(*v, {0, 440, 639, 479}, 0));
    EXPECT_TRUE(ShowsSprite(*v, sprite::kBasePanel, 0, 0, Area{0, 180, 20, 439}));
}

TEST(CockpitPicture, DrawsTheRunwayOutlineOnTheWindowOnlyRoundFromTheFarLeftCorner) {
    LineView v;
    FlyingRecord(*v);
    v->ComposeCockpit();
    const std::vector<std::array<int, 4>> expected{
        {318, 107, 322, 107}, {322, 107, 349, 159}, {349, 159, 291, 159}, {291, 159, 318, 107}};
    EXPECT_EQ(v.host.lines, expected);
    // On the window the edges are black; the surface under them holds the scenery.
    for (const auto& p : std::vector<std::array<int, 2>>{{318, 107}, {320, 107}, {349, 159}, {320, 159}, {300, 159}}) {
        EXPECT_EQ(v.host.WindowPixel(p[0], p[1]), 0) << p[0] << ", " << p[1];
        EXPECT_NE(v->PixelAt(p[0], p[1]), 0) << p[0] << ", " << p[1];
    }
    // The next picture's copy removes the outline of this one.
    v->outsideViewSwitch = kOutsideViewHidden;
    v->ComposeCockpit();
    EXPECT_NE(v.host.WindowPixel(320, 107), 0);
}

// ---- Attitude indicator -------------------------------------------------------

struct AttitudeCase {
    const char* what;
    int32_t horizonColumn;
    uint32_t horizonRow;
    int srcX, srcY;
};
// clang-format off
const AttitudeCase kAttitudeCases[] = {
    {"level, set-up pitch",               0,               109,         838, 1326},
    {"leftmost bank picture, top",       -8,                 0,         326, 1217},
    {"rightmost bank picture, bottom",    8,               197,        1350, 1414},
    {"pushed past the right picture",     9,               198,        1350, 1414},
    {"pushed past the left picture",    -40,               109,         326, 1326},
    {"row above the band",                0,       4294967295u,         838, 1217},
    {"row half the range away",           0,       2147483648u,         838, 1217},
    {"row far below the band",            0,        1000000000,         838, 1414},
    {"column wrapping to picture -1",     INT32_MAX,       109,         774, 1326},
    {"column wrapping to picture 0",      INT32_MIN,       109,         838, 1326},
    {"column wrapping to picture 1",      (1 << 26) + 1,   109,         902, 1326},
};
// clang-format on

// The cockpit composed in flight with one case's horizon.
void ComposeAttitude(CockpitView& v, const AttitudeCase& c) {
    FlyingRecord(*v);
    v->horizonColumn = c.horizonColumn;
    v->horizonRow = c.horizonRow;
    v->ComposeCockpit();
}

TEST(AttitudeIndicator, ShowsItsBankPictureAndStopsAtTheBandsEdges) {
    for (const auto& c : kAttitudeCases) {
        CockpitView v;
        ComposeAttitude(v, c);
        EXPECT_TRUE(ShowsAtlasRect(*v, 285, 230, c.srcX, c.srcY, 63, 63)) << c.what;
        EXPECT_EQ(v->horizonColumn, c.horizonColumn) << "the members themselves stay as the controls left them";
        EXPECT_EQ(v->horizonRow, c.horizonRow);
    }
}

TEST(AttitudeIndicator, FarPushedControlsStillShowAPictureOfTheBand) {
    for (const auto& c : kAttitudeCases) {
        CockpitView v;
        ComposeAttitude(v, c);
        const auto sources = FindAtlasSources(*v, 285, 230, 63, 63);
        ASSERT_EQ(sources.size(), 1u) << c.what;
        const Sprite& band = kAttitudeBand;
        EXPECT_GE(sources[0].x, band.x) << c.what;
        EXPECT_LE(sources[0].x + 63, band.x + band.width) << c.what;
        EXPECT_GE(sources[0].y, band.y) << c.what;
        EXPECT_LE(sources[0].y + 63, band.y + band.height) << c.what;
    }
}

// ---- ILS indicator -------------------------------------------------------------

struct LocalizerCase {
    int16_t lateralOffset;
    int16_t needle;
};
const LocalizerCase kLocalizerCases[] = {{-7, 0}, {0, 0}, {50, 50}, {100, 100}, {130, 100}, {-32768, 0}, {32767, 100}, {1, 1}};

TEST(IlsIndicator, LocalizerNeedleStaysOnItsScaleAndTheLimitedValueIsKept) {
    for (const auto& c : kLocalizerCases) {
        CockpitView v;
        FlyingRecord(*v);
        v->lateralOffset = c.lateralOffset;
        v->ComposeCockpit();
        EXPECT_EQ(v->localizerNeedle, c.needle) << c.lateralOffset;
        EXPECT_EQ(v->lateralOffset, c.lateralOffset);
        // Between the face's top and the glide-slope bar's scale, clear of the readouts.
        EXPECT_TRUE(ShowsSprite(*v, sprite::kLocalizerNeedle, 27 + c.needle, 232, Area{0, 236, 639, 270}))
            << c.lateralOffset;
    }
}

TEST(IlsIndicator, GlideSlopeBarStandsOnItsRow) {
    for (const int16_t row : {232, 250, 282, 332}) {
        CockpitView v;
        FlyingRecord(*v);
        v->glideSlopeBarY = row;
        v->ComposeCockpit();
        EXPECT_TRUE(ShowsSprite(*v, sprite::kGlideSlopeBar, 28, row, Area{29, 0, 36, 479})) << row;
    }
    // A row the flight step would never leave is drawn no further than the surface.
    for (const int16_t row : {-32768, -2, 478, 32767}) {
        CockpitView v;
        FlyingRecord(*v);
        v->glideSlopeBarY = row;
        v->OnTimer();
        EXPECT_EQ(v->gameState, static_cast<uint32_t>(kStateJudgement)) << row;
    }
}

// ---- Airspeed indicator -------------------------------------------------------------

constexpr int kNoNeedle = -1;
struct AirspeedCase {
    uint32_t frame;
    std::vector<int> needles;  // every needle picture the dial then shows
};

const AirspeedCase kAirspeedCases[] = {
    {0, {0}},       {17, {17}},      {34, {34}},   {35, {35, 36}}, {36, {35, 36}}, {54, {54}},
    {68, {68}},     {70, {70}},      {71, {}},     {72, {}},       {0xFFFFFFFFu, {}},
};

TEST(AirspeedIndicator, ShowsTheNeedleOfItsFrameUnderTheGlassOrNoneBeyondTheLast) {
    for (const auto& c : kAirspeedCases) {
        CockpitView v;
        v->airspeedFrame = c.frame;
        v->DrawAirspeedIndicator();
        const Visible glass = GlassOf(sprite::kAirspeedFace, 143, 230);
        std::vector<int> shown;
        for (int k = 0; k < kAirspeedNeedleCount; ++k) {
            const AirspeedNeedle& n = kAirspeedNeedles[k];
            if (ShowsAtlasRect(*v, n.destX, n.destY, n.srcX, n.srcY, n.width, n.height, kNeedleKey, glass))
                shown.push_back(k);
        }
        EXPECT_EQ(shown, c.needles) << "frame " << c.frame;
        // The first pass draws the glass itself; only a needle covers it.
        if (c.needles.empty()) {
            EXPECT_TRUE(AreaIs(*v, {143, 230, 251, 338}, kGaugeGlass, glass)) << "frame " << c.frame;
        }
        // The second pass of the face draws the first pass's see-through
        // corners and puts the hub back over the needle; without a needle
        // there is no second pass.
        const bool secondPass = !c.needles.empty();
        EXPECT_EQ(v->PixelAt(143, 230), secondPass ? kBezelGlass : 0) << "frame " << c.frame;
        EXPECT_EQ(v->PixelAt(251, 338), secondPass ? kBezelGlass : 0) << "frame " << c.frame;
        const Visible notGlass = [&glass](int x, int y) { return !glass(x, y); };
        EXPECT_TRUE(ShowsSprite(*v, secondPass ? sprite::kAirspeedFaceOver : sprite::kAirspeedFace, 143, 230, notGlass))
            << "frame " << c.frame;
    }
}

// ---- Bank ------------------------------------------------------------------

struct BankCase {
    int16_t bank, limited;
};
const BankCase kBankCases[] = {{5, 3}, {-4, -3}, {3, 3}, {-3, -3}, {0, 0}, {2, 2}, {32767, 3}, {-32768, -3}};

TEST(CockpitPicture, LimitsTheBankAndKeepsTheLimitedValue) {
    for (const auto& c : kBankCases) {
        for (const uint32_t viewSwitch : {7u, 8u}) {
            CockpitView v;
            FlyingRecord(*v);
            v->bank = c.bank;
            v->outsideViewSwitch = viewSwitch;
            v->ComposeCockpit();
            EXPECT_EQ(v->bank, c.limited) << c.bank << " with the view switch at " << viewSwitch;
        }
    }
}

}  // namespace
