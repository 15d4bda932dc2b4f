// The debrief of one approach, drawn once as a list of shapes in logical
// units (one unit is one pixel at 1x, y downward) that every back end
// renders the same way: the profile (altitude against the glide path, with
// the bands where the glide-slope deviation warns and fails, and below it the
// same as feet off the glide path), the plan (the
// localizer needle with its warning and failure lines) and the airspeed, all
// three against distance to the threshold on one axis; marks where each
// warning began and where the approach failed or arrived; the summary and a
// legend beside them.
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
    Panel profile, offPath, plan, airspeed;  // offPath: the profile's limits as feet off the glide path
    std::vector<Primitive> items;
    double X(double feetToGo) const;   // on every panel (they share left and right)
    // The items of one role, in drawing order.
    std::vector<const Primitive*> Find(const std::string& role) const;
};

constexpr float kPlotWidth = 1040;
constexpr float kPlotHeight = 752;

// Round steps for an axis: 1, 2 or 5 times a power of ten, about `count`
// of them across `span`.
double NiceStep(double span, int count);

Plot BuildDebrief(const recorder::Recording& recording);

// The summary lines as text (the headless program prints them too).
std::vector<std::string> SummaryLines(const recorder::Recording& recording);

}  // namespace debrief
