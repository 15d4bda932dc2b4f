#include "platform/sdl/DesktopLayout.h"

#include <algorithm>

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
