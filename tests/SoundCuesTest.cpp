// The sound cues: what the tone is for a flight record (pitch from the G/S
// readout, place from the needle), when the ticks come, the samples made
// (their length, their continuity from call to call, silence out of flight
// and when paused), and the cues over recorded approaches agreeing with the
// debrief's readings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "cues/SoundCues.h"
#include "debrief/Assessment.h"
#include "platform/headless/HeadlessSession.h"
#include "tests/ReplayPlayer.h"
#include "tests/TestAtlas.h"

namespace {

using cues::CueGenerator;
using cues::Tick;

constexpr int kRate = 8000;
constexpr uint32_t kRunway = 30000;  // feet to go at distance 0: the line 2000 ft up, the bar's path 2050

FlightState Flying(int32_t altitude, int16_t readout, int16_t needle, uint32_t state = kStateFlightStep) {
    FlightState s;
    s.pressMode = kModeCockpit;
    s.gameState = state;
    s.runwayDistance = kRunway;
    s.altitude = altitude;
    s.glideSlopeDeviation = readout;
    s.localizerNeedle = needle;
    return s;
}

TEST(SoundCues, TheToneFollowsTheReadoutAndTheNeedle) {
    struct Case {
        const char* name;
        FlightState s;
        bool sounding;
        int gs;
        double frequency, pan;
    } const cases[] = {
        {"on the bar, centred",         Flying(2050, 0, 50),   true, 0,    440.0,  0.0},
        {"50 above the bar, needle at the right limit", Flying(2100, 50, 95), true, 50, 622.25, 1.0},
        {"on the line: 50 below the bar, needle at the left limit", Flying(2000, 50, 5), true, -50, 311.13, -1.0},
        {"far above: an octave at most", Flying(2200, 150, 28), true, 150, 880.0, -22.0 / 45},
        {"far below the line",          Flying(1800, 150, 50), true, -150, 220.0, 0.0},
        {"50 below the line reads 0",   Flying(1950, 0, 50),   true, 0,    440.0,  0.0},
        {"needle beyond the scale",     Flying(2050, 0, 120),  true, 0,    440.0,  1.0},
        {"the second page",             Flying(2050, 0, 50, kStateSecondPage), false, 0, 440.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const cues::Tone t = cues::ToneFor(c.s);
        EXPECT_EQ(t.sounding, c.sounding);
        EXPECT_EQ(t.gs, c.gs);
        EXPECT_NEAR(t.frequency, c.frequency, 0.01);
        EXPECT_NEAR(t.pan, c.pan, 1e-9);
    }
}

struct Step {
    int32_t altitude;
    uint32_t state = kStateFlightStep;
    bool running = true;
    uint32_t distance = 0;
};

TEST(SoundCues, TicksComeOnWarningsAndGates) {
    const std::vector<Tick> none, gate{Tick::kGate}, warning{Tick::kWarning};
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<Tick> ticks;
    } const cases[] = {
        {"down through both gates", {{1200}, {1000}, {900}, {501}, {480}, {300}}, {Tick::kGate, Tick::kGate}},
        {"bobbing at a gate sounds once", {{1010}, {990}, {1010}, {995}, {1020}, {990}}, gate},
        {"back well above and down again", {{1010}, {990}, {1150}, {990}}, {Tick::kGate, Tick::kGate}},
        {"begun below the gates", {{400}, {300}}, none},
        {"down through while paused", {{1010}, {990, kStateFlightStep, false}}, none},
        {"down through out of flight", {{1010}, {990, kStateSecondPage}}, none},
        {"a new approach passes the gate again", {{1010, kStateFlightStep, true, 100}, {990, kStateFlightStep, true, 200},
                                                  {1500, kStateCockpit, true, 0}, {990, kStateFlightStep, true, 50}},
         {Tick::kGate, Tick::kGate}},
        {"each warning judgement", {{3000, kStateJudgement}, {3000, kStateWarning}, {3000, kStateWarning},
                                    {3000, kStateFlightStep}, {3000, kStateCockpit}, {3000, kStateWarning}},
         {Tick::kWarning, Tick::kWarning}},
        {"a warning while paused", {{3000, kStateJudgement}, {3000, kStateWarning, false}}, none},
        {"a warning at a gate", {{1010, kStateJudgement}, {990, kStateWarning}}, {Tick::kGate, Tick::kWarning}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CueGenerator g(kRate, debrief::kGateHeights);
        std::vector<Tick> heard;
        for (const Step& st : c.steps) {
            FlightState s = Flying(st.altitude, 0, 50, st.state);
            s.distanceFlown = st.distance;
            for (const Tick t : g.Observe(s, st.running)) heard.push_back(t);
            g.Observe(s, st.running);  // looked at again: nothing new
        }
        EXPECT_EQ(heard, c.ticks);
    }
}

std::vector<int16_t> Render(CueGenerator& g, size_t frames) {
    std::vector<int16_t> out(frames * 2, 12345);
    g.Render(out.data(), frames);
    return out;
}

double Rms(const std::vector<int16_t>& v, size_t channel, size_t from) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = 2 * from + channel; i < v.size(); i += 2, ++n) sum += static_cast<double>(v[i]) * v[i];
    return n ? std::sqrt(sum / n) : 0;
}

