// The sprite atlas catalogue: every rectangle the game cuts from prop.bmp,
// with its colour key, and the fixed screen places where it is drawn.
//
// The game draws from these names and the atlas generator paints these same
// rectangles, so a picture and its use cannot drift apart. Coordinates are
// pixels from the top-left corner of the atlas as seen (and of the surface).
// Ranges elsewhere in the game are inclusive; a rectangle here is its
// top-left corner and its size.
#pragma once

#include <cstdint>

// key: the palette index left transparent, or kOpaque.
struct Sprite {
    int16_t x, y, width, height, key;
};
constexpr int16_t kOpaque = -1;

// A sprite at its fixed place on the surface.
struct Placed {
    int16_t x, y;
    Sprite sprite;
};

constexpr int kAtlasWidth = 3200;
constexpr int kAtlasHeight = 2000;

// The 632 x 440 full-window pictures cover what the window's client area shows.
constexpr int kClientWidth = 632;
constexpr int kClientHeight = 440;

// Every sprite of the catalogue, written once: X(name, x, y, width, height, key).
// The constants below, the named table the generator, the tests and the
// fuzzer walk (kCatalogue), and nothing else are made from this list.
// clang-format off
#define AVELUNE_SPRITES(X) \
    /* Title and information screens */                                                                                \
    X(kTitlePicture,          1269,   439,   632,   439,   235)                                                        \
    X(kTitlePanel,            1277,  1790,   365,   210,   235)                                                        \
    X(kTitleBackground,        626,     0,   632,   439,   235)                                                        \
    X(kTitleBackgroundFull,    626,     0,   632,   440, kOpaque) /* the back button's opaque copy */                  \
    X(kTitleStrip,             687,   299,   513,    70,   248)                                                        \
    X(kTitleAnimA,               2,     3,   193,   189,   100) /* frames 0, 4, 8, 12 */                               \
    X(kTitleAnimB,             201,     3,   193,   189,   100) /* odd frames */                                       \
    X(kTitleAnimC,             397,     0,   193,   189,   100) /* frames 2, 6, 10, 14 */                              \
    X(kTitleMotif0,            275,   312,   266,   104,   100) /* frame mod 4 = 0 */                                  \
    X(kTitleMotif1,            275,   202,   266,   104,   100)                                                        \
    X(kTitleMotif2,              3,   312,   266,   104,   100)                                                        \
    X(kTitleMotif3,              3,   202,   266,   104,   100)                                                        \
    X(kAircraftA,              403,   424,    32,    32,   248) /* frames 3..8 */                                      \
    X(kAircraftB,              436,   424,    32,    32,   248) /* the other frames */                                 \
    X(kInformationPage,       1269,     0,   632,   440,   225)                                                        \
    X(kInformationBar,         671,  1147,   283,    43,    95) /* back, middle, continue */                           \
    X(kSecondPagePanel,       1277,  1577,   365,   210,   235)                                                        \
    X(kSecondPageQuit,         544,   310,    73,    35,    95) /* quit released, keyed 95 here */                     \
    X(kSecondPageBar,          339,   552,   283,    43,    95)                                                        \
    /* Buttons, pressed and released */                                                                                \
    X(kStartPressed,           544,   237,    73,    35,   255) /* also back, pressed */                               \
    X(kStartReleased,          544,   201,    73,    35,   255) /* also back, released */                              \
    X(kQuitPressed,            544,   273,    73,    35,   255)                                                        \
    X(kQuitReleased,           544,   310,    73,    35,   255)                                                        \
    X(kPagePressed,            585,   347,    34,    35,   255)                                                        \
    X(kPageReleased,           544,   347,    35,    35,   255)                                                        \
    X(kMiddleReleased,         545,   348,    35,    35,   255) /* the middle button: page released, one pixel over */ \
    X(kContinuePressed,        680,  1053,    73,    35,   255)                                                        \
    /* Cockpit panel and instruments */                                                                                \
    X(kBasePanel,              634,   473,   632,   440,     3)                                                        \
    X(kAttitudeWindow,         838,  1217,    63,    63,   247) /* column 0, row 0 of the band */                      \
    X(kAttitudeBezel1,        1735,  1402,    72,    72,   247)                                                        \
    X(kAttitudeBezel2,        1808,  1402,    72,    72,   247)                                                        \
    X(kAirspeedFace,             0,  1478,   109,   109,   247)                                                        \
    X(kAirspeedFaceOver,         0,  1478,   109,   109,   248) /* second pass over the needle */                      \
    X(kIlsFace,               1688,  1062,   107,   108,   255)                                                        \
    X(kLocalizerNeedle,       1880,  1242,     3,   102,   247)                                                        \
    X(kGlideSlopeBar,         1771,  1294,   102,     3,   247)                                                        \
    X(kIlsOverlay,            1825,  1062,   107,   108,    95)                                                        \
    X(kLargeDigit0,              0,  1190,    10,    16,    95) /* digit d at x + 12 d */                              \
    X(kSmallDigit0,            119,  1193,     7,    11,    95) /* digit d at x + 8 d */                               \
    X(kGaugeFace,             1029,   698,    64,    62,   248)                                                        \
    X(kScenery,                  0,  1590,  1277,   410,    95) /* the whole outside-view picture */                   \
    /* Cockpit controls */                                                                                             \
    X(kPadPressed,            1359,  1482,    22,    22,   255)                                                        \
    X(kPedalPressed,          1419,  1486,    35,    16,   255)                                                        \
    X(kFullPowerPressed,      1574,  1480,    22,    13,    95)                                                        \
    X(kPowerUpPressed,        1574,  1494,    22,    20,    95)                                                        \
    X(kPowerDownPressed,      1574,  1516,    22,    20,    95)                                                        \
    X(kIdlePowerPressed,      1574,  1537,    22,    13,    95)                                                        \
    X(kLeverUp,               1605,  1497,    24,    41,    95)                                                        \
    X(kLeverDown,             1630,  1497,    24,    41,    95)                                                        \
    /* Switch lamps */                                                                                                 \
    X(kDragLampOff,           1335,  1508,    80,    31,   255)                                                        \
    X(kDragLampOn,            1419,  1508,    80,    31,   255)                                                        \
    X(kLiftLampOff,           1337,  1540,    75,    31,   255)                                                        \
    X(kLiftLampOn,            1421,  1541,    75,    31,   255)                                                        \
    X(kTurbulenceLampOff,     1843,  1485,    59,    31,   255)                                                        \
    X(kTurbulenceLampOn,      1908,  1485,    59,    31,   255)                                                        \
    X(kViewLampOn,            1843,  1519,    59,    31,   255) /* 7: outside view drawn */                            \
    X(kViewLampOff,           1908,  1519,    59,    31,   255) /* 8: not drawn */                                     \
    X(kPageLampOff,           1782,  1484,    59,    31,   255)                                                        \
    X(kPageLampOn,            1782,  1518,    59,    31,   255)                                                        \
    X(kRestartLamp,           1721,  1484,    59,    31,   255)                                                        \
    /* Result screens */                                                                                               \
    X(kMessagePanel,             0,   770,   556,    64,   255) /* also the label panel */                             \
    X(kMessagePanelEnd,        477,   770,    79,    64,   255)                                                        \
    X(kWarningHeadline,          7,   865,   563,    26,   255)                                                        \
    X(kFailureHeadline,          8,   839,   563,    26,   255)                                                        \
    X(kArrivalHeadline,       1425,  1180,   515,    20,   255)                                                        \
    X(kWarningLampLit,        1737,  1345,    54,    29,   255)                                                        \
    X(kWarningLampDark,       1737,  1373,    54,    29,   255)                                                        \
    X(kCourseMessage,          254,  1192,   511,    20,   255)                                                        \
    X(kOverspeedMessage,       249,   912,   381,    22,   255)                                                        \
    X(kOverspeedEnd,          1675,  1038,    66,    22,   255)                                                        \
    X(kArrivalMessage,        1571,  1200,   370,    19,   255)                                                        \
    /* Information page: redraws of its own pixels, hover labels and previews */                                       \
    X(kPageView,              1286,    17,   612,   284,   187)                                                        \
    X(kPageStrip,             1269,   366,   632,    65,   187)                                                        \
    X(kLabelSignals,             3,   481,   168,    19,   255) /* row 1 */                                            \
    X(kLabelIls,                 3,   500,   407,    19,   255) /* row 2 */                                            \
    X(kLabelAirspeed,            3,   615,   493,    19,   255) /* rows 3, 4 */                                        \
    X(kLabelAltitude,            0,   637,   270,    22,   255) /* row 5 */                                            \
    X(kLabelAttitude,            5,   937,   447,    22,   255) /* row 6 */                                            \
    X(kLabelDrag,                0,   659,   312,    22,   255) /* row 7 */                                            \
    X(kLabelLift,                0,   680,   516,    24,   255) /* row 8 */                                            \
    X(kLabelTurbulence,          0,   703,   466,    23,   255) /* row 9 */                                            \
    X(kLabelOutsideView,         0,   727,   466,    23,   255) /* row 10 */                                           \
    X(kLabelPower,               0,   518,   411,    24,   255) /* row 11 */                                           \
    X(kLabelHeading,             0,   542,   257,    23,   255) /* row 12 */                                           \
    X(kLabelClimbRate,           7,   957,   447,    22,   255) /* row 13 */                                           \
    X(kLabelControlPad,          0,   566,   325,    24,   255) /* row 14 */                                           \
    X(kLabelPedals,              0,   589,   305,    24,   255) /* rows 15, 16 */                                      \
    X(kLabelPageSwitch,          6,   913,   229,    24,   255) /* row 17 */                                           \
    X(kLabelRestart,             0,   748,   204,    19,    22) /* row 18 */                                           \
    X(kPreviewCockpit,        1648,  1791,   351,   208,   254) /* row 19 */                                           \
    X(kPreviewApproach,       1648,  1578,   351,   208,   208) /* row 20 */
