#include "platform/sdl/DesktopLayout.h"

#include <algorithm>
#include <cmath>

#include "gfx/AtlasCatalogue.h"

namespace {

// Rounds toward minus infinity, so a point just left of or above the picture
// never lands in column or row 0.
int FloorDiv(int a, int b) {
    const int q = a / b;
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

std::optional<GamePoint> MapToGame(const PictureLayout& layout, double pixelRatioX, double pixelRatioY,
                                   int windowX, int windowY) {
    if (layout.scale < 1 || !(pixelRatioX > 0) || !(pixelRatioY > 0)) return std::nullopt;
    const double ox = std::floor(windowX * pixelRatioX);
    const double oy = std::floor(windowY * pixelRatioY);
    // Points far outside any window are simply outside the picture.
    if (std::fabs(ox) > 1e8 || std::fabs(oy) > 1e8) return std::nullopt;
    const int gx = FloorDiv(static_cast<int>(ox) - layout.originX, layout.scale);
    const int gy = FloorDiv(static_cast<int>(oy) - layout.originY, layout.scale);
    if (gx < 0 || gy < 0 || gx >= kClientWidth || gy >= kClientHeight) return std::nullopt;
    return GamePoint{gx, gy};
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
