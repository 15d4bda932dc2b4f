// The seven digital readouts of the cockpit picture.
//
// Readouts 1 to 5 (distance to go, heading, airspeed, altitude, climb rate)
// are drawn right after the ILS indicator; readouts 6 and 7 (the glide-slope
// and course deviations) after the round gauges, on top of the ILS
// indicator's face. Every digit is one keyed copy of a glyph; an empty
// position draws nothing, so the panel beneath it stays visible.
#include "cockpit/Readouts.h"

#include "cockpit/CockpitLayout.h"

#include "game/Arith.h"
#include "game/AveluneView.h"

namespace {

// The centre of the localizer and glide-slope scales: on course and on slope.
constexpr int32_t kOnCourse = 50;

// Draws `value` on the readout and returns the working value its scratch
// member keeps.
template <typename T>
int32_t ShowReadout(CAveluneView& view, const ReadoutLayout& readout, T value) {
    const ReadoutSplit split = SplitReadout(value, readout.positions);
    for (int i = 0; i < split.positions; ++i) {
        const int digit = split.digits[i];
        if (digit == kBlankDigit) continue;
        view.Draw(Glyph(readout.glyphs, digit), readout.at[i].x, readout.at[i].y);
    }
    return split.work;
}

}  // namespace

void CAveluneView::DrawReadouts() {
    // The unsigned members are shown unsigned: a heading one click below 0
    // reads as 4294967295 and shows its last two digits.
    distanceReadout = ShowReadout(*this, kDistanceReadout, distanceToGo);
    headingReadout = ShowReadout(*this, kHeadingReadout, compassHeading);
    airspeedReadout = ShowReadout(*this, kAirspeedReadout, airspeed);
    altitudeReadout = ShowReadout(*this, kAltitudeReadout, altitude);
    digitWork = ShowReadout(*this, kClimbRateReadout, climbRate);
}

void CAveluneView::DrawIlsReadouts() {
    // The 16-bit deviations are widened with their sign, so neither
    // difference can leave 32 bits.
    const int32_t slope = glideSlopeError;
    const int32_t slopeDeviation = (slope < kOnCourse) ? kOnCourse - slope : (slope > kOnCourse ? slope - kOnCourse : 0);
    // The judgement that follows reads the deviation from the record.
    glideSlopeDeviation = Low16(slopeDeviation);
    digitWork = ShowReadout(*this, kGlideSlopeReadout, slopeDeviation);

    const int32_t courseDeviation = WrapAbs(kOnCourse - static_cast<int32_t>(lateralOffset));
    digitWork = ShowReadout(*this, kCourseReadout, courseDeviation);
}
