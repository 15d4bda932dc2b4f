// The windscreen: where each scenery column is cut from, the shear of the
// bank, the view switched off, far-pushed controls, and the runway corners.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/CockpitTestSupport.h"

using namespace cockpit_test;

namespace {

// The atlas corner whose 1 x 152 column the view shows at column c, when the
// surface shows exactly that column there.
bool ColumnFrom(const CAveluneView& v, int c, int srcX, int srcY) {
    return ShowsAtlasRect(v, kViewLeft + c, kViewTop, srcX, srcY, 1, kViewRows);
}

struct ColumnCase {
    const char* what;
    int16_t bank, pitch;
    int32_t headingOffset;
    int column;
    int srcX, srcY;
};
// clang-format off
const ColumnCase kColumnCases[] = {
    // what                                   bank pitch  heading    column  atlas x  atlas y
    {"level, first column",                      0,    0,          0,     0,     334,   1700},
    {"level, last column",                       0,    0,          0,   589,     923,   1700},
    {"set-up pitch",                             0,  -10,          0,   100,     434,   1720},
    {"nose up",                                  0,   20,          0,    10,     344,   1660},
    {"heading five steps one way",               0,    0,          5,     0,     319,   1700},
    {"heading five steps the other way",         0,    0,         -5,   589,     938,   1700},
    {"bank 3, first column carries one step",    3,    0,          0,     0,     334,   1655},
    {"bank 3, last column 159 rows lower",       3,    0,          0,   589,     923,   1814},
    {"bank 1 after 101 steps",                   1,    0,          0,   100,     434,   1694},
    {"bank -3, first column",                   -3,  -10,          0,     0,     334,   1764},
    {"bank -3, last column",                    -3,  -10,          0,   589,     923,   1605},
    // Far-pushed controls: the column stops at the scenery's edges.
    {"scenery's top edge",                      -3,    0,          0,   589,     923,   1590},
    {"nose far down, bottom edge",               0, -200,          0,     0,     334,   1848},
    {"pitch at its 16-bit top",                  0, 32767,         0,   300,     634,   1590},
    {"pitch at its 16-bit bottom",               0, -32768,        0,   300,     634,   1848},
    {"heading past the right edge",              0,    0,      -1000,     0,    1276,   1700},
    {"heading past the left edge",               0,    0,        400,   589,       0,   1700},
    {"heading at its 32-bit top",                0,    0,  INT32_MAX,   300,       0,   1700},
    {"heading at its 32-bit bottom",             0,    0,  INT32_MIN,   300,       0,   1700},
    {"three headings wrap to two pixels",        0,    0, 1431655766,     0,     332,   1700},
};
// clang-format on

TEST(OutsideView, CutsEachColumnAtItsHeadingPitchAndShearHeldInsideTheScenery) {
    for (const auto& c : kColumnCases) {
        CockpitView v;
        v->outsideViewSwitch = kOutsideViewShown;
        v->bank = c.bank;
        v->pitch = c.pitch;
        v->headingOffset = c.headingOffset;
        v->DrawOutsideView();
        EXPECT_TRUE(ColumnFrom(*v, c.column, c.srcX, c.srcY)) << c.what;
    }
}

TEST(OutsideView, ShearStepsDownOneRowAtATimeAcrossTheView) {
    CockpitView v;
    v->outsideViewSwitch = kOutsideViewShown;
    v->bank = 2;
    v->DrawOutsideView();
    // 0.18 rows per column: every column starts where the one before did or one row lower.
    int row = 1670;  // 1700 - 15 x 2
    for (int c = 0; c < static_cast<int>(kViewColumns); ++c) {
        if (!ColumnFrom(*v, c, 334 + c, row)) ++row;
        ASSERT_TRUE(ColumnFrom(*v, c, 334 + c, row)) << "column " << c;
    }
    EXPECT_EQ(row, 1670 + 106);  // 590 x 0.18 = 106.2
}

TEST(OutsideView, SwitchedOffDrawsNothingButStillRunsAndResetsTheColumnCounter) {
    CockpitView v;
    v->outsideViewSwitch = kOutsideViewHidden;
    v->bank = 3;
    v->sceneryRowStep = 12.5f;
    v->DrawOutsideView();
    EXPECT_TRUE(AreaIs(*v, {0, 0, 639, 479}, 0));
    EXPECT_EQ(v->sceneryColumn, 0u);
    EXPECT_EQ(v->sceneryRowStep, 0.0f);
    EXPECT_EQ(v->bank, 3);
}

TEST(OutsideView, ContinuesFromTheColumnCounterItFinds) {
    // The counter is 0 between pictures; one left elsewhere would make the
    // view start at that column.
    CockpitView v;
    v->outsideViewSwitch = kOutsideViewShown;
    v->sceneryColumn = 585;
    v->DrawOutsideView();
    EXPECT_TRUE(AreaIs(*v, {kViewLeft, kViewTop, kViewLeft + 584, kViewBottomRow}, 0));
    for (int c = 585; c < 590; ++c) EXPECT_TRUE(ColumnFrom(*v, c, 334 + c, 1700)) << c;
    EXPECT_EQ(v->sceneryColumn, 0u);
}

TEST(OutsideView, NeverReadsOutsideTheSceneryWhateverTheRecordHolds) {
    struct Far {
        const char* what;
        int16_t pitch;
        int32_t headingOffset;
        float rowStep;
    };
    const Far cases[] = {
        {"heading top", 0, INT32_MAX, 0.0f},
        {"heading bottom", 32767, INT32_MIN, 0.0f},
        {"accumulator not a number", -10, 0, std::numeric_limits<float>::quiet_NaN()},
        {"accumulator infinite", -10, 0, std::numeric_limits<float>::infinity()},
        {"accumulator hugely negative", -32768, -1000, -1e30f},
    };
    for (const auto& f : cases) {
        CockpitView v;
        v->outsideViewSwitch = kOutsideViewShown;
        v->pitch = f.pitch;
        v->bank = -3;
        v->headingOffset = f.headingOffset;
        v->sceneryRowStep = f.rowStep;
        v->DrawOutsideView();
        for (const int c : {0, 589}) {
            const auto sources = FindAtlasSources(*v, kViewLeft + c, kViewTop, 1, kViewRows);
            ASSERT_FALSE(sources.empty()) << f.what << ", column " << c;
            for (const auto& s : sources) {
                EXPECT_GE(s.x, sprite::kScenery.x) << f.what;
                EXPECT_LT(s.x, sprite::kScenery.x + sprite::kScenery.width) << f.what;
                EXPECT_GE(s.y, sprite::kScenery.y) << f.what;
                EXPECT_LE(s.y + static_cast<int>(kViewRows), sprite::kScenery.y + sprite::kScenery.height) << f.what;
            }
        }
        EXPECT_EQ(v->sceneryColumn, 0u);
        EXPECT_EQ(v->sceneryRowStep, 0.0f);
    }
}

// ---- Runway corners ---------------------------------------------------------------

struct CornerCase {
    const char* what;
    uint32_t distanceFlown;
    int32_t headingOffset;
    int16_t pitch;
    int32_t horizonColumn;
    int32_t farLeftX, farLeftY, farRightX, farRightY, nearRightX, nearRightY, nearLeftX, nearLeftY;
};
// clang-format off
const CornerCase kCornerCases[] = {
    // what                               t            X          P       B          far left               far right             near right            near left
    {"at the threshold",              47320,          0,        -10,     0,        318, 107,              322, 107,             349, 159,             291, 159},
    {"start of the approach",             0,          0,        -10,     0,        320, 130,              320, 130,             320, 160,             320, 160},
    {"near edge below the view",          0,          0,         10,     0,        320, 150,              320, 150,             320, 171,             320, 171},
    {"near edge above the top",           0,          0,       -175,     0,        320, -35,              320, -35,             320, 171,             320, 171},
    {"tilt truncates toward zero",        0,          0,          0,    -7,        320, 141,              320, 139,             320, 163,             320, 171},
    {"tilt the other way",                0,          5,          0,     8,        325, 138,              325, 142,             325, 171,             325, 162},
    {"distance read unsigned",  4294967295u,          0,          0,     0,    -268115, -2147343,      268755, -2147343,     2684674, 171,         -2684034, 171},
    {"heading wraps at 32 bits",      47320,  INT32_MAX,          0,     0, -2147483331, 117, -2147483327, 117,       -2147483300, 169,  -2147483358, 169},
    {"tilt at its 32-bit bottom",         0,          0,          0, INT32_MIN,    320, 536871052,        320, -536870772,      320, 171,             320, 171},
};
// clang-format on

TEST(RunwayCorners, FollowTheDistanceHeadingPitchAndTiltWithTheNearEdgeKeptInView) {
    for (const auto& c : kCornerCases) {
        for (const uint32_t viewSwitch : {7u, 8u}) {
            CockpitView v;
            v->distanceFlown = c.distanceFlown;
            v->headingOffset = c.headingOffset;
            v->pitch = c.pitch;
            v->horizonColumn = c.horizonColumn;
            v->outsideViewSwitch = viewSwitch;
            v->runwayFarLeftX = v->runwayFarLeftY = v->runwayNearRightY = 12345;
            v->ComposeCockpit();
            const std::vector<int32_t> got{v->runwayFarLeftX,   v->runwayFarLeftY,   v->runwayFarRightX, v->runwayFarRightY,
                                           v->runwayNearRightX, v->runwayNearRightY, v->runwayNearLeftX, v->runwayNearLeftY};
            const std::vector<int32_t> want{c.farLeftX,   c.farLeftY,   c.farRightX, c.farRightY,
                                            c.nearRightX, c.nearRightY, c.nearLeftX, c.nearLeftY};
            EXPECT_EQ(got, want) << c.what << ", view switch " << viewSwitch;
        }
    }
}

}  // namespace
