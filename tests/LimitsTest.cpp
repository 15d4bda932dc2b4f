// One table of limits: the judgement, the recorder, the logbook's margins and
// the debrief's lines all change with game/Limits.h, at the last value inside
// each limit and the first one past it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "debrief/DebriefPlot.h"
#include "game/Limits.h"
#include "logbook/Logbook.h"
#include "recorder/FlightRecorder.h"
#include "tests/RecordingHost.h"

namespace {

using recorder::Limit;

struct Edge {
    const char* name;
    Limit limit;
    bool failure;  // else the warning limit
    int inside;    // the last reading still inside; one step outward is past
    int outward;   // +1 above a high limit, -1 below a low one
};

// clang-format off
const Edge kEdges[] = {
    {"airspeed warning",      Limit::kAirspeed,   false, static_cast<int>(limits::kAirspeedWarnAbove), +1},
    {"airspeed failure",      Limit::kAirspeed,   true,  static_cast<int>(limits::kAirspeedFailAbove), +1},
    {"needle warning, high",  Limit::kLocalizer,  false, limits::kNeedleWarnHigh,                      +1},
    {"needle warning, low",   Limit::kLocalizer,  false, limits::kNeedleWarnLow,                       -1},
    {"needle failure, high",  Limit::kLocalizer,  true,  limits::kNeedleFailHigh,                      +1},
    {"needle failure, low",   Limit::kLocalizer,  true,  limits::kNeedleFailLow,                       -1},
    {"glide slope warning",   Limit::kGlideSlope, false, limits::kDeviationWarnAbove,                  +1},
    {"glide slope failure",   Limit::kGlideSlope, true,  limits::kDeviationFailAbove,                  +1},
};
// clang-format on

recorder::Sample Reading(const Edge& e, int value) {
    recorder::Sample s;
    s.airspeed = 150;
    s.localizerNeedle = static_cast<int16_t>(limits::kNeedleCentre);
    if (e.limit == Limit::kAirspeed) s.airspeed = static_cast<uint32_t>(value);
    if (e.limit == Limit::kLocalizer) s.localizerNeedle = static_cast<int16_t>(value);
    if (e.limit == Limit::kGlideSlope) s.glideSlopeDeviation = static_cast<int16_t>(value);
    return s;
}

uint32_t Judged(const recorder::Sample& s) {
    RecordedView v;
    Judge(v, s.airspeed, s.localizerNeedle, s.glideSlopeDeviation);
    if (v->gameState != kStateWarning || !limits::AirspeedWarns(s.airspeed)) return v->gameState;
    v->ShowWarningScreen();  // airspeed fails only here, after its warning
    return v->gameState == kStateFailure ? kStateFailure : kStateWarning;
}

TEST(Limits, EveryReaderChangesWithTheTable) {
    for (const Edge& e : kEdges) {
        SCOPED_TRACE(e.name);
        const recorder::Sample in = Reading(e, e.inside), past = Reading(e, e.inside + e.outward);
        bool (*const crossed)(const recorder::Sample&, Limit) = e.failure ? recorder::Fails : recorder::Warns;
        EXPECT_FALSE(crossed(in, e.limit));
        EXPECT_TRUE(crossed(past, e.limit));

        // The game: past a warning limit warns, past a failure limit fails.
        const uint32_t pastState = Judged(past);
        EXPECT_EQ(pastState, e.failure ? uint32_t{kStateFailure} : uint32_t{kStateWarning});
        EXPECT_EQ(Judged(in), e.failure ? uint32_t{kStateWarning} : uint32_t{kStateFlightStep});
    }
    // A deviation between its two limits turns a localizer failure into a warning.
    recorder::Sample both = Reading(kEdges[5], limits::kNeedleFailLow - 1);
    both.glideSlopeDeviation = static_cast<int16_t>(limits::kDeviationFailAbove);
    EXPECT_EQ(Judged(both), uint32_t{kStateWarning});
}

TEST(Limits, TheLogbookMeasuresItsMarginsToTheFailureLimits) {
    flightfile::Flight f;
    f.ending = flightfile::Ending::kArrived;
    f.maxAirspeed = limits::kAirspeedFailAbove;
    f.maxNeedleOffset = limits::kNeedleFailOffset;
    f.maxGlideSlopeDeviation = limits::kDeviationFailAbove;
    const logbook::Entry e = logbook::EntryFor(f, "2026-01-01T00:00:00", "a.flight");
    EXPECT_EQ(e.airspeedMargin, 0);
    EXPECT_EQ(e.needleMargin, 0);
    EXPECT_EQ(e.glideSlopeMargin, 0);
}

TEST(Limits, TheDebriefDrawsItsLinesAtTheTable) {
    const debrief::Plot plot = debrief::BuildDebrief(recorder::Recording{});
    struct Line {
        const char* role;
        const debrief::Panel* panel;
        double low, high;
    } const lines[] = {
        {"plan.warn-line", &plot.plan, limits::kNeedleWarnLow, limits::kNeedleWarnHigh},
        {"plan.fail-line", &plot.plan, limits::kNeedleFailLow, limits::kNeedleFailHigh},
        {"airspeed.warn-line", &plot.airspeed, limits::kAirspeedWarnAbove, limits::kAirspeedWarnAbove},
        {"airspeed.fail-line", &plot.airspeed, limits::kAirspeedFailAbove, limits::kAirspeedFailAbove},
        // The G/S readout, as the player reads it and the judgement judges it.
        {"gs.warn-line", &plot.glideSlope, limits::kDeviationWarnAbove, limits::kDeviationWarnAbove},
        {"gs.fail-line", &plot.glideSlope, limits::kDeviationFailAbove, limits::kDeviationFailAbove},
    };
    for (const Line& l : lines) {
        SCOPED_TRACE(l.role);
        std::vector<double> want{l.panel->Y(l.low), l.panel->Y(l.high)}, got;
        for (const debrief::Primitive* p : plot.Find(l.role)) got.push_back(p->points[0].y);
        if (l.low == l.high) want.pop_back();
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); ++i) EXPECT_FLOAT_EQ(got[i], want[i]);
    }
    const auto band = plot.Find("airspeed.fail-band");
    ASSERT_FALSE(band.empty());
    float bottom = 0;
    for (const debrief::Point& q : band[0]->points) bottom = std::max(bottom, q.y);
    EXPECT_FLOAT_EQ(bottom, plot.airspeed.Y(limits::kAirspeedFailAbove));
}

}  // namespace
