// Painters of the cockpit's instruments and controls, each in its picture's
// own coordinates, shared by the atlas jobs and the base panel (which shows
// every instrument at rest, for the information page's guide).
#pragma once

#include <cairo.h>

// Gauge face 64 x 62: bezel, dial in the exact colour of index 248, scale.
void PaintGaugeFace(cairo_t* cr);
// Airspeed face 109 x 109: bezel, dial (index 248 colour), 0..300 mph scale.
void PaintAirspeedFace(cairo_t* cr);
// ILS face 107 x 108 and its overlay (frame and aiming ring).
void PaintIlsFace(cairo_t* cr);
void PaintIlsOverlay(cairo_t* cr);
// The localizer needle 3 x 102 and the glide-slope bar 102 x 3.
void PaintLocalizerNeedle(cairo_t* cr);
void PaintGlideSlopeBar(cairo_t* cr);
// One attitude picture 63 x 63 banked by `column` steps, with its window
// starting `row` rows down the band.
void PaintAttitudePicture(cairo_t* cr, int column, int row);
// The attitude indicator's case ring (first bezel layer) and the fixed
// aircraft symbol (second layer), 72 x 72.
void PaintAttitudeRing(cairo_t* cr);
void PaintAttitudeSymbol(cairo_t* cr);
// A readout digit lit (d 0..9) or all segments dark (d < 0); large 10 x 16
// amber, small 7 x 11 green.
void PaintLargeDigit(cairo_t* cr, int d);
void PaintSmallDigit(cairo_t* cr, int d);

// Controls. pressed draws the pushed-in look.
void PaintPadButton(cairo_t* cr, int column, int row, bool pressed);  // 22 x 22
void PaintPedal(cairo_t* cr, bool pressed);                           // 35 x 16
enum class PowerButton { Full, Up, Down, Idle };
void PaintPowerButton(cairo_t* cr, PowerButton button, bool pressed);  // 22 x 13 or 22 x 20
// A two-position switch 24 x 41: lever up (+1), down (-1) or at rest (0).
void PaintLever(cairo_t* cr, int position);
// Lamp window w x h: the switch's legend, lit in amber or green, or dark.
enum class LampLight { Dark, Amber, Green };
void PaintLamp(cairo_t* cr, int w, int h, const char* legend, LampLight light);
