// The flight state record: every game member of the view, in declaration order.
//
// The list is written once, as an X-macro, so that the record, its zero start
// and its JSON dump (the headless `state` event) can never disagree about a
// member's name or type.
#pragma once

#include <cstdint>

// X(type, name): one row per member, in the record's declaration order.
#define AVELUNE_FLIGHT_STATE_MEMBERS(X)      \
    X(uint32_t, titleFrame)                  \
    X(uint32_t, gameState)                   \
    X(uint32_t, power)                       \
    X(uint32_t, fuel)                        \
    X(int32_t, altitude)                     \
    X(int32_t, previousAltitude)             \
    X(uint32_t, enginePointerA)              \
    X(uint32_t, distanceFlown)               \
    X(uint32_t, runwayDistance)              \
    X(uint32_t, enginePointerB)              \
    X(int16_t, lateralOffset)                \
    X(int16_t, localizerNeedle)              \
    X(int16_t, glideSlopeBarY)               \
    X(int16_t, glideSlopeError)              \
    X(int32_t, sinkRate)                     \
    X(uint32_t, airspeed)                    \
    X(uint32_t, airspeedFrame)               \
    X(int16_t, pitch)                        \
    X(int16_t, glideSlopeDeviation)          \
    X(uint32_t, liftSwitch)                  \
    X(uint32_t, dragSwitch)                  \
    X(uint32_t, horizonRow)                  \
    X(int32_t, horizonColumn)                \
    X(int16_t, bank)                         \
    X(uint32_t, sweepCounter)                \
    X(int32_t, gaugeLowerLeftOffsetX)        \
    X(int32_t, gaugeLowerLeftOffsetY)        \
    X(int32_t, gaugeLowerRightOffsetX)       \
    X(int32_t, gaugeLowerRightOffsetY)       \
    X(int32_t, gaugeLowerMiddleOffsetY)      \
    X(int32_t, gaugeLowerMiddleOffsetX)      \
    X(int32_t, gaugeUpperMiddleOffsetX)      \
    X(int32_t, gaugeUpperRightOffsetX)       \
    X(int32_t, altitudeReadout)              \
    X(int32_t, airspeedReadout)              \
    X(int32_t, digitWork)                    \
    X(int32_t, climbRate)                    \
    X(int32_t, headingReadout)               \
    X(uint32_t, arrived)                     \
    X(uint32_t, compassHeading)              \
    X(int32_t, headingOffset)                \
    X(int32_t, turnRate)                     \
    X(uint32_t, sceneryColumn)               \
    X(float, sceneryRowStep)                 \
    X(int32_t, distanceReadout)              \
    X(uint32_t, distanceToGo)                \
    X(uint32_t, turbulenceSwitch)            \
    X(uint32_t, outsideViewSwitch)           \
    X(uint32_t, pageSwitch)                  \
    X(uint32_t, restartLamp)                 \
    X(uint32_t, pressMode)                   \
    X(uint32_t, releaseMode)                 \
    X(int32_t, runwayFarLeftX)               \
    X(int32_t, runwayFarLeftY)               \
    X(int32_t, runwayFarRightX)              \
    X(int32_t, runwayFarRightY)              \
    X(int32_t, runwayNearLeftX)              \
    X(int32_t, runwayNearLeftY)              \
    X(int32_t, runwayNearRightX)             \
    X(int32_t, runwayNearRightY)

// The record itself. Every member starts at zero: the game depends on it
// (state 0 is the first state, and the first approach after start-up flies
// with the airspeed, distance flown and bank that zero gives).
struct FlightState {
#define AVELUNE_DECLARE_MEMBER(type, name) type name = 0;
    AVELUNE_FLIGHT_STATE_MEMBERS(AVELUNE_DECLARE_MEMBER)
#undef AVELUNE_DECLARE_MEMBER
};

// The game states, by the numbers gameState holds (replays and saved records
// keep them). 2 and 5 are never entered; a value above 10 makes a tick do
// nothing.
enum GameState : uint32_t {
    kStateTitlePicture = 0,
    kStateInformationPage = 1,
    kStateTitleAnimation = 3,
    kStateCockpit = 4,
    kStateJudgement = 6,
    kStateFailure = 7,
    kStateWarning = 8,
    kStateSecondPage = 9,
    kStateFlightStep = 10,
};

// Which hit areas the mouse handlers test.
enum InputMode : uint32_t {
    kModeTitle = 0,
    kModeInformationPage = 1,
    kModeCockpit = 3,
};

// The positions of the panel's switches, as their members hold them: each
// switch has two values of its own, so one number says which switch and which
// way. A switch never set holds 0 and lights no lamp.
enum SwitchPosition : uint32_t {
    kDragOff = 1,             // dragSwitch
    kDragOn = 2,
    kLiftOff = 3,             // liftSwitch
    kLiftOn = 4,
    kTurbulenceOff = 5,       // turbulenceSwitch
    kTurbulenceOn = 6,
    kOutsideViewShown = 7,    // outsideViewSwitch: the view and the runway outline drawn
    kOutsideViewHidden = 8,
    kPageOff = 9,             // pageSwitch
    kPageOn = 10,             // the position that also opens the information page
    kRestartLampLit = 11,     // restartLamp, once a restart has been made
    kRestartLampPushed = 12,  // restartLamp while the restart is being made
};
