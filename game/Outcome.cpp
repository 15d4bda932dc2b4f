// State 6 (switch lamps, their effects, the judgement), the warning and
// failure screens, and the arrival screen.
//
// The approach is judged once per flight cycle against game/Limits.h; the
// result screens are drawn over the last cockpit picture, whose lower part
// stays in view. A stopped timer is the only end state: only a mouse handler
// (the cockpit's restart switch) starts the tick again.
#include "game/Arith.h"
#include "game/AveluneView.h"
#include "game/Limits.h"
#include "game/ScreenLayout.h"
#include "game/SwitchLamps.h"

namespace {

// ---- Result screens ------------------------------------------------------------


// Presentations of the blinking lamp after the first one.
constexpr int kLampBlinks = 15;

int32_t TurbulenceStep(CAveluneView& v) {
    const int32_t up = v.RandTenThousands();
    const int32_t down = v.RandTenThousands();
    return 2 * up - 2 * down;  // -6..6
}

void ApplyEffect(CAveluneView& v, SwitchEffect effect) {
    switch (effect) {
    case SwitchEffect::kNone: break;
    case SwitchEffect::kDrag: v.airspeed -= (v.airspeed * 15u) / 100u; break;
    case SwitchEffect::kLift:
        v.airspeed -= (v.airspeed * 10u) / 100u;
        v.altitude = WrapAdd(v.altitude, static_cast<int32_t>((v.airspeed * 5u) / 100u));
        break;
    case SwitchEffect::kTurbulence: {
        // Four draws, in this order: two for the height, two for the side.
        const int32_t lift = TurbulenceStep(v);
        v.altitude = WrapAdd(v.altitude, lift);
        const int32_t drift = TurbulenceStep(v);
        v.lateralOffset = Low16(WrapAdd(v.lateralOffset, drift));
        break;
    }
    }
}

using limits::DeviationFails;
using limits::NeedleFails;
bool Overspeed(uint32_t airspeed) { return limits::AirspeedFails(airspeed); }

void DrawFirstPanelRow(CAveluneView& v) {
    v.Draw(kPanelRow1);
    v.Draw(kPanelRow1End);
}

void DrawSecondPanelRow(CAveluneView& v) {
    v.Draw(kPanelRow2);
    v.Draw(kPanelRow2End);
    v.Draw(kLampLit);
}

// Sixteen presentations with no wait between them, the first with the lamp
// lit, then dark and lit in turn, the last one dark.
void BlinkLamp(CAveluneView& v) {
    v.Present();
    for (int i = 0; i < kLampBlinks; ++i) {
        v.Draw(i % 2 == 0 ? kLampDark : kLampLit);
        v.Present();
    }
}

}  // namespace

void CAveluneView::JudgeApproach() {
    for (const LampRow& row : kLamps) {
        if (this->*row.member != row.value) continue;
        Draw(row.lamp);
        ApplyEffect(*this, row.effect);
        if (row.presents) Present();
    }

    // The judgement of game/Limits.h: a deviation of 96..100 turns a
    // localizer failure into a warning.
    static constexpr uint32_t kNext[] = {kStateFlightStep, kStateWarning, kStateFailure};
    const uint32_t next =
        kNext[static_cast<int>(limits::Judge(airspeed, localizerNeedle, glideSlopeDeviation))];
    gameState = next;
}

void CAveluneView::ShowWarningScreen() {
    DrawFirstPanelRow(*this);
    Draw(kWarningTitle);
    Present();
    // Overspeed is only ever judged a failure here, after its warning.
    gameState = Overspeed(airspeed) ? kStateFailure : kStateFlightStep;
}

void CAveluneView::ShowFailureScreen() {
    DrawFirstPanelRow(*this);
    Draw(kFailureTitle);
    DrawSecondPanelRow(*this);
    BlinkLamp(*this);
    DrawSecondPanelRow(*this);
    // Localizer and glide slope share the course message; overspeed is
    // drawn over it when both hold.
    if (localizerNeedle > limits::kNeedleFailHigh) Draw(kCourseText);
    if (localizerNeedle < limits::kNeedleFailLow) Draw(kCourseText);
    if (DeviationFails(glideSlopeDeviation)) Draw(kCourseText);
    if (Overspeed(airspeed)) {
        Draw(kOverspeedText);
        Draw(kOverspeedLeft);
        Draw(kOverspeedRight);
    }
    ShowSurface(kSurfaceWidth, kSurfaceHeight);

    gameState = kStateFlightStep;
    // The screen stands while a failure limit holds; the restart switch then
    // re-arms the tick, which flies on from the restart values.
    if (Overspeed(airspeed) || NeedleFails(localizerNeedle) || DeviationFails(glideSlopeDeviation)) {
        KillTimer();
    }
}

void CAveluneView::ShowArrivalScreen() {
    DrawFirstPanelRow(*this);
    Draw(kArrivalTitle);
    DrawSecondPanelRow(*this);
    BlinkLamp(*this);
    DrawSecondPanelRow(*this);
    Draw(kArrivalText);
    ShowSurface(kSurfaceWidth, kSurfaceHeight);
    // The flight step stops the timer once this returns.
}
