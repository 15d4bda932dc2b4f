// The switch lamps: the lamp each switch position lights, where it stands,
// and what the position does to the flight while the approach is judged.
//
// The judgement walks this table every flight cycle; the atlas generator
// paints the panel's dark lamp windows where these lamps stand.
#pragma once

#include <cstdint>

#include "game/FlightState.h"
#include "gfx/AtlasCatalogue.h"

enum class SwitchEffect : uint8_t { kNone, kDrag, kLift, kTurbulence };

// One value of one switch: the lamp it lights, what it does to the flight,
// and whether the window is shown at once.
struct LampRow {
    uint32_t FlightState::*member;
    uint32_t value;
    Placed lamp;
    SwitchEffect effect;
    bool presents;
};

// clang-format off
// In the order the switches are acted on; a switch holding no listed value
// (0 until the player first sets it) lights nothing.
constexpr LampRow kLamps[] = {
    // switch                          value              lamp at, sprite                          effect                     presents
    {&FlightState::dragSwitch,         kDragOff,           { 61, 349, sprite::kDragLampOff},       SwitchEffect::kNone,       true },
    {&FlightState::dragSwitch,         kDragOn,            { 61, 349, sprite::kDragLampOn},        SwitchEffect::kDrag,       true },
    {&FlightState::liftSwitch,         kLiftOff,           { 63, 382, sprite::kLiftLampOff},       SwitchEffect::kNone,       false},
    {&FlightState::liftSwitch,         kLiftOn,            { 62, 383, sprite::kLiftLampOn},        SwitchEffect::kLift,       true },
    {&FlightState::turbulenceSwitch,   kTurbulenceOff,     {181, 349, sprite::kTurbulenceLampOff}, SwitchEffect::kNone,       false},
    {&FlightState::turbulenceSwitch,   kTurbulenceOn,      {181, 349, sprite::kTurbulenceLampOn},  SwitchEffect::kTurbulence, true },
    {&FlightState::outsideViewSwitch,  kOutsideViewShown,  {181, 383, sprite::kViewLampOn},        SwitchEffect::kNone,       false},
    {&FlightState::outsideViewSwitch,  kOutsideViewHidden, {181, 383, sprite::kViewLampOff},       SwitchEffect::kNone,       true },
    {&FlightState::pageSwitch,         kPageOff,           {442, 380, sprite::kPageLampOff},       SwitchEffect::kNone,       false},
    {&FlightState::pageSwitch,         kPageOn,            {442, 380, sprite::kPageLampOn},        SwitchEffect::kNone,       true },
    {&FlightState::restartLamp,        kRestartLampLit,    {534, 380, sprite::kRestartLamp},       SwitchEffect::kNone,       false},
};
// clang-format on
