// Small drawing helpers shared by the cockpit and the screens' painters.
//
// Colours are given as palette indices (ArtPalette.h) so a flat area lands on
// exactly that index; coordinates are the picture's own pixels, and a
// rectangle given in whole pixels covers exactly those pixels.
#pragma once

#include <cairo.h>

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
