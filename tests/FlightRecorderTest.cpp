// The flight recorder against the recorded approaches: how many judgements it
// kept, where the approach ended, and worst values worked out here from the
// record itself after every tick, not from the recorder's own figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "recorder/FlightCsv.h"
#include "recorder/FlightRecorder.h"
#include "tests/TestAtlas.h"

namespace {

namespace fs = std::filesystem;
using recorder::Limit;
using recorder::Outcome;
using recorder::Recording;

// What the test sees for itself of the latest approach ended: every tick that
// ran the judgement, the worst values judged there, the steps flown.
struct Watched {
    int judgements = 0;
    int warnings = 0;
    int steps = 0;
    uint32_t maxAirspeed = 0;
    int maxNeedleOffset = 0;
    int maxDeviation = 0;
};

struct Played {
    Watched ended;
    Watched flying;
};

Played PlayWatching(HeadlessSession& session, const std::string& events) {
    Played out;
    std::istringstream in(events);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string verb;
        if (!(words >> verb) || session.host().quitRequested()) continue;
        if (verb == "tick") {
            int n = 1;
            words >> n;
            for (int i = 0; i < n && !session.host().quitRequested(); ++i) {
                if (!session.host().timerRunning()) continue;
                const uint32_t ran = session.view().gameState;
                session.Tick(1);
                const FlightState& s = session.view();
                Watched& w = out.flying;
                if (ran == kStateJudgement) {
                    ++w.judgements;
                    if (s.gameState != kStateFlightStep) ++w.warnings;
                    w.maxAirspeed = std::max(w.maxAirspeed, s.airspeed);
                    w.maxNeedleOffset = std::max(w.maxNeedleOffset, std::abs(s.localizerNeedle - 50));
                    w.maxDeviation = std::max<int>(w.maxDeviation, s.glideSlopeDeviation);
                }
                if (ran == kStateFlightStep) ++w.steps;
                if ((ran == kStateFlightStep && s.arrived == 1) || ran == kStateFailure) {
                    out.ended = w;
                    w = Watched{};
                }
            }
        } else {
            int x = 0, y = 0;
            words >> x >> y;
            const bool startsOver = verb == "press";
            if (verb == "press") session.Press(x, y);
            else if (verb == "release") session.Release(x, y);
            else if (verb == "move") session.Move(x, y);
            // A press on the start or restart switch begins a new approach.
            if (startsOver && session.recorder().current() != nullptr &&
                session.recorder().current()->summary.ticks == 0)
                out.flying = Watched{};
        }
    }
    return out;
}

TEST(FlightRecorder, TheRecordedApproachesAgreeWithTheRecord) {
    struct Case {
        const char* file;
        Outcome outcome;
        int failedLimit;  // -1: none
        bool stable;
    };
    const Case cases[] = {
        {"arrival", Outcome::kArrived, -1, true},
        {"warning-recovered", Outcome::kArrived, -1, true},
        {"glide-slope-failure", Outcome::kFailed, static_cast<int>(Limit::kGlideSlope), false},
        {"localizer-failure", Outcome::kFailed, static_cast<int>(Limit::kLocalizer), false},
        {"overspeed-failure", Outcome::kFailed, static_cast<int>(Limit::kAirspeed), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        HeadlessSession session(MakeTestAtlas());
        const Played played = PlayWatching(
            session, Slurp(fs::path(AVELUNE_SOURCE_DIR) / "tests" / "replays" / (std::string(c.file) + ".events")));
        const Recording* r = session.recorder().latestEnded();
        ASSERT_NE(r, nullptr);
        const recorder::Summary& sum = r->summary;
        const Watched& w = played.ended;
        EXPECT_EQ(sum.outcome, c.outcome);
        // One sample a judgement, and one more where the threshold was passed.
        EXPECT_EQ(static_cast<int>(r->samples.size()), w.judgements + (c.outcome == Outcome::kArrived ? 1 : 0));
        EXPECT_EQ(static_cast<int>(sum.judgements), w.judgements);
        EXPECT_EQ(static_cast<int>(sum.secondsFlown), w.steps);
        EXPECT_EQ(static_cast<int>(sum.secondsWarned), w.warnings);
        EXPECT_EQ(sum.of(Limit::kAirspeed).worst, static_cast<int>(w.maxAirspeed));
        EXPECT_EQ(std::abs(sum.of(Limit::kLocalizer).worst - 50), w.maxNeedleOffset);
        EXPECT_EQ(sum.of(Limit::kGlideSlope).worst, w.maxDeviation);
        EXPECT_EQ(sum.of(Limit::kGlideSlope).failMargin, 100 - w.maxDeviation);
        EXPECT_EQ(sum.of(Limit::kLocalizer).failMargin, 45 - w.maxNeedleOffset);
        EXPECT_EQ(sum.of(Limit::kAirspeed).warnMargin, 275 - static_cast<int>(w.maxAirspeed));
        for (int l = 0; l < recorder::kLimits; ++l) EXPECT_EQ(sum.failed[l], l == c.failedLimit) << l;
        EXPECT_EQ(sum.stable, c.stable);
        // The samples run from the start point toward the threshold.
        ASSERT_FALSE(r->samples.empty());
        EXPECT_TRUE(std::is_sorted(r->samples.begin(), r->samples.end(),
                                   [](const auto& a, const auto& b) { return a.feetToGo > b.feetToGo; }));
        const auto ends = std::count_if(r->marks.begin(), r->marks.end(), [](const recorder::Mark& m) {
            return m.kind != recorder::Mark::Kind::kWarningBegan;
        });
        EXPECT_EQ(ends, 1);  // each of these failed on one limit
        if (c.outcome == Outcome::kFailed) {
            EXPECT_EQ(r->marks.back().kind, recorder::Mark::Kind::kFailed);
            EXPECT_EQ(r->marks.back().step, static_cast<uint32_t>(w.steps));
        }
        // The export: a header and a row a sample.
        const std::string csv = recorder::FormatCsv(*r);
        EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), static_cast<long>(r->samples.size()) + 1);
        EXPECT_EQ(csv.rfind("step,tick,feet_to_go,", 0), 0u);
    }
}

