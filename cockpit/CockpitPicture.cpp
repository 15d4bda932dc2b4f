// State 4: the whole cockpit picture, composed afresh every flight cycle.
// The state machine sets the input modes and the next state around it; the
// composition only draws, and writes the members its instruments limit.
//
// Nothing of the previous picture is kept: every element is drawn again, in a
// fixed order in which later elements cover earlier ones. Only the runway
// outline goes to the window instead of the surface, after the surface has
// been shown.
#include <algorithm>

#include "cockpit/CockpitGeometry.h"
#include "cockpit/CockpitLayout.h"
#include "game/AveluneView.h"

namespace {

// The localizer scale: 0 at the left stop, 50 on the centre line, 100 at the right stop.
constexpr int16_t kLocalizerMin = 0;
constexpr int16_t kLocalizerMax = 100;

}  // namespace

void CAveluneView::ComposeCockpit() {
    Draw(kBasePanelAt);

    // Attitude indicator: a window into the band of bank pictures. The
    // control pad moves horizonColumn and horizonRow without limit; the window
    // stops at the band's edges.
    const CockpitPoint attitude = AttitudeSource(horizonColumn, horizonRow);
    BlitKeyed(kAttitudeWindowAt.x, kAttitudeWindowAt.y, attitude.x, attitude.y,
              static_cast<uint32_t>(sprite::kAttitudeWindow.width), static_cast<uint32_t>(sprite::kAttitudeWindow.height),
              sprite::kAttitudeWindow.key);
    for (const Placed& bezel : kAttitudeBezels) Draw(bezel);

    DrawAirspeedIndicator();

    // ILS indicator: face, then the two needles, then the overlay that lies
    // on top of both. The judgement reads the limited localizer value too.
    Draw(kIlsFaceAt);
    localizerNeedle = std::clamp<int16_t>(lateralOffset, kLocalizerMin, kLocalizerMax);
    Draw(sprite::kLocalizerNeedle, kLocalizerLeft + localizerNeedle, kLocalizerTop);
    // The flight step keeps the bar on its scale; the blitter keeps any
    // other row on the surface.
    Draw(sprite::kGlideSlopeBar, kGlideSlopeBarLeft, glideSlopeBarY);
    Draw(kIlsOverlayAt);

    DrawReadouts();
    DrawPanelGauges();
    DrawIlsReadouts();
    DrawOutsideView();
    ComputeRunwayCorners();

    // The game palette never changes and is not realised again here: the
    // surface alone is copied to the window.
    ShowSurface(kSurfaceWidth, kSurfaceHeight);
    if (outsideViewSwitch == kOutsideViewShown) DrawRunwayOutline();
}
