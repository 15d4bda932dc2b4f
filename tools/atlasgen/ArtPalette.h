// The atlas's 256 colours.
//
// Indices 0..9 and 246..255 are the classic static colours of a 256-colour
// desktop (what the game shows there whatever the atlas says); 10..245 are
// ramps made for this art. The colour keys the game uses are given colours of
// their own and are never reached by mapping a painted colour: a picture gets
// them only as its transparent background or from a finishing step.
#pragma once

#include <array>
#include <cstdint>

struct Rgb8 {
    uint8_t r, g, b;
};

// The ramps of indices 10..245, each dark to light. A ramp's steps are
// consecutive indices except where a reserved index falls inside it.
enum class Ramp : uint8_t {
    Panel,       // blue-grey cockpit metal
    Grey,        // neutral greys for instruments, black to near-white
    Amber,       // readouts, lit lamps
    Green,       // readouts, lit lamps, radar green
    Red,         // warning lamps
    Sky,         // deep blue at the zenith to haze at the horizon
    Horizon,     // the attitude indicator's sky blue
    Earth,       // the attitude indicator's ground brown
    Grass,       // fields and meadows
    Soil,        // ploughed fields, tracks
    Crop,        // ripe fields
    Hills,       // distant hills, blue-green
    Asphalt,     // runway and roads
    Roof,        // town roofs
    Wall,        // town walls
    Navy,        // title and page backgrounds
    Gold,        // title lettering
    Violet,      // title and page accents
    Cyan,        // title and page accents
    Skin,        // figures and warm highlights
    Cube,        // 4 x 4 x 4 general colours, r-major
};

// Number of steps in a ramp, and the index of one step (clamped to the ramp).
int RampIndex(Ramp ramp, int step);

// Colour keys the game uses, each its own fixed colour in the atlas.
constexpr int kKeyLabelRestart = 22;
constexpr int kKeySprite = 95;      // scenery, needles, digits, levers, overlays
constexpr int kKeyTitleAnim = 100;
constexpr int kKeyPageRedraw = 187;
constexpr int kKeyPreviewApproach = 208;
constexpr int kKeyInformationPage = 225;
constexpr int kKeyTitle = 235;
constexpr int kKeyBezel = 247;      // a classic grey, reserved for keys
constexpr int kKeyDial = 248;       // a classic grey: where needles show

// The whole table as the BMP file carries it.
const std::array<Rgb8, 256>& AtlasPalette();
// Whether mapping a painted colour may never produce this index.
bool IsReservedIndex(int index);
// The nearest allowed palette colour to (r, g, b), never `excluded` nor a
// reserved index. An exact palette colour maps to itself.
int NearestIndex(int r, int g, int b, int excluded);
