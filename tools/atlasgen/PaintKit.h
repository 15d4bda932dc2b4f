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
// Whole-pixel disc: every pixel whose centre lies within r of (cx, cy).
void FillDisc(cairo_t* cr, double cx, double cy, double r, int index);

// The colour of a palette index as cairo's source, with `alpha` (0..1).
void SetIndexAlpha(cairo_t* cr, int index, double alpha);
// One colour of a gradient: a palette index at `at` (0..1) along it.
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
