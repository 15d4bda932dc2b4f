// The outside view's scenery: the landscape seen through the windscreen.
#pragma once

#include <cairo.h>

// Paints the scenery picture of width x height: sky left transparent high up
// (the panel's own sky shows there), distant hills, fields, roads and a town.
// Its horizon lies kSceneryHorizonRow rows down; the runway stands ahead of
// the view's centre column at the start of the approach.
void PaintScenery(cairo_t* cr, int width, int height);
constexpr int kSceneryHorizonRow = 222;
