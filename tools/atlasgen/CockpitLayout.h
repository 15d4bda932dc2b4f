// Where the cockpit's parts sit on the 632 x 440 panel (surface pixels), as
// the game's drawing and mouse code place them. Shared by the cockpit's
// painters so a control, its pressed picture and its lamp line up.
#pragma once

#include "gfx/AtlasCatalogue.h"

namespace layout {

struct Box {
    int x, y, w, h;  // top-left and size
};

// clang-format off
constexpr Box kWindscreen      {  20,  20, 590, 152 };
constexpr Box kAttitude        { 280, 224,  72,  72 };   // bezel; the picture is 63 x 63 at (285, 230)
constexpr Box kAttitudePicture { 285, 230,  63,  63 };
constexpr Box kIls             {  25, 230, 107, 108 };
constexpr Box kAirspeed        { 143, 230, 109, 109 };
constexpr Box kGauges[6]       {{395, 225, 64, 62}, {465, 225, 64, 62}, {535, 225, 64, 62},
                                {395, 308, 64, 62}, {465, 308, 64, 62}, {535, 308, 64, 62}};
constexpr const char* kGaugeNames[6] = {"POWER", "FUEL", "ENG B", "SWEEP", "ENG A", "ENG A"};

// Readout windows: the digits' own ranges.
constexpr Box kDistanceDigits  {  65, 208,  35,  16 };
constexpr Box kAirspeedDigits  { 207, 209,  23,  11 };
constexpr Box kAltitudeDigits  { 318, 209,  39,  11 };
constexpr Box kClimbDigits     { 356, 262,  23,  11 };
constexpr Box kHeadingDigits   { 299, 300,  34,  16 };
constexpr Box kGlideDigits     {  38, 274,  23,  11 };   // inside the ILS face
constexpr Box kCourseDigits    {  78, 294,  23,  11 };

// Controls: the pictures' places (the hit areas lie within them).
constexpr int kPadX[3] = {280, 304, 328};
constexpr int kPadY[3] = {323, 347, 371};
constexpr int kPadButton = 22;
constexpr Box kPedals[2]       {{245, 395, 35, 16}, {351, 395, 35, 16}};
constexpr Box kPowerFull       { 364, 320, 22, 13 };
constexpr Box kPowerUp         { 363, 335, 22, 20 };
constexpr Box kPowerDown       { 363, 356, 22, 20 };
constexpr Box kPowerIdle       { 363, 378, 22, 13 };
// Lever pictures are 24 x 41; their switch plate is rows 5..35 of that.
constexpr Box kLevers[6]       {{34, 341, 24, 41}, {34, 377, 24, 41}, {152, 341, 24, 41},
                                {152, 377, 24, 41}, {413, 377, 24, 41}, {507, 377, 24, 41}};
constexpr int kLeverPlateTop = 5, kLeverPlateBottom = 35;
// Lamp windows, in switch order: drag, lift, turbulence, view, page, restart.
constexpr Box kLamps[6]        {{61, 349, 80, 31}, {62, 382, 76, 32}, {181, 349, 59, 31},
                                {181, 383, 59, 31}, {442, 380, 59, 31}, {534, 380, 59, 31}};
constexpr const char* kLampNames[6] = {"DRAG", "LIFT", "TURB", "VIEW", "PAGE", "RESTART"};
// clang-format on

// Gauge dial: centre and radii in face coordinates (the needle pivot).
constexpr double kGaugeCentreX = 31.5, kGaugeCentreY = 30.5;
constexpr double kGaugeDialRadius = 27.0;
// The attitude picture's centre in bezel coordinates.
constexpr double kAttitudeCentreX = 36.5, kAttitudeCentreY = 37.5;
// Airspeed dial, in face coordinates.
constexpr double kAirspeedCentre = 54.5;
constexpr double kAirspeedDialRadius = 48.0;

}  // namespace layout
