// Where the fixed parts of the cockpit picture stand on the surface.
//
// The composition draws every instrument, readout and gauge at these places,
// and the atlas generator paints the base panel's mounts, readout windows and
// unlit digit segments at the same ones, so a picture and the place it is
// used at cannot drift apart. The switch lamps' places are the lamp table's
// (game/SwitchLamps.h), the controls' the press table's (input/ControlTables.h),
// the windscreen's CockpitGeometry.h's.
#pragma once

#include <cstdint>

#include "cockpit/CockpitGeometry.h"
#include "cockpit/Readouts.h"
#include "gfx/AtlasCatalogue.h"

// clang-format off
// The base panel and the three indicators.
constexpr Placed       kBasePanelAt          {  0,   0, sprite::kBasePanel};
constexpr CockpitPoint kAttitudeWindowAt     {285, 230};
constexpr Placed       kAttitudeBezels[] = {
                                              {280, 224, sprite::kAttitudeBezel1},
                                              {280, 224, sprite::kAttitudeBezel2},
};
constexpr Placed       kAirspeedFaceAt       {143, 230, sprite::kAirspeedFace};
constexpr Placed       kAirspeedFaceOverAt   {143, 230, sprite::kAirspeedFaceOver};
constexpr Placed       kIlsFaceAt            { 25, 230, sprite::kIlsFace};
constexpr int32_t      kLocalizerLeft        = 27;   // needle's left edge at localizerNeedle 0
constexpr int32_t      kLocalizerTop         = 232;
constexpr int32_t      kGlideSlopeBarLeft    = 28;
constexpr Placed       kIlsOverlayAt         { 25, 230, sprite::kIlsOverlay};
// clang-format on

// The six round gauges: two rows of three faces, the block's top-left face
// at (395, 225) and the others 70 columns and 83 rows apart.
constexpr int32_t kGaugeBlockX = 395;
constexpr int32_t kGaugeBlockY = 225;
constexpr int32_t kGaugeColumnStep = 70;
constexpr int32_t kGaugeRowStep = 83;
constexpr int kGaugeColumns = 3;
constexpr int kGaugeRows = 2;
// The face's top-left corner of the gauge in `column` (0..2) and `row` (0..1).
constexpr CockpitPoint GaugeFaceAt(int column, int row) {
    return {kGaugeBlockX + kGaugeColumnStep * column, kGaugeBlockY + kGaugeRowStep * row};
}

// ---- Readouts ----------------------------------------------------------------

enum class Glyphs { kLarge, kSmall };

constexpr Sprite Glyph(Glyphs glyphs, int digit) {
    return glyphs == Glyphs::kLarge ? LargeDigit(digit) : SmallDigit(digit);
}

// One readout's glyph set and the top-left corner of each digit position,
// most significant first.
struct ReadoutLayout {
    const char* name;
    Glyphs glyphs;
    int positions;
    struct At {
        int16_t x, y;
    } at[kMaxReadoutPositions];
};

// clang-format off
//                                                   glyphs          n   digit positions
constexpr ReadoutLayout kDistanceReadout    { "distance",    Glyphs::kLarge, 3, {{ 65, 208}, { 78, 208}, { 90, 208}} };
constexpr ReadoutLayout kHeadingReadout     { "heading",     Glyphs::kLarge, 3, {{299, 300}, {311, 300}, {323, 300}} };
constexpr ReadoutLayout kAirspeedReadout    { "airspeed",    Glyphs::kSmall, 3, {{207, 209}, {215, 209}, {223, 209}} };
constexpr ReadoutLayout kAltitudeReadout    { "altitude",    Glyphs::kSmall, 5, {{318, 209}, {326, 209}, {334, 209}, {342, 209}, {350, 209}} };
constexpr ReadoutLayout kClimbRateReadout   { "climb rate",  Glyphs::kSmall, 3, {{356, 262}, {364, 262}, {372, 262}} };
constexpr ReadoutLayout kGlideSlopeReadout  { "glide slope", Glyphs::kSmall, 3, {{ 38, 274}, { 46, 274}, { 54, 274}} };
constexpr ReadoutLayout kCourseReadout      { "course",      Glyphs::kSmall, 3, {{ 78, 294}, { 86, 294}, { 94, 294}} };
// clang-format on

// The readouts drawn over the base panel, and the two inside the ILS face.
constexpr const ReadoutLayout* kPanelReadouts[] = {&kDistanceReadout, &kHeadingReadout, &kAirspeedReadout,
                                                   &kAltitudeReadout, &kClimbRateReadout};
constexpr const ReadoutLayout* kIlsReadouts[] = {&kGlideSlopeReadout, &kCourseReadout};
