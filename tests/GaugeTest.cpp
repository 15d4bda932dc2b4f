// The round needle gauges: which needle a value picks, where it lands, the
// jitter, and the six gauges of the panel with their driving values.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "tests/CockpitTestSupport.h"

using namespace cockpit_test;

namespace {

constexpr int kNoNeedle = -1;

// The face of a gauge at (ox, oy).
Area FaceArea(int ox, int oy) {
    return {ox, oy, ox + sprite::kGaugeFace.width - 1, oy + sprite::kGaugeFace.height - 1};
}

// The needle entries the gauge at (ox, oy) shows, read off a surface that was
// empty before: every entry whose picture lies, as far as the glass lets it
// show, at its place. Empty when the glass is bare.
std::vector<int> NeedlesShown(const CAveluneView& v, int ox, int oy) {
    std::vector<int> shown;
    for (int k = 0; k < kGaugeNeedleCount; ++k) {
        const GaugeNeedle& n = kGaugeNeedles[k];
        if (ShowsAtlasRect(v, ox + n.dx, oy + n.dy, n.srcX, n.srcY, n.width, n.height, kNeedleKey, GlassOf(sprite::kGaugeFace, ox, oy)))
            shown.push_back(k);
    }
    return shown;
}

// The one needle shown, kNoNeedle for bare glass; the test fails on anything else.
int NeedleShown(const CAveluneView& v, int ox, int oy) {
    const auto shown = NeedlesShown(v, ox, oy);
    if (shown.empty()) {
        EXPECT_TRUE(AreaIs(v, FaceArea(ox, oy), 0, GlassOf(sprite::kGaugeFace, ox, oy))) << "glass at (" << ox << ", " << oy << ") is neither bare nor a needle";
        return kNoNeedle;
    }
    EXPECT_EQ(shown.size(), 1u) << "several needles at (" << ox << ", " << oy << ")";
    return shown.front();
}

struct NeedleCase {
    int32_t value;
    int needle;
};
// clang-format off
const NeedleCase kNeedleCases[] = {
    {0, 0}, {1, 1}, {9, 9}, {18, 18}, {36, 36}, {54, 54}, {70, 70}, {71, 71},
    {72, kNoNeedle}, {73, kNoNeedle}, {-1, kNoNeedle}, {INT32_MIN, kNoNeedle}, {INT32_MAX, kNoNeedle},
};
// clang-format on

TEST(NeedleGauge, PicksTheNeedleOfItsValueAndLeavesOnlyTheFaceOutsideTheDial) {
    for (const auto& c : kNeedleCases) {
        CockpitView v;
        v->DrawNeedleGauge(465, 308, c.value);
        EXPECT_EQ(NeedleShown(*v, 465, 308), c.needle) << "value " << c.value;
        EXPECT_TRUE(ShowsSprite(*v, sprite::kGaugeFace, 465, 308)) << "value " << c.value;
    }
}

TEST(NeedleGauge, FaceCoversTheNeedleOutsideTheGlass) {
    // Every needle starts at the pivot, under the face's hub: the hub is drawn
    // over it, so the needle seems to turn beneath the glass.
    for (const int32_t value : {0, 18, 36, 54}) {
        CockpitView v;
        v->DrawNeedleGauge(395, 225, value);
        EXPECT_TRUE(ShowsSprite(*v, sprite::kGaugeFace, 395, 225)) << value;
        EXPECT_EQ(NeedleShown(*v, 395, 225), value);
    }
}

struct JitterCase {
    int rand;
    int32_t jitter;
};
const JitterCase kJitterCases[] = {{0, 0}, {9999, 0}, {10000, 1}, {19999, 1}, {20000, 2}, {29999, 2}, {30000, 3}, {32767, 3}};

TEST(GaugeJitter, IsOneRandValueInTenThousands) {
    CockpitView v;
    for (const auto& c : kJitterCases) {
        const int callsBefore = v.host.randCalls;
        v.host.randValues = {c.rand};
        EXPECT_EQ(v->RandTenThousands(), c.jitter) << c.rand;
        EXPECT_EQ(v.host.randCalls, callsBefore + 1);
    }
}

TEST(GaugeJitter, StaysWithinZeroToThreeAndReachesThreeRarely) {
    CockpitView v;
    std::array<int, 4> seen{};
    for (int i = 0; i < 12000; ++i) {
        const int32_t j = v->RandTenThousands();
        ASSERT_GE(j, 0);
        ASSERT_LE(j, 3);
        ++seen[j];
    }
    // 0, 1 and 2 each about a third of the time beyond the 3s, 3 about one in twelve.
    for (int j = 0; j < 3; ++j) EXPECT_GT(seen[j], 3300) << j;
    EXPECT_GT(seen[3], 600);
    EXPECT_LT(seen[3], 1400);
}

// ---- The six gauges of the panel -------------------------------------------

constexpr std::array<std::array<int, 2>, 6> kOrigins{{{395, 225}, {465, 225}, {535, 225}, {395, 308}, {465, 308}, {535, 308}}};

struct PanelCase {
    const char* what;
    uint32_t power, fuel, enginePointerA, enginePointerB, sweepCounter;
    std::array<int, 5> rands;  // for gauges 2 to 6, in that order
    std::array<int, 6> needles;
    uint32_t sweepAfter;
};
// clang-format off
const PanelCase kPanelCases[] = {
    // what                              power  fuel        A   B  sweep  rand for gauges 2..6                  needles 1..6                            sweep after
    {"engine off, no jitter",                0,      999,   0,  0,    0, {    0,     0,     0,     0,     0}, {  0,  0,  0,  1,  0,  0},                 1},
    {"set-up fuel, each jitter its own",    25,    50000,  52, 52,   10, {10000, 20000, 30000,     0, 10000}, { 25, 51, 54, 14, 52, 53},                11},
    {"jitter past the last needle",         71,    71999,  70, 69,   69, {30000, 30000, 30000, 20000,  9999}, { 71, kNoNeedle, kNoNeedle, kNoNeedle, kNoNeedle, 70}, 70},
    {"full-power button, tank overdrawn",   75, 0xFFFFFF00u, 52, 52, 70, {    0,     0,     0,     0,     0}, {kNoNeedle, kNoNeedle, 52, 0, 52, 52},     0},
    {"sweep counter above its dial",         0,        0,   0,  0, 4000000000u, {0,  0,     0, 30000,     0}, {  0,  0,  0,  0,  3,  0},                 0},
    {"engine pointer driven huge",           0,        0, 0xFFFFFFFEu, 0xFFFFFFFFu, 0, {0, 10000, 0, 30000, 20000}, {0, 0, 0, 1, 1, 0},                1},
};
// clang-format on

TEST(PanelGauges, ShowTheirMembersWithAFreshJitterEachInGaugeOrder) {
    for (const auto& c : kPanelCases) {
        CockpitView v;
        v->power = c.power;
        v->fuel = c.fuel;
        v->enginePointerA = c.enginePointerA;
        v->enginePointerB = c.enginePointerB;
        v->sweepCounter = c.sweepCounter;
        v.host.randValues.assign(c.rands.begin(), c.rands.end());
        v->DrawPanelGauges();
        EXPECT_EQ(v.host.randCalls, 5) << c.what;
        for (int g = 0; g < 6; ++g) {
            EXPECT_EQ(NeedleShown(*v, kOrigins[g][0], kOrigins[g][1]), c.needles[g]) << c.what << ", gauge " << g + 1;
            EXPECT_TRUE(ShowsSprite(*v, sprite::kGaugeFace, kOrigins[g][0], kOrigins[g][1])) << c.what << ", gauge " << g + 1;
        }
        EXPECT_EQ(v->sweepCounter, c.sweepAfter) << c.what;
        EXPECT_EQ(v->power, c.power);
        EXPECT_EQ(v->fuel, c.fuel);
    }
}

TEST(PanelGauges, StoreTheirLayoutOffsets) {
    CockpitView v;
    v->DrawPanelGauges();
    EXPECT_EQ(v->gaugeUpperMiddleOffsetX, 70);
    EXPECT_EQ(v->gaugeUpperRightOffsetX, 140);
    EXPECT_EQ(v->gaugeLowerLeftOffsetX, 0);
    EXPECT_EQ(v->gaugeLowerLeftOffsetY, 83);
    EXPECT_EQ(v->gaugeLowerMiddleOffsetX, 70);
    EXPECT_EQ(v->gaugeLowerMiddleOffsetY, 83);
    EXPECT_EQ(v->gaugeLowerRightOffsetX, 140);
    EXPECT_EQ(v->gaugeLowerRightOffsetY, 83);
}

TEST(PanelGauges, SweepNeedleGoesRoundOnceEverySeventyOnePictures) {
    CockpitView v;
    std::vector<uint32_t> counters;
    for (int picture = 0; picture < 72; ++picture) {
        v.host.randValues = {0, 0, 0, 0, 0};
        v->DrawPanelGauges();
        counters.push_back(v->sweepCounter);
        ASSERT_EQ(NeedleShown(*v, 395, 308), static_cast<int>(v->sweepCounter)) << "picture " << picture;
    }
    EXPECT_EQ(counters[0], 1u);
    EXPECT_EQ(counters[69], 70u);
    EXPECT_EQ(counters[70], 0u);
    EXPECT_EQ(counters[71], 1u);
}

}  // namespace
