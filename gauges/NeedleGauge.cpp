// The round needle gauge: one of 72 ready-drawn needles, then the face over it.
//
// Nothing is rotated at run time: the atlas holds a needle picture for every
// 5 degrees and the driving value picks one. The face is drawn after the
// needle, so its rim, markings and hub cover the needle and the needle shows
// only through the face's transparent glass.
#include "game/Arith.h"
#include "game/AveluneView.h"

void CAveluneView::DrawNeedleGauge(int32_t ox, int32_t oy, int32_t value) {
    // Read unsigned, so every negative value is past the last needle too:
    // such a gauge shows its face alone.
    const uint32_t frame = static_cast<uint32_t>(value);
    if (frame < static_cast<uint32_t>(kGaugeNeedleCount)) {
        const GaugeNeedle& n = kGaugeNeedles[frame];
        BlitKeyed(WrapAdd(ox, n.dx), WrapAdd(oy, n.dy), n.srcX, n.srcY, static_cast<uint32_t>(n.width),
                  static_cast<uint32_t>(n.height), kNeedleKey);
    }
    Draw(sprite::kGaugeFace, ox, oy);
}
