// Where the cockpit's moving pictures are cut from, kept inside the pictures.
//
// The attitude indicator and the outside view cut their source rectangles at
// places computed from members that nothing limits (horizonColumn, horizonRow,
// headingOffset, pitch). The sums keep the game's 32-bit widths; only then is
// the rectangle pulled back inside the picture it is meant to show, so a far
// push of a control shows that picture's edge rather than some other sprite
// of the atlas, or memory outside it.
#pragma once

#include <algorithm>
#include <cstdint>

#include "game/Arith.h"
#include "game/FlightState.h"
#include "gfx/AtlasCatalogue.h"

// A point on the surface or in the atlas, x right and y down.
struct CockpitPoint {
    int32_t x, y;
    friend constexpr bool operator==(const CockpitPoint&, const CockpitPoint&) = default;
};

// The windscreen: a 590 x 152 area of the surface at (20, 20).
constexpr int32_t kViewLeft = 20;
constexpr int32_t kViewTop = 20;
constexpr uint32_t kViewColumns = 590;
constexpr uint32_t kViewRows = 152;
// The last surface row of the view; the near edge of the runway never lies below it.
constexpr int32_t kViewBottomRow = kViewTop + static_cast<int32_t>(kViewRows) - 1;  // 171

// The top-left corner (x, y) of a width x height rectangle moved the least
// distance that puts it wholly inside `picture` (which is at least that big).
constexpr CockpitPoint ClampIntoPicture(int32_t x, int32_t y, int32_t width, int32_t height,
                                        const Sprite& picture) {
    return {std::clamp<int32_t>(x, picture.x, picture.x + picture.width - width),
            std::clamp<int32_t>(y, picture.y, picture.y + picture.height - height)};
}

// The attitude picture's source corner: bank picture `horizonColumn` of the
// band, `horizonRow` rows down it, held inside the band.
constexpr CockpitPoint AttitudeSource(int32_t horizonColumn, uint32_t horizonRow) {
    const int32_t x = WrapAdd(sprite::kAttitudeWindow.x, WrapMul(kAttitudeColumnPitch, horizonColumn));
    const int32_t y = static_cast<int32_t>(static_cast<uint32_t>(sprite::kAttitudeWindow.y) + horizonRow);
    return ClampIntoPicture(x, y, sprite::kAttitudeWindow.width, sprite::kAttitudeWindow.height, kAttitudeBand);
}

// Where the view cuts the scenery picture: with the heading, pitch and bank
// all at rest, view column 0 shows scenery column 334 and the view's top row
// scenery row 1700 (atlas coordinates). One heading step moves the view 3
// columns, one pitch step 2 rows and one bank step 15 rows.
constexpr int32_t kSceneryRestColumn = 334;
constexpr int32_t kSceneryRestRow = 1700;
constexpr int32_t kSceneryColumnsPerHeadingStep = 3;
constexpr int32_t kSceneryRowsPerPitchStep = 2;
constexpr int32_t kSceneryRowsPerBankStep = 15;

// The integer part of v, truncated toward zero, for a v that may not fit:
// beyond the 32-bit range it stops at the range's ends, and NaN reads 0.
inline int32_t TruncateToInt32(double v) {
    if (!(v == v)) return 0;
    if (v <= -2147483648.0) return INT32_MIN;
    if (v >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(v);
}

// The source corner of view column c (0..589): 3 pixels of scenery per
// heading step sideways; the row from the pitch, the bank and the column's
// accumulated shear `rowStep`, held inside the scenery picture.
inline CockpitPoint SceneryColumnSource(uint32_t c, int32_t headingOffset, int16_t pitch, int16_t bank,
                                        float rowStep) {
    const int32_t x = WrapAdd(WrapSub(static_cast<int32_t>(c), WrapMul(kSceneryColumnsPerHeadingStep, headingOffset)),
                              kSceneryRestColumn);
    // pitch is 16-bit and bank is already limited, so this sum cannot wrap.
    const int32_t rowBase = kSceneryRestRow - kSceneryRowsPerPitchStep * pitch - kSceneryRowsPerBankStep * bank;
    // The integer goes to single precision first; the addition itself is made
    // in double precision, where the sum of two floats of these sizes is exact,
    // so the truncation sees the true sum rather than one rounded to a float.
    const double y = static_cast<double>(static_cast<float>(rowBase)) + static_cast<double>(rowStep);
    return ClampIntoPicture(x, TruncateToInt32(y), 1, static_cast<int32_t>(kViewRows), sprite::kScenery);
}
