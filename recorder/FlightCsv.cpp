#include "recorder/FlightCsv.h"

namespace recorder {

std::string FormatCsv(const Recording& r) {
    std::string out =
        "step,tick,feet_to_go,distance_to_go_hundredths_mile,altitude_ft,airspeed_mph,sink_rate,power,pitch,bank,"
        "heading_offset,lateral_offset,localizer_needle,glide_slope_deviation_ft,judged\n";
    out.reserve(out.size() + r.samples.size() * 64);
    auto add = [&out](long long v) {
        out += std::to_string(v);
        out += ',';
    };
    for (const Sample& s : r.samples) {
        add(s.step);
        add(s.tick);
        add(s.feetToGo);
        add(s.distanceToGo);
        add(s.altitude);
        add(s.airspeed);
        add(s.sinkRate);
        add(s.power);
        add(s.pitch);
        add(s.bank);
        add(s.headingOffset);
        add(s.lateralOffset);
        add(s.localizerNeedle);
        add(s.glideSlopeDeviation);
        out += JudgedName(s.judged);
        out += '\n';
    }
    return out;
}

}  // namespace recorder
