#include "platform/common/StateJson.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <type_traits>

namespace {

template <typename T>
void AppendValue(std::string& out, T value) {
    if constexpr (std::is_floating_point_v<T>) {
        char text[40];
        // JSON has no NaN or infinity.
        if (!std::isfinite(value)) {
            out += "null";
            return;
        }
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
        out += text;
    } else {
        out += std::to_string(value);
    }
}

}  // namespace

std::string FlightStateJson(const FlightState& s, bool timerRunning, bool quit) {
    std::string out = "{";
#define AVELUNE_JSON_MEMBER(type, name) \
    out += "\"" #name "\":";            \
    AppendValue<type>(out, s.name);     \
    out += ",";
    AVELUNE_FLIGHT_STATE_MEMBERS(AVELUNE_JSON_MEMBER)
#undef AVELUNE_JSON_MEMBER
    out += "\"timerRunning\":";
    out += timerRunning ? "true" : "false";
    out += ",\"quit\":";
    out += quit ? "true" : "false";
    out += "}";
    return out;
}
