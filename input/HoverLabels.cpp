// The information page's hover labels: moving over a part of the still
// cockpit picture names it in a panel at the foot of the window.
//
// Nothing remembers which label is up. Every row the point lies in is drawn
// and shown again on every move, in table order, so where rows overlap the
// later row is the one left on screen.
#include "game/AveluneView.h"
#include "input/ControlTables.h"

namespace {

using namespace controls;

void MakeStep(CAveluneView& v, HoverStep step, const Placed& picture) {
    switch (step) {
    case kPanel: v.Draw(kLabelPanel); break;
    case kView: v.Draw(kViewRedraw); break;
    case kStrip: v.Draw(kStripRedraw); break;
    case kPicture: v.Draw(picture); break;
    case kEnd: break;
    }
}

}  // namespace

void CAveluneView::OnMouseMove(int x, int y) {
    if (pressMode != kModeInformationPage) return;
    for (const HoverRow& row : kHoverRows) {
        if (!ContainsInclusive(row.area, x, y)) continue;
        for (HoverStep step : row.steps) MakeStep(*this, step, row.picture);
        Present();
    }
}
