#include "debrief/Assessment.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "files/Files.h"
#include "game/Limits.h"

namespace debrief {

namespace {

using recorder::Judged;
using recorder::Limit;
using recorder::Outcome;
using recorder::Recording;
using recorder::Sample;

constexpr double kFeetPerMile = limits::kFeetPerMile;
constexpr double kGlideSlopeRatio = 15;

// The score: what each part is worth, out of 100.
// clang-format off
constexpr double kGlideSlopePoints = 20;   // G/S held: full at an RMS of 0, none at half the failure limit (50)
constexpr double kLocalizerPoints  = 15;   // needle held: full on the centre line, none at an RMS half the failure offset
constexpr double kSpeedBandPoints  = 10;   // share of the seconds inside 140..200 mph, once the speed first got there
constexpr double kGatePoints       = 7.5;  // each gate (1000 ft, 500 ft) passed stabilised; a gate not reached earns none
constexpr double kWarningPoints    = 10;   // full with no second in warning, none at kWarningSeconds
constexpr double kWarningSeconds   = 20;
constexpr double kArrivalPoints    = 30;   // arriving at the threshold
constexpr int    kFailureCeiling   = 40;   // an approach that did not arrive scores at most this ...
constexpr int    kArrivalFloor     = 41;   // ... and one that arrived at least this: no failure outranks an arrival
// clang-format on

struct GradeStep {
    int from;
    char grade;
};
constexpr GradeStep kGrades[] = {{90, 'A'}, {80, 'B'}, {70, 'C'}, {60, 'D'}, {kArrivalFloor, 'E'}, {0, 'F'}};

constexpr size_t kMaxAdvice = 3;
constexpr double kLeastCost = 1;  // advice worth less than a point of score is not given

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

double Miles(int32_t feet) { return std::max(feet, 0) / kFeetPerMile; }

double OffPath(const Sample& s) { return s.altitude - std::max(s.feetToGo, 0) / kGlideSlopeRatio; }

bool Judgement(const Sample& s) { return s.judged != Judged::kArrived; }

const char* Side(int fromCentre) { return fromCentre >= 0 ? "right" : "left"; }

// The part of a component's points lost, never below zero.
double Lost(double points, double fraction) { return points * std::clamp(fraction, 0.0, 1.0); }

Gate GateAt(const Recording& r, int height) {
    Gate g;
    g.height = height;
    bool above = false;
    for (size_t i = 0; i < r.samples.size(); ++i) {
        const Sample& s = r.samples[i];
        if (!Judgement(s)) break;
        if (s.altitude > height) {
            above = true;
            continue;
        }
        if (!above && i > 0) continue;
        g.reached = true;
        g.feetToGo = s.feetToGo;
        g.step = s.step;
        g.gs = GsReadout(s);
        g.needle = NeedleFromCentre(s);
        g.airspeed = static_cast<int>(std::min<uint32_t>(s.airspeed, 99999));
        int lo = g.airspeed, hi = g.airspeed;
        for (size_t j = i; j-- > 0;) {
            const Sample& p = r.samples[j];
            if (p.step + kGateRule.window < s.step) break;
            const int a = static_cast<int>(std::min<uint32_t>(p.airspeed, 99999));
            lo = std::min(lo, a);
            hi = std::max(hi, a);
        }
        g.speedChange = hi - lo;
        std::string why;
        auto add = [&why](const std::string& part) { why += (why.empty() ? "" : "; ") + part; };
        if (g.gs > kGateRule.maxGs) add(Format("G/S %d > %d", g.gs, kGateRule.maxGs));
        if (std::abs(g.needle) > kGateRule.maxNeedle)
            add(Format("needle %d %s > %d", std::abs(g.needle), Side(g.needle), kGateRule.maxNeedle));
        if (g.airspeed < kGateRule.minSpeed) add(Format("%d mph < %d", g.airspeed, kGateRule.minSpeed));
        if (g.airspeed > kGateRule.maxSpeed) add(Format("%d mph > %d", g.airspeed, kGateRule.maxSpeed));
        if (g.speedChange > kGateRule.maxSpeedChange)
            add(Format("speed varied %d mph > %d", g.speedChange, kGateRule.maxSpeedChange));
        g.stable = why.empty();
        g.reason = g.stable ? "stable" : why;
        return g;
    }
    g.reason = "not reached";
    return g;
}

// What the rules read: the figures of the recording and what each part of
// the score lost.
struct Facts {
    const Recording& r;
    const Assessment& a;
    double warnLost[recorder::kLimits] = {};  // the warning points, shared by each limit's seconds
    double aboveLost = 0, belowLost = 0;      // the speed band's points lost fast and slow
    const Sample* fastest = nullptr;          // once in the band
    const Sample* slowest = nullptr;          // once in the band, below it
    const Sample* worstGs = nullptr;
    const Sample* worstNeedle = nullptr;
};

struct Rule {
    const char* name;
    // The points it stands for, or below zero when it does not apply; fills `text`.
    double (*apply)(const Facts& f, std::string& text);
};

double WarnShare(const Facts& f, Limit l) { return f.warnLost[static_cast<int>(l)]; }
bool Failed(const Facts& f, Limit l) { return f.r.summary.failed[static_cast<int>(l)]; }

// Where the first turn click was left in, as a clause: the usual cause of a drift.
std::string TurnCause(const Recording& r) {
    for (const Sample& s : r.samples)
        if (s.turnRate != 0)
            return Format(" after a turn %s was left in %.1f miles out", s.turnRate > 0 ? "right" : "left",
                          Miles(s.feetToGo));
    return "";
}

// The most power set, as a clause, when it was more than the 25 of the set-up.
std::string PowerCause(const Recording& r) {
    const Sample* most = nullptr;
    for (const Sample& s : r.samples)
        if (Judgement(s) && (most == nullptr || s.power > most->power)) most = &s;
    if (most == nullptr || most->power <= 25) return "";
    return Format(" with the power at %u from %.1f miles", most->power, Miles(most->feetToGo));
}

const recorder::Mark* FailureMark(const Recording& r) {
    for (const recorder::Mark& m : r.marks)
        if (m.kind == recorder::Mark::Kind::kFailed) return &m;
    return nullptr;
}

// A gate reached unstable: where and why, then what to do about it.
double GateAdvice(const Gate& g, const char* then, std::string& text) {
    if (!g.reached || g.stable) return -1;
    text = Format("Not stabilised at %d ft (%.1f miles out): %s. %s", g.height, Miles(g.feetToGo), g.reason.c_str(), then);
    return kGatePoints;
}

// clang-format off
const Rule kRules[] = {
    {"failed", [](const Facts& f, std::string& text) -> double {
        if (f.r.summary.outcome != Outcome::kFailed) return -1;
        const recorder::Mark* m = FailureMark(f.r);
        const Sample* last = f.r.samples.empty() ? nullptr : &f.r.samples.back();
        const int32_t feet = m ? m->feetToGo : last ? last->feetToGo : 0;
        if (f.r.summary.failed[static_cast<int>(Limit::kAirspeed)]) {
            text = Format("Airspeed passed 300 mph %.1f miles out and the approach failed%s: once past 150 mph "
                          "bring the power back to about 17, and keep the nose no more than 8 steps down.",
                          Miles(feet), PowerCause(f.r).c_str());
        } else if (f.r.summary.failed[static_cast<int>(Limit::kLocalizer)]) {
            const int n = m ? m->localizerNeedle - limits::kNeedleCentre : last ? NeedleFromCentre(*last) : 0;
            text = Format("The needle went %d %s of centre %.1f miles out and the approach failed%s: turn one click "
                          "%s (toward the needle) as soon as it moves, and one click back as it returns.",
                          std::abs(n), Side(n), Miles(feet), TurnCause(f.r).c_str(), Side(n));
        } else {
            const double off = last ? OffPath(*last) : 0;
            const bool high = off > kBarCentreOffPath;
            text = Format("G/S passed 100, %.1f miles out, %d ft %s the height that centres the bar, and the "
                          "approach failed: %s a step as soon as G/S passes 25.", Miles(feet),
                          last ? GsReadout(*last) : 0, high ? "above" : "below",
                          high ? "put the nose down" : "raise the nose");
        }
        return kArrivalPoints;
    }},
    {"overspeed", [](const Facts& f, std::string& text) -> double {
        if (f.fastest == nullptr || static_cast<int>(f.fastest->airspeed) <= kGateRule.maxSpeed) return -1;
        if (Failed(f, Limit::kAirspeed)) return -1;  // the failure says it
        text = Format("Airspeed reached %u mph %.1f miles out%s: bring the power back to about 17 once past 150 mph "
                      "(power 17 with the nose 7 or 8 steps down holds about 170 mph).",
                      f.fastest->airspeed, Miles(f.fastest->feetToGo), PowerCause(f.r).c_str());
        return f.aboveLost + WarnShare(f, Limit::kAirspeed);
    }},
    {"slow", [](const Facts& f, std::string& text) -> double {
        if (f.slowest == nullptr) return -1;
        text = Format("Airspeed fell to %u mph %.1f miles out: add power (about 17) before the nose comes up; "
                      "keep between 140 and 200 mph.", f.slowest->airspeed, Miles(f.slowest->feetToGo));
        return f.belowLost;
    }},
    {"glide-slope", [](const Facts& f, std::string& text) -> double {
        if (f.worstGs == nullptr || GsReadout(*f.worstGs) <= kGateRule.maxGs) return -1;
        if (Failed(f, Limit::kGlideSlope)) return -1;
        // Said from where the bar is centred (50 ft above the 1-in-15 line),
        // the height the player flies to: "0 ft below the line" read as no error.
        // The readout is those feet; the side comes from the height.
        const bool high = OffPath(*f.worstGs) > kBarCentreOffPath;
        const int gs = GsReadout(*f.worstGs);
        text = Format("G/S reached %d, %.1f miles out, %d ft %s the height that centres the bar: %s one step as "
                      "soon as G/S passes 25, and back a step as the bar returns to the middle.",
                      gs, Miles(f.worstGs->feetToGo), gs, high ? "above" : "below",
                      high ? "put the nose down" : "raise the nose");
        return kGlideSlopePoints - f.a.score.glideSlope + WarnShare(f, Limit::kGlideSlope);
    }},
    {"localizer", [](const Facts& f, std::string& text) -> double {
        if (f.worstNeedle == nullptr || std::abs(NeedleFromCentre(*f.worstNeedle)) <= kGateRule.maxNeedle) return -1;
        if (Failed(f, Limit::kLocalizer)) return -1;
        const int n = NeedleFromCentre(*f.worstNeedle);
        text = Format("The needle drifted %d %s of centre %.1f miles out%s: a turn keeps drifting until taken out, so "
                      "turn one click %s (toward the needle) and one click back as it nears the centre.",
                      std::abs(n), Side(n), Miles(f.worstNeedle->feetToGo), TurnCause(f.r).c_str(), Side(n));
        return kLocalizerPoints - f.a.score.localizer + WarnShare(f, Limit::kLocalizer);
    }},
    {"gate-1000", [](const Facts& f, std::string& text) -> double {
        return GateAdvice(f.a.gates[0], "Settle the speed and the slope before then.", text);
    }},
    {"gate-500", [](const Facts& f, std::string& text) -> double {
        return GateAdvice(f.a.gates[1], "From here on change only one thing at a time.", text);
    }},
};
// clang-format on

}  // namespace

int NeedleFromCentre(const Sample& s) { return s.localizerNeedle - limits::kNeedleCentre; }
int GsReadout(const Sample& s) { return s.glideSlopeDeviation; }

Assessment Assess(const Recording& r) {
    Assessment a;
    a.airspeed.failLimit = static_cast<int>(limits::kAirspeedFailAbove);
    a.localizer.failLimit = limits::kNeedleFailOffset;
    a.glideSlope.failLimit = limits::kDeviationFailAbove;
    const recorder::Summary& sum = r.summary;

    // The worst values over every judgement; the RMS, the speed band and what
    // the advice points at over the part flown, from the judgement where the
    // speed first reached the band (the first approach after start-up begins
    // at 0 mph, climbing off the glide slope whatever the player does).
    // The advice's G/S leaves out that climb: from the band on, while G/S
    // only falls back from it, at a point a flight second at least after a
    // few seconds' grace, it is the start-up's. The return flown as the
    // README teaches takes some forty seconds at about 1.3 a second; a slope
    // held high (falling slower than that) is the player's.
    double gsSquares = 0, needleSquares = 0;
    uint32_t judgements = 0, inBand = 0, above = 0, below = 0;
    bool reachedBand = false, startedBelow = false, climbing = false;
    int lastGs = 0;
    int bandGs = 0;
    uint32_t bandStep = 0;
    constexpr int kClimbGraceSeconds = 3, kClimbFallPerSecond = 1;
    const Sample *fastest = nullptr, *slowest = nullptr, *worstGs = nullptr, *worstNeedle = nullptr;
    const Sample *allGs = nullptr, *allNeedle = nullptr;
    for (const Sample& s : r.samples) {
        if (!Judgement(s)) continue;
        ++judgements;
        const int gs = GsReadout(s), n = NeedleFromCentre(s);
        if (allGs == nullptr || gs > GsReadout(*allGs)) allGs = &s;
        if (allNeedle == nullptr || std::abs(n) > std::abs(NeedleFromCentre(*allNeedle))) allNeedle = &s;
        if (fastest == nullptr || s.airspeed > fastest->airspeed) fastest = &s;
        const int speed = static_cast<int>(std::min<uint32_t>(s.airspeed, 99999));
        if (judgements == 1) startedBelow = speed < kGateRule.minSpeed;
        if (speed >= kGateRule.minSpeed && !reachedBand) {
            reachedBand = true;
            climbing = startedBelow;
            lastGs = bandGs = gs;
            bandStep = s.step;
        }
        if (!reachedBand) continue;
        ++inBand;
        gsSquares += double(gs) * gs;
        needleSquares += double(n) * n;
        const int64_t due = (int64_t{s.step} - bandStep - kClimbGraceSeconds) * kClimbFallPerSecond;
        if (climbing && (gs > lastGs || gs <= kGateRule.maxGs || bandGs - gs < due)) climbing = false;
        lastGs = gs;
        if (!climbing && (worstGs == nullptr || gs > GsReadout(*worstGs))) worstGs = &s;
        if (worstNeedle == nullptr || std::abs(n) > std::abs(NeedleFromCentre(*worstNeedle))) worstNeedle = &s;
        if (speed > kGateRule.maxSpeed) ++above;
        if (speed < kGateRule.minSpeed) {
            ++below;
            if (slowest == nullptr || s.airspeed < slowest->airspeed) slowest = &s;
        }
    }
    a.judged = judgements > 0;
    if (fastest) a.airspeed = {static_cast<int>(std::min<uint32_t>(fastest->airspeed, 99999)), fastest->feetToGo, 0,
                               a.airspeed.failLimit};
    if (allGs) {
        a.glideSlope.worst = GsReadout(*allGs);
        a.glideSlope.worstFeet = allGs->feetToGo;
        a.localizer.worst = NeedleFromCentre(*allNeedle);
        a.localizer.worstFeet = allNeedle->feetToGo;
    }
    if (inBand > 0) {
        a.glideSlope.rms = std::sqrt(gsSquares / inBand);
        a.localizer.rms = std::sqrt(needleSquares / inBand);
    }
    for (int i = 0; i < kGates; ++i) a.gates[i] = GateAt(r, kGateHeights[i]);

    // The score.
    Score& sc = a.score;
    const uint32_t stride = std::max<uint32_t>(r.sampleStride, 1);
    sc.secondsOutsideBand = (above + below) * stride;
    if (a.judged) {
        // Never in the band: the slope and the centre line were not held either.
        sc.glideSlope = reachedBand ? kGlideSlopePoints - Lost(kGlideSlopePoints, a.glideSlope.rms / (a.glideSlope.failLimit / 2.0)) : 0;
        sc.localizer = reachedBand ? kLocalizerPoints - Lost(kLocalizerPoints, a.localizer.rms / (a.localizer.failLimit / 2.0)) : 0;
        sc.speedBand = reachedBand ? kSpeedBandPoints - Lost(kSpeedBandPoints, double(above + below) / inBand) : 0;
        sc.warnings = kWarningPoints - Lost(kWarningPoints, sum.secondsWarned / kWarningSeconds);
    }
    for (const Gate& g : a.gates) sc.gates += g.stable ? kGatePoints : 0;
    const bool arrived = sum.outcome == Outcome::kArrived;
    sc.outcome = arrived ? kArrivalPoints : 0;
    const double raw = sc.glideSlope + sc.localizer + sc.speedBand + sc.gates + sc.warnings + sc.outcome;
    int points = static_cast<int>(std::lround(raw));
    points = arrived ? std::clamp(points, kArrivalFloor, 100) : std::clamp(points, 0, kFailureCeiling);
    sc.points = points;
    for (const GradeStep& g : kGrades) {
        if (points >= g.from) {
            sc.grade = g.grade;
            break;
        }
    }
    if (!arrived) sc.grade = 'F';
    if (sc.grade == 'A' && sum.secondsWarned > 0) sc.grade = 'B';  // an A is flown without a warning

    // The advice: the rules that apply, costliest first.
    Facts f{r, a};
    const double warnLost = kWarningPoints - sc.warnings;
    uint32_t limitSeconds = 0;
    for (int l = 0; l < recorder::kLimits; ++l) limitSeconds += sum.limits[l].secondsWarned;
    for (int l = 0; l < recorder::kLimits && limitSeconds > 0; ++l)
        f.warnLost[l] = warnLost * sum.limits[l].secondsWarned / limitSeconds;
    if (inBand > 0) {
        f.aboveLost = kSpeedBandPoints * above / inBand;
        f.belowLost = kSpeedBandPoints * below / inBand;
    }
    f.fastest = fastest;
    f.slowest = slowest;
    f.worstGs = worstGs;
    f.worstNeedle = worstNeedle;
    std::vector<Advice> found;
    for (const Rule& rule : kRules) {
        std::string text;
        const double cost = rule.apply(f, text);
        if (cost >= kLeastCost) found.push_back({rule.name, cost, std::move(text)});
    }
    std::stable_sort(found.begin(), found.end(), [](const Advice& x, const Advice& y) { return x.cost > y.cost; });
    if (found.size() > kMaxAdvice) found.resize(kMaxAdvice);
    if (found.empty() && a.judged && arrived && sc.points >= 90)
        found.push_back({"clean", 0,
                         "A clean approach: stabilised at both gates, on the slope, centred and in the speed band. "
                         "Fly the next one the same way."});
    // An arrival below 90 with no rule worth a point: say so, not nothing.
    else if (found.empty() && a.judged && arrived)
        found.push_back({"spread", 0,
                         "No single thing to change: the points lost are spread thin (the climb after a start from "
                         "0 mph counts too). Fly the next one the same way, a little smoother."});
    a.advice = std::move(found);
    return a;
}

std::string VersusBest(int score, int best) {
    if (score > best) return Format("+%d on your best", score - best);
    if (score < best) return std::to_string(best - score) + " below your best";
    return "equals your best";
}

namespace {

std::string Quote(const std::string& s) { return files::JsonString(s); }

std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

}  // namespace

Verdict VerdictOf(const recorder::Summary& s, const Assessment& a) {
    if (s.judgements == 0) return {"not judged yet", true, s.stabilityFeet};
    if (!s.stable) return {Format("unstable from %.1f mi", Miles(s.stabilityFeet)), false, s.stabilityFeet};
    Verdict v{"", true, s.stabilityFeet};
    for (const Gate& g : a.gates) {
        if (!g.reached || g.stable) continue;
        v.text += v.stable ? "not stable at " : " and ";
        v.text += std::to_string(g.height);
        if (v.stable) v.feet = g.feetToGo;
        v.stable = false;
    }
    if (!v.stable) v.text += " ft";
    else v.text = s.stableThroughout ? "stable throughout" : Format("stable from %.1f mi", Miles(s.stabilityFeet));
    return v;
}

std::string FormatJson(const Recording& r, const Assessment& a) {
    const recorder::Summary& sum = r.summary;
    std::string out = "{";
    out += "\"outcome\":" + Quote(recorder::OutcomeName(sum.outcome));
    std::string failed;
    for (int l = 0; l < recorder::kLimits; ++l)
        if (sum.failed[l]) failed += (failed.empty() ? "" : ",") + Quote(recorder::LimitName(static_cast<Limit>(l)));
    out += ",\"failed\":[" + failed + "]";
    out += ",\"seconds_flown\":" + std::to_string(sum.secondsFlown);
    out += ",\"seconds_in_warning\":" + std::to_string(sum.secondsWarned);
    out += ",\"score\":" + std::to_string(a.score.points);
    out += ",\"grade\":" + Quote(std::string(1, a.score.grade));
    out += ",\"score_parts\":{\"glide_slope\":" + Number(a.score.glideSlope) +
           ",\"localizer\":" + Number(a.score.localizer) + ",\"speed_band\":" + Number(a.score.speedBand) +
           ",\"gates\":" + Number(a.score.gates) + ",\"warnings\":" + Number(a.score.warnings) +
           ",\"outcome\":" + Number(a.score.outcome) + "}";
    out += ",\"gates\":[";
    for (int i = 0; i < kGates; ++i) {
        const Gate& g = a.gates[i];
        if (i) out += ",";
        out += "{\"height_ft\":" + std::to_string(g.height) + ",\"reached\":" + (g.reached ? "true" : "false") +
               ",\"stable\":" + (g.stable ? "true" : "false");
        if (g.reached) {
            out += ",\"miles_to_go\":" + Number(Miles(g.feetToGo)) + ",\"gs_readout\":" + std::to_string(g.gs) +
                   ",\"needle_from_centre\":" + std::to_string(g.needle) + ",\"airspeed_mph\":" +
                   std::to_string(g.airspeed) + ",\"speed_change_mph\":" + std::to_string(g.speedChange);
        }
        out += ",\"reason\":" + Quote(g.reason) + "}";
    }
    out += "]";
    out += ",\"advice\":[";
    for (size_t i = 0; i < a.advice.size(); ++i) {
        if (i) out += ",";
        out += "{\"rule\":" + Quote(a.advice[i].rule) + ",\"cost\":" + Number(a.advice[i].cost) +
               ",\"text\":" + Quote(a.advice[i].text) + "}";
    }
    out += "]";
    auto held = [&](const char* sep, const char* name, const Held& h, const char* unit, bool rms) {
        out += std::string(sep) + Quote(name) + ":{\"worst\":" + std::to_string(h.worst) +
               ",\"worst_miles_to_go\":" + Number(Miles(h.worstFeet)) + ",\"unit\":" + Quote(unit) +
               ",\"fail_limit\":" + std::to_string(h.failLimit);
        if (rms) out += ",\"rms\":" + Number(h.rms);
        out += "}";
    };
    out += ",\"limits\":{";
    held("", "airspeed", a.airspeed, "mph", false);
    held(",", "localizer", a.localizer, "needle units from centre, right positive", true);
    held(",", "glide_slope", a.glideSlope, "G/S readout", true);
    out += "}";
    out += "}\n";
    return out;
}

}  // namespace debrief
