#include "platform/common/WindowPicture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/common/WindowRaster.h"

void WindowPicture::Show(const uint8_t* surfaceBits, int orientation, int width, int height) {
    // What lies beyond the window is clipped, as the window system clips it.
    const int w = std::clamp(width, 0, kWidth);
    const int h = std::clamp(height, 0, kHeight);
    // Only a picture that differs from the one shown counts as a change: the
    // game shows the same picture many times over, and an unchanged picture
    // must cost the window no redraw.
    for (int y = 0; y < h; ++y) {
        const int row = (orientation == kTopDown) ? y : kSurfaceHeight - 1 - y;
        const uint8_t* from = surfaceBits + static_cast<size_t>(row) * kSurfaceWidth;
        if (std::memcmp(&index_[Offset(0, y)], from, static_cast<size_t>(w)) != 0) {
            std::memcpy(&index_[Offset(0, y)], from, static_cast<size_t>(w));
            changed_ = true;
        }
        if (std::memchr(&line_[Offset(0, y)], 1, static_cast<size_t>(w)) != nullptr) {
            std::memset(&line_[Offset(0, y)], 0, static_cast<size_t>(w));
            changed_ = true;
        }
    }
}

void WindowPicture::Blacken(int x, int y) {
    if (line_[Offset(x, y)] == 1) return;
    line_[Offset(x, y)] = 1;
    changed_ = true;
}

void WindowPicture::DrawBlackLine(int x0, int y0, int x1, int y1) {
    ForEachLinePixel(x0, y0, x1, y1, kWidth, kHeight, [this](int x, int y) { Blacken(x, y); });
}

Rgb WindowPicture::Color(const PaletteColors& palette, int x, int y) const {
    if (IsLine(x, y)) return Rgb{};
    return palette[Index(x, y)];
}

void WindowPicture::ToArgb(const PaletteColors& palette, int width, int height, uint32_t* out, int pitch) const {
    // One table look-up per pixel: the palette mapped to 32-bit pixels once.
    std::array<uint32_t, 256> argb;
    for (size_t k = 0; k < argb.size(); ++k) {
        const Rgb& c = palette[k];
        argb[k] = 0xFF000000u | (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
    }
    const int w = std::clamp(width, 0, kWidth);
    const int h = std::clamp(height, 0, kHeight);
    auto* rowOut = reinterpret_cast<uint8_t*>(out);
    for (int y = 0; y < h; ++y, rowOut += pitch) {
        auto* dst = reinterpret_cast<uint32_t*>(rowOut);
        const uint8_t* idx = &index_[Offset(0, y)];
        const uint8_t* line = &line_[Offset(0, y)];
        for (int x = 0; x < w; ++x) dst[x] = line[x] ? 0xFF000000u : argb[idx[x]];
    }
}

bool WritePicturePng(const WindowPicture& picture, const PaletteColors& palette, int width, int height,
                     const std::string& path, std::string& error) {
    const int w = std::clamp(width, 1, WindowPicture::kWidth);
    const int h = std::clamp(height, 1, WindowPicture::kHeight);
    return WriteRgbPng(
        path, w, h, [&](int x, int y) { return picture.Color(palette, x, y); }, error);
}
