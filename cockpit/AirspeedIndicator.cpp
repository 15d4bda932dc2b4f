// The airspeed indicator: a round dial with one of 71 ready-drawn needles.
//
// The face is drawn twice around the needle. The first pass lets the panel
// show through the face's surround; the second pass, with the glass as its
// transparent colour, puts the rim, the scale and the hub back over the
// needle, so the needle seems to lie under the glass.
#include "cockpit/CockpitLayout.h"
#include "game/AveluneView.h"

void CAveluneView::DrawAirspeedIndicator() {
    Draw(kAirspeedFaceAt);
    // Past the last needle picture the dial is left without a needle.
    if (airspeedFrame >= static_cast<uint32_t>(kAirspeedNeedleCount)) return;
    const AirspeedNeedle& n = kAirspeedNeedles[airspeedFrame];
    BlitKeyed(n.destX, n.destY, n.srcX, n.srcY, static_cast<uint32_t>(n.width), static_cast<uint32_t>(n.height),
              kNeedleKey);
    Draw(kAirspeedFaceOverAt);
}
