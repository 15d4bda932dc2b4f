// The debrief drawn with cairo: anti-aliased, lettered in DejaVu Sans, to a
// PNG or an SVG file, or to pixels in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debrief/DebriefPlot.h"

namespace cairo_debrief {

// Writes the plot to `path`: SVG when the name ends in .svg, else PNG, at
// `scale` pixels to a logical unit. The file is replaced whole or left as it
// was; on failure `error` names the file and what went wrong.
bool WriteDebrief(const debrief::Plot& plot, const std::string& path, std::string& error, double scale = 1);

// The plot as 0xAARRGGBB pixels, rows top-down, at `scale`.
std::vector<uint32_t> RenderPixels(const debrief::Plot& plot, double scale, int& width, int& height);

// Lets go of the font caches cairo and fontconfig keep for the life of the
// process; a program that has drawn its last debrief calls it before it ends
// (a later drawing builds them again).
void ReleaseFonts();

}  // namespace cairo_debrief
