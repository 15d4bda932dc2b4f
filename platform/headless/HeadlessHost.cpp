#include "platform/headless/HeadlessHost.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/AtlasCatalogue.h"
#include "gfx/Palette.h"
#include "platform/headless/WindowRaster.h"

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

// A line as the window system draws it with a one-pixel pen, in index 0.
void HeadlessHost::DrawBlackLine(int x0, int y0, int x1, int y1) {
    ++linesDrawn_;
    ForEachLinePixel(x0, y0, x1, y1, kWindowWidth, kWindowHeight,
                     [this](int x, int y) { window_[static_cast<size_t>(y) * kWindowWidth + static_cast<size_t>(x)] = 0; });
}

bool HeadlessHost::WriteScreenshot(const std::string& path, std::string& error) const {
    return WriteRgbPng(
        path, kClientWidth, kClientHeight, [this](int x, int y) { return palette_[WindowPixel(x, y)]; }, error);
}
