// The windscreen: the scenery seen ahead, and the runway outline over it.
//
// The scenery is copied one pixel column at a time, so that each column can
// start a little lower than the one before: that shear is the bank. Heading
// moves the scenery sideways and pitch up and down. The runway outline is
// drawn in perspective on the window after the surface has been shown, never
// into the surface, so the next picture removes it by itself.
#include <algorithm>
#include <array>
#include <span>

#include "cockpit/CockpitGeometry.h"
#include "game/Arith.h"
#include "game/AveluneView.h"

namespace {

// The bank the view can show, either way.
constexpr int16_t kBankLimit = 3;
// Rows of shear per column for one step of bank (about 53 across the view).
constexpr double kShearPerBankStep = 0.09;

// Window rows of the runway's ends at the start of the approach, and how far
// the growing distance flown moves and widens each end.
constexpr int32_t kFarEdgeRow = 140;
constexpr int32_t kNearEdgeRow = 170;
constexpr int32_t kCentreColumn = 320;
constexpr uint32_t kFarHalfWidthFeet = 16000;  // one pixel of half-width per this many feet
constexpr uint32_t kNearHalfWidthFeet = 1600;
constexpr uint32_t kFarRiseFeet = 2000;         // one row up per this many feet
constexpr uint32_t kNearRiseFeet = 32000;

// A near-edge row below the view, or negative (read unsigned), is put on the
// view's bottom row.
int32_t LimitNearRow(int32_t row) {
    return static_cast<uint32_t>(row) > static_cast<uint32_t>(kViewBottomRow) ? kViewBottomRow : row;
}

}  // namespace

void CAveluneView::DrawOutsideView() {
    // The limited bank stays in the record: the rest of the game sees it.
    bank = std::clamp<int16_t>(bank, -kBankLimit, kBankLimit);
    const bool shown = (outsideViewSwitch == kOutsideViewShown);
    // Neighbouring columns cut from neighbouring atlas columns at the same
    // row make one run; the runs go to the blitter together, which copies
    // them a surface row at a time: the picture the single columns make, for
    // a fraction of the cost (one plain copy when the wings are level).
    std::array<BlitRun, kViewColumns> runs;
    size_t runCount = 0;
    // The shear is accumulated whether or not the view is shown, and the
    // column counter and accumulator are left at zero for the next picture.
    while (sceneryColumn < kViewColumns) {
        const uint32_t c = sceneryColumn;
        sceneryRowStep = static_cast<float>(static_cast<double>(sceneryRowStep) + bank * kShearPerBankStep);
        if (shown) {
            const CockpitPoint src = SceneryColumnSource(c, headingOffset, pitch, bank, sceneryRowStep);
            const int32_t destX = kViewLeft + static_cast<int32_t>(c);
            BlitRun* last = runCount > 0 ? &runs[runCount - 1] : nullptr;
            const bool continuesRun = last != nullptr && src.y == last->srcY &&
                                      src.x == last->srcX + static_cast<int32_t>(last->width) &&
                                      destX == last->destX + static_cast<int32_t>(last->width);
            if (continuesRun) {
                ++last->width;
            } else {
                runs[runCount++] = BlitRun{destX, src.x, src.y, 1};
            }
        }
        sceneryColumn = c + 1;
    }
    BlitKeyedRuns(std::span<const BlitRun>(runs.data(), runCount), kViewTop, kViewRows, sprite::kScenery.key);
    sceneryColumn = 0;
    sceneryRowStep = 0.0f;
}

void CAveluneView::ComputeRunwayCorners() {
    // Unsigned divisions of the distance flown; every quotient fits 32 bits
    // signed, and the sums wrap as the game's 32-bit sums always have.
    const uint32_t t = distanceFlown;
    const auto farHalf = static_cast<int32_t>(t / kFarHalfWidthFeet);
    const auto nearHalf = static_cast<int32_t>(t / kNearHalfWidthFeet);
    const auto farRise = static_cast<int32_t>(t / kFarRiseFeet);
    const auto nearRise = static_cast<int32_t>(t / kNearRiseFeet);
    const int32_t x = headingOffset;
    const int32_t p = pitch;
    const int32_t b = horizonColumn;
    const int32_t b4 = WrapDiv(b, 4);  // the far edge tilts a quarter as much as the near one

    runwayFarLeftX = WrapAdd(WrapSub(x, farHalf), kCentreColumn);
    runwayFarLeftY = WrapAdd(WrapSub(WrapSub(p, b4), farRise), kFarEdgeRow);
    runwayFarRightX = WrapAdd(WrapAdd(x, farHalf), kCentreColumn);
    runwayFarRightY = WrapAdd(WrapSub(WrapAdd(p, b4), farRise), kFarEdgeRow);
    runwayNearRightX = WrapAdd(WrapAdd(x, nearHalf), kCentreColumn);
    runwayNearRightY = LimitNearRow(WrapAdd(WrapSub(WrapAdd(p, b), nearRise), kNearEdgeRow));
    runwayNearLeftX = WrapAdd(WrapSub(x, nearHalf), kCentreColumn);
    runwayNearLeftY = LimitNearRow(WrapAdd(WrapSub(WrapSub(p, b), nearRise), kNearEdgeRow));
}

void CAveluneView::DrawRunwayOutline() {
    // Round the runway from the far-left corner and back to it.
    struct Corner {
        int32_t x, y;
    };
    const Corner path[] = {
        {runwayFarLeftX, runwayFarLeftY},   {runwayFarRightX, runwayFarRightY}, {runwayNearRightX, runwayNearRightY},
        {runwayNearLeftX, runwayNearLeftY}, {runwayFarLeftX, runwayFarLeftY},
    };
    for (size_t i = 0; i + 1 < std::size(path); ++i) {
        host().DrawBlackLine(path[i].x, path[i].y, path[i + 1].x, path[i + 1].y);
    }
}
