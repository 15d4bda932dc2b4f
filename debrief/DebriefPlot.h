// The debrief of one approach, drawn once as a list of shapes in logical
// units (one unit is one pixel at 1x, y downward) that every back end
// renders the same way: the profile (altitude against the glide path, with
// the bands where the G/S readout warns and fails), the glide slope as the
// player read it (the G/S readout, 0 with the bar centred, with feet off the
// 1-in-15 line as a second scale), the localizer needle's distance from the
// centre line, the airspeed and the player's inputs (power, the nose's
// pitch steps and the turn clicks), all against distance to the threshold
// on one axis spanning what was flown; marks where each warning began, where
// the approach failed or arrived and where it passed the 1000 and 500 ft
// gates; the summary with the score, a legend, and at most three sentences
// on what to change. An earlier approach can be laid under it faintly as a
// ghost to beat.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recorder/FlightRecorder.h"

namespace debrief {

struct Colour {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    friend bool operator==(const Colour&, const Colour&) = default;
};

struct Point {
    float x = 0, y = 0;
};

enum class Align : uint8_t { kLeft, kCentre, kRight };

struct Primitive {
    enum class Kind : uint8_t { kLine, kPolyline, kFill, kText };
    Kind kind = Kind::kLine;
    // A line: two points; a polyline: its points; text: its anchor. A fill
    // is convex with fewer than six points; with six or more it is a strip,
    // its upper edge left to right and then its lower edge right to left.
    std::vector<Point> points;
    Colour colour;
    float width = 1;            // stroke width
    bool dashed = false;
    std::string text;           // text: the words, on a baseline through the anchor
    float size = 12;            // text: the font size
    bool bold = false;
    Align align = Align::kLeft;
    bool vertical = false;      // text: turned a quarter left (an axis title)
    const char* role = "";      // what it shows, e.g. "profile.trace" (for tests and SVG readers)
};

// One plot's place on the page and the values it spans.
struct Panel {
    float left = 0, top = 0, right = 0, bottom = 0;
    double low = 0, high = 1;  // the value at the bottom and at the top
    double Y(double value) const;
};

struct Plot {
    float width = 0, height = 0;
    double nearFeet = 0, farFeet = 0;  // the distance axis: far at the left, the threshold at the right
    // glideSlope: the G/S readout; plan: the needle in its own units (0..100,
    // 50 centred), labelled as the distance from the centre; inputs: power,
    // and on `steps` (the same rectangle) the pitch steps and turn clicks.
    Panel profile, glideSlope, plan, airspeed, inputs, steps;
    std::vector<Primitive> items;
    double X(double feetToGo) const;   // on every panel (they share left and right)
    // The items of one role, in drawing order.
    std::vector<const Primitive*> Find(const std::string& role) const;
};

constexpr float kPlotWidth = 1040;
constexpr float kPlotHeight = 936;

// Round steps for an axis: 1, 2 or 5 times a power of ten, about `count`
// of them across `span`.
double NiceStep(double span, int count);

// `ghost`, when given, is an earlier approach (the player's best arrival)
// drawn faintly under the traces and compared with by score.
Plot BuildDebrief(const recorder::Recording& recording, const recorder::Recording* ghost = nullptr);

// The summary as lines of text, each a name and what it says ("verdict",
// "not stable at 500 ft"); the advice's sentences are named kAdviceLine.
struct SummaryLine {
    std::string name, text;
    std::string Joined() const { return name + ": " + text; }
};
inline constexpr const char* kAdviceLine = "advice";
std::vector<SummaryLine> SummaryLines(const recorder::Recording& recording,
                                      const recorder::Recording* ghost = nullptr);

}  // namespace debrief
