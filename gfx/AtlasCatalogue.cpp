#include "gfx/AtlasCatalogue.h"

#define AVELUNE_ENTRY(n) {#n, sprite::n}

// clang-format off
const CatalogueEntry kCatalogue[] = {
    AVELUNE_ENTRY(kTitlePicture),      AVELUNE_ENTRY(kTitlePanel),        AVELUNE_ENTRY(kTitleBackground),
    AVELUNE_ENTRY(kTitleBackgroundFull), AVELUNE_ENTRY(kTitleStrip),      AVELUNE_ENTRY(kTitleAnimA),
    AVELUNE_ENTRY(kTitleAnimB),        AVELUNE_ENTRY(kTitleAnimC),        AVELUNE_ENTRY(kTitleMotif0),
    AVELUNE_ENTRY(kTitleMotif1),       AVELUNE_ENTRY(kTitleMotif2),       AVELUNE_ENTRY(kTitleMotif3),
    AVELUNE_ENTRY(kAircraftA),         AVELUNE_ENTRY(kAircraftB),         AVELUNE_ENTRY(kInformationPage),
    AVELUNE_ENTRY(kInformationBar),    AVELUNE_ENTRY(kSecondPagePanel),   AVELUNE_ENTRY(kSecondPageQuit),
    AVELUNE_ENTRY(kSecondPageBar),     AVELUNE_ENTRY(kStartPressed),      AVELUNE_ENTRY(kStartReleased),
    AVELUNE_ENTRY(kQuitPressed),       AVELUNE_ENTRY(kQuitReleased),      AVELUNE_ENTRY(kPagePressed),
    AVELUNE_ENTRY(kPageReleased),      AVELUNE_ENTRY(kMiddleReleased),    AVELUNE_ENTRY(kContinuePressed),
    AVELUNE_ENTRY(kBasePanel),         AVELUNE_ENTRY(kAttitudeWindow),    AVELUNE_ENTRY(kAttitudeBezel1),
    AVELUNE_ENTRY(kAttitudeBezel2),    AVELUNE_ENTRY(kAirspeedFace),      AVELUNE_ENTRY(kAirspeedFaceOver),
    AVELUNE_ENTRY(kIlsFace),           AVELUNE_ENTRY(kLocalizerNeedle),   AVELUNE_ENTRY(kGlideSlopeBar),
    AVELUNE_ENTRY(kIlsOverlay),        AVELUNE_ENTRY(kLargeDigit0),       AVELUNE_ENTRY(kSmallDigit0),
    AVELUNE_ENTRY(kGaugeFace),         AVELUNE_ENTRY(kScenery),           AVELUNE_ENTRY(kPadPressed),
    AVELUNE_ENTRY(kPedalPressed),      AVELUNE_ENTRY(kFullPowerPressed),  AVELUNE_ENTRY(kPowerUpPressed),
    AVELUNE_ENTRY(kPowerDownPressed),  AVELUNE_ENTRY(kIdlePowerPressed),  AVELUNE_ENTRY(kLeverUp),
    AVELUNE_ENTRY(kLeverDown),         AVELUNE_ENTRY(kDragLampOff),       AVELUNE_ENTRY(kDragLampOn),
    AVELUNE_ENTRY(kLiftLampOff),       AVELUNE_ENTRY(kLiftLampOn),        AVELUNE_ENTRY(kTurbulenceLampOff),
    AVELUNE_ENTRY(kTurbulenceLampOn),  AVELUNE_ENTRY(kViewLampOn),        AVELUNE_ENTRY(kViewLampOff),
    AVELUNE_ENTRY(kPageLampOff),       AVELUNE_ENTRY(kPageLampOn),        AVELUNE_ENTRY(kRestartLamp),
    AVELUNE_ENTRY(kMessagePanel),      AVELUNE_ENTRY(kMessagePanelEnd),   AVELUNE_ENTRY(kWarningHeadline),
    AVELUNE_ENTRY(kFailureHeadline),   AVELUNE_ENTRY(kArrivalHeadline),   AVELUNE_ENTRY(kWarningLampLit),
    AVELUNE_ENTRY(kWarningLampDark),   AVELUNE_ENTRY(kCourseMessage),     AVELUNE_ENTRY(kOverspeedMessage),
    AVELUNE_ENTRY(kOverspeedEnd),      AVELUNE_ENTRY(kArrivalMessage),    AVELUNE_ENTRY(kPageView),
    AVELUNE_ENTRY(kPageStrip),         AVELUNE_ENTRY(kLabelSignals),      AVELUNE_ENTRY(kLabelIls),
    AVELUNE_ENTRY(kLabelAirspeed),     AVELUNE_ENTRY(kLabelAltitude),     AVELUNE_ENTRY(kLabelAttitude),
    AVELUNE_ENTRY(kLabelDrag),         AVELUNE_ENTRY(kLabelLift),         AVELUNE_ENTRY(kLabelTurbulence),
    AVELUNE_ENTRY(kLabelOutsideView),  AVELUNE_ENTRY(kLabelPower),        AVELUNE_ENTRY(kLabelHeading),
    AVELUNE_ENTRY(kLabelClimbRate),    AVELUNE_ENTRY(kLabelControlPad),   AVELUNE_ENTRY(kLabelPedals),
    AVELUNE_ENTRY(kLabelPageSwitch),   AVELUNE_ENTRY(kLabelRestart),      AVELUNE_ENTRY(kPreviewCockpit),
    AVELUNE_ENTRY(kPreviewApproach),
    {"kAttitudeBand", kAttitudeBand},
};
// clang-format on
const int kCatalogueSize = static_cast<int>(sizeof kCatalogue / sizeof kCatalogue[0]);

