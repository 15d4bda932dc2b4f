#include "debrief/DebriefPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "game/Limits.h"

namespace debrief {

namespace {

using recorder::Limit;
using recorder::Mark;
using recorder::Recording;
using recorder::Sample;
using recorder::Summary;

constexpr double kFeetPerMile = 5280;
constexpr double kGlideSlopeRatio = 15;  // the reference descent: 1 foot in 15
// The deviation the game judges is |feet off the reference - 50|, so its
// warning and failure lie this far either side of the reference line.
constexpr double kWarnOffPath = 50 + limits::kDeviationWarnAbove;
constexpr double kFailOffPath = 50 + limits::kDeviationFailAbove;

constexpr float kLeft = 84, kRight = 700;
constexpr float kColumn = 728;  // the summary and the legend

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
// clang-format on

std::string Format(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string Miles(double feet) { return Format("%.1f mi", feet / kFeetPerMile); }

std::string WithUnit(int v, const char* unit) {
    return std::to_string(v) + unit;
}

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

// The value axis of a panel: its frame, grid and round tick labels.
void Axis(Painter& paint, const Panel& panel, const std::vector<double>& ticks, const std::string& title,
          const char* unit) {
    for (double t : ticks) {
        const float y = static_cast<float>(panel.Y(t));
        paint.Line({panel.left, y}, {panel.right, y}, kGrid, 1, "grid");
        paint.Line({panel.left - 4, y}, {panel.left, y}, kFrame, 1, "tick");
        paint.Text(panel.left - 7, y + 4, Format("%.0f", t), 11, kInk, "tick.label", Align::kRight);
    }
    paint.Text(panel.left, panel.top - 9, title, 13, kInk, "panel.title", Align::kLeft, true);
    paint.Text(panel.left - 46, (panel.top + panel.bottom) / 2, unit, 11, kMuted, "axis.unit", Align::kCentre, false,
               true);
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
double Sky(double) { return 1e9; }
double Ground(double) { return -1e9; }

double LimitValue(const Mark& m, Limit limit) {
    switch (limit) {
    case Limit::kAirspeed: return m.airspeed;
    case Limit::kLocalizer: return m.localizerNeedle;
    case Limit::kGlideSlope: return m.altitude - Reference(m.feetToGo);
    }
    return 0;
}

const Panel& PanelOf(const Plot& plot, Limit limit) {
    return limit == Limit::kAirspeed ? plot.airspeed : limit == Limit::kLocalizer ? plot.plan : plot.offPath;
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

std::string VerdictText(const Summary& s) {
    if (s.judgements == 0) return "not judged yet";
    if (s.stable) return s.stableThroughout ? "stable throughout" : "stable from " + Miles(s.stabilityFeet);
    return "unstable from " + Miles(s.stabilityFeet);
}

struct LimitRow {
    const char* name;
    Limit limit;
    const char* unit;
};
constexpr LimitRow kLimitRows[] = {
    {"Airspeed", Limit::kAirspeed, " mph"},
    {"Localizer", Limit::kLocalizer, ""},
    {"Glide slope", Limit::kGlideSlope, " ft"},
};

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

std::vector<std::string> SummaryLines(const Recording& r) {
    const Summary& s = r.summary;
    std::vector<std::string> lines;
    lines.push_back("outcome: " + OutcomeText(s));
    lines.push_back("time flown: " + std::to_string(s.secondsFlown) + " s");
    lines.push_back("in warning: " + std::to_string(s.secondsWarned) + " s");
    lines.push_back("verdict: " + VerdictText(s));
    for (const LimitRow& row : kLimitRows) {
        const recorder::LimitSummary& l = s.of(row.limit);
        lines.push_back(std::string(row.name) + ": worst " + std::to_string(l.worst) + row.unit + ", margin " +
                        std::to_string(l.failMargin) + " to failure, " + std::to_string(l.warnMargin) +
                        " to warning, warned " + std::to_string(l.secondsWarned) + " s");
    }
    if (r.thinned())
        lines.push_back("samples thinned: every " + std::to_string(r.sampleStride) + "th judgement kept");
    return lines;
}

Plot BuildDebrief(const Recording& r) {
    Plot plot;
    plot.width = kPlotWidth;
    plot.height = kPlotHeight;
    const Summary& sum = r.summary;
    Painter paint(plot);
    paint.Rect(0, 0, plot.width, plot.height, {255, 255, 255}, "background");

    // The shared distance axis: whole miles from the start point to the threshold.
    const double first = r.samples.empty() ? 0.0 : static_cast<double>(r.samples[0].feetToGo);
    const double far = std::max({static_cast<double>(sum.startFeet), kFeetPerMile, first});
    plot.farFeet = std::ceil(far / kFeetPerMile - 1e-9) * kFeetPerMile;
    plot.nearFeet = 0;
    plot.profile = {kLeft, 62, kRight, 272, 0, 1};
    plot.offPath = {kLeft, 302, kRight, 402, -1, 1};
    plot.plan = {kLeft, 436, kRight, 546, 0, 100};
    plot.airspeed = {kLeft, 580, kRight, 690, 0, 1};

    double maxAlt = Reference(plot.farFeet) + kFailOffPath, minAlt = 0, maxSpeed = limits::kAirspeedFailAbove;
    double maxOff = kFailOffPath + 40;
    for (const Sample& s : r.samples) {
        if (s.judged != recorder::Judged::kArrived)
            maxOff = std::max(maxOff, std::abs(s.altitude - Reference(s.feetToGo)));
        maxAlt = std::max<double>(maxAlt, s.altitude);
        minAlt = std::min<double>(minAlt, s.altitude);
        maxSpeed = std::max<double>(maxSpeed, s.airspeed);
    }
    const double altStep = NiceStep(maxAlt - minAlt, 6);
    plot.profile.low = NiceFloor(minAlt, altStep);
    plot.profile.high = NiceCeil(maxAlt + altStep / 4, altStep);
    const double speedStep = NiceStep(maxSpeed + 20, 6);
    plot.airspeed.high = NiceCeil(maxSpeed + 20, speedStep);

    const double offStep = NiceStep(2 * maxOff, 4);
    plot.offPath.high = NiceCeil(maxOff, offStep);
    plot.offPath.low = -plot.offPath.high;

    const Panel* panels[] = {&plot.profile, &plot.offPath, &plot.plan, &plot.airspeed};

    // Title.
    paint.Text(kLeft, 30, "Approach debrief: " + OutcomeText(sum), 18, kInk, "title", Align::kLeft, true);
    if (r.replayed) paint.Text(kRight, 30, "watched from a flight file", 11, kMuted, "title.note", Align::kRight);

    auto hband = [&](const Panel& p, double lo, double hi, Colour c, const char* role) {
        const float y0 = static_cast<float>(p.Y(hi)), y1 = static_cast<float>(p.Y(lo));
        if (y1 > y0) paint.Rect(p.left, y0, p.right, y1, c, role);
    };
    // Profile: the corridor, the warning strips and the failure zones about the glide path.
    Band(paint, plot, plot.profile, FailAbove, Sky, kFailFill, "profile.fail-band");
    Band(paint, plot, plot.profile, Ground, FailBelow, kFailFill, "profile.fail-band");
    Band(paint, plot, plot.profile, WarnAbove, FailAbove, kWarnFill, "profile.warn-band");
    Band(paint, plot, plot.profile, FailBelow, WarnBelow, kWarnFill, "profile.warn-band");
    Band(paint, plot, plot.profile, WarnBelow, WarnAbove, kCorridor, "profile.corridor");
    // The same limits as feet off the glide path, where they can be seen.
    hband(plot.offPath, kFailOffPath, plot.offPath.high, kFailFill, "offpath.fail-band");
    hband(plot.offPath, plot.offPath.low, -kFailOffPath, kFailFill, "offpath.fail-band");
    hband(plot.offPath, kWarnOffPath, kFailOffPath, kWarnFill, "offpath.warn-band");
    hband(plot.offPath, -kFailOffPath, -kWarnOffPath, kWarnFill, "offpath.warn-band");
    hband(plot.offPath, -kWarnOffPath, kWarnOffPath, kCorridor, "offpath.corridor");
    // Plan and airspeed: fixed limits.
    hband(plot.plan, limits::kNeedleFailHigh, 100, kFailFill, "plan.fail-band");
    hband(plot.plan, 0, limits::kNeedleFailLow, kFailFill, "plan.fail-band");
    hband(plot.plan, limits::kNeedleWarnHigh, limits::kNeedleFailHigh, kWarnFill, "plan.warn-band");
    hband(plot.plan, limits::kNeedleFailLow, limits::kNeedleWarnLow, kWarnFill, "plan.warn-band");
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
    std::vector<double> altTicks, speedTicks, offTicks;
    for (double t = plot.offPath.low; t <= plot.offPath.high + 1e-6; t += offStep) offTicks.push_back(t);
    for (double t = plot.profile.low; t <= plot.profile.high + 1e-6; t += altStep) altTicks.push_back(t);
    for (double t = 0; t <= plot.airspeed.high + 1e-6; t += speedStep) speedTicks.push_back(t);
    Axis(paint, plot.profile, altTicks, "Profile: altitude against the glide path", "altitude (ft)");
    Axis(paint, plot.offPath, offTicks, "Glide slope: height above (+) or below (-) the glide path", "off path (ft)");
    Axis(paint, plot.plan, {0, 25, 50, 75, 100}, "Plan: localizer needle (50 on the centre line)",
         "needle (units)");
    Axis(paint, plot.airspeed, speedTicks, "Airspeed", "airspeed (mph)");

    // The distance axis, shared: a grid line every mile, labels under the lowest panel.
    const double mileStep = NiceStep(plot.farFeet / kFeetPerMile, 10);
    for (double m = 0; m * kFeetPerMile <= plot.farFeet + 1e-6; m += mileStep) {
        const float x = static_cast<float>(plot.X(m * kFeetPerMile));
        for (const Panel* p : panels) {
            paint.Line({x, p->top}, {x, p->bottom}, kGrid, 1, "grid");
            paint.Line({x, p->bottom}, {x, p->bottom + 4}, kFrame, 1, "tick");
        }
        paint.Text(x, plot.airspeed.bottom + 18, Format("%g", m), 11, kInk, "distance.label", Align::kCentre);
    }
    paint.Text((kLeft + kRight) / 2, plot.airspeed.bottom + 40, "distance to the threshold (statute miles)", 12, kInk,
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
    hline(plot.offPath, kWarnOffPath, kWarnLine, "offpath.warn-line", true);
    hline(plot.offPath, -kWarnOffPath, kWarnLine, "offpath.warn-line", true);
    hline(plot.offPath, kFailOffPath, kFailLine, "offpath.fail-line", false);
    hline(plot.offPath, -kFailOffPath, kFailLine, "offpath.fail-line", false);
    hline(plot.offPath, 0, kPath, "offpath.glide-path", false);
    hline(plot.airspeed, limits::kAirspeedWarnAbove, kWarnLine, "airspeed.warn-line", true);
    hline(plot.airspeed, limits::kAirspeedFailAbove, kFailLine, "airspeed.fail-line", false);
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

    // The traces.
    std::vector<Point> alt, off, needle, speed;
    for (const Sample& s : r.samples) {
        const float x = static_cast<float>(plot.X(s.feetToGo));
        alt.push_back({x, static_cast<float>(plot.profile.Y(s.altitude))});
        if (s.judged == recorder::Judged::kArrived) continue;  // past the threshold the instruments rest
        off.push_back({x, static_cast<float>(plot.offPath.Y(s.altitude - Reference(s.feetToGo)))});
        needle.push_back({x, static_cast<float>(plot.plan.Y(s.localizerNeedle))});
        speed.push_back({x, static_cast<float>(plot.airspeed.Y(s.airspeed))});
    }
    paint.Polyline(std::move(alt), kTrace, 2, "profile.trace");
    paint.Polyline(std::move(off), kTrace, 2, "offpath.trace");
    paint.Polyline(std::move(needle), kTrace, 2, "plan.trace");
    paint.Polyline(std::move(speed), kTrace, 2, "airspeed.trace");

    // Where the approach became stable or stopped being so.
    if (sum.judgements > 0 && !sum.stableThroughout) {
        const float x = static_cast<float>(plot.X(sum.stabilityFeet));
        const Colour c = sum.stable ? kStable : kUnstable;
        for (const Panel* p : panels) paint.Line({x, p->top}, {x, p->bottom}, c, 1.2f, "stability", true);
        paint.Text(x - 4, plot.profile.bottom - 6, (sum.stable ? "stable from " : "unstable from ") + Miles(sum.stabilityFeet),
                   11, c, "stability.label", Align::kLeft, false, true);
    }

    for (const Panel* p : panels) Frame(paint, *p);

    // The marks, over the frames.
    float failLabelY = plot.profile.top + 14;
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
    auto row = [&](const std::string& label, const std::string& value, Colour c) {
        paint.Text(kColumn, y, label, 12, kMuted, "summary.label");
        paint.Text(kColumn + 92, y, value, 12, c, "summary.value", Align::kLeft, true);
        y += 19;
    };
    paint.Text(kColumn, plot.profile.top - 9, "Summary", 13, kInk, "summary.title", Align::kLeft, true);
    y += 6;
    const bool failed = sum.outcome == recorder::Outcome::kFailed;
    row("Outcome", OutcomeText(sum), failed ? kFailLine : sum.outcome == recorder::Outcome::kArrived ? kArrived : kInk);
    row("Time flown", std::to_string(sum.secondsFlown) + " s", kInk);
    row("In warning", std::to_string(sum.secondsWarned) + " s", sum.secondsWarned > 0 ? kWarnLine : kInk);
    row("Verdict", VerdictText(sum), sum.stable ? kStable : kUnstable);
    y += 10;
    const float cols[] = {kColumn, kColumn + 148, kColumn + 224, kColumn + 288};
    paint.Text(cols[0], y, "Limit", 11, kMuted, "summary.head");
    paint.Text(cols[1], y, "worst", 11, kMuted, "summary.head", Align::kRight);
    paint.Text(cols[2], y, "margin", 11, kMuted, "summary.head", Align::kRight);
    paint.Text(cols[3], y, "warned", 11, kMuted, "summary.head", Align::kRight);
    y += 4;
    paint.Line({kColumn, y}, {cols[3], y}, kGrid, 1, "summary.rule");
    y += 16;
    for (const LimitRow& lr : kLimitRows) {
        const recorder::LimitSummary& l = sum.of(lr.limit);
        const Colour c = l.failMargin < 0 ? kFailLine : l.warnMargin < 0 ? kWarnLine : kInk;
        paint.Text(cols[0], y, lr.name, 12, kInk, "summary.limit");
        paint.Text(cols[1], y, WithUnit(l.worst, lr.unit), 12, c, "summary.worst", Align::kRight);
        paint.Text(cols[2], y, WithUnit(l.failMargin, lr.unit), 12, c, "summary.margin", Align::kRight, true);
        paint.Text(cols[3], y, std::to_string(l.secondsWarned) + " s", 12, kInk, "summary.warned", Align::kRight);
        y += 19;
    }
    paint.Text(kColumn, y, "margin: what was left before the failure limit", 10, kMuted, "summary.note");
    y += 14;
    paint.Text(kColumn, y, "at the worst moment (negative: passed)", 10, kMuted, "summary.note");
    y += 14;
    if (r.thinned()) {
        paint.Text(kColumn, y, "long approach: every " + std::to_string(r.sampleStride) + "th judgement drawn", 10,
                   kMuted, "summary.note");
        y += 14;
    }

    // The legend.
    y = std::max(y + 22, plot.plan.top - 9);
    paint.Text(kColumn, y, "Legend", 13, kInk, "legend.title", Align::kLeft, true);
    y += 20;
    auto entry = [&](const std::string& label) {
        paint.Text(kColumn + 34, y + 4, label, 11, kInk, "legend.label");
        y += 19;
    };
    const float lx0 = kColumn, lx1 = kColumn + 26;
    paint.Line({lx0, y}, {lx1, y}, kTrace, 2, "legend.swatch");
    entry("as flown");
    paint.Line({lx0, y}, {lx1, y}, kPath, 1.5f, "legend.swatch");
    entry("glide path (1 in 15), centre line");
    paint.Rect(lx0, y - 6, lx1, y + 6, kWarnFill, "legend.swatch");
    paint.Line({lx0, y}, {lx1, y}, kWarnLine, 1.2f, "legend.swatch", true);
    entry("warning");
    paint.Rect(lx0, y - 6, lx1, y + 6, kFailFill, "legend.swatch");
    paint.Line({lx0, y}, {lx1, y}, kFailLine, 1.2f, "legend.swatch");
    entry("failure");
    paint.Rect(lx0, y - 6, lx1, y + 6, kLastThird, "legend.swatch");
    entry("last third (judged for the verdict)");
    paint.Fill({{lx0 + 8, y - 6}, {lx0 + 18, y - 6}, {lx0 + 13, y + 3}}, kWarnLine, "legend.swatch");
    entry("a warning began");
    paint.Line({lx0 + 8, y - 5}, {lx0 + 18, y + 5}, kFailLine, 2.5f, "legend.swatch");
    paint.Line({lx0 + 8, y + 5}, {lx0 + 18, y - 5}, kFailLine, 2.5f, "legend.swatch");
    entry("failed here");
    paint.Line({lx0 + 13, y - 7}, {lx0 + 13, y + 7}, kArrived, 2, "legend.swatch");
    entry("arrived at the threshold");
    y += 6;
    paint.Text(kColumn, y, "Glide slope: the deviation warns above 95 ft", 10, kMuted, "legend.note");
    y += 14;
    paint.Text(kColumn, y, "and fails above 100 ft, i.e. 145 and 150 ft", 10, kMuted, "legend.note");
    y += 14;
    paint.Text(kColumn, y, "above or below the glide path.", 10, kMuted, "legend.note");
    return plot;
}

}  // namespace debrief
