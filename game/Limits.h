// The limits an approach is judged against: one table, read by the judgement
// (game/Outcome.cpp), the flight recorder, the logbook's margins and the
// debrief's bands and lines.
//
// Each value is the last one still inside: a reading above a "high" limit or
// below a "low" one is past it. The judgement tests airspeed, then the
// localizer, then the glide slope, each test that holds overwriting the
// earlier ones, so a glide-slope deviation past its warning limit but not its
// failure limit (96..100 ft) turns a localizer failure into a warning.
// Airspeed is only ever judged a failure on the warning screen, after its
// warning; it compares unsigned, so a speed below zero counts as huge.
#pragma once

#include <cstdint>

namespace limits {

// The unit every distance of the approach is told in: feet, and miles of
// this many (the readout, the recorder, the debrief and the logbook).
constexpr uint32_t kFeetPerMile = 5280;

constexpr uint32_t kAirspeedWarnAbove = 275;  // mph
constexpr uint32_t kAirspeedFailAbove = 300;
constexpr int kNeedleCentre = 50;             // localizer needle, 0..100
constexpr int kNeedleWarnLow = 25, kNeedleWarnHigh = 75;
constexpr int kNeedleFailLow = 5, kNeedleFailHigh = 95;
constexpr int kDeviationWarnAbove = 95;       // glide-slope deviation, feet above the path
constexpr int kDeviationFailAbove = 100;

// How far off the centre the needle may stand before the approach fails
// (the failure limits lie the same distance either side).
constexpr int kNeedleFailOffset = kNeedleCentre - kNeedleFailLow;
static_assert(kNeedleFailHigh - kNeedleCentre == kNeedleFailOffset);

constexpr bool AirspeedWarns(uint32_t airspeed) { return airspeed > kAirspeedWarnAbove; }
constexpr bool AirspeedFails(uint32_t airspeed) { return airspeed > kAirspeedFailAbove; }
constexpr bool NeedleWarns(int needle) { return needle > kNeedleWarnHigh || needle < kNeedleWarnLow; }
constexpr bool NeedleFails(int needle) { return needle > kNeedleFailHigh || needle < kNeedleFailLow; }
constexpr bool DeviationWarns(int deviation) { return deviation > kDeviationWarnAbove; }
constexpr bool DeviationFails(int deviation) { return deviation > kDeviationFailAbove; }

enum class Verdict : uint8_t { kClear, kWarning, kFailure };

// One judgement of the approach, in the game's order (see above).
constexpr Verdict Judge(uint32_t airspeed, int needle, int deviation) {
    Verdict v = Verdict::kClear;
    if (AirspeedWarns(airspeed)) v = Verdict::kWarning;
    if (NeedleWarns(needle)) v = Verdict::kWarning;
    if (NeedleFails(needle)) v = Verdict::kFailure;
    if (DeviationWarns(deviation)) v = Verdict::kWarning;
    if (DeviationFails(deviation)) v = Verdict::kFailure;
    return v;
}

}  // namespace limits
