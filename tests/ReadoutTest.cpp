// The digital readouts: how a value is split over the digit positions, and
// what a pilot reads off the panel for the record's values.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "cockpit/Readouts.h"
#include "tests/CockpitTestSupport.h"

using namespace cockpit_test;

namespace {

constexpr int8_t B = kBlankDigit;

struct SplitCase {
    const char* what;
    bool isSigned;
    int64_t value;  // taken in the readout's own arithmetic
    int positions;
    std::array<int8_t, 5> digits;
};

// clang-format off
const SplitCase kSplitCases[] = {
    {"three digits",                   false, 896,          3, {8, 9, 6}},
    {"leading zeros",                  false, 5,            3, {0, 0, 5}},
    {"zero",                           false, 0,            3, {0, 0, 0}},
    {"heading one click above 359",    false, 360,          3, {3, 6, 0}},
    {"heading one click below 0",      false, 4294967295,   3, {B, 9, 5}},
    {"leading digits lost",            false, 1234,         3, {B, 3, 4}},
    {"exact power of ten too large",   false, 1000,         3, {B, 0, 0}},
    {"largest unsigned, five places",  false, 4294967295,   5, {B, 7, 2, 9, 5}},
    {"altitude",                       true,  3202,         5, {0, 3, 2, 0, 2}},
    {"negative altitude",              true,  -20,          5, {0, 0, 0, 0, B}},
    {"largest five-digit",             true,  99999,        5, {9, 9, 9, 9, 9}},
    {"one more than five digits hold", true,  100000,       5, {B, 0, 0, 0, 0}},
    {"most negative",                  true,  INT32_MIN,    3, {0, 0, B}},
    {"largest signed",                 true,  INT32_MAX,    3, {B, 4, 7}},
    {"negative one",                   true,  -1,           3, {0, 0, B}},
    {"zero inside a number",           true,  105,          3, {1, 0, 5}},
};
// clang-format on

std::string Shown(const ReadoutSplit& s) {
    std::string out;
    for (int i = 0; i < s.positions; ++i) out += (s.digits[i] == kBlankDigit) ? '_' : char('0' + s.digits[i]);
    return out;
}
std::string Shown(const std::array<int8_t, 5>& digits, int positions) {
    ReadoutSplit s;
    s.digits = digits;
    s.positions = positions;
    return Shown(s);
}

TEST(ReadoutSplit, ShowsLeadingZerosLosesLeadingDigitsAndBlanksNegativeUnits) {
    for (const auto& c : kSplitCases) {
        const ReadoutSplit s = c.isSigned ? SplitReadout(static_cast<int32_t>(c.value), c.positions)
                                          : SplitReadout(static_cast<uint32_t>(c.value), c.positions);
        EXPECT_EQ(Shown(s), Shown(c.digits, c.positions)) << c.what;
    }
}

// ---- The readouts on the panel ---------------------------------------------

struct ReadoutPlace {
    bool large;
    std::array<std::array<int, 2>, 5> at;
    int positions;
};
// clang-format off
constexpr ReadoutPlace kDistance   {true,  {{{ 65, 208}, { 78, 208}, { 90, 208}}}, 3};
constexpr ReadoutPlace kHeading    {true,  {{{299, 300}, {311, 300}, {323, 300}}}, 3};
constexpr ReadoutPlace kAirspeed   {false, {{{207, 209}, {215, 209}, {223, 209}}}, 3};
constexpr ReadoutPlace kAltitude   {false, {{{318, 209}, {326, 209}, {334, 209}, {342, 209}, {350, 209}}}, 5};
constexpr ReadoutPlace kClimbRate  {false, {{{356, 262}, {364, 262}, {372, 262}}}, 3};
constexpr ReadoutPlace kGlideSlope {false, {{{ 38, 274}, { 46, 274}, { 54, 274}}}, 3};
constexpr ReadoutPlace kCourse     {false, {{{ 78, 294}, { 86, 294}, { 94, 294}}}, 3};
// clang-format on

// What the readout shows, read glyph by glyph off a surface that was empty
// (0) before: a digit, '_' for an untouched position, '?' for anything else.
std::string Read(const CAveluneView& v, const ReadoutPlace& r) {
    std::string out;
    for (int i = 0; i < r.positions; ++i) {
        const int x = r.at[i][0], y = r.at[i][1];
        char c = '?';
        const Sprite glyph0 = r.large ? LargeDigit(0) : SmallDigit(0);
        if (AreaIs(v, {x, y, x + glyph0.width - 1, y + glyph0.height - 1}, 0)) c = '_';
        for (int d = 0; d <= 9 && c == '?'; ++d)
            if (ShowsSprite(v, r.large ? LargeDigit(d) : SmallDigit(d), x, y)) c = char('0' + d);
        out += c;
    }
    return out;
}

struct PanelCase {
    uint32_t distanceToGo, compassHeading, airspeed;
    int32_t altitude, climbRate;
    const char *distance, *heading, *speed, *height, *climb;
};
// clang-format off
const PanelCase kPanelCases[] = {
    // distance  heading      airspeed     altitude  climb    shown: distance heading airspeed altitude climb
    {896,        4294967295u, 150,         -20,      1234,    "896", "_95", "150", "0000_", "_34"},
    // The same bit pattern reads differently: an airspeed driven below zero
    // is a huge number, a climb rate of -1 is negative.
    {5,          360,         0xFFFFFFFFu, 3202,     -1,      "005", "360", "_95", "03202", "00_"},
    {0,          0,           300,         100000,   99,      "000", "000", "300", "_0000", "099"},
};
// clang-format on

TEST(Readouts, ShowTheRecordOnTheirDigitPositionsInTheMembersOwnArithmetic) {
    for (const auto& c : kPanelCases) {
        CockpitView v;
        v->distanceToGo = c.distanceToGo;
        v->compassHeading = c.compassHeading;
        v->airspeed = c.airspeed;
        v->altitude = c.altitude;
        v->climbRate = c.climbRate;
        v->DrawReadouts();
        EXPECT_EQ(Read(*v, kDistance), c.distance);
        EXPECT_EQ(Read(*v, kHeading), c.heading);
        EXPECT_EQ(Read(*v, kAirspeed), c.speed);
        EXPECT_EQ(Read(*v, kAltitude), c.height);
        EXPECT_EQ(Read(*v, kClimbRate), c.climb);
        // The ILS readouts are drawn later, over the ILS indicator.
        EXPECT_EQ(Read(*v, kGlideSlope), "___");
        EXPECT_EQ(Read(*v, kCourse), "___");
    }
}

TEST(Readouts, KeepTheirWorkingCopiesApartFromTheMembersShown) {
    CockpitView v;
    v->distanceToGo = 896;
    v->compassHeading = 4294967295u;
    v->airspeed = 150;
    v->altitude = -20;
    v->climbRate = 1234;
    v->DrawReadouts();
    EXPECT_EQ(v->distanceToGo, 896u);
    EXPECT_EQ(v->compassHeading, 4294967295u);
    EXPECT_EQ(v->airspeed, 150u);
    EXPECT_EQ(v->altitude, -20);
    EXPECT_EQ(v->climbRate, 1234);
    EXPECT_EQ(v->distanceReadout, 6);
    EXPECT_EQ(v->headingReadout, 5);
    EXPECT_EQ(v->airspeedReadout, 0);
    EXPECT_EQ(v->altitudeReadout, -20);
    EXPECT_EQ(v->digitWork, 4);
}

struct IlsCase {
    int16_t glideSlopeError, lateralOffset;
    int16_t deviation;
    const char* slope;
    const char* course;
};
// clang-format off
const IlsCase kIlsCases[] = {
    //  error  offset  deviation  slope   course
    {    50,     50,      0,      "000",  "000"},
    {     0,     43,     50,      "050",  "007"},
    {   175,     57,    125,      "125",  "007"},
    {    49,      0,      1,      "001",  "050"},
    {    -7,    130,     57,      "057",  "080"},
    {  1050,  -1000,   1000,      "_00",  "_50"},
    {-32768,  32767,  32818 - 65536, "_18", "_17"},  // the deviation keeps its low 16 bits
};
// clang-format on

TEST(IlsReadouts, ShowBothDeviationsAndKeepTheGlideSlopeDeviationForTheJudgement) {
    for (const auto& c : kIlsCases) {
        CockpitView v;
        v->glideSlopeError = c.glideSlopeError;
        v->lateralOffset = c.lateralOffset;
        v->DrawIlsReadouts();
        EXPECT_EQ(v->glideSlopeDeviation, c.deviation) << c.glideSlopeError;
        EXPECT_EQ(Read(*v, kGlideSlope), c.slope) << c.glideSlopeError;
        EXPECT_EQ(Read(*v, kCourse), c.course) << c.lateralOffset;
        EXPECT_EQ(v->lateralOffset, c.lateralOffset);
    }
}

}  // namespace