// Where the taker and the recorder both see an approach begin and end.
TEST(ApproachEdges, AnInputBeginsLeavesOrRestartsAnApproach) {
    const auto record = [](uint32_t state, uint32_t fuel, uint32_t flown) {
        FlightState s;
        s.gameState = state;
        s.fuel = fuel;
        s.distanceFlown = flown;
        return s;
    };
    const struct {
        const char* what;
        FlightState before, after;
        bool begins, restarted, leaves;
    } cases[] = {
        {"start from the title", record(kStateTitleAnimation, 0, 0), record(kStateCockpit, 50000, 0), true, false, false},
        {"an input in flight", record(kStateJudgement, 40000, 900), record(kStateFlightStep, 40000, 900), false, false, false},
        {"restart: the tank filled", record(kStateFlightStep, 40000, 0), record(kStateFlightStep, 50000, 0), true, true, false},
        {"restart: back to the start", record(kStateFlightStep, 50000, 900), record(kStateCockpit, 50000, 0), true, true, false},
        {"the page switch", record(kStateFlightStep, 40000, 900), record(kStateInformationPage, 40000, 900), false, false, true},
        {"an input on the title", record(kStateTitlePicture, 0, 0), record(kStateTitleAnimation, 0, 0), false, false, false},
    };
    for (const auto& c : cases) {
        flightfile::ApproachEdges edges;
        edges.Observe(c.before);
        const flightfile::ApproachEdges::Input in = edges.AfterInput(c.after);
        EXPECT_EQ(in.begins, c.begins) << c.what;
        EXPECT_EQ(in.restarted, c.restarted) << c.what;
        EXPECT_EQ(in.leaves, c.leaves) << c.what;
        edges.Observe(c.after);
        EXPECT_EQ(edges.lastState(), c.after.gameState) << c.what;
    }
}

// The near miss warned on the way down and was steady well before the end.
TEST(FlightRecorder, TheNearMissRecoversToStable) {
    HeadlessSession session(MakeTestAtlas());
    PlayWatching(session, Slurp(fs::path(AVELUNE_SOURCE_DIR) / "tests" / "replays" / "warning-recovered.events"));
    const Recording* r = session.recorder().latestEnded();
    ASSERT_NE(r, nullptr);
    // The near miss: it warned, recovered, and became stable before the last third.
    EXPECT_GT(r->summary.secondsWarned, 0u);
    EXPECT_FALSE(r->summary.stableThroughout);
    EXPECT_TRUE(r->summary.stable);
    EXPECT_GT(r->summary.stabilityFeet, r->summary.lastThirdFeet);
    EXPECT_FALSE(r->stretches.empty());
    EXPECT_TRUE(r->stretches.back().cleared);
}

