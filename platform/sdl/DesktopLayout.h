// Where the game picture sits in the window, and which game pixel the mouse
// is over.
//
// The window shows the 632 x 440 client picture below the menu bar. At a
// whole scale it is enlarged with nearest-neighbour sampling so every game
// pixel is a crisp square, and the window is made exactly the picture's
// size (when it is larger than asked, the largest whole scale that fits is
// centred in black bars). Full screen and a filled window use fill mode
// (platform/common/PictureFit.h): as large as fits, sharp-bilinear. All sizes
// here are in output pixels, which on a high-density display are more than
// the window's logical units.
#pragma once

#include "gfx/AtlasCatalogue.h"
#include "platform/common/PictureFit.h"

// Height of the menu bar at scale 1, in pixels; it grows with the scale.
constexpr int kMenuBarHeight = 20;

// The window's logical size at a scale: the picture and the menu bar.
struct WindowSize {
    int width = 0, height = 0;
};
WindowSize WindowSizeForScale(int scale);

// The largest whole scale whose window fits in the usable screen area, with
// room left for the window's frame; at least 1.
int DefaultScale(int usableWidth, int usableHeight);

// The whole scale the menus and dialogs are drawn at, in a window of
// width x height logical units: the window's own scale, or where the
// picture fills the window, its size over its 1x size rounded to the
// nearest whole. The fill is measured below a 1x menu bar, so that the
// menus' own height never feeds back into their scale. 1 to kMaxScale.
int UiScaleFor(bool filled, int wholeScale, int width, int height);

// A dialog's place and size in logical units.
struct DialogBox {
    float x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const DialogBox&, const DialogBox&) = default;
};
// The box as wanted where it fits in a window of width x height below a
// menu bar `top` tall; else made smaller to leave `margin` on each side,
// and moved in so that all of it shows.
DialogBox FitDialog(DialogBox wanted, float width, float height, float top, float margin);
