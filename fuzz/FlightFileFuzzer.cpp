// libFuzzer target: the flight-file reader. Whatever it accepts must be
// written and read again to the very same text; every refusal must name the
// file and quote nothing raw (no control byte reaches the message).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "flightfile/FlightFile.h"

namespace {

void CheckMessage(const std::string& message, const std::string& name) {
    if (message.rfind(name, 0) != 0) std::abort();
    for (const char c : message) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string name = "fuzz.avflight";
    const std::string text(reinterpret_cast<const char*>(data), size);
    flightfile::Flight flight;
    std::string error;
    if (!flightfile::ParseFlight(text, name, flight, error)) {
        CheckMessage(error, name);
        return 0;
    }
    const std::string once = flightfile::FormatFlight(flight);
    flightfile::Flight again;
    if (!flightfile::ParseFlight(once, name, again, error)) std::abort();
    if (flightfile::FormatFlight(again) != once) std::abort();
    return 0;
}
