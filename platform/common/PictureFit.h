// Where the game picture sits in an area of output pixels, and which game
// pixel a point of it shows: the one rule the desktop window and the web
// page both lay their picture out by.
//
// A whole scale enlarges every game pixel to a crisp square with
// nearest-neighbour sampling. Fill mode enlarges by a whole factor first and
// then by the remaining fraction with linear filtering (sharp-bilinear).
#pragma once

#include <optional>

#include "gfx/AtlasCatalogue.h"

// The largest scale a player may ask for.
constexpr int kMaxScale = 8;

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
// output pixels = logical units x pixelRatio (the output pixel under a point
// is its floor, so a point just left of or above the picture is outside);
// nothing when the point lies outside the picture (on the menu bar or the
// black bars).
std::optional<GamePoint> MapToGame(const PictureLayout& layout, double pixelRatioX, double pixelRatioY,
                                   double windowX, double windowY);

