// Where the cockpit's parts sit on the 632 x 440 panel (surface pixels), read
// from the tables the game draws and tests the mouse with: the composition's
// places (cockpit/CockpitLayout.h), the press table's pictures
// (input/ControlTables.h) and the lamp table (game/SwitchLamps.h). The
// cockpit's painters use these so a control, its pressed picture and its lamp
// line up with the game's use of them; only what the game does not place (the
// dials' centres, the legends) is the generator's own.
#pragma once

#include <algorithm>
#include <string_view>

#include "cockpit/CockpitGeometry.h"
#include "cockpit/CockpitLayout.h"
#include "game/SwitchLamps.h"
#include "gfx/AtlasCatalogue.h"
#include "input/ControlTables.h"

namespace layout {

struct Box {
    int x, y, w, h;  // top-left and size
};

constexpr Box BoxOf(const Placed& p) { return {p.x, p.y, p.sprite.width, p.sprite.height}; }

// The smallest box holding both.
constexpr Box Union(const Box& a, const Box& b) {
    const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    return {left, top, std::max(a.x + a.w, b.x + b.w) - left, std::max(a.y + a.h, b.y + b.h) - top};
}

// The picture of the cockpit press row `name`; a name the table lacks stops the build.
constexpr Placed PressPicture(std::string_view name) {
    for (const controls::PressRow& row : controls::kCockpitPresses) {
        if (name == row.name) return row.picture;
    }
    throw "no cockpit press row of that name";
}

// Both lamp pictures of a switch, as one window.
constexpr Box LampWindow(uint32_t FlightState::*member) {
    Box window{0, 0, 0, 0};
    for (const LampRow& row : kLamps) {
        if (row.member != member) continue;
        window = window.w == 0 ? BoxOf(row.lamp) : Union(window, BoxOf(row.lamp));
    }
    return window;
}

// clang-format off
constexpr Box kWindscreen      { kViewLeft, kViewTop, static_cast<int>(kViewColumns), static_cast<int>(kViewRows) };
constexpr Box kAttitude        = BoxOf(kAttitudeBezels[0]);
constexpr Box kAttitudePicture { kAttitudeWindowAt.x, kAttitudeWindowAt.y, sprite::kAttitudeWindow.width, sprite::kAttitudeWindow.height };
constexpr Box kIls             = BoxOf(kIlsFaceAt);
constexpr Box kAirspeed        = BoxOf(kAirspeedFaceAt);

constexpr Box GaugeBox(int column, int row) {
    return {GaugeFaceAt(column, row).x, GaugeFaceAt(column, row).y, sprite::kGaugeFace.width, sprite::kGaugeFace.height};
}
constexpr Box kGauges[6]       { GaugeBox(0, 0), GaugeBox(1, 0), GaugeBox(2, 0), GaugeBox(0, 1), GaugeBox(1, 1), GaugeBox(2, 1) };
constexpr const char* kGaugeNames[6] = {"POWER", "FUEL", "ENG B", "SWEEP", "ENG A", "ENG A"};

// Controls: the pressed pictures' places (the hit areas lie within them).
constexpr int kPadX[3] = { PressPicture("pad upper left").x, PressPicture("pad up").x, PressPicture("pad upper right").x };
constexpr int kPadY[3] = { PressPicture("pad upper left").y, PressPicture("pad left").y, PressPicture("pad lower left").y };
constexpr Box kPedals[2]       { BoxOf(PressPicture("left pedal")), BoxOf(PressPicture("right pedal")) };
constexpr Box kPowerFull       = BoxOf(PressPicture("full power"));
constexpr Box kPowerUp         = BoxOf(PressPicture("power up"));
constexpr Box kPowerDown       = BoxOf(PressPicture("power down"));
constexpr Box kPowerIdle       = BoxOf(PressPicture("idle power"));
// Lever pictures are 24 x 41; their switch plate is rows 5..35 of that. In
// switch order: drag, lift, turbulence, view, page, restart.
constexpr Box kLevers[6]       { BoxOf(PressPicture("drag on")), BoxOf(PressPicture("lift on")),
                                 BoxOf(PressPicture("turbulence on")), BoxOf(PressPicture("outside view off")),
                                 BoxOf(PressPicture("page switch on")), BoxOf(PressPicture("restart")) };
constexpr int kLeverPlateTop = 5, kLeverPlateBottom = 35;
// Lamp windows, in the same switch order.
constexpr Box kLamps[6]        { LampWindow(&FlightState::dragSwitch), LampWindow(&FlightState::liftSwitch),
                                 LampWindow(&FlightState::turbulenceSwitch), LampWindow(&FlightState::outsideViewSwitch),
                                 LampWindow(&FlightState::pageSwitch), LampWindow(&FlightState::restartLamp) };
constexpr const char* kLampNames[6] = {"DRAG", "LIFT", "TURB", "VIEW", "PAGE", "RESTART"};
// clang-format on

// A readout's window: from its first digit position to the end of its last glyph.
constexpr Box ReadoutBox(const ReadoutLayout& r) {
    const Sprite glyph = Glyph(r.glyphs, 0);
    return {r.at[0].x, r.at[0].y, r.at[r.positions - 1].x + glyph.width - r.at[0].x, glyph.height};
}

// Gauge dial: centre and radii in face coordinates (the needle pivot).
constexpr double kGaugeCentreX = 31.5, kGaugeCentreY = 30.5;
constexpr double kGaugeDialRadius = 27.0;
// The attitude picture's centre in bezel coordinates.
constexpr double kAttitudeCentreX = 36.5, kAttitudeCentreY = 37.5;
// Airspeed dial, in face coordinates.
constexpr double kAirspeedCentre = 54.5;
constexpr double kAirspeedDialRadius = 48.0;

}  // namespace layout
