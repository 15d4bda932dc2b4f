// The cockpit as the game itself composes it, for the pictures that show it
// (the guide, its in-flight preview, atlasgen --preview).
//
// The atlas painted so far is handed to the game's own view as a bitmap in
// memory; the view composes the cockpit for a chosen flight record with its
// own blitter, places and tables, then lights the switch lamps as the
// judgement does. The runway outline the game draws on the window is laid
// over the surface as the window shows it, black.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "Jobs.h"
#include "game/FlightState.h"

struct CockpitScene {
    FlightState record;             // what the instruments show
    std::vector<int> randValues;    // the rand() values the gauges' jitter draws, in order
    // The switch values whose lamps are lit after the composition (the lamp
    // pass reads them; the composition reads `record`'s).
    struct Lamps {
        uint32_t dragSwitch = 0, liftSwitch = 0, turbulenceSwitch = 0, outsideViewSwitch = 0, pageSwitch = 0,
                 restartLamp = 0;
    } lamps;
    // Cockpit press rows (input/ControlTables.h) shown held down.
    std::vector<std::string_view> pressed;
};

// A 632 x 440 picture of palette indices, rows top-down.
struct CockpitPicture {
    std::vector<uint8_t> pixels;
    uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * kClientWidth + x]; }
};

// Composes `scene` over a surface first filled with `background`. A
// generator fault (an atlas the game refuses, an unknown press row) stops
// the program with a message.
CockpitPicture ComposeCockpitThroughGame(const AtlasIndices& atlas, const CockpitScene& scene, uint8_t background);
