#include "platform/headless/HeadlessHost.h"

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
}

void HeadlessHost::ShowSurface(const uint8_t* surfaceBits, int orientation, int width, int height) {
    ++surfaceShows_;
    window_.Show(surfaceBits, orientation, width, height);
}

void HeadlessHost::ShowSurfaceUnchanged(const uint8_t* surfaceBits, int orientation, int width, int height) {
    ++surfaceShows_;
    window_.ShowUnchanged(surfaceBits, orientation, width, height);
}

void HeadlessHost::ShowSurfaceRows(const uint8_t* surfaceBits, int orientation, int width, int height,
                                   const SurfaceRows& rows) {
    ++surfaceShows_;
    window_.ShowRows(surfaceBits, orientation, width, height, rows);
}

void HeadlessHost::DrawBlackLine(int x0, int y0, int x1, int y1) {
    window_.DrawBlackLine(x0, y0, x1, y1);
}

std::vector<uint8_t> HeadlessHost::WindowPixels() const {
    std::vector<uint8_t> pixels(static_cast<size_t>(kWindowWidth) * kWindowHeight);
    for (int y = 0; y < kWindowHeight; ++y) {
        for (int x = 0; x < kWindowWidth; ++x) pixels[static_cast<size_t>(y) * kWindowWidth + x] = WindowPixel(x, y);
    }
    return pixels;
}

bool HeadlessHost::WriteScreenshot(const std::string& path, std::string& error) const {
    return WritePicturePng(window_, palette_, kClientWidth, kClientHeight, path, error);
}
