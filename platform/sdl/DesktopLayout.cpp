#include "platform/sdl/DesktopLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gfx/AtlasCatalogue.h"

namespace {

// Rounds toward minus infinity, so a point just left of or above the picture
// never lands in column or row 0.
int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Room a window manager's frame takes around a window: caption and borders.
constexpr int kFrameAllowanceX = 16;
constexpr int kFrameAllowanceY = 48;

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
                                   int windowX, int windowY) {
    if (layout.scale < 1 || !(pixelRatioX > 0) || !(pixelRatioY > 0)) return std::nullopt;
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

WindowSize WindowSizeForScale(int scale) {
    const int s = std::clamp(scale, 1, kMaxScale);
    return {kClientWidth * s, (kMenuBarHeight + kClientHeight) * s};
}

int DefaultScale(int usableWidth, int usableHeight) {
    int scale = 1;
    for (int s = 2; s <= kMaxScale; ++s) {
        const WindowSize size = WindowSizeForScale(s);
        if (size.width + kFrameAllowanceX <= usableWidth && size.height + kFrameAllowanceY <= usableHeight) {
            scale = s;
        }
    }
    return scale;
}

int UiScaleFor(bool filled, int wholeScale, int width, int height) {
    if (!filled) return std::clamp(wholeScale, 1, kMaxScale);
    const PictureLayout fill = FitPictureFill(width, height, kMenuBarHeight);
    const double size = static_cast<double>(fill.Width()) / kClientWidth;
    return std::clamp(static_cast<int>(std::lround(size)), 1, kMaxScale);
}

DialogBox FitDialog(DialogBox wanted, float width, float height, float top, float margin) {
    DialogBox box;
    box.width = std::max(1.0f, std::min(wanted.width, width - 2 * margin));
    box.height = std::max(1.0f, std::min(wanted.height, height - top - 2 * margin));
    box.x = std::max(margin, std::min(wanted.x, width - margin - box.width));
    box.y = std::max(top + margin, std::min(wanted.y, height - margin - box.height));
    return box;
}
