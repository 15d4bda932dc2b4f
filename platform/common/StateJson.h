// The flight state record as one JSON line: what the headless `state` event
// prints and what the web page's test calls return, so the two compare as text.
#pragma once

#include <string>

#include "game/FlightState.h"

// Every member of the record in declaration order, then timerRunning and quit.
std::string FlightStateJson(const FlightState& state, bool timerRunning, bool quit);
