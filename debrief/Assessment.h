// What an approach teaches: the values the player read off the instruments,
// the stabilisation gates at 1000 and 500 ft, a score out of 100 with a
// letter, and at most three sentences on what to change next time. Worked
// out from a recording alone, so every back end (and the JSON summary)
// says the same.
//
// The quantities are the cockpit's: the G/S readout (0 with the glide-slope
// bar centred, that is 50 ft off the 1-in-15 line; the approach warns above
// 95 and fails above 100) and the localizer needle's distance from the centre
// line (warns beyond 25, fails beyond 45).
#pragma once

#include <string>
#include <vector>

#include "recorder/FlightRecorder.h"

namespace debrief {

// Stabilised, in this game's terms: a quarter of each failure limit, a speed
// band around the 170 mph that power 17 holds on the slope, and a steady speed.
struct GateRule {
    int maxGs = 25;            // G/S readout at most this (a quarter of 100)
    int maxNeedle = 12;        // the needle within this of the centre (about a quarter of 45)
    int minSpeed = 140, maxSpeed = 200;  // mph
    int maxSpeedChange = 15;   // mph between the fastest and slowest of the last five seconds
    int window = 5;            // flight seconds looked back over
};
inline constexpr GateRule kGateRule{};
inline constexpr int kGateHeights[] = {1000, 500};  // feet above the runway
constexpr int kGates = 2;

struct Gate {
    int height = 0;            // feet above the runway
    bool reached = false;      // the aircraft came down through it
    bool stable = false;
    int32_t feetToGo = 0;      // where
    uint32_t step = 0;
    int gs = 0;                // G/S readout there
    int needle = 0;            // needle from centre, right positive
    int airspeed = 0;
    int speedChange = 0;       // fastest less slowest over the window
    std::string reason;        // "stable", else what was outside, e.g. "G/S 40 > 25; 230 mph > 200"
};

// The worst and the root-mean-square of one quantity over the judgements.
struct Held {
    int worst = 0;             // airspeed: fastest; localizer: furthest from centre (signed); G/S: highest
    int32_t worstFeet = 0;     // where the worst was
    double rms = 0;            // airspeed: 0 (it is judged by the band instead)
    int failLimit = 0;         // the failure limit in the same unit
};

struct Advice {
    const char* rule = "";     // the rule's name, e.g. "overspeed"
    double cost = 0;           // score points it stands for
    std::string text;
};

struct Score {
    int points = 0;            // 0..100
    char grade = 'F';
    // What each part of the score earned (see the weights in Assessment.cpp).
    double glideSlope = 0, localizer = 0, speedBand = 0, gates = 0, warnings = 0, outcome = 0;
    uint32_t secondsOutsideBand = 0;  // after the speed first reached the band
};

struct Assessment {
    Held airspeed, localizer, glideSlope;
    Gate gates[kGates];
    Score score;
    std::vector<Advice> advice;  // at most three, costliest first; one "clean" entry when none apply
    bool judged = false;         // any judgement at all
};

// Everything above for one recording.
Assessment Assess(const recorder::Recording& recording);

// The quantities as the cockpit shows them.
int NeedleFromCentre(const recorder::Sample& s);  // right positive
int GsReadout(const recorder::Sample& s);
// The glide-slope bar is centred this many feet above the 1-in-15 line.
constexpr double kBarCentreOffPath = 50;

// The score's comparison with an earlier best: "+6 on your best", "3 below
// your best", "equals your best".
std::string VersusBest(int score, int best);

// The approach's verdict: unstable from where a warning limit was passed in
// the last third of the way flown; else not stable at each gate reached
// unstabilised (the warning limits are too wide to see that), from the first
// of them; else stable, from where the last warning ended. The debrief and
// the logbook both say it.
struct Verdict {
    std::string text;   // "stable throughout", "not stable at 500 ft", ...
    bool stable = true;
    int32_t feet = 0;   // to go where it became stable or stopped being so
};
Verdict VerdictOf(const recorder::Summary& summary, const Assessment& assessment);

// The summary as one JSON object: outcome, score, grade, the gates with their
// values, the advice shown (rule and text), and the worst value and RMS of
// each limit.
std::string FormatJson(const recorder::Recording& recording, const Assessment& assessment);

}  // namespace debrief