TEST(SoundCues, TheStreamIsContinuousAndSilentOutOfFlight) {
    // The same second of sound in one call and in calls of odd lengths.
    const FlightState above = Flying(2100, 50, 28);
    CueGenerator whole(kRate, debrief::kGateHeights), parts(kRate, debrief::kGateHeights);
    whole.Observe(above, true);
    parts.Observe(above, true);
    const std::vector<int16_t> once = Render(whole, kRate);
    std::vector<int16_t> pieces;
    for (const size_t n : {1, 7, 160, 999, 2833, 4000}) {
        const std::vector<int16_t> p = Render(parts, n);
        ASSERT_EQ(p.size(), 2 * n);
        pieces.insert(pieces.end(), p.begin(), p.end());
    }
    ASSERT_EQ(pieces.size(), 2u * kRate);
    EXPECT_EQ(pieces, once);

    // Its pitch, counted in rising zero crossings, and its place: the needle
    // left of centre, the left ear louder by the equal-power law.
    int rising = 0;
    for (size_t i = 2; i < once.size(); i += 2) rising += once[i - 2] < 0 && once[i] >= 0;
    EXPECT_NEAR(rising, cues::FrequencyFor(50), 2);
    const double angle = (cues::PanFor(-22) + 1) * M_PI / 4;
    EXPECT_NEAR(Rms(once, 0, 0) / Rms(once, 1, 0), std::cos(angle) / std::sin(angle), 0.02);
    EXPECT_GT(Rms(once, 0, 0), 1000);  // heard
    EXPECT_LT(Rms(once, 0, 0), 4000);  // quietly

    // Paused: it fades within a hundredth of a second and stays silent.
    whole.Observe(above, false);
    const std::vector<int16_t> paused = Render(whole, kRate / 10);
    EXPECT_EQ(Rms(paused, 0, kRate / 100), 0);
    EXPECT_EQ(Rms(paused, 1, kRate / 100), 0);
    EXPECT_FALSE(whole.audible());
    // Out of flight it never sounds.
    CueGenerator title(kRate, debrief::kGateHeights);
    title.Observe(Flying(2100, 50, 28, kStateInformationPage), true);
    EXPECT_FALSE(title.audible());
    EXPECT_EQ(Render(title, 100), std::vector<int16_t>(200, 0));

    // Mixed with the start sound, held at the limits.
    std::vector<int16_t> mix{30000, -30000, 5};
    const std::vector<int16_t> add{10000, -10000, -7};
    cues::MixInto(mix.data(), add.data(), mix.size());
    EXPECT_EQ(mix, (std::vector<int16_t>{32767, -32768, -2}));
}

// Recorded approaches played tick by tick: the readings the tone follows are
// the debrief's, a warning tick comes with every warning judgement and a gate
// tick with every gate the debrief finds reached.
TEST(SoundCues, RecordedApproachesTickAsTheDebriefCounts) {
    int allWarnings = 0, allGates = 0;
    for (const char* name : {"arrival", "warning-recovered", "glide-slope-failure"}) {
        SCOPED_TRACE(name);
        HeadlessSession session(MakeTestAtlas());
        CueGenerator g(kRate, debrief::kGateHeights);
        int warnings = 0, gates = 0, judgements = 0;
        size_t seen = 0;
        const auto tick = [&](int n) {
            for (int i = 0; i < n; ++i) {
                session.Tick(1);
                const FlightState& view = session.view();
                for (const Tick t : g.Observe(view, session.host().timerRunning()))
                    ++(t == Tick::kGate ? gates : warnings);
                // A judgement just recorded: the tone reads what the debrief reads.
                const recorder::Recording* now = session.recorder().current();
                if (now == nullptr || now->samples.empty() || now->samples.size() == seen) continue;
                seen = now->samples.size();
                const recorder::Sample& s = now->samples.back();
                const cues::Tone tone = cues::ToneFor(view);
                ++judgements;
                EXPECT_EQ(tone.gs, s.altitude - std::max(s.feetToGo, 0) / 15 > 50 ? debrief::GsReadout(s)
                                                                                  : -debrief::GsReadout(s));
                EXPECT_EQ(tone.needle, debrief::NeedleFromCentre(s));
            }
        };
        PlayReplayFile(session, std::string(name) + ".events", tick);
        const recorder::Recording* r = session.recorder().latestEnded();
        ASSERT_NE(r, nullptr);
        const debrief::Assessment a = debrief::Assess(*r);
        int judgedWarnings = 0, reached = 0;
        for (const recorder::Sample& s : r->samples) judgedWarnings += s.judged == recorder::Judged::kWarning;
        for (const debrief::Gate& gate : a.gates) reached += gate.reached;
        EXPECT_EQ(warnings, judgedWarnings);
        EXPECT_EQ(gates, reached);
        EXPECT_GT(judgements, 5);
        allWarnings += warnings;
        allGates += gates;
    }
    EXPECT_GT(allWarnings, 0);
    EXPECT_GE(allGates, 2);
}

}  // namespace
