// The outside view's scenery: the landscape seen through the windscreen.
#pragma once

#include <cairo.h>

// Paints the scenery picture of width x height: its own sky with clouds (it
// tilts and climbs with the land), distant hills, fields, roads and a town.
// Its horizon lies kSceneryHorizonRow rows down; the runway stands ahead of
// the view's centre column at the start of the approach.
void PaintScenery(cairo_t* cr, int width, int height);
constexpr int kSceneryHorizonRow = 206;