// clang-format on

namespace sprite {
#define AVELUNE_DEFINE_SPRITE(name, x, y, w, h, key) constexpr Sprite name{x, y, w, h, key};
AVELUNE_SPRITES(AVELUNE_DEFINE_SPRITE)
#undef AVELUNE_DEFINE_SPRITE
}  // namespace sprite

// The attitude indicator's band of bank pictures: column c (negative to the
// left) starts at kAttitudeWindow.x + 64 c, and horizonRow moves the window
// down from kAttitudeWindow.y. The band holds exactly the windows below, so
// the composition keeps its source inside them.
constexpr int kAttitudeColumnPitch = 64;
constexpr int kAttitudeMinColumn = -8;
constexpr int kAttitudeMaxColumn = 8;
constexpr int kAttitudeMaxRow = 197;  // horizonRow 0..197 (pitch 99..-98)
constexpr Sprite kAttitudeBand{
    static_cast<int16_t>(sprite::kAttitudeWindow.x + kAttitudeColumnPitch * kAttitudeMinColumn),
    sprite::kAttitudeWindow.y,
    static_cast<int16_t>(kAttitudeColumnPitch * (kAttitudeMaxColumn - kAttitudeMinColumn) + sprite::kAttitudeWindow.width),
    static_cast<int16_t>(kAttitudeMaxRow + sprite::kAttitudeWindow.height), 247};

