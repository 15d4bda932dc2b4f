// Where the game picture sits in the window, and which game pixel the mouse
// is over.
//
// The window shows the 632 x 440 client picture below the menu bar, scaled
// by a whole number with nearest-neighbour sampling so every game pixel is a
// crisp square. Windowed, the window is made exactly the picture's size at
// the chosen scale; full screen (or whenever the window is larger than
// asked), the largest whole scale that fits is used and the picture is
// centred in black bars. All sizes here are in output pixels, which on a
// high-density display are more than the window's logical units.
#pragma once

#include <optional>

#include "gfx/AtlasCatalogue.h"

// Height of the menu bar at scale 1, in pixels; it grows with the scale.
constexpr int kMenuBarHeight = 20;

struct PictureLayout {
    int originX = 0;  // output pixel of the picture's top-left corner
    int originY = 0;
    int scale = 1;    // the whole factor each game pixel is first enlarged by (nearest-neighbour)
    // The picture's size in output pixels: kClientWidth x kClientHeight
    // times `scale` for a whole scale; in fill mode, the size that fills the
    // area with the picture's shape kept, reached from `scale` by linear
    // filtering (0: the whole scale's).
    int width = 0, height = 0;
    int Width() const { return width > 0 ? width : kClientWidth * scale; }
    int Height() const { return height > 0 ? height : kClientHeight * scale; }
    // Whether a fraction is left after the whole factor (the second, linear stage).
    bool Fractional() const { return Width() != kClientWidth * scale || Height() != kClientHeight * scale; }
    friend bool operator==(const PictureLayout&, const PictureLayout&) = default;
};

struct GamePoint {
    int x = 0, y = 0;
    friend bool operator==(const GamePoint&, const GamePoint&) = default;
};

// The largest whole scale (at least 1) at which the picture fits in an area of
// outputWidth x outputHeight below a menu bar of menuBarHeight, centred there.
PictureLayout FitPicture(int outputWidth, int outputHeight, int menuBarHeight);

// Fill mode (sharp-bilinear): the picture as large as fits the area, its
// shape kept, centred. It is enlarged by a whole factor with
// nearest-neighbour, then by the rest with linear filtering, so edges stay
// crisp without uneven pixel widths. The whole factor is the largest that
// fits, or more where the fraction left is small, so that the middle of
// every game pixel keeps exactly its colour; where that would take more
// than kMaxScale, or the fit is whole already, it is the whole scale.
PictureLayout FitPictureFill(int outputWidth, int outputHeight, int menuBarHeight);

// The game pixel under window point (windowX, windowY) in logical units, where
// output pixels = logical units x pixelRatio; nothing when the point lies
// outside the picture (on the menu bar or the black bars).
std::optional<GamePoint> MapToGame(const PictureLayout& layout, double pixelRatioX, double pixelRatioY,
                                   int windowX, int windowY);

// The window's logical size at a scale: the picture and the menu bar.
struct WindowSize {
    int width = 0, height = 0;
};
WindowSize WindowSizeForScale(int scale);

// The largest whole scale whose window fits in the usable screen area, with
// room left for the window's frame; at least 1.
int DefaultScale(int usableWidth, int usableHeight);

// The largest scale a player may ask for.
constexpr int kMaxScale = 8;

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
