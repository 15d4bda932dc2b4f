#include "gfx/AtlasCatalogue.h"

#define AVELUNE_ENTRY(name, x, y, w, h, key) {#name, sprite::name},

const CatalogueEntry kCatalogue[] = {
    AVELUNE_SPRITES(AVELUNE_ENTRY)
    {"kAttitudeBand", kAttitudeBand},
};
#undef AVELUNE_ENTRY
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
    {"kPageReleased",      "kMiddleReleased",      "the middle button's released picture is the page button's, one pixel over"},
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