// Digit d of a glyph set.
constexpr Sprite LargeDigit(int d) {
    return {static_cast<int16_t>(sprite::kLargeDigit0.x + 12 * d), sprite::kLargeDigit0.y,
            sprite::kLargeDigit0.width, sprite::kLargeDigit0.height, sprite::kLargeDigit0.key};
}
constexpr Sprite SmallDigit(int d) {
    return {static_cast<int16_t>(sprite::kSmallDigit0.x + 8 * d), sprite::kSmallDigit0.y,
            sprite::kSmallDigit0.width, sprite::kSmallDigit0.height, sprite::kSmallDigit0.key};
}

// One airspeed needle picture: where it lands on the surface and where it
// lies in the atlas (always key 95). Frame k points about 360 k / 71 degrees
// clockwise from straight up; the pivot is the dial's centre, about (197, 284).
struct AirspeedNeedle {
    int16_t destX, destY, srcX, srcY, width, height;
};
// One gauge needle picture, placed relative to the gauge face's top-left
// corner (always key 95). Entry k points 5 k degrees clockwise from up.
struct GaugeNeedle {
    int16_t dx, dy, srcX, srcY, width, height;
};
constexpr int kAirspeedNeedleCount = 71;
constexpr int kGaugeNeedleCount = 72;
constexpr int16_t kNeedleKey = 95;

extern const AirspeedNeedle kAirspeedNeedles[kAirspeedNeedleCount];
extern const GaugeNeedle kGaugeNeedles[kGaugeNeedleCount];

// Every named rectangle, for the generator and for the catalogue's own tests.
struct CatalogueEntry {
    const char* name;
    Sprite sprite;
};
extern const CatalogueEntry kCatalogue[];
extern const int kCatalogueSize;

// Pairs of entries that share pixels on purpose, and why.
struct SharedPixels {
    const char* first;
    const char* second;
    const char* reason;
};
extern const SharedPixels kSharedPixels[];
extern const int kSharedPixelsSize;
