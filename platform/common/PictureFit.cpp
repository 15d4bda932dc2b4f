#include "platform/common/PictureFit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Rounds toward minus infinity, so a point just left of or above the picture
// never lands in column or row 0.
int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

PictureLayout FitPicture(int outputWidth, int outputHeight, int menuBarHeight) {
    const int areaHeight = std::max(outputHeight - menuBarHeight, 0);
    const int scale = std::max(1, std::min(outputWidth / kClientWidth, areaHeight / kClientHeight));
    PictureLayout layout;
    layout.scale = scale;
    // When even scale 1 does not fit, the picture keeps to the top-left.
    layout.originX = std::max(0, (outputWidth - kClientWidth * scale) / 2);
    layout.originY = menuBarHeight + std::max(0, (areaHeight - kClientHeight * scale) / 2);
    return layout;
}

PictureLayout FitPictureFill(int outputWidth, int outputHeight, int menuBarHeight) {
    const PictureLayout whole = FitPicture(outputWidth, outputHeight, menuBarHeight);
    const int areaHeight = std::max(outputHeight - menuBarHeight, 0);
    // The size that fills the area, in whole output pixels, the shape kept
    // to within a pixel.
    const double fit = std::min(static_cast<double>(outputWidth) / kClientWidth,
                                static_cast<double>(areaHeight) / kClientHeight);
    if (fit < 1.0) return whole;
    const int width = std::min(outputWidth, static_cast<int>(std::lround(kClientWidth * fit)));
    const int height = std::min(areaHeight, static_cast<int>(std::lround(kClientHeight * fit)));
    if (width == kClientWidth * whole.scale || height == kClientHeight * whole.scale) return whole;
    // A dest pixel's middle lies within half a dest pixel of its game
    // pixel's middle: k / fit texels of the enlarged picture. Linear
    // filtering keeps the game pixel's own colour there while that lies half
    // a texel inside the k x k block: k (1 - 1/fit) >= 1.
    const int least = static_cast<int>(std::ceil(fit / (fit - 1.0) - 1e-9));
    const int scale = std::max(whole.scale, least);
    if (scale > kMaxScale) return whole;
    PictureLayout layout;
    layout.scale = scale;
    layout.width = width;
    layout.height = height;
    layout.originX = (outputWidth - width) / 2;
    layout.originY = menuBarHeight + (areaHeight - height) / 2;
    return layout;
}

std::optional<GamePoint> MapToGame(const PictureLayout& layout, double pixelRatioX, double pixelRatioY,
                                   double windowX, double windowY) {
    if (layout.scale < 1 || !(pixelRatioX > 0) || !(pixelRatioY > 0)) return std::nullopt;
    if (!std::isfinite(windowX) || !std::isfinite(windowY)) return std::nullopt;
    const double ox = std::floor(windowX * pixelRatioX);
    const double oy = std::floor(windowY * pixelRatioY);
    // Points far outside any window are simply outside the picture.
    if (std::fabs(ox) > 1e8 || std::fabs(oy) > 1e8) return std::nullopt;
    // Output pixels to game pixels: by the whole scale, or by the filled
    // size's share (the same for a whole scale, whose size is scale times).
    const int64_t gx = FloorDiv((static_cast<int64_t>(ox) - layout.originX) * kClientWidth, layout.Width());
    const int64_t gy = FloorDiv((static_cast<int64_t>(oy) - layout.originY) * kClientHeight, layout.Height());
    if (gx < 0 || gy < 0 || gx >= kClientWidth || gy >= kClientHeight) return std::nullopt;
    return GamePoint{static_cast<int>(gx), static_cast<int>(gy)};
}
