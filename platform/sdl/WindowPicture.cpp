#include "platform/sdl/WindowPicture.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

void WindowPicture::Show(const uint8_t* surfaceBits, int orientation, int width, int height) {
    // What lies beyond the window is clipped, as the window system clips it.
    const int w = std::clamp(width, 0, kWidth);
    const int h = std::clamp(height, 0, kHeight);
    for (int y = 0; y < h; ++y) {
        const int row = (orientation == kTopDown) ? y : kSurfaceHeight - 1 - y;
        std::memcpy(&index_[Offset(0, y)], surfaceBits + static_cast<size_t>(row) * kSurfaceWidth,
                    static_cast<size_t>(w));
        std::memset(&line_[Offset(0, y)], 0, static_cast<size_t>(w));
    }
    changed_ = true;
}

void WindowPicture::Blacken(int x, int y) {
    line_[Offset(x, y)] = 1;
    changed_ = true;
}

void WindowPicture::DrawBlackLine(int x0, int y0, int x1, int y1) {
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
    const int64_t majorLimit = xMajor ? kWidth : kHeight;
    const int64_t minorLimit = xMajor ? kHeight : kWidth;

    // Only the steps whose major coordinate lies in the window are visited,
    // so a corner thousands of pixels away costs nothing.
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
            Blacken(static_cast<int>(xMajor ? major : minor), static_cast<int>(xMajor ? minor : major));
        }
        remainder += increment;
        if (remainder >= denominator) {
            remainder -= denominator;
            ++quotient;
        }
    }
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
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb c = picture.Color(palette, x, y);
            uint8_t* px = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            px[0] = c.red;
            px[1] = c.green;
            px[2] = c.blue;
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), w * 3, nullptr) == 0) {
        error = "cannot write " + path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}
