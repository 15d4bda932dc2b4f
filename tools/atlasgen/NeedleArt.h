// The needle pictures of the airspeed indicator and the round gauges.
//
// Each needle turns about its dial's centre; frame k's picture is the
// needle's bounding box at its angle. The tables in gfx/NeedleTables.cpp say
// where each picture lies; this generator paints them there and can print
// those tables for the needles it draws (--needle-tables), keeping the rows
// whose places the game's saved tables already hold.
#pragma once

#include "Jobs.h"

// Direction of airspeed frame f (fractional frames allowed), in degrees
// clockwise from straight up: a quarter turn per 17 frames up to 6 o'clock,
// then through the fixed frames 35 (187), 46 (225), 54 (270), 62 (315),
// 68 (346) and 70 (353).
double AirspeedNeedleDegrees(double frame);
// Direction of gauge needle entry k: 5 k degrees.
double GaugeNeedleDegrees(int entry);

// Where needle picture k of each table lies in the atlas (key kNeedleKey).
Sprite AirspeedNeedlePicture(int frame);
Sprite GaugeNeedlePicture(int entry);
// Painters of those pictures: arg is the frame or the entry.
void PaintAirspeedNeedle(cairo_t* cr, const Sprite& rect, int frame);
void PaintGaugeNeedle(cairo_t* cr, const Sprite& rect, int entry);

// Prints gfx/NeedleTables.cpp for the needles drawn here; false if the
// pictures cannot be laid out in their atlas bands.
bool PrintNeedleTables();
