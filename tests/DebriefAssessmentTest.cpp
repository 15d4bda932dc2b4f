// What the debrief teaches: the advice rules on approaches made up to trip
// them (and ones that must not), the score's order over the recorded
// approaches, a careful approach flown here by a small autopilot, and the
// JSON summary.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "debrief/Assessment.h"
#include "debrief/DebriefPlot.h"
#include "session/FlightSession.h"
#include "tests/ReplayPlayer.h"
#include "tests/TestAtlas.h"

namespace {

using recorder::Outcome;
using recorder::Recording;
using recorder::Sample;

// A steady approach: 170 mph, the bar centred (50 ft above the line), the
// needle centred, power 17, the nose 7 down; arrived.
constexpr int kSteps = 180;
Recording Steady() {
    Recording r;
    for (int i = 0; i <= kSteps; ++i) {
        Sample s;
        s.step = i;
        s.feetToGo = 47320 - i * 264;
        s.altitude = std::max(s.feetToGo, 0) / 15 + 50;
        s.airspeed = 170;
        s.power = 17;
        s.pitch = -7;
        s.localizerNeedle = 50;
        s.glideSlopeDeviation = 0;
        s.judged = i == kSteps ? recorder::Judged::kArrived : recorder::Judged::kClear;
        r.samples.push_back(s);
    }
    r.summary.outcome = Outcome::kArrived;
    r.summary.secondsFlown = kSteps;
    r.summary.judgements = kSteps;
    r.summary.startFeet = r.samples.front().feetToGo;
    r.summary.endFeet = r.samples.back().feetToGo;
    r.summary.stabilityFeet = r.summary.startFeet;  // stable from the start, as the recorder says
    return r;
}

// The index of the first sample at or below a height.
size_t Below(const Recording& r, int height) {
    for (size_t i = 0; i < r.samples.size(); ++i)
        if (r.samples[i].altitude <= height) return i;
    return r.samples.size();
}

// Sets the G/S readout over samples [from, to) by moving the aircraft up.
void Gs(Recording& r, size_t from, size_t to, int gs) {
    for (size_t i = from; i < to && i < r.samples.size(); ++i) {
        r.samples[i].glideSlopeDeviation = static_cast<int16_t>(gs);
        r.samples[i].altitude = std::max(r.samples[i].feetToGo, 0) / 15 + 50 + gs;
    }
}

bool Gives(const debrief::Assessment& a, const std::string& rule) {
    return std::any_of(a.advice.begin(), a.advice.end(), [&](const debrief::Advice& x) { return rule == x.rule; });
}

TEST(DebriefAdvice, EachRuleFiresOnItsFlightAndNotOnANearOne) {
    struct Case {
        const char* rule;
        void (*make)(Recording&, bool trip);  // trip: the flight the rule is for; else one just inside
        const char* words;                    // in the sentence
    };
    const Case cases[] = {
        {"overspeed", [](Recording& r, bool trip) {
             for (size_t i = 20; i < 40; ++i) r.samples[i].airspeed = trip ? 240 : 195;
         }, "Airspeed reached 240 mph 8.0 miles out"},
        {"slow", [](Recording& r, bool trip) {
             for (size_t i = 60; i < 80; ++i) r.samples[i].airspeed = trip ? 120 : 145;
         }, "fell to 120 mph"},
        {"glide-slope", [](Recording& r, bool trip) { Gs(r, 30, 80, trip ? 60 : 20); },
         "60 ft above the height that centres the bar: put the nose down"},
        // A start from 0 mph: the climb that follows, falling back from G/S
        // 88 once in the band, is not the player's; a later swing is.
        {"glide-slope", [](Recording& r, bool trip) {
             for (size_t i = 0; i < 10; ++i) r.samples[i].airspeed = static_cast<uint32_t>(i * 15);
             for (size_t i = 0; i < 40; ++i) Gs(r, i, i + 1, i < 10 ? 90 : 88 - static_cast<int>(i - 10) * 2);
             if (trip) Gs(r, 60, 80, 45);
         }, "G/S reached 45"},
        // The return as the README flies it: about 1.3 a second from 83,
        // forty seconds to the bar's middle, is still the start-up's.
        {"glide-slope", [](Recording& r, bool trip) {
             for (size_t i = 0; i < 4; ++i) r.samples[i].airspeed = static_cast<uint32_t>(i * 40);
             for (size_t i = 4; i < 50; ++i) Gs(r, i, i + 1, std::max(83 - static_cast<int>((i - 4) * 13 / 10), 20));
             if (trip) Gs(r, 80, 100, 40);
         }, "G/S reached 40"},
        // ... but not a slope held high long after it.
        {"glide-slope", [](Recording& r, bool trip) {
             for (size_t i = 0; i < 10; ++i) r.samples[i].airspeed = static_cast<uint32_t>(i * 15);
             for (size_t i = 10; i < r.samples.size(); ++i)
                 Gs(r, i, i + 1, std::max(trip ? 88 - static_cast<int>(i - 10) / 4 : 88 - static_cast<int>(i - 10) * 3, 20));
         }, "put the nose down"},
        {"localizer", [](Recording& r, bool trip) {
             for (size_t i = 40; i < 90; ++i) {
                 r.samples[i].localizerNeedle = trip ? 30 : 42;
                 r.samples[i].turnRate = 1;
             }
         }, "20 left of centre"},
        {"gate-1000", [](Recording& r, bool trip) {
             const size_t g = Below(r, 1000);
             Gs(r, g - 1, g + 2, trip ? 30 : 25);
         }, "Not stabilised at 1000 ft"},
        {"gate-500", [](Recording& r, bool trip) {
             const size_t g = Below(r, 500);
             for (size_t i = g - 6; i <= g; ++i) r.samples[i].airspeed = trip && i == g - 3 ? 186 : 170;
         }, "speed varied 16 mph > 15"},
        {"failed", [](Recording& r, bool trip) {
             if (!trip) return;
             r.samples.resize(100);
             Gs(r, 99, 100, 101);
             r.summary.outcome = Outcome::kFailed;
             r.summary.failed[static_cast<int>(recorder::Limit::kGlideSlope)] = true;
             r.summary.endFeet = r.samples.back().feetToGo;
         }, "G/S passed 100, 4.0 miles out, 101 ft above the height that centres the bar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        Recording tripped = Steady(), near = Steady();
        c.make(tripped, true);
        c.make(near, false);
        const debrief::Assessment a = debrief::Assess(tripped), b = debrief::Assess(near);
        ASSERT_TRUE(Gives(a, c.rule));
        EXPECT_FALSE(Gives(b, c.rule));
        for (const debrief::Advice& x : a.advice) {
            if (c.rule == std::string(x.rule)) {
                EXPECT_NE(x.text.find(c.words), std::string::npos) << x.text;
            }
        }
        EXPECT_LE(a.advice.size(), 3u);
        EXPECT_TRUE(std::is_sorted(a.advice.begin(), a.advice.end(),
                                   [](const auto& x, const auto& y) { return x.cost > y.cost; }));
    }
    // The steady approach is clean, and says so.
    const debrief::Assessment clean = debrief::Assess(Steady());
    ASSERT_EQ(clean.advice.size(), 1u);
    EXPECT_STREQ(clean.advice[0].rule, "clean");
    EXPECT_EQ(clean.score.points, 100);
    EXPECT_EQ(clean.score.grade, 'A');
    for (const debrief::Gate& g : clean.gates) EXPECT_EQ(g.reason, "stable");
    // The README's first approach: the start-up climb costs points, but no
    // one rule is the player's to mend; the debrief says that, not nothing.
    Recording thin = Steady();
    for (size_t i = 0; i < 4; ++i) thin.samples[i].airspeed = static_cast<uint32_t>(i * 40);
    for (size_t i = 0; i < 50; ++i) Gs(thin, i, i + 1, i < 4 ? 91 : std::max(83 - static_cast<int>((i - 4) * 13 / 10), 0));
    const debrief::Assessment spread = debrief::Assess(thin);
    EXPECT_LT(spread.score.points, 90);
    ASSERT_EQ(spread.advice.size(), 1u);
    EXPECT_STREQ(spread.advice[0].rule, "spread");
}

TEST(DebriefScore, ArrivalsRankAboveFailures) {
    struct Replay {
        const char* name;
        Outcome outcome;
    } const replays[] = {{"arrival", Outcome::kArrived},          {"readme-approach", Outcome::kArrived},
                         {"warning-recovered", Outcome::kArrived}, {"glide-slope-failure", Outcome::kFailed},
                         {"localizer-failure", Outcome::kFailed},  {"overspeed-failure", Outcome::kFailed}};
    int lowestArrival = 101, highestFailure = -1;
    for (const Replay& r : replays) {
        SCOPED_TRACE(r.name);
        const Recording rec = Recorded(r.name);
        ASSERT_EQ(rec.summary.outcome, r.outcome);
        const debrief::Score s = debrief::Assess(rec).score;
        if (r.outcome == Outcome::kArrived) {
            lowestArrival = std::min(lowestArrival, s.points);
            EXPECT_NE(s.grade, 'F');
        } else {
            highestFailure = std::max(highestFailure, s.points);
            EXPECT_EQ(s.grade, 'F');
        }
    }
    EXPECT_GT(lowestArrival, highestFailure);
    // The near miss warned, so it is no A however well it ended.
    EXPECT_NE(debrief::Assess(Recorded("warning-recovered")).score.grade, 'A');
}

// Window pixels of the controls the autopilot uses.
struct Control {
    int x, y;
};
constexpr Control kStart{330, 230}, kPadUp{315, 334}, kPadDown{315, 382}, kPowerUp{374, 342}, kPowerDown{374, 366};

// A careful pilot: waits for 150 mph, then holds the bar centred (50 ft
// above the line) with single pitch steps and 170 mph with the power.
TEST(DebriefScore, ACarefulApproachScoresAtLeast90) {
    auto session = MakeTestSession();
    HeadlessSession& s = *session;
    s.Tick(5);
    s.Click(kStart.x, kStart.y);
    bool flying = false;
    for (int tick = 0; tick < 3000 && s.host().timerRunning(); ++tick) {
        const FlightState& f = s.view();
        if (f.gameState == kStateFlightStep) {
            flying = flying || f.airspeed >= 150;
            if (flying && tick % 2 == 0) {
                const int32_t bar = static_cast<int32_t>((f.runwayDistance - f.distanceFlown) / 15) + 50;
                if (f.altitude > bar + 8 && f.pitch > -9) s.Click(kPadUp.x, kPadUp.y);
                else if (f.altitude < bar - 8 && f.pitch < -6) s.Click(kPadDown.x, kPadDown.y);
                else if (f.power > 17 && f.airspeed > 175) s.Click(kPowerDown.x, kPowerDown.y);
                else if (f.power < 19 && f.airspeed < 165) s.Click(kPowerUp.x, kPowerUp.y);
                else if (f.power > 17 && f.airspeed > 160) s.Click(kPowerDown.x, kPowerDown.y);
            }
        }
        s.Tick();
    }
    const Recording* r = s.recorder().latestEnded();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->summary.outcome, Outcome::kArrived);
    const debrief::Assessment a = debrief::Assess(*r);
    EXPECT_GE(a.score.points, 90) << debrief::FormatJson(*r, a);
    for (const debrief::Gate& g : a.gates) EXPECT_TRUE(g.stable) << g.height << ": " << g.reason;
}

TEST(DebriefSummary, TheJsonAndTheGhostSayTheSame) {
    const Recording arrival = Recorded("arrival"), failure = Recorded("overspeed-failure");
    const debrief::Assessment a = debrief::Assess(arrival);
    const std::string json = debrief::FormatJson(arrival, a);
    for (const std::string& part :
         {std::string("\"outcome\":\"arrived\""), "\"score\":" + std::to_string(a.score.points),
          std::string("\"grade\":\"") + a.score.grade + "\"", std::string("\"height_ft\":1000"),
          std::string("\"rule\":\"") + a.advice.at(0).rule + "\"", std::string("\"glide_slope\":{\"worst\":89")})
        EXPECT_NE(json.find(part), std::string::npos) << part << " in " << json;
    // Quotes in advice stay inside their string.
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), std::count(json.begin(), json.end(), '}'));

    // The failure against the arrival as its ghost, and the other way round.
    const int arrivalScore = a.score.points, failureScore = debrief::Assess(failure).score.points;
    struct Case {
        const Recording* flown;
        const Recording* ghost;
        std::string says;
    } const cases[] = {
        {&failure, &arrival, std::to_string(arrivalScore - failureScore) + " below your best"},
        {&arrival, &failure, "+" + std::to_string(arrivalScore - failureScore) + " on your best"},
        {&arrival, &arrival, "equals your best"},
    };
    for (const Case& c : cases) {
        const debrief::Plot plot = debrief::BuildDebrief(*c.flown, c.ghost);
        ASSERT_EQ(plot.Find("summary.versus-best").size(), 1u);
        EXPECT_NE(plot.Find("summary.versus-best")[0]->text.find(c.says), std::string::npos)
            << plot.Find("summary.versus-best")[0]->text;
        EXPECT_EQ(plot.Find("ghost.profile").size(), 1u);
        EXPECT_EQ(plot.Find("ghost.airspeed").size(), 1u);
    }
    EXPECT_TRUE(debrief::BuildDebrief(arrival).Find("ghost.profile").empty());
}

