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
        uint8_t* to = &index_[Offset(0, y)];
        if (std::memcmp(to, from, static_cast<size_t>(w)) != 0) {
            int first = 0, last = w;
            while (to[first] == from[first]) ++first;
            while (to[last - 1] == from[last - 1]) --last;
            std::memcpy(to + first, from + first, static_cast<size_t>(last - first));
            MarkDirty(first, last, y);
        }
        // Most pictures have no line over them: then there is none to find.
        if (linesLit_ == 0) continue;
        uint8_t* line = &line_[Offset(0, y)];
        if (const void* lit = std::memchr(line, 1, static_cast<size_t>(w))) {
            const int first = static_cast<int>(static_cast<const uint8_t*>(lit) - line);
            int last = w;
            while (line[last - 1] == 0) --last;
            linesLit_ -= static_cast<int>(std::count(line + first, line + last, uint8_t{1}));
            std::memset(line + first, 0, static_cast<size_t>(last - first));
            MarkDirty(first, last, y);
        }
    }
}

void WindowPicture::MarkDirty(int x0, int x1, int y) {
    if (dirty_.empty()) {
        dirty_ = PictureRect{x0, y, x1, y + 1};
        return;
    }
    dirty_.x0 = std::min(dirty_.x0, x0);
    dirty_.x1 = std::max(dirty_.x1, x1);
    dirty_.y0 = std::min(dirty_.y0, y);
    dirty_.y1 = std::max(dirty_.y1, y + 1);
}

void WindowPicture::Blacken(int x, int y) {
    if (line_[Offset(x, y)] == 1) return;
    line_[Offset(x, y)] = 1;
    ++linesLit_;
    MarkDirty(x, x + 1, y);
}

void WindowPicture::DrawBlackLine(int x0, int y0, int x1, int y1) {
    ForEachLinePixel(x0, y0, x1, y1, kWidth, kHeight, [this](int x, int y) { Blacken(x, y); });
}

Rgb WindowPicture::Color(const PaletteColors& palette, int x, int y) const {
    if (IsLine(x, y)) return Rgb{};
    return palette[Index(x, y)];
}

void WindowPicture::ToArgb(const PaletteColors& palette, int width, int height, uint32_t* out, int pitch) const {
    ToArgb(palette, PictureRect{0, 0, width, height}, out, pitch);
}

void WindowPicture::ToArgb(const PaletteColors& palette, const PictureRect& rect, uint32_t* out, int pitch) const {
    // One table look-up per pixel: the palette mapped to 32-bit pixels once.
    std::array<uint32_t, 256> argb;
    for (size_t k = 0; k < argb.size(); ++k) {
        const Rgb& c = palette[k];
        argb[k] = 0xFF000000u | (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
    }
    const int x0 = std::clamp(rect.x0, 0, kWidth), x1 = std::clamp(rect.x1, x0, kWidth);
    const int y0 = std::clamp(rect.y0, 0, kHeight), y1 = std::clamp(rect.y1, y0, kHeight);
    auto* rowOut = reinterpret_cast<uint8_t*>(out);
    for (int y = y0; y < y1; ++y, rowOut += pitch) {
        auto* dst = reinterpret_cast<uint32_t*>(rowOut);
        const uint8_t* idx = &index_[Offset(x0, y)];
        const uint8_t* line = &line_[Offset(x0, y)];
        for (int x = 0; x < x1 - x0; ++x) dst[x] = line[x] ? 0xFF000000u : argb[idx[x]];
    }
}

bool WritePicturePng(const WindowPicture& picture, const PaletteColors& palette, int width, int height,
                     const std::string& path, std::string& error) {
    const int w = std::clamp(width, 1, WindowPicture::kWidth);
    const int h = std::clamp(height, 1, WindowPicture::kHeight);
    return WriteRgbPng(
        path, w, h, [&](int x, int y) { return picture.Color(palette, x, y); }, error);
}
