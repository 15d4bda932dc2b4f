#include "platform/sdl/DesktopLayout.h"

#include <algorithm>
#include <cmath>

#include "gfx/AtlasCatalogue.h"

namespace {

// Room a window manager's frame takes around a window: caption and borders.
constexpr int kFrameAllowanceX = 16;
constexpr int kFrameAllowanceY = 48;

}  // namespace

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