// clang-format off
const SharedPixels kSharedPixels[] = {
    {"kTitleBackground",   "kTitleBackgroundFull", "the back button copies the same background opaque, one row taller"},
    {"kTitleBackground",   "kTitleStrip",          "the strip is the background's own pixels one column over, redrawn every frame"},
    {"kTitleBackgroundFull", "kTitleStrip",        "as above"},
    {"kSecondPageQuit",    "kQuitReleased",        "the second page draws the released quit button with key 95"},
    {"kAirspeedFace",      "kAirspeedFaceOver",    "the dial face is drawn a second time over the needle with key 248"},
    {"kBasePanel",         "kGaugeFace",           "the gauge face is the base panel's own upper-left gauge"},
    {"kInformationPage",   "kPageView",            "the view redraw is the page's own upper part, removing a preview"},
    {"kInformationPage",   "kPageStrip",           "the strip redraw is the page's own bottom strip, removing a label"},
    {"kInformationPage",   "kTitlePicture",        "the page's last row is the title picture's first"},
    {"kMessagePanel",      "kMessagePanelEnd",     "the panel's right end is the panel's own last 79 columns"},
    {"kPageReleased",      "kMiddleReleased",      "R2's picture is the page button's released picture one pixel over"},
    {"kWarningLampLit",    "kWarningLampDark",     "the two lamp pictures share an edge row"},
    {"kLabelDrag",         "kLabelLift",           "neighbouring labels share an edge row"},
    {"kLabelLift",         "kLabelTurbulence",     "neighbouring labels share an edge row"},
    {"kLabelIls",          "kLabelPower",          "neighbouring labels share an edge row"},
    {"kLabelControlPad",   "kLabelPedals",         "neighbouring labels share an edge row"},
    {"kLabelAttitude",     "kLabelClimbRate",      "neighbouring labels share an edge row"},
    {"kLabelOutsideView",  "kLabelRestart",        "label 18, drawn with key 22, overlaps the label above it (key 255)"},
    {"kAttitudeWindow",    "kAttitudeBand",        "the window is the band's column 0 at row 0"},
};
// clang-format on
const int kSharedPixelsSize = static_cast<int>(sizeof kSharedPixels / sizeof kSharedPixels[0]);
