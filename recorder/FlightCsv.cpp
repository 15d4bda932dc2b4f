#include "recorder/FlightCsv.h"

#include <cstdlib>

#include "game/Limits.h"

namespace recorder {

// Columns in the order the game's record keeps them, then what the player
// read off the instruments. climb_ft_per_s: the altitude's change since the
// previous row, per flight second (the first row has none). gs_readout: the
// G/S readout (0 with the bar centred, 50 ft off the 1-in-15 line);
// needle_from_centre: the localizer needle's distance from the centre line,
// right positive. sink_drift: the flight step's internal drift term.
std::string FormatCsv(const Recording& r) {
    std::string out =
        "step,tick,feet_to_go,distance_to_go_hundredths_mile,altitude_ft,climb_ft_per_s,airspeed_mph,sink_drift,"
        "power,pitch_steps,turn_rate,bank,heading_offset,lateral_offset,localizer_needle,needle_from_centre,"
        "gs_readout,judged\n";
    out.reserve(out.size() + r.samples.size() * 80);
    auto add = [&out](long long v) {
        out += std::to_string(v);
        out += ',';
    };
    const Sample* previous = nullptr;
    for (const Sample& s : r.samples) {
        add(s.step);
        add(s.tick);
        add(s.feetToGo);
        add(s.distanceToGo);
        add(s.altitude);
        if (previous != nullptr && s.step > previous->step) {
            const long long dz = static_cast<long long>(s.altitude) - previous->altitude;
            const long long dt = static_cast<long long>(s.step) - previous->step;
            out += std::to_string(dz / dt);
        }
        out += ',';
        add(s.airspeed);
        add(s.sinkDrift);
        add(s.power);
        add(s.pitch);
        add(s.turnRate);
        add(s.bank);
        add(s.headingOffset);
        add(s.lateralOffset);
        add(s.localizerNeedle);
        add(s.localizerNeedle - limits::kNeedleCentre);
        add(s.glideSlopeDeviation);
        out += JudgedName(s.judged);
        out += '\n';
        previous = &s;
    }
    return out;
}

}  // namespace recorder
