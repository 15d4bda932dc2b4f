// The hit areas of the press and release handlers and the hover rows of the
// information page, held as data: the handlers walk these tables in order
// and never repeat a rectangle in code.
//
// Every range here includes both of its ends: the upper-left pad button's
// x 281..301 holds 281 and 301 and misses 280 and 302. That is why the areas
// are InclusiveArea and tested with ContainsInclusive, never with a
// half-open rectangle.
#pragma once

#include <array>
#include <cstdint>
#include <iterator>
#include <span>

#include "game/FlightState.h"
#include "gfx/AtlasCatalogue.h"

namespace controls {

// A rectangle of window pixels, both ends of each range inside it.
struct InclusiveArea {
    int16_t left, right, top, bottom;
};

constexpr bool ContainsInclusive(const InclusiveArea& a, int x, int y) {
    return a.left <= x && x <= a.right && a.top <= y && y <= a.bottom;
}

// A row without a picture of its own (it only presents, or only changes state).
constexpr Placed kNoPicture{0, 0, {0, 0, 0, 0, kOpaque}};
constexpr bool HasPicture(const Placed& p) { return p.sprite.width != 0; }

// ---- Presses -----------------------------------------------------------------

enum PressAction : uint8_t {
    kStartPress,       // timer re-armed first; the picture is realised, not shown
    kPresentOnly,      // picture (if any), present; nothing changes
    kContinuePress,    // present; gameState 9 (the release re-arms the tick)
    kSteer,            // pitch by a, turn by b (a corner does both)
    kPowerSet,         // power := a
    kPowerAdd,         // power += a
    kSetSwitch,        // *member := a
    kPageSwitchOn,     // pageSwitch := a; present; then gameState 1
    kRestart,          // the restart set-up, timer re-armed, present
    kQuit,             // present, then ask the program to end
};

// One press area: what it draws, and what it does (a, b and member are the
// action's arguments, unused where the action needs none).
struct PressRow {
    const char* name;
    InclusiveArea area;
    Placed picture;
    PressAction action;
    int32_t a, b;
    uint32_t FlightState::*member;
};

// The switches a lever press sets.
constexpr auto kDrag = &FlightState::dragSwitch;
constexpr auto kLift = &FlightState::liftSwitch;
constexpr auto kTurbulence = &FlightState::turbulenceSwitch;
constexpr auto kOutsideView = &FlightState::outsideViewSwitch;
constexpr auto kPage = &FlightState::pageSwitch;

// clang-format off
//                                         x            y          picture at, sprite                           action           a   b   member
constexpr PressRow kTitlePresses[] = {
    {"start",              {299, 370, 202, 253}, {298, 219, sprite::kStartPressed},      kStartPress,      0,  0, nullptr},
    {"page",               {420, 451, 221, 253}, {420, 219, sprite::kPagePressed},       kPresentOnly,     0,  0, nullptr},
    {"quit",               {492, 572, 221, 253}, {497, 219, sprite::kQuitPressed},       kPresentOnly,     0,  0, nullptr},
};

constexpr PressRow kInformationPresses[] = {
    {"back",               {181, 253, 376, 409}, {178, 375, sprite::kStartPressed},      kPresentOnly,     0,  0, nullptr},
    {"middle",             {301, 333, 376, 409}, kNoPicture,                             kPresentOnly,     0,  0, nullptr},
    {"continue",           {381, 453, 376, 409}, {378, 375, sprite::kContinuePressed},   kContinuePress,   0,  0, nullptr},
};

// Pad and pedals: a is the pitch step (-1 nose down), b the turn step (-1 to
// the left); the pedals steer like the pad's side columns.
constexpr PressRow kCockpitPresses[] = {
    {"pad upper left",     {281, 301, 324, 344}, {280, 323, sprite::kPadPressed},        kSteer,          -1, -1, nullptr},
    {"pad up",             {305, 325, 324, 344}, {304, 323, sprite::kPadPressed},        kSteer,          -1,  0, nullptr},
    {"pad upper right",    {329, 349, 324, 344}, {328, 323, sprite::kPadPressed},        kSteer,          -1,  1, nullptr},
    {"pad left",           {281, 301, 348, 368}, {280, 347, sprite::kPadPressed},        kSteer,           0, -1, nullptr},
    {"pad centre",         {305, 325, 348, 368}, kNoPicture,                             kPresentOnly,     0,  0, nullptr},
    {"pad right",          {329, 349, 348, 368}, {328, 347, sprite::kPadPressed},        kSteer,           0,  1, nullptr},
    {"pad lower left",     {281, 301, 372, 392}, {280, 371, sprite::kPadPressed},        kSteer,           1, -1, nullptr},
    {"pad down",           {305, 325, 372, 394}, {304, 371, sprite::kPadPressed},        kSteer,           1,  0, nullptr},
    {"pad lower right",    {329, 349, 372, 392}, {328, 371, sprite::kPadPressed},        kSteer,           1,  1, nullptr},
    {"left pedal",         {246, 278, 395, 409}, {245, 395, sprite::kPedalPressed},      kSteer,           0, -1, nullptr},
    {"right pedal",        {352, 384, 395, 409}, {351, 395, sprite::kPedalPressed},      kSteer,           0,  1, nullptr},
    {"full power",         {364, 384, 321, 330}, {364, 320, sprite::kFullPowerPressed},  kPowerSet,       75,  0, nullptr},
    {"power up",           {364, 384, 333, 351}, {363, 335, sprite::kPowerUpPressed},    kPowerAdd,        1,  0, nullptr},
    {"power down",         {364, 384, 357, 375}, {363, 356, sprite::kPowerDownPressed},  kPowerAdd,       -1,  0, nullptr},
    {"idle power",         {364, 384, 378, 389}, {363, 378, sprite::kIdlePowerPressed},  kPowerSet,        5,  0, nullptr},
    {"drag on",            { 35,  57, 340, 363}, { 34, 341, sprite::kLeverUp},           kSetSwitch,      kDragOn,             0, kDrag},
    {"drag off",           { 35,  57, 366, 375}, { 34, 341, sprite::kLeverDown},         kSetSwitch,      kDragOff,            0, kDrag},
    {"lift on",            { 35,  57, 378, 399}, { 34, 377, sprite::kLeverUp},           kSetSwitch,      kLiftOn,             0, kLift},
    {"lift off",           { 35,  57, 401, 424}, { 34, 377, sprite::kLeverDown},         kSetSwitch,      kLiftOff,            0, kLift},
    {"turbulence on",      {155, 177, 340, 363}, {152, 341, sprite::kLeverUp},           kSetSwitch,      kTurbulenceOn,       0, kTurbulence},
    {"turbulence off",     {155, 177, 366, 375}, {152, 341, sprite::kLeverDown},         kSetSwitch,      kTurbulenceOff,      0, kTurbulence},
    {"outside view off",   {155, 177, 378, 399}, {152, 377, sprite::kLeverUp},           kSetSwitch,      kOutsideViewHidden,  0, kOutsideView},
    {"outside view on",    {155, 177, 401, 424}, {152, 377, sprite::kLeverDown},         kSetSwitch,      kOutsideViewShown,   0, kOutsideView},
    {"page switch on",     {414, 436, 378, 399}, {413, 377, sprite::kLeverUp},           kPageSwitchOn,   kPageOn,             0, kPage},
    {"page switch off",    {414, 436, 401, 424}, {413, 377, sprite::kLeverDown},         kSetSwitch,      kPageOff,            0, kPage},
    {"restart",            {508, 529, 378, 399}, {507, 377, sprite::kLeverUp},           kRestart,         0,  0, nullptr},
    {"quit",               {508, 529, 401, 424}, {507, 377, sprite::kLeverDown},         kQuit,            0,  0, nullptr},
};
// clang-format on
static_assert(std::size(kTitlePresses) == 3 && std::size(kInformationPresses) == 3);
static_assert(std::size(kCockpitPresses) == 9 + 2 + 4 + 2 * 6);  // pad, pedals, power, six switches

// The presses live in an input mode; any other mode has none.
constexpr std::span<const PressRow> PressAreas(uint32_t pressMode) {
    switch (pressMode) {
    case kModeTitle: return kTitlePresses;
    case kModeInformationPage: return kInformationPresses;
    case kModeCockpit: return kCockpitPresses;
    default: return {};
    }
}

// ---- Releases ----------------------------------------------------------------

enum ReleaseAction : uint8_t {
    kStartRelease,     // present; gameState 4
    kMiddleRelease,    // present; nothing changes
    kQuitRelease,      // present; the program ends, the handler stops here
    kBackRelease,      // present; the title background shown at once; re-arm; gameState 0
    kPageRelease,      // present; gameState 1
    kContinueRelease,  // present; re-arm; gameState 9; cockpit presses live
};

struct ReleaseRow {
    const char* name;
    InclusiveArea area;
    Placed picture;
    ReleaseAction action;
};

// clang-format off
// The title screen tests every row, in order (stopping after a quit); the
// information pages test the rows from back on.
//                                         x            y          picture at, sprite                        action
constexpr ReleaseRow kReleases[] = {
    {"start",              {299, 370, 202, 253}, {298, 219, sprite::kStartReleased},   kStartRelease},
    {"middle",             {301, 333, 376, 409}, {298, 375, sprite::kMiddleReleased},  kMiddleRelease},
    {"quit",               {492, 572, 221, 253}, {497, 219, sprite::kQuitReleased},    kQuitRelease},
    {"back",               {181, 253, 376, 409}, {178, 375, sprite::kStartReleased},   kBackRelease},
    {"page",               {420, 451, 221, 253}, {418, 219, sprite::kPageReleased},    kPageRelease},
    {"continue",           {381, 453, 376, 409}, kNoPicture,                           kContinueRelease},
};
// clang-format on
static_assert(std::size(kReleases) == 6);
constexpr size_t kFirstPageRelease = 3;  // back: where the information pages' releases begin

constexpr std::span<const ReleaseRow> ReleaseAreas(uint32_t releaseMode) {
    switch (releaseMode) {
    case kModeTitle: return kReleases;
    case kModeInformationPage: return std::span<const ReleaseRow>(kReleases).subspan(kFirstPageRelease);
    default: return {};
    }
}

// ---- Hover rows of the information page -----------------------------------------

// The drawing steps a hover row is made of, in the order it makes them.
enum HoverStep : uint8_t {
    kEnd,       // no more steps
    kPanel,     // the empty label panel
    kView,      // the page's own upper part, which takes a preview away
    kStrip,     // the page's own bottom strip, which takes the panel away
    kPicture,   // the row's label or preview picture
};

// The fixed places of the first three steps.
constexpr Placed kLabelPanel{34, 366, sprite::kMessagePanel};
constexpr Placed kViewRedraw{17, 17, sprite::kPageView};
constexpr Placed kStripRedraw{0, 366, sprite::kPageStrip};

struct HoverRow {
    const char* name;
    InclusiveArea area;
    std::array<HoverStep, 3> steps;
    Placed picture;
};

// clang-format off
// Rows 1..18 put up a label, 19 and 20 a preview, 21..36 clear. Every row
// is tested on every move, so a point in several rows gets each in turn.
//                                         x            y          steps                       picture at, sprite
constexpr HoverRow kHoverRows[] = {
    {"signals",            { 32, 104, 155, 175}, {kPanel, kPicture, kEnd},   {235, 388, sprite::kLabelSignals}},      //  1
    {"ils",                { 28, 132, 181, 285}, {kPanel, kPicture, kEnd},   {110, 388, sprite::kLabelIls}},          //  2
    {"airspeed digits",    {150, 234, 156, 172}, {kPanel, kPicture, kEnd},   { 68, 388, sprite::kLabelAirspeed}},     //  3
    {"airspeed dial",      {144, 252, 181, 287}, {kPanel, kPicture, kEnd},   { 68, 388, sprite::kLabelAirspeed}},     //  4
    {"altitude",           {272, 361, 155, 172}, {kPanel, kPicture, kEnd},   {188, 388, sprite::kLabelAltitude}},     //  5
    {"attitude",           {283, 351, 178, 243}, {kPanel, kPicture, kEnd},   { 89, 388, sprite::kLabelAttitude}},     //  6
    {"drag",               { 63, 140, 300, 327}, {kPanel, kPicture, kEnd},   {178, 388, sprite::kLabelDrag}},         //  7
    {"lift",               { 63, 138, 335, 362}, {kPanel, kView, kPicture},  { 54, 385, sprite::kLabelLift}},         //  8
    {"turbulence",         {184, 240, 301, 327}, {kPanel, kPicture, kEnd},   { 78, 385, sprite::kLabelTurbulence}},   //  9
    {"outside view",       {182, 239, 334, 361}, {kView, kPanel, kPicture},  { 80, 385, sprite::kLabelOutsideView}},  // 10
    {"power",              {363, 386, 273, 336}, {kPanel, kPicture, kEnd},   {113, 386, sprite::kLabelPower}},        // 11
    {"heading",            {300, 336, 250, 265}, {kPanel, kPicture, kEnd},   {188, 385, sprite::kLabelHeading}},      // 12
    {"climb rate",         {355, 381, 194, 223}, {kPanel, kPicture, kEnd},   {109, 388, sprite::kLabelClimbRate}},    // 13
    {"control pad",        {280, 352, 272, 342}, {kPanel, kPicture, kEnd},   {148, 386, sprite::kLabelControlPad}},   // 14
    {"left pedal",         {244, 282, 342, 361}, {kPanel, kPicture, kEnd},   {158, 386, sprite::kLabelPedals}},       // 15
    {"right pedal",        {351, 388, 342, 361}, {kView, kPanel, kPicture},  {158, 386, sprite::kLabelPedals}},       // 16
    {"page switch",        {444, 501, 330, 358}, {kView, kPanel, kPicture},  {204, 386, sprite::kLabelPageSwitch}},   // 17
    {"restart",            {537, 583, 331, 358}, {kPanel, kPicture, kEnd},   {214, 388, sprite::kLabelRestart}},      // 18
    {"cockpit preview",    { 97, 174, 372, 412}, {kPicture, kEnd, kEnd},     {134,  34, sprite::kPreviewCockpit}},    // 19
    {"approach preview",   {381, 451, 377, 408}, {kPicture, kEnd, kEnd},     {134,  34, sprite::kPreviewApproach}},   // 20
    {"gap by signals",     {108, 147, 155, 180}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 21
    {"top band",           {  1, 639,   1, 154}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 22
    {"gap right of ils",   {134, 141, 181, 287}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 23
    {"gap above climb",    {365, 391, 153, 190}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 24
    {"right of climb",     {388, 396, 190, 267}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 25
    {"below climb",        {356, 383, 231, 267}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 26
    {"gap by altitude",    {238, 267, 154, 175}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 27
    {"column by pad",      {255, 276, 178, 337}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 28
    {"rule over switches", { 18, 276, 291, 295}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 29
    {"left of pad",        {244, 275, 301, 337}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 30
    {"left margin",        {  1,  21, 151, 432}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 31
    {"pad middle row",     {285, 346, 348, 368}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 32
    {"bottom strip",       {  1, 626, 364, 431}, {kStrip, kEnd, kEnd},       kNoPicture},                             // 33
    {"panel top edge",     { 65, 212, 367, 369}, {kView, kStrip, kEnd},      kNoPicture},                             // 34
    {"panel left end",     { 62,  92, 371, 432}, {kView, kStrip, kEnd},      kNoPicture},                             // 35
    {"panel foot",         { 97, 188, 415, 432}, {kView, kStrip, kEnd},      kNoPicture},                             // 36
};
// clang-format on
static_assert(std::size(kHoverRows) == 36);

}  // namespace controls
