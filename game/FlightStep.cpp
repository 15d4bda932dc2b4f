// State 10: one simulated second of flight.
//
// Every value here has the width the game has always given it: 32-bit sums
// that wrap, 16-bit members that keep the low 16 bits, and limits that compare
// a member as unsigned so that a value driven below zero counts as very large.
// The wrapping goes through unsigned types (game/Arith.h), never through
// signed overflow.
#include <algorithm>
#include <cstdint>

#include "game/Arith.h"
#include "game/AveluneView.h"
#include "game/Limits.h"

namespace {

// clang-format off
constexpr uint32_t kPowerLimit          = 70;     // more power than this is flown as this
constexpr uint32_t kEnginePointerLimit  = 52;     // the engine gauges' needles stop here
constexpr uint32_t kThrustFactor        = 2;      // airspeed gained per unit of power
constexpr uint32_t kDragPercent         = 25;     // airspeed lost per step, in hundredths
constexpr uint32_t kAirspeedLimit       = 300;    // held here before height and speed are traded
constexpr double   kDisplayDivisor      = 4.411;  // mph per frame of the airspeed display
constexpr uint32_t kPitchExchangeSpeed  = 35;     // no trade of height and speed at or below this
constexpr int32_t  kPitchExchangeFactor = 15;     // per thousand: feet per (pitch step x mph)
constexpr uint32_t kSinkThresholdSpeed  = 104;    // below it the aircraft sinks ever faster
constexpr int32_t  kSinkStep            = 32;     // change of sinkRate per step
constexpr uint32_t kLowAltitude         = 150;    // below it the outside view is always shown
constexpr uint32_t kFeetPerMile         = limits::kFeetPerMile;
constexpr uint32_t kSecondsPerHour      = 3600;
constexpr uint32_t kThresholdDistance   = 47320;  // feet from the start point to the threshold
constexpr uint32_t kGlideSlopeRatio     = 15;     // the reference descent is 1 foot in 15
constexpr int16_t  kBarTopRow           = 232;    // glide-slope bar rows, top ...
constexpr int16_t  kBarBottomRow        = 332;    // ... and bottom of its scale
constexpr uint32_t kLastHeading         = 359;    // compass degrees above this read 0
// clang-format on

}  // namespace

void CAveluneView::FlyOneSecond() {
    // Power: a setting above the limit (including one decreased below zero) is flown at the limit.
    if (power > kPowerLimit) power = kPowerLimit;
    const uint32_t p = power;

    // Fuel is only shown; an empty tank changes nothing.
    fuel -= p;

    const uint32_t pointer = std::min(10 * p, kEnginePointerLimit);
    enginePointerA = pointer;
    enginePointerB = pointer;

    // Thrust, then drag on the result; the 32-bit product wraps as the game's does.
    uint32_t a = airspeed + kThrustFactor * p;
    a -= (a * kDragPercent) / 100;
    if (a > kAirspeedLimit) a = kAirspeedLimit;
    airspeed = a;

    // The airspeed display shows the speed before the trade with height. The
    // quotient is rounded to a 53-bit double, as the game's x87 set to 53-bit
    // precision rounded it; x86-64 SSE2 arithmetic does so without being told.
    airspeedFrame = static_cast<uint32_t>(static_cast<double>(a) / kDisplayDivisor);

    // Pitch trades height for speed, foot for mile per hour: nose down
    // (negative pitch) gains speed, nose up gains height.
    if (a > kPitchExchangeSpeed) {
        const int32_t q = WrapDiv(WrapMul(WrapMul(pitch, static_cast<int32_t>(a)), kPitchExchangeFactor), 1000);
        altitude = WrapAdd(altitude, q);
        airspeed = a - static_cast<uint32_t>(q);
    }

    // Slow flight sinks ever faster; fast flight stores up the opposite, so a
    // later drop below the threshold speed costs height at once.
    const uint32_t s = airspeed;
    if (s < kSinkThresholdSpeed) {
        sinkRate = WrapAdd(sinkRate, kSinkStep);
        altitude = WrapAdd(altitude, sinkRate);
    } else if (s > kSinkThresholdSpeed) {
        sinkRate = WrapSub(sinkRate, kSinkStep);
    }

    // Near the ground the outside view is always drawn; a negative altitude
    // counts as very high here.
    if (static_cast<uint32_t>(altitude) < kLowAltitude) outsideViewSwitch = kOutsideViewShown;

    climbRate = WrapAbs(WrapSub(altitude, previousAltitude));
    previousAltitude = altitude;

    distanceFlown += (s * kFeetPerMile) / kSecondsPerHour;

    if (distanceFlown < kThresholdDistance) {
        const uint32_t toGo = runwayDistance - distanceFlown;
        distanceToGo = (toGo * 100) / kFeetPerMile;
        const uint32_t reference = toGo / kGlideSlopeRatio;
        const int32_t error = WrapAbs(WrapSub(altitude, static_cast<int32_t>(reference)));
        glideSlopeError = Low16(error);
        glideSlopeBarY = Low16(WrapAdd(error, kBarTopRow));
    }
    // Exactly at the threshold the instruments keep their last values.
    if (distanceFlown > kThresholdDistance) {
        distanceToGo = 0;
        glideSlopeBarY = kBarTopRow;
        airspeed = 0;
        digitWork = 0;
    }

    // The bar stays within its scale.
    if (glideSlopeBarY > kBarBottomRow) glideSlopeBarY = kBarBottomRow;
    if (glideSlopeBarY < kBarTopRow) glideSlopeBarY = kBarTopRow;

    if (distanceFlown > kThresholdDistance) arrived = 1;

    // A turn input changes the heading every step; the heading moves the
    // aircraft sideways every step.
    headingOffset = WrapSub(headingOffset, turnRate);
    lateralOffset = Low16(WrapAdd(lateralOffset, headingOffset));

    // 360, and a decrease below 0, both read 0.
    if (compassHeading > kLastHeading) compassHeading = 0;

    if (arrived == 1) {
        ShowArrivalScreen();
        KillTimer();
    }
    gameState = kStateCockpit;
}
