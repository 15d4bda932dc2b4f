// What the hosts show at the menu bar's right end beside the picture, in
// one wording: in the cockpit, the power and the pitch step the controls set.
#pragma once

#include <string>

#include "game/FlightState.h"

// The cockpit is up (both press modes are its own).
inline bool ShowsPowerPitch(const FlightState& s) {
    return s.pressMode == kModeCockpit && s.releaseMode == kModeCockpit;
}

inline std::string PowerPitchText(int power, int pitch) {
    return "Power " + std::to_string(power) + "  Pitch " + std::to_string(pitch);
}
inline std::string PowerPitchText(const FlightState& s) {
    return PowerPitchText(static_cast<int>(s.power), s.pitch);
}
