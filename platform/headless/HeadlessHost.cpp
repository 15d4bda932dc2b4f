#include "platform/headless/HeadlessHost.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/AtlasCatalogue.h"
#include "gfx/Palette.h"

void HeadlessHost::RearmTimer(uint32_t periodMs) {
    timerRunning_ = true;
    timerPeriodMs_ = periodMs;
}

void HeadlessHost::KillTimer() { timerRunning_ = false; }

std::array<Rgb, 20> HeadlessHost::SystemColors() { return ClassicSystemColors(); }

void HeadlessHost::RealizePalette(const PaletteColors& palette) {
    palette_ = palette;
    ++paletteRealizations_;
}

void HeadlessHost::ShowSurface(const uint8_t* surfaceBits, int orientation, int width, int height) {
    ++surfaceShows_;
    // What lies beyond the window is clipped, as the window system clips it.
    const int w = std::clamp(width, 0, kWindowWidth);
    const int h = std::clamp(height, 0, kWindowHeight);
    for (int y = 0; y < h; ++y) {
        const int row = (orientation == kTopDown) ? y : kSurfaceHeight - 1 - y;
        std::memcpy(&window_[static_cast<size_t>(y) * kWindowWidth], surfaceBits + static_cast<size_t>(row) * kSurfaceWidth,
                    static_cast<size_t>(w));
    }
}

// A line as the window system draws it with a one-pixel pen: every step along
// the longer axis lights one pixel, the nearest to the true line, from the
// start point up to but not including the end point. Only the steps whose
// pixels can fall inside the window are visited, so a corner far outside it
// costs nothing.
void HeadlessHost::DrawBlackLine(int x0, int y0, int x1, int y1) {
    ++linesDrawn_;
    __extension__ typedef __int128 Wide;  // products of two 33-bit differences
    const int64_t dx = static_cast<int64_t>(x1) - x0;
    const int64_t dy = static_cast<int64_t>(y1) - y0;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const int64_t major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
    const int64_t dMajor = xMajor ? dx : dy, dMinor = xMajor ? dy : dx;
    const int64_t steps = dMajor < 0 ? -dMajor : dMajor;  // the end point is excluded
    if (steps == 0) return;
    const int64_t majorStep = dMajor < 0 ? -1 : 1;
    const int64_t majorLimit = xMajor ? kWindowWidth : kWindowHeight;
    const int64_t minorLimit = xMajor ? kWindowHeight : kWindowWidth;

    // Steps i with 0 <= major0 + majorStep * i < majorLimit.
    int64_t first, last;
    if (majorStep > 0) {
        first = -major0;
        last = majorLimit - 1 - major0;
    } else {
        first = major0 - (majorLimit - 1);
        last = major0;
    }
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, steps - 1);
    const int64_t minorSign = dMinor < 0 ? -1 : 1;
    const Wide absMinor = dMinor < 0 ? -dMinor : dMinor;
    for (int64_t i = first; i <= last; ++i) {
        // Nearest minor offset, halves rounded away from the start.
        const Wide offset = (2 * static_cast<Wide>(i) * absMinor + steps) / (2 * static_cast<Wide>(steps));
        const int64_t minor = minor0 + minorSign * static_cast<int64_t>(offset);
        if (minor < 0 || minor >= minorLimit) continue;
        const int64_t major = major0 + majorStep * i;
        const int64_t x = xMajor ? major : minor, y = xMajor ? minor : major;
        window_[static_cast<size_t>(y) * kWindowWidth + static_cast<size_t>(x)] = 0;
    }
}

bool HeadlessHost::WriteScreenshot(const std::string& path, std::string& error) const {
    std::vector<uint8_t> rgb(static_cast<size_t>(kClientWidth) * kClientHeight * 3);
    for (int y = 0; y < kClientHeight; ++y) {
        for (int x = 0; x < kClientWidth; ++x) {
            const Rgb& c = palette_[WindowPixel(x, y)];
            uint8_t* out = &rgb[(static_cast<size_t>(y) * kClientWidth + x) * 3];
            out[0] = c.red;
            out[1] = c.green;
            out[2] = c.blue;
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kClientWidth;
    image.height = kClientHeight;
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), kClientWidth * 3, nullptr) == 0) {
        error = "cannot write the screenshot " + path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}