// The verdict never calls an approach stable beside a gate that was not.
TEST(DebriefSummary, TheVerdictAgreesWithTheGates) {
    const Recording steady = Steady();
    Recording lowGate = Steady();
    Gs(lowGate, Below(lowGate, 560), Below(lowGate, 440), 40);
    Recording bothGates = lowGate;
    Gs(bothGates, Below(bothGates, 1060), Below(bothGates, 940), 40);
    Recording warned = lowGate;
    warned.summary.stable = false;
    warned.summary.stableThroughout = false;
    warned.summary.stabilityFeet = 10560;
    Recording cleared = steady;  // warned early, clear from 4 miles out
    cleared.summary.stableThroughout = false;
    cleared.summary.stabilityFeet = 21120;
    const struct {
        const Recording* r;
        const char* verdict;  // the debrief's line
        const char* logged;   // the logbook's verdict cell
    } cases[] = {
        {&steady, "verdict: stable throughout", "stable from 9.0 mi"},
        {&cleared, "verdict: stable from 4.0 mi", "stable from 4.0 mi"},
        {&lowGate, "verdict: not stable at 500 ft", "unstable from 1.2 mi"},
        {&bothGates, "verdict: not stable at 1000 and 500 ft", "unstable from 2.6 mi"},
        {&warned, "verdict: unstable from 2.0 mi", "unstable from 2.0 mi"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines;
        for (const debrief::SummaryLine& line : debrief::SummaryLines(*c.r, nullptr)) lines.push_back(line.Joined());
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.verdict), lines.end()) << c.verdict;
        // The logbook's entry for the same approach says the same.
        flightfile::Flight flight;
        flight.ending = flightfile::Ending::kArrived;
        const logbook::Figures figures = session::LogbookFigures(*c.r);
        EXPECT_EQ(logbook::CellsOf(logbook::EntryFor(flight, "2026-12-10T08:00:00", "f.avflight", &figures), false).verdict,
                  c.logged)
            << c.verdict;
    }
}

}  // namespace

