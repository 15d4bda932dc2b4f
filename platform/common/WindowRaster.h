// What every host does to its window picture alike: the one-pixel black line
// of the window system, and writing what the player sees as a PNG file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

#include "gfx/Color.h"

// Calls plot(x, y) for every pixel of a one-pixel line from (x0, y0) up to
// but not including (x1, y1) that lies inside a width x height window: every
// step along the longer axis lights the pixel nearest the true line, halves
// rounded away from the start. Only the steps whose major coordinate lies in
// the window are visited, so a corner thousands of pixels away costs nothing.
template <class Plot>
void ForEachLinePixel(int x0, int y0, int x1, int y1, int width, int height, Plot plot) {
    const int64_t dx = static_cast<int64_t>(x1) - x0;
    const int64_t dy = static_cast<int64_t>(y1) - y0;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int64_t steps = xMajor ? adx : ady;  // the end point is not lit
    if (steps == 0) return;
    const int64_t major0 = xMajor ? x0 : y0;
    const int64_t minor0 = xMajor ? y0 : x0;
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t absMinor = xMajor ? ady : adx;
    const int64_t majorLimit = xMajor ? width : height;
    const int64_t minorLimit = xMajor ? height : width;

    int64_t first = majorStep > 0 ? -major0 : major0 - (majorLimit - 1);
    int64_t last = majorStep > 0 ? majorLimit - 1 - major0 : major0;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, steps - 1);
    if (first > last) return;

    // Minor offset at step i: floor((2 i |dMinor| + steps) / (2 steps)), kept
    // as quotient and remainder so that each step only adds. The starting
    // product can exceed 64 bits when both ends lie far outside.
    const int64_t denominator = 2 * steps;
    const int64_t increment = 2 * absMinor;  // never more than the denominator
    __extension__ typedef unsigned __int128 Wide;
    const Wide start = static_cast<Wide>(2) * static_cast<Wide>(first) * static_cast<Wide>(absMinor) +
                       static_cast<Wide>(steps);
    int64_t quotient = static_cast<int64_t>(start / static_cast<Wide>(denominator));
    int64_t remainder = static_cast<int64_t>(start % static_cast<Wide>(denominator));
    for (int64_t i = first; i <= last; ++i) {
        const int64_t minor = minor0 + minorSign * quotient;
        if (minor >= 0 && minor < minorLimit) {
            const int64_t major = major0 + majorStep * i;
            plot(static_cast<int>(xMajor ? major : minor), static_cast<int>(xMajor ? minor : major));
        }
        remainder += increment;
        if (remainder >= denominator) {
            remainder -= denominator;
            ++quotient;
        }
    }
}

// Writes a width x height RGB PNG whose pixel (x, y) is colorAt(x, y); false,
// with `error` naming the file and the reason, when it cannot be written.
bool WriteRgbPng(const std::string& path, int width, int height, const std::function<Rgb(int, int)>& colorAt,
                 std::string& error);