// The verdict on made-up approaches, fed straight to the recorder.
TEST(FlightRecorder, VerdictAndThinning) {
    struct Case {
        const char* what;
        int steps;
        int warnFrom, warnTo;  // steps judged with the needle at 80
        bool stable;
        int stabilityStep;     // the step whose distance is the stability distance
    };
    const Case cases[] = {
        {"never warned", 300, -1, -1, true, 0},
        {"warned early, then steady", 300, 20, 40, true, 40},
        {"warned in the last third", 300, 250, 260, false, 250},
        {"warned to the end", 300, 150, 300, false, 150},
        {"idled past the cap", 20000, 10, 12, true, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        recorder::FlightRecorder rec;
        FlightState s;
        s.gameState = kStateCockpit;
        s.runwayDistance = 47320;
        s.fuel = 50000;
        s.localizerNeedle = 50;
        rec.BeginFromSnapshot(s);
        auto tick = [&](uint32_t next) {
            s.gameState = next;
            rec.AfterTick(s);
        };
        auto feetAt = [&](int step) { return 47320 - std::min(step, 47000 / 100) * 100; };
        for (int step = 0; step < c.steps; ++step) {
            tick(kStateJudgement);  // the cockpit ran
            s.localizerNeedle = step >= c.warnFrom && step < c.warnTo ? 80 : 50;
            s.distanceFlown = 47320 - feetAt(step);
            tick(s.localizerNeedle == 80 ? kStateWarning : kStateFlightStep);
            if (s.localizerNeedle == 80) tick(kStateFlightStep);
            s.distanceFlown = 47320 - feetAt(step + 1);
            tick(kStateCockpit);
        }
        const Recording* r = rec.current();
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->summary.stable, c.stable);
        EXPECT_EQ(r->summary.stabilityFeet, feetAt(c.stabilityStep));
        EXPECT_EQ(r->summary.judgements, static_cast<uint32_t>(c.steps));
        EXPECT_LE(r->samples.size(), recorder::kMaxSamples);
        EXPECT_EQ(r->thinned(), static_cast<size_t>(c.steps) >= recorder::kMaxSamples);
        EXPECT_EQ(r->summary.of(Limit::kLocalizer).worst, c.warnFrom < 0 ? 50 : 80);
    }
}

}  // namespace

namespace {

// The samples' columns hold what they say: the first row's distance to go
// worked out from the feet to go, the arriving row's speed as flown, the climb
// from the altitudes, the drift term under its own name.
TEST(FlightRecorder, TheCsvRowsHoldTheFlightAsFlown) {
    HeadlessSession session(MakeTestAtlas());
    PlayWatching(session, Slurp(fs::path(AVELUNE_SOURCE_DIR) / "tests" / "replays" / "arrival.events"));
    const Recording* r = session.recorder().latestEnded();
    ASSERT_NE(r, nullptr);
    ASSERT_GE(r->samples.size(), 3u);
    const recorder::Sample &first = r->samples.front(), &last = r->samples.back(), &before = r->samples.end()[-2];
    EXPECT_EQ(first.distanceToGo, static_cast<uint32_t>(first.feetToGo * 100 / 5280));
    EXPECT_GT(first.distanceToGo, 0u);
    ASSERT_EQ(last.judged, recorder::Judged::kArrived);
    // The last step flew at the speed the judgement before it saw, give or take the pitch's trade.
    EXPECT_NEAR(static_cast<double>(last.airspeed), before.airspeed, 6.0);
    EXPECT_EQ((before.feetToGo - last.feetToGo), static_cast<int32_t>(last.airspeed * 5280 / 3600));

    std::istringstream csv(recorder::FormatCsv(*r));
    std::string header, row;
    std::getline(csv, header);
    auto column = [&](const std::string& name) {
        std::istringstream h(header);
        int i = 0;
        for (std::string c; std::getline(h, c, ','); ++i)
            if (c == name) return i;
        return -1;
    };
    ASSERT_GE(column("climb_ft_per_s"), 0);
    ASSERT_GE(column("sink_drift"), 0);
    EXPECT_EQ(column("sink_rate"), -1);
    std::vector<std::vector<std::string>> rows;
    while (std::getline(csv, row)) {
        std::vector<std::string> cells;
        std::istringstream cs(row);
        for (std::string c; std::getline(cs, c, ',');) cells.push_back(c);
        rows.push_back(cells);
    }
    ASSERT_EQ(rows.size(), r->samples.size());
    EXPECT_EQ(rows[0][column("climb_ft_per_s")], "");
    for (size_t i = 1; i < rows.size(); ++i) {
        const auto& a = r->samples[i - 1];
        const auto& b = r->samples[i];
        EXPECT_EQ(std::stol(rows[i][column("climb_ft_per_s")]), (b.altitude - a.altitude) / int(b.step - a.step)) << i;
    }
    EXPECT_EQ(std::stoul(rows.back()[column("airspeed_mph")]), last.airspeed);
}

}  // namespace
