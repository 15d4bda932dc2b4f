// The six round gauges of the panel, two rows of three at the right.
//
// All six share the needle mechanism; they differ only in where they stand
// and what drives them. Five of them shake by a fresh jitter on every picture,
// which costs one rand() each, always in the order of the table.
#include "cockpit/CockpitLayout.h"
#include "game/Arith.h"
#include "game/AveluneView.h"

namespace {

// The sweep gauge's needle goes once round the dial, frame 0 to 70, and over.
constexpr uint32_t kSweepLastFrame = 70;

// The value that drives a gauge, before any jitter.
using GaugeDrive = int32_t (*)(FlightState&);

int32_t PowerDrive(FlightState& s) { return static_cast<int32_t>(s.power); }
// One needle frame per thousand units of fuel; an overdrawn tank reads as a
// huge unsigned amount and shows no needle.
int32_t FuelDrive(FlightState& s) { return static_cast<int32_t>(s.fuel / 1000u); }
int32_t EngineADrive(FlightState& s) { return static_cast<int32_t>(s.enginePointerA); }
int32_t EngineBDrive(FlightState& s) { return static_cast<int32_t>(s.enginePointerB); }
// The sweep needle steps on once per picture whatever the aircraft does.
int32_t SweepDrive(FlightState& s) {
    s.sweepCounter += 1;
    if (s.sweepCounter > kSweepLastFrame) s.sweepCounter = 0;
    return static_cast<int32_t>(s.sweepCounter);
}

// One gauge: the layout members that place it (stored just before it is
// drawn; null for the block's corner gauge), their values, what drives it and
// whether it shakes.
struct PanelGauge {
    const char* name;
    int32_t FlightState::*offsetXMember;
    int32_t FlightState::*offsetYMember;
    int32_t offsetX, offsetY;
    GaugeDrive drive;
    bool jitter;
};

// The offsets of the second and third columns and of the second row.
constexpr int32_t kC1 = kGaugeColumnStep, kC2 = 2 * kGaugeColumnStep, kR1 = kGaugeRowStep;

// clang-format off
constexpr PanelGauge kPanelGauges[] = {
//   name            layout member x                          layout member y                         x    y  driving value  jitter
    {"power",        nullptr,                                 nullptr,                                0,   0, PowerDrive,   false},
    {"fuel",         &FlightState::gaugeUpperMiddleOffsetX,   nullptr,                              kC1,   0, FuelDrive,    true },
    {"engine B",     &FlightState::gaugeUpperRightOffsetX,    nullptr,                              kC2,   0, EngineBDrive, true },
    {"sweep",        &FlightState::gaugeLowerLeftOffsetX,     &FlightState::gaugeLowerLeftOffsetY,    0, kR1, SweepDrive,   true },
    {"engine A",     &FlightState::gaugeLowerMiddleOffsetX,   &FlightState::gaugeLowerMiddleOffsetY, kC1, kR1, EngineADrive, true },
    {"engine A too", &FlightState::gaugeLowerRightOffsetX,    &FlightState::gaugeLowerRightOffsetY,  kC2, kR1, EngineADrive, true },
};
// clang-format on

}  // namespace

void CAveluneView::DrawPanelGauges() {
    FlightState& record = *this;
    for (const PanelGauge& g : kPanelGauges) {
        int32_t offsetX = g.offsetX, offsetY = g.offsetY;
        if (g.offsetXMember != nullptr) offsetX = record.*g.offsetXMember = g.offsetX;
        if (g.offsetYMember != nullptr) offsetY = record.*g.offsetYMember = g.offsetY;
        int32_t value = g.drive(record);
        // Each shaking gauge draws its own jitter of up to three needle
        // frames, so the two engine A gauges usually stand a frame or two apart.
        if (g.jitter) value = WrapAdd(value, RandTenThousands());
        DrawNeedleGauge(kGaugeBlockX + offsetX, kGaugeBlockY + offsetY, value);
    }
}
