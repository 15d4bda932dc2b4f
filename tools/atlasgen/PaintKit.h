// Small drawing helpers shared by the cockpit and the screens' painters.
//
// Colours are given as palette indices (ArtPalette.h) so a flat area lands on
// exactly that index; coordinates are the picture's own pixels, and a
// rectangle given in whole pixels covers exactly those pixels.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <initializer_list>

#include "ArtPalette.h"
#include "Painter.h"

// The colour of a palette index as cairo's source (opaque).
void SetIndex(cairo_t* cr, int index);
// Fills whole pixels x..x+w-1, y..y+h-1 with one index.
void FillIndex(cairo_t* cr, int x, int y, int w, int h, int index);
// A raised (or, with sunken, pressed-in) bevel `depth` pixels wide just
// inside the rectangle: light on the top and left edges, dark on the others.
void Bevel(cairo_t* cr, int x, int y, int w, int h, int depth, int light, int dark, bool sunken = false);
// A plate of panel metal with a bevelled edge.
void MetalPlate(cairo_t* cr, int x, int y, int w, int h, int face, int depth = 2);
// A round rivet head of radius r centred on (cx, cy), lit from the top left.
void Rivet(cairo_t* cr, double cx, double cy, double r = 2.0);
// Text in the current font centred in the box (the ink, not the advance).
void TextCentred(cairo_t* cr, const char* text, double x, double y, double w, double h);
// Text with its left end at x and its baseline at y.
void TextAt(cairo_t* cr, const char* text, double x, double y);
// Engraved text: a dark line under light letters (or the reverse), centred.
void EngravedText(cairo_t* cr, const char* text, double x, double y, double w, double h, int ink, int shadow);
// A point of a path, in the picture's coordinates.
struct PathPoint {
    double x, y;
};
// Adds a closed polygon through the points to the current path (a new
// sub-path), for the caller to fill or stroke.
void Polygon(cairo_t* cr, std::initializer_list<PathPoint> points);
// Whole-pixel disc: every pixel whose centre lies within r of (cx, cy).
void FillDisc(cairo_t* cr, double cx, double cy, double r, int index);

// The colour of a palette index as cairo's source, with `alpha` (0..1).
void SetIndexAlpha(cairo_t* cr, int index, double alpha);
// A colour off the palette (0..255 a channel) as cairo's source: for
// gradients' neighbours and anti-aliased shapes that the mapping resolves.
void SetRgb(cairo_t* cr, int r, int g, int b, double alpha = 1.0);

// One colour of a gradient: channels and opacity 0..1, at `at` (0..1) along it.
struct ColorStop {
    double at, r, g, b, a = 1.0;
};
// A stop given in 0..255 a channel.
constexpr ColorStop Stop255(double at, int r, int g, int b) { return {at, r / 255.0, g / 255.0, b / 255.0}; }
// A stop of a palette index's colour, with opacity.
ColorStop IndexColorStop(double at, int index, double alpha = 1.0);
// Makes a gradient through the stops cairo's source: linear from (x0, y0) to
// (x1, y1), or radial from the circle (x0, y0, r0) to (x1, y1, r1).
void SetLinearGradient(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<ColorStop> stops);
void SetRadialGradient(cairo_t* cr, double x0, double y0, double r0, double x1, double y1, double r1,
                       std::initializer_list<ColorStop> stops);
// Fills the rectangle with the current source.
void FillRect(cairo_t* cr, double x, double y, double w, double h);

// One colour of a gradient given as a palette index at `at` (0..1) along it.
struct IndexStop {
    double at;
    int index;
};
// Fills the rectangle with a gradient running down from row `top` to row
// `bottom` through the stops (gradients are dithered where the job allows).
void FillVerticalGradient(cairo_t* cr, double x, double y, double w, double h, double top, double bottom,
                          std::initializer_list<IndexStop> stops);

// A fixed little generator (the classic linear congruential step), so that
// scattered details fall in the same places on every run.
class ArtRand {
public:
    explicit ArtRand(uint32_t seed) : state_(seed) {}
    // 0..n-1, from the high bits.
    int Below(int n) {
        Step();
        return static_cast<int>((state_ >> 16) % static_cast<uint32_t>(n));
    }
    // 0 up to 1, from the middle bits.
    double Unit() {
        Step();
        return ((state_ >> 8) & 0xFFFF) / 65536.0;
    }

private:
    void Step() { state_ = state_ * 1103515245u + 12345u; }
    uint32_t state_;
};
