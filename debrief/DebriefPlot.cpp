#include "debrief/DebriefPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "debrief/Assessment.h"
#include "game/Limits.h"

namespace debrief {

namespace {

using recorder::Limit;
using recorder::Mark;
using recorder::Recording;
using recorder::Sample;
using recorder::Summary;

constexpr double kFeetPerMile = limits::kFeetPerMile;
constexpr double kGlideSlopeRatio = 15;  // the reference descent: 1 foot in 15
// The G/S readout is |feet off the reference - kBarCentreOffPath|, so its
// warning and failure lie this far either side of the reference line.
constexpr double kWarnOffPath = kBarCentreOffPath + limits::kDeviationWarnAbove;
constexpr double kFailOffPath = kBarCentreOffPath + limits::kDeviationFailAbove;

constexpr float kLeft = 84, kRight = 700;
constexpr float kColumn = 764;  // the summary and the legend
constexpr size_t kWrapChars = 150;  // advice lines, at 12 units
// Summary values, bold at 12 units: about 7.4 a character at the widest,
// 192 to the page's edge.
constexpr size_t kSummaryValueChars = 24;

// clang-format off
constexpr Colour kInk        {30, 30, 30};
constexpr Colour kFrame      {110, 110, 110};
constexpr Colour kGrid       {225, 225, 225};
constexpr Colour kTrace      {20, 70, 170};
constexpr Colour kPath       {0, 130, 70};
constexpr Colour kWarnLine   {220, 140, 0};
constexpr Colour kWarnFill   {255, 214, 130};
constexpr Colour kFailLine   {200, 30, 30};
constexpr Colour kFailFill   {252, 222, 222};
constexpr Colour kCorridor   {226, 243, 226};
constexpr Colour kLastThird  {60, 60, 120, 34};  // laid over the bands
constexpr Colour kStable     {0, 140, 60};
constexpr Colour kUnstable   {200, 30, 30};
constexpr Colour kArrived    {0, 140, 60};
constexpr Colour kMuted      {90, 90, 90};
constexpr Colour kGhost      {120, 120, 140, 110};
constexpr Colour kStableBand {0, 140, 60, 26};
constexpr Colour kPower      {190, 100, 0};
constexpr Colour kPitch      {120, 40, 160};
constexpr Colour kTurn       {0, 140, 150};
// clang-format on

std::string Format(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string Miles(double feet) { return Format("%.1f mi", feet / kFeetPerMile); }


class Painter {
public:
    explicit Painter(Plot& plot) : plot_(plot) {}

    void Line(Point a, Point b, Colour c, float width, const char* role, bool dashed = false) {
        Primitive p;
        p.kind = Primitive::Kind::kLine;
        p.points = {a, b};
        p.colour = c;
        p.width = width;
        p.dashed = dashed;
        p.role = role;
        plot_.items.push_back(std::move(p));
    }
    void Polyline(std::vector<Point> points, Colour c, float width, const char* role) {
        if (points.size() < 2) {
            if (points.size() == 1) Fill(Diamond(points[0], 2.5f), c, role);
            return;
        }
        Primitive p;
        p.kind = Primitive::Kind::kPolyline;
        p.points = std::move(points);
        p.colour = c;
        p.width = width;
        p.role = role;
        plot_.items.push_back(std::move(p));
    }
    void Fill(std::vector<Point> points, Colour c, const char* role) {
        Primitive p;
        p.kind = Primitive::Kind::kFill;
        p.points = std::move(points);
        p.colour = c;
        p.role = role;
        plot_.items.push_back(std::move(p));
    }
    void Rect(float x0, float y0, float x1, float y1, Colour c, const char* role) {
        Fill({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, c, role);
    }
    void Text(float x, float y, std::string text, float size, Colour c, const char* role, Align align = Align::kLeft,
              bool bold = false, bool vertical = false) {
        Primitive p;
        p.kind = Primitive::Kind::kText;
        p.points = {{x, y}};
        p.text = std::move(text);
        p.size = size;
        p.colour = c;
        p.align = align;
        p.bold = bold;
        p.vertical = vertical;
        p.role = role;
        plot_.items.push_back(std::move(p));
    }
    static std::vector<Point> Diamond(Point c, float r) {
        return {{c.x, c.y - r}, {c.x + r, c.y}, {c.x, c.y + r}, {c.x - r, c.y}};
    }

private:
    Plot& plot_;
};

double NiceCeil(double v, double step) { return std::ceil(v / step - 1e-9) * step; }
double NiceFloor(double v, double step) { return std::floor(v / step + 1e-9) * step; }

struct Tick {
    double value;
    std::string label;
};

std::vector<Tick> Ticks(const std::vector<double>& values) {
    std::vector<Tick> out;
    for (double v : values) out.push_back({v, Format("%.0f", v)});
    return out;
}

// The value axis of a panel: its frame, grid and round tick labels.
void Axis(Painter& paint, const Panel& panel, const std::vector<Tick>& ticks, const std::string& title,
          const char* unit) {
    for (const Tick& t : ticks) {
        const float y = static_cast<float>(panel.Y(t.value));
        paint.Line({panel.left, y}, {panel.right, y}, kGrid, 1, "grid");
        paint.Line({panel.left - 4, y}, {panel.left, y}, kFrame, 1, "tick");
        paint.Text(panel.left - 7, y + 4, t.label, 11, kInk, "tick.label", Align::kRight);
    }
    paint.Text(panel.left, panel.top - 9, title, 13, kInk, "panel.title", Align::kLeft, true);
    paint.Text(panel.left - 50, (panel.top + panel.bottom) / 2, unit, 11, kMuted, "axis.unit", Align::kCentre, false,
               true);
}

// A second scale on a panel's right edge.
void RightAxis(Painter& paint, const Panel& panel, const std::vector<Tick>& ticks, const char* unit, Colour c) {
    for (const Tick& t : ticks) {
        const float y = static_cast<float>(panel.Y(t.value));
        paint.Line({panel.right, y}, {panel.right + 4, y}, kFrame, 1, "tick");
        paint.Text(panel.right + 7, y + 4, t.label, 11, c, "tick.label.right");
    }
    paint.Text(panel.right + 54, (panel.top + panel.bottom) / 2, unit, 11, c, "axis.unit.right", Align::kCentre,
               false, true);
}

void Frame(Painter& paint, const Panel& p) {
    paint.Polyline({{p.left, p.top}, {p.right, p.top}, {p.right, p.bottom}, {p.left, p.bottom}, {p.left, p.top}},
                   kFrame, 1, "frame");
}

// A band between two values that change linearly along the distance axis,
// clipped to its panel (evaluated along the axis so the clip is exact to a
// fraction of a unit).
void Band(Painter& paint, const Plot& plot, const Panel& panel, double (*low)(double), double (*high)(double),
          Colour c, const char* role) {
    constexpr int kSteps = 160;
    std::vector<Point> top, bottom;
    for (int i = 0; i <= kSteps; ++i) {
        const double feet = plot.farFeet + (plot.nearFeet - plot.farFeet) * i / kSteps;
        const float x = static_cast<float>(plot.X(feet));
        top.push_back({x, static_cast<float>(panel.Y(high(feet)))});
        bottom.push_back({x, static_cast<float>(panel.Y(low(feet)))});
    }
    // Only where the band has some height inside the panel.
    bool any = false;
    for (size_t i = 0; i < top.size(); ++i) any = any || bottom[i].y - top[i].y > 0.01f;
    if (!any) return;
    std::vector<Point> polygon = top;
    polygon.insert(polygon.end(), bottom.rbegin(), bottom.rend());
    paint.Fill(std::move(polygon), c, role);
}

double Reference(double feet) { return std::max(feet, 0.0) / kGlideSlopeRatio; }
double FailAbove(double f) { return Reference(f) + kFailOffPath; }
double WarnAbove(double f) { return Reference(f) + kWarnOffPath; }
double WarnBelow(double f) { return Reference(f) - kWarnOffPath; }
double FailBelow(double f) { return Reference(f) - kFailOffPath; }

double LimitValue(const Mark& m, Limit limit) {
    switch (limit) {
    case Limit::kAirspeed: return m.airspeed;
    case Limit::kLocalizer: return m.localizerNeedle;
    case Limit::kGlideSlope: return m.glideSlopeDeviation;
    }
    return 0;
}

const Panel& PanelOf(const Plot& plot, Limit limit) {
    return limit == Limit::kAirspeed ? plot.airspeed : limit == Limit::kLocalizer ? plot.plan : plot.glideSlope;
}

std::string OutcomeText(const Summary& s) {
    std::string out = recorder::OutcomeName(s.outcome);
    if (s.outcome == recorder::Outcome::kFailed) {
        std::string which;
        for (int l = 0; l < recorder::kLimits; ++l) {
            if (!s.failed[l]) continue;
            which += which.empty() ? "" : ", ";
            which += recorder::LimitName(static_cast<Limit>(l));
        }
        if (!which.empty()) out += " (" + which + ")";
    }
    return out;
}

std::string NeedleText(int fromCentre) {
    if (fromCentre == 0) return "0";
    return std::to_string(std::abs(fromCentre)) + (fromCentre > 0 ? " R" : " L");
}

std::string GateText(const Gate& g) {
    if (!g.reached) return "not reached";
    return g.stable ? "stable, " + Miles(g.feetToGo) : g.reason;
}

std::string ScoreText(const Assessment& a) {
    return std::to_string(a.score.points) + " / 100, grade " + std::string(1, a.score.grade);
}

// Words broken into lines of at most `width` characters.
std::vector<std::string> Wrap(const std::string& text, size_t width) {
    std::vector<std::string> lines;
    std::string line;
    size_t i = 0;
    while (i < text.size()) {
        const size_t space = text.find(' ', i);
        const std::string word = text.substr(i, space == std::string::npos ? std::string::npos : space - i);
        i = space == std::string::npos ? text.size() : space + 1;
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// The staircase of an input: it holds its value until the next sample.
template <typename Value>
std::vector<Point> Steps(const Plot& plot, const Panel& panel, const std::vector<Sample>& samples, Value value) {
    std::vector<Point> out;
    for (const Sample& s : samples) {
        if (s.judged == recorder::Judged::kArrived) continue;
        const float x = static_cast<float>(plot.X(s.feetToGo));
        const float y = static_cast<float>(panel.Y(value(s)));
        if (!out.empty() && out.back().y != y) out.push_back({x, out.back().y});
        out.push_back({x, y});
    }
    return out;
}

}  // namespace

double Panel::Y(double value) const {
    const double v = std::clamp(value, low, high);
    return bottom - (v - low) / (high - low) * (bottom - top);
}

double Plot::X(double feetToGo) const {
    const double f = std::clamp(feetToGo, nearFeet, farFeet);
    return profile.left + (farFeet - f) / (farFeet - nearFeet) * (profile.right - profile.left);
}

std::vector<const Primitive*> Plot::Find(const std::string& role) const {
    std::vector<const Primitive*> out;
    for (const Primitive& p : items)
        if (role == p.role) out.push_back(&p);
    return out;
}

double NiceStep(double span, int count) {
    const double raw = std::max(span, 1e-9) / std::max(count, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw * (1 - 1e-9)) return m * power;
    return 10 * power;
}

std::vector<SummaryLine> SummaryLines(const Recording& r, const Recording* ghost) {
    const Summary& s = r.summary;
    const Assessment a = Assess(r);
    std::vector<SummaryLine> lines;
    lines.push_back({"outcome", OutcomeText(s)});
    std::string score = ScoreText(a);
    if (ghost != nullptr) score += " (" + VersusBest(a.score.points, Assess(*ghost).score.points) + ")";
    lines.push_back({"score", score});
    lines.push_back({"time flown", std::to_string(s.secondsFlown) + " s"});
    lines.push_back({"in warning", std::to_string(s.secondsWarned) + " s"});
    lines.push_back({"verdict", VerdictOf(s, a).text});
    for (const Gate& g : a.gates) lines.push_back({"gate " + std::to_string(g.height) + " ft", GateText(g)});
    lines.push_back({"airspeed", "worst " + std::to_string(a.airspeed.worst) + " mph (fails above 300), warned " +
                                     std::to_string(s.of(Limit::kAirspeed).secondsWarned) + " s"});
    lines.push_back({"localizer", "needle at worst " + NeedleText(a.localizer.worst) + " from centre, RMS " +
                                      Format("%.1f", a.localizer.rms) + " (fails beyond 45), warned " +
                                      std::to_string(s.of(Limit::kLocalizer).secondsWarned) + " s"});
    lines.push_back({"glide slope", "G/S at worst " + std::to_string(a.glideSlope.worst) + ", RMS " +
                                        Format("%.1f", a.glideSlope.rms) + " (fails above 100), warned " +
                                        std::to_string(s.of(Limit::kGlideSlope).secondsWarned) + " s"});
    for (const Advice& adv : a.advice) lines.push_back({kAdviceLine, adv.text});
    if (r.thinned())
        lines.push_back({"samples thinned", "every " + std::to_string(r.sampleStride) + "th judgement kept"});
    return lines;
}

Plot BuildDebrief(const Recording& r, const Recording* ghost) {
    Plot plot;
    plot.width = kPlotWidth;
    plot.height = kPlotHeight;
    const Summary& sum = r.summary;
    const Assessment assessment = Assess(r);
    Painter paint(plot);
    paint.Rect(0, 0, plot.width, plot.height, {255, 255, 255}, "background");

    // The shared distance axis: what was flown, at least a mile, in round steps.
    double far = static_cast<double>(sum.startFeet), near = static_cast<double>(sum.endFeet);
    for (const Sample& s : r.samples) {
        far = std::max<double>(far, s.feetToGo);
        near = std::min<double>(near, s.feetToGo);
    }
    if (r.samples.empty()) far = std::max(far, 9 * kFeetPerMile);
    near = std::max(near, 0.0);
    far = std::max(far, near);
    if (far - near < kFeetPerMile) near = std::max(0.0, far - kFeetPerMile);
    if (far - near < kFeetPerMile) far = near + kFeetPerMile;
    const double mileStep = NiceStep((far - near) / kFeetPerMile, 10);
    plot.farFeet = NiceCeil(far / kFeetPerMile, mileStep) * kFeetPerMile;
    plot.nearFeet = NiceFloor(near / kFeetPerMile, mileStep) * kFeetPerMile;

    plot.profile = {kLeft, 62, kRight, 222, 0, 1};
    plot.glideSlope = {kLeft, 252, kRight, 352, 0, 1};
    plot.plan = {kLeft, 382, kRight, 472, 0, 100};
    plot.airspeed = {kLeft, 502, kRight, 602, 0, 1};
    plot.inputs = {kLeft, 632, kRight, 722, 0, 80};
    plot.steps = plot.inputs;

    // Only the samples inside the axis set the value scales.
    auto shown = [&](const Sample& s) { return s.feetToGo <= plot.farFeet + 1 && s.feetToGo >= plot.nearFeet - 1; };
    const std::vector<const Recording*> drawn = ghost ? std::vector<const Recording*>{&r, ghost}
                                                      : std::vector<const Recording*>{&r};
    double maxAlt = Reference(plot.farFeet) + kFailOffPath, minAlt = std::max(0.0, Reference(plot.nearFeet) - kFailOffPath);
    double maxSpeed = limits::kAirspeedFailAbove, maxGs = 120;
    double lowStep = -12, highStep = 4;
    for (const Recording* rec : drawn) {
        for (const Sample& s : rec->samples) {
            if (!shown(s)) continue;
            maxAlt = std::max<double>(maxAlt, s.altitude);
            minAlt = std::min<double>(minAlt, s.altitude);
            if (s.judged == recorder::Judged::kArrived) continue;
            maxSpeed = std::max<double>(maxSpeed, s.airspeed);
            maxGs = std::max<double>(maxGs, GsReadout(s));
            lowStep = std::min<double>({lowStep, static_cast<double>(s.pitch), static_cast<double>(s.turnRate)});
            highStep = std::max<double>({highStep, static_cast<double>(s.pitch), static_cast<double>(s.turnRate)});
        }
    }
    const double altStep = NiceStep(maxAlt - minAlt, 5);
    plot.profile.low = NiceFloor(minAlt, altStep);
    plot.profile.high = NiceCeil(maxAlt + altStep / 4, altStep);
    const double speedStep = NiceStep(maxSpeed + 20, 5);
    plot.airspeed.high = NiceCeil(maxSpeed + 20, speedStep);
    const double gsStep = NiceStep(maxGs, 4);
    plot.glideSlope.high = NiceCeil(maxGs + 5, gsStep);
    const double stepStep = NiceStep(highStep - lowStep, 4);
    plot.steps.low = NiceFloor(lowStep - 1, stepStep);
    plot.steps.high = NiceCeil(highStep + 1, stepStep);

    const Panel* panels[] = {&plot.profile, &plot.glideSlope, &plot.plan, &plot.airspeed, &plot.inputs};

    // Title.
    paint.Text(kLeft, 30, "Approach debrief: " + OutcomeText(sum), 18, kInk, "title", Align::kLeft, true);
    if (r.replayed) {
        paint.Text(kRight, 30, r.takenOver ? "taken over from a flight file" : "watched from a flight file", 11, kMuted,
                   "title.note", Align::kRight);
    }

    auto hband = [&](const Panel& p, double lo, double hi, Colour c, const char* role) {
        const float y0 = static_cast<float>(p.Y(hi)), y1 = static_cast<float>(p.Y(lo));
        if (y1 > y0) paint.Rect(p.left, y0, p.right, y1, c, role);
    };
    // Profile: the corridor and the warning strips about the glide path. The
    // failure zones are the red lines alone: 150 ft either side of the path on
    // an axis of thousands of feet, filled they would colour nearly the whole
    // panel (the G/S panel below shows them filled, at a scale they fit).
    Band(paint, plot, plot.profile, WarnAbove, FailAbove, kWarnFill, "profile.warn-band");
    Band(paint, plot, plot.profile, FailBelow, WarnBelow, kWarnFill, "profile.warn-band");
    Band(paint, plot, plot.profile, WarnBelow, WarnAbove, kCorridor, "profile.corridor");
    // The G/S readout: what the gates ask for, the warning and the failure.
    hband(plot.glideSlope, 0, kGateRule.maxGs, kStableBand, "gs.gate-band");
    hband(plot.glideSlope, limits::kDeviationFailAbove, plot.glideSlope.high, kFailFill, "gs.fail-band");
    hband(plot.glideSlope, limits::kDeviationWarnAbove, limits::kDeviationFailAbove, kWarnFill, "gs.warn-band");
    // Needle and airspeed: fixed limits; the gates' band about the centre and the speed band.
    hband(plot.plan, limits::kNeedleCentre - kGateRule.maxNeedle, limits::kNeedleCentre + kGateRule.maxNeedle,
          kStableBand, "plan.gate-band");
    hband(plot.plan, limits::kNeedleFailHigh, 100, kFailFill, "plan.fail-band");
    hband(plot.plan, 0, limits::kNeedleFailLow, kFailFill, "plan.fail-band");
    hband(plot.plan, limits::kNeedleWarnHigh, limits::kNeedleFailHigh, kWarnFill, "plan.warn-band");
    hband(plot.plan, limits::kNeedleFailLow, limits::kNeedleWarnLow, kWarnFill, "plan.warn-band");
    hband(plot.airspeed, kGateRule.minSpeed, kGateRule.maxSpeed, kStableBand, "airspeed.gate-band");
    hband(plot.airspeed, limits::kAirspeedFailAbove, plot.airspeed.high, kFailFill, "airspeed.fail-band");
    hband(plot.airspeed, limits::kAirspeedWarnAbove, limits::kAirspeedFailAbove, kWarnFill,
          "airspeed.warn-band");

    // The last third of the way flown, which the verdict looks at.
    if (sum.judgements > 0) {
        const float x0 = static_cast<float>(plot.X(sum.lastThirdFeet));
        const float x1 = static_cast<float>(plot.X(sum.endFeet));
        for (const Panel* p : panels) paint.Rect(x0, p->top, std::max(x1, x0 + 1), p->bottom, kLastThird, "last-third");
    }

    // Value axes.
    std::vector<double> altTicks, speedTicks, gsTicks, stepTicks;
    for (double t = plot.profile.low; t <= plot.profile.high + 1e-6; t += altStep) altTicks.push_back(t);
    for (double t = 0; t <= plot.airspeed.high + 1e-6; t += speedStep) speedTicks.push_back(t);
    for (double t = 0; t <= plot.glideSlope.high + 1e-6; t += gsStep) gsTicks.push_back(t);
    for (double t = plot.steps.low; t <= plot.steps.high + 1e-6; t += stepStep) stepTicks.push_back(t);
    Axis(paint, plot.profile, Ticks(altTicks), "Profile: altitude against the glide path", "altitude (ft)");
    Axis(paint, plot.glideSlope, Ticks(gsTicks), "Glide slope: the G/S readout (0: bar centred, 50 ft off the line)",
         "G/S");
    RightAxis(paint, plot.glideSlope, {{0, "50"}, {50, "0|100"}, {100, "150"}}, "ft off the line", kMuted);
    Axis(paint, plot.plan,
         {{limits::kNeedleFailLow, "45 L"},
          {limits::kNeedleWarnLow, "25 L"},
          {limits::kNeedleCentre, "0"},
          {limits::kNeedleWarnHigh, "25 R"},
          {limits::kNeedleFailHigh, "45 R"}},
         "Localizer: the needle's distance from the centre line", "needle");
    Axis(paint, plot.airspeed, Ticks(speedTicks), "Airspeed", "airspeed (mph)");
    Axis(paint, plot.inputs, Ticks({0, 25, 50, 75}), "Inputs: power (left), nose pitch steps and turn clicks (right)",
         "power");
    {
        std::vector<Tick> ticks = Ticks(stepTicks);
        for (Tick& t : ticks) t.label = t.value > 0 ? "+" + t.label : t.label;
        RightAxis(paint, plot.steps, ticks, "steps, clicks", kPitch);
    }

    // The distance axis, shared: a grid line every step, labels under the lowest panel.
    const double stepFeet = mileStep * kFeetPerMile;
    for (double f = plot.nearFeet; f <= plot.farFeet + 1e-6; f += stepFeet) {
        const float x = static_cast<float>(plot.X(f));
        for (const Panel* p : panels) {
            paint.Line({x, p->top}, {x, p->bottom}, kGrid, 1, "grid");
            paint.Line({x, p->bottom}, {x, p->bottom + 4}, kFrame, 1, "tick");
        }
        paint.Text(x, plot.inputs.bottom + 18, Format("%g", std::round(f / kFeetPerMile * 1000) / 1000), 11, kInk,
                   "distance.label", Align::kCentre);
    }
    paint.Text((kLeft + kRight) / 2, plot.inputs.bottom + 38, "distance to the threshold (statute miles)", 12, kInk,
               "distance.title", Align::kCentre);

    // The lines of the limits.
    auto hline = [&](const Panel& p, double v, Colour c, const char* role, bool dashed) {
        const float y = static_cast<float>(p.Y(v));
        paint.Line({p.left, y}, {p.right, y}, c, 1.2f, role, dashed);
    };
    hline(plot.plan, limits::kNeedleWarnLow, kWarnLine, "plan.warn-line", true);
    hline(plot.plan, limits::kNeedleWarnHigh, kWarnLine, "plan.warn-line", true);
    hline(plot.plan, limits::kNeedleFailLow, kFailLine, "plan.fail-line", false);
    hline(plot.plan, limits::kNeedleFailHigh, kFailLine, "plan.fail-line", false);
    hline(plot.plan, limits::kNeedleCentre, kPath, "plan.centre", false);
    hline(plot.glideSlope, limits::kDeviationWarnAbove, kWarnLine, "gs.warn-line", true);
    hline(plot.glideSlope, limits::kDeviationFailAbove, kFailLine, "gs.fail-line", false);
    hline(plot.glideSlope, 0, kPath, "gs.centre", false);
    hline(plot.airspeed, limits::kAirspeedWarnAbove, kWarnLine, "airspeed.warn-line", true);
    hline(plot.airspeed, limits::kAirspeedFailAbove, kFailLine, "airspeed.fail-line", false);
    hline(plot.steps, 0, kGrid, "steps.zero", true);
    auto pathLine = [&](double (*f)(double), Colour c, float width, const char* role, bool dashed) {
        // Straight down to the threshold, then along the ground.
        const double knee = std::clamp(0.0, plot.nearFeet, plot.farFeet);
        const Point a{static_cast<float>(plot.X(plot.farFeet)), static_cast<float>(plot.profile.Y(f(plot.farFeet)))};
        const Point b{static_cast<float>(plot.X(knee)), static_cast<float>(plot.profile.Y(f(knee)))};
        paint.Line(a, b, c, width, role, dashed);
    };
    pathLine(WarnAbove, kWarnLine, 1, "profile.warn-line", true);
    pathLine(WarnBelow, kWarnLine, 1, "profile.warn-line", true);
    pathLine(FailAbove, kFailLine, 1, "profile.fail-line", false);
    pathLine(FailBelow, kFailLine, 1, "profile.fail-line", false);
    pathLine(Reference, kPath, 1.5f, "profile.glide-path", false);

    // The traces: the ghost's faintly first, then this approach's.
    struct Traces {
        std::vector<Point> alt, gs, needle, speed;
    };
    auto traces = [&](const Recording& rec) {
        Traces t;
        for (const Sample& s : rec.samples) {
            const float x = static_cast<float>(plot.X(s.feetToGo));
            t.alt.push_back({x, static_cast<float>(plot.profile.Y(s.altitude))});
            if (s.judged == recorder::Judged::kArrived) continue;  // past the threshold the instruments rest
            t.gs.push_back({x, static_cast<float>(plot.glideSlope.Y(GsReadout(s)))});
            t.needle.push_back({x, static_cast<float>(plot.plan.Y(s.localizerNeedle))});
            t.speed.push_back({x, static_cast<float>(plot.airspeed.Y(s.airspeed))});
        }
        return t;
    };
    auto power = [](const Sample& s) { return static_cast<double>(s.power); };
    auto pitch = [](const Sample& s) { return static_cast<double>(s.pitch); };
    auto turn = [](const Sample& s) { return static_cast<double>(s.turnRate); };
    if (ghost != nullptr) {
        Traces t = traces(*ghost);
        paint.Polyline(std::move(t.alt), kGhost, 2, "ghost.profile");
        paint.Polyline(std::move(t.gs), kGhost, 2, "ghost.gs");
        paint.Polyline(std::move(t.needle), kGhost, 2, "ghost.plan");
        paint.Polyline(std::move(t.speed), kGhost, 2, "ghost.airspeed");
        paint.Polyline(Steps(plot, plot.inputs, ghost->samples, power), kGhost, 1.5f, "ghost.power");
        paint.Polyline(Steps(plot, plot.steps, ghost->samples, pitch), kGhost, 1.5f, "ghost.pitch");
    }
    {
        Traces t = traces(r);
        paint.Polyline(std::move(t.alt), kTrace, 2, "profile.trace");
        paint.Polyline(std::move(t.gs), kTrace, 2, "gs.trace");
        paint.Polyline(std::move(t.needle), kTrace, 2, "plan.trace");
        paint.Polyline(std::move(t.speed), kTrace, 2, "airspeed.trace");
        paint.Polyline(Steps(plot, plot.inputs, r.samples, power), kPower, 2, "inputs.power");
        paint.Polyline(Steps(plot, plot.steps, r.samples, turn), kTurn, 1.5f, "inputs.turn");
        paint.Polyline(Steps(plot, plot.steps, r.samples, pitch), kPitch, 2, "inputs.pitch");
    }

    // Where the last warning ended, or the approach became unstable.
    if (sum.judgements > 0 && !sum.stableThroughout) {
        const float x = static_cast<float>(plot.X(sum.stabilityFeet));
        const Colour c = sum.stable ? kStable : kUnstable;
        for (const Panel* p : panels) paint.Line({x, p->top}, {x, p->bottom}, c, 1.2f, "stability", true);
        paint.Text(x - 4, plot.profile.bottom - 6, (sum.stable ? "no warning from " : "unstable from ") + Miles(sum.stabilityFeet),
                   11, c, "stability.label", Align::kLeft, false, true);
    }

    // The gates, on every panel: passed stabilised or not.
    for (const Gate& g : assessment.gates) {
        if (!g.reached) continue;
        const float x = static_cast<float>(plot.X(g.feetToGo));
        const Colour c = g.stable ? kStable : kUnstable;
        const char* role = g.stable ? "gate.passed" : "gate.failed";
        for (const Panel* p : panels) paint.Line({x, p->top}, {x, p->bottom}, c, 1.5f, role, !g.stable);
        // Left of the line, clear of the arrival's label at the threshold.
        paint.Text(x - 3, plot.profile.top + 12, std::to_string(g.height) + " ft", 11, c, "gate.label", Align::kRight,
                   true);
        paint.Text(x - 3, plot.profile.top + 25, g.stable ? "stable" : "not stable", 10, c, "gate.label",
                   Align::kRight);
    }

    for (const Panel* p : panels) Frame(paint, *p);

    // The marks, over the frames.
    float failLabelY = plot.profile.top + 40;
    for (const Mark& m : r.marks) {
        const float x = static_cast<float>(plot.X(m.feetToGo));
        if (m.kind == Mark::Kind::kArrived) {
            for (const Panel* p : panels) paint.Line({x, p->top}, {x, p->bottom}, kArrived, 2, "mark.arrived");
            paint.Text(x - 4, plot.profile.top + 14, "arrived", 11, kArrived, "mark.arrived.label", Align::kRight,
                       true);
            continue;
        }
        const Panel& p = PanelOf(plot, m.limit);
        const float y = static_cast<float>(p.Y(LimitValue(m, m.limit)));
        if (m.kind == Mark::Kind::kWarningBegan) {
            // Above the trace, pointing at it; below where the panel's top is too near.
            if (y - 11 >= p.top) paint.Fill({{x - 5, y - 11}, {x + 5, y - 11}, {x, y - 2}}, kWarnLine, "mark.warning");
            else paint.Fill({{x - 5, y + 11}, {x + 5, y + 11}, {x, y + 2}}, kWarnLine, "mark.warning");
        } else {
            paint.Line({x - 5, y - 5}, {x + 5, y + 5}, kFailLine, 2.5f, "mark.failed");
            paint.Line({x - 5, y + 5}, {x + 5, y - 5}, kFailLine, 2.5f, "mark.failed");
            for (const Panel* q : panels)
                paint.Line({x, q->top}, {x, q->bottom}, kFailLine, 1, "mark.failed.line", true);
            const bool right = x < (kLeft + kRight) / 2;
            paint.Text(right ? x + 6 : x - 6, failLabelY,
                       std::string("failed: ") + recorder::LimitName(m.limit), 11, kFailLine, "mark.failed.label",
                       right ? Align::kLeft : Align::kRight, true);
            failLabelY += 14;
        }
    }

    // The summary.
    float y = plot.profile.top + 4;
    // A value longer than its column ("not stable at 1000 and 500 ft") goes
    // on under itself, broken between words: the page ends 192 px to the right.
    auto row = [&](const std::string& label, const std::string& value, Colour c, const char* role = "summary.value") {
        paint.Text(kColumn, y, label, 12, kMuted, "summary.label");
        std::vector<std::string> lines = Wrap(value, kSummaryValueChars);
        if (lines.empty()) lines.emplace_back();
        for (const std::string& line : lines) {
            paint.Text(kColumn + 84, y, line, 12, c, role, Align::kLeft, true);
            y += 18;
        }
    };
    paint.Text(kColumn, plot.profile.top - 9, "Summary", 13, kInk, "summary.title", Align::kLeft, true);
    y += 6;
    const bool failed = sum.outcome == recorder::Outcome::kFailed;
    const bool arrived = sum.outcome == recorder::Outcome::kArrived;
    row("Outcome", OutcomeText(sum), failed ? kFailLine : arrived ? kArrived : kInk);
    const Colour scoreColour = assessment.score.points >= 80 ? kStable : arrived ? kWarnLine : kFailLine;
    row("Score", ScoreText(assessment), scoreColour, "summary.score");
    if (ghost != nullptr) {
        const int best = Assess(*ghost).score.points;
        row("Best", std::to_string(best) + ": " + VersusBest(assessment.score.points, best),
            assessment.score.points >= best ? kStable : kMuted, "summary.versus-best");
    }
    row("Time flown", std::to_string(sum.secondsFlown) + " s", kInk);
    row("In warning", std::to_string(sum.secondsWarned) + " s", sum.secondsWarned > 0 ? kWarnLine : kInk);
    const Verdict verdict = VerdictOf(sum, assessment);
    row("Verdict", verdict.text, verdict.stable ? kStable : kUnstable);
    for (const Gate& g : assessment.gates)
        row("At " + std::to_string(g.height) + " ft", GateText(g), !g.reached ? kMuted : g.stable ? kStable : kUnstable,
            "summary.gate");
    y += 8;
    const float cols[] = {kColumn, kColumn + 150, kColumn + 206, kColumn + 262};
    paint.Text(cols[0], y, "Limit", 11, kMuted, "summary.head");
    paint.Text(cols[1], y, "worst", 11, kMuted, "summary.head", Align::kRight);
    paint.Text(cols[2], y, "RMS", 11, kMuted, "summary.head", Align::kRight);
    paint.Text(cols[3], y, "warned", 11, kMuted, "summary.head", Align::kRight);
    y += 4;
    paint.Line({kColumn, y}, {cols[3], y}, kGrid, 1, "summary.rule");
    y += 16;
    struct LimitRow {
        const char* name;
        Limit limit;
        const Held& held;
        std::string worst;
        bool rms;
    } const rows[] = {
        {"Airspeed (mph)", Limit::kAirspeed, assessment.airspeed, std::to_string(assessment.airspeed.worst), false},
        {"Needle from centre", Limit::kLocalizer, assessment.localizer, NeedleText(assessment.localizer.worst), true},
        {"G/S readout", Limit::kGlideSlope, assessment.glideSlope, std::to_string(assessment.glideSlope.worst), true},
    };
    for (const LimitRow& lr : rows) {
        const recorder::LimitSummary& l = sum.of(lr.limit);
        const Colour c = l.failMargin < 0 ? kFailLine : l.warnMargin < 0 ? kWarnLine : kInk;
        paint.Text(cols[0], y, lr.name, 12, kInk, "summary.limit");
        paint.Text(cols[1], y, lr.worst, 12, c, "summary.worst", Align::kRight, true);
        paint.Text(cols[2], y, lr.rms ? Format("%.1f", lr.held.rms) : "-", 12, kInk, "summary.rms", Align::kRight);
        paint.Text(cols[3], y, std::to_string(l.secondsWarned) + " s", 12, kInk, "summary.warned", Align::kRight);
        y += 18;
    }
    paint.Text(kColumn, y, "failure: above 300 mph, needle beyond 45,", 10, kMuted, "summary.note");
    y += 13;
    paint.Text(kColumn, y, "G/S above 100; RMS from the speed band on", 10, kMuted, "summary.note");
    y += 14;
    if (r.thinned()) {
        paint.Text(kColumn, y, "long approach: every " + std::to_string(r.sampleStride) + "th judgement drawn", 10,
                   kMuted, "summary.note");
        y += 14;
    }

    // The legend.
    y = std::max(y + 20, plot.airspeed.top - 9);
    paint.Text(kColumn, y, "Legend", 13, kInk, "legend.title", Align::kLeft, true);
    y += 18;
    auto entry = [&](const std::string& label) {
        paint.Text(kColumn + 34, y + 4, label, 11, kInk, "legend.label");
        y += 17;
    };
    const float lx0 = kColumn, lx1 = kColumn + 26;
    paint.Line({lx0, y}, {lx1, y}, kTrace, 2, "legend.swatch");
    entry("as flown");
    if (ghost != nullptr) {
        paint.Line({lx0, y}, {lx1, y}, kGhost, 2, "legend.swatch");
        entry("your best arrival (ghost)");
    }
    paint.Line({lx0, y}, {lx1, y}, kPath, 1.5f, "legend.swatch");
    entry("glide path (1 in 15), G/S 0, centre");
    paint.Rect(lx0, y - 6, lx1, y + 6, kStableBand, "legend.swatch");
    entry("stabilised (what the gates ask)");
    paint.Rect(lx0, y - 6, lx1, y + 6, kWarnFill, "legend.swatch");
    paint.Line({lx0, y}, {lx1, y}, kWarnLine, 1.2f, "legend.swatch", true);
    entry("warning");
    paint.Rect(lx0, y - 6, lx1, y + 6, kFailFill, "legend.swatch");
    paint.Line({lx0, y}, {lx1, y}, kFailLine, 1.2f, "legend.swatch");
    entry("failure");
    paint.Rect(lx0, y - 6, lx1, y + 6, kLastThird, "legend.swatch");
    entry("last third (judged for the verdict)");
    paint.Line({lx0 + 13, y - 7}, {lx0 + 13, y + 7}, kStable, 1.5f, "legend.swatch");
    paint.Line({lx0 + 20, y - 7}, {lx0 + 20, y + 7}, kUnstable, 1.5f, "legend.swatch", true);
    entry("gate at 1000 / 500 ft: stable, not");
    paint.Fill({{lx0 + 8, y - 6}, {lx0 + 18, y - 6}, {lx0 + 13, y + 3}}, kWarnLine, "legend.swatch");
    entry("a warning began");
    paint.Line({lx0 + 8, y - 5}, {lx0 + 18, y + 5}, kFailLine, 2.5f, "legend.swatch");
    paint.Line({lx0 + 8, y + 5}, {lx0 + 18, y - 5}, kFailLine, 2.5f, "legend.swatch");
    entry("failed here");
    paint.Line({lx0 + 13, y - 7}, {lx0 + 13, y + 7}, kArrived, 2, "legend.swatch");
    entry("arrived at the threshold");
    paint.Line({lx0, y}, {lx1, y}, kPower, 2, "legend.swatch");
    entry("power");
    paint.Line({lx0, y}, {lx1, y}, kPitch, 2, "legend.swatch");
    entry("pitch steps (+ nose up)");
    paint.Line({lx0, y}, {lx1, y}, kTurn, 1.5f, "legend.swatch");
    entry("turn clicks held (+ right)");

    // What to change next time, under the plots.
    y = plot.inputs.bottom + 70;
    paint.Text(kLeft - 60, y, "What to change next time", 14, kInk, "advice.title", Align::kLeft, true);
    y += 20;
    int number = 1;
    for (const Advice& a : assessment.advice) {
        bool first = true;
        for (const std::string& line : Wrap(a.text, kWrapChars)) {
            if (first && a.cost > 0) paint.Text(kLeft - 60, y, std::to_string(number) + ".", 12, kInk, "advice.number");
            paint.Text(kLeft - 44, y, line, 12, a.cost > 0 ? kInk : kStable, "advice.text");
            first = false;
            y += 16;
        }
        ++number;
        y += 2;
    }
    return plot;
}

}  // namespace debrief
