// The cockpit's base panel, as the game shows it at the window's top-left.
#pragma once

#include <cairo.h>

// Paints the 632 x 440 base panel at the canvas origin: windscreen frame and
// sky, instrument mounts, readout windows, the six gauge faces, the control
// pad, pedals, power lever, switches and lamp windows. Dial interiors are the
// exact colour of palette index 248 (the atlas job keeps them at that index).
void PaintCockpitPanel(cairo_t* cr);
