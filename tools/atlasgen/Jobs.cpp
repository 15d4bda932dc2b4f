// The atlas generator's one job table: which painter fills which catalogue
// rectangle, with what argument, and which finishing step follows.
#include "Jobs.h"

#include <cmath>
#include <iterator>

#include "ArtPalette.h"
#include "CockpitArt.h"
#include "InstrumentArt.h"
#include "NeedleArt.h"
#include "PanelLayout.h"
#include "SceneryArt.h"
#include "ScreensArt.h"

namespace {

using namespace sprite;

// ---- The cockpit's painters and finishing steps -------------------------------

// Turns every dial-coloured pixel inside a disc of the picture into index
// 248, where the needles show through. Marks and numbers keep their colours.
void DialToKey(AtlasIndices& atlas, int ox, int oy, double cx, double cy, double r) {
    const int dialGrey = NearestIndex(128, 128, 128, -1);
    for (int y = static_cast<int>(cy - r) - 1; y <= static_cast<int>(cy + r) + 1; ++y) {
        for (int x = static_cast<int>(cx - r) - 1; x <= static_cast<int>(cx + r) + 1; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy > r * r) continue;
            if (atlas.At(ox + x, oy + y) == dialGrey) atlas.Set(ox + x, oy + y, kKeyDial);
        }
    }
}

void PaintPanelJob(cairo_t* cr, const Sprite&, int) { PaintCockpitPanel(cr); }

void FinishPanel(AtlasIndices& atlas, const Sprite& rect) {
    for (const layout::Box& g : layout::kGauges) {
        DialToKey(atlas, rect.x + g.x, rect.y + g.y, layout::kGaugeCentreX, layout::kGaugeCentreY,
                  layout::kGaugeDialRadius + 0.5);
    }
}

void PaintBandJob(cairo_t* cr, const Sprite&, int) {
    for (int c = kAttitudeMinColumn; c <= kAttitudeMaxColumn; ++c) {
        cairo_save(cr);
        cairo_translate(cr, (c - kAttitudeMinColumn) * kAttitudeColumnPitch, 0);
        cairo_rectangle(cr, 0, 0, kAttitudeColumnPitch, kAttitudeBand.height);
        cairo_clip(cr);
        for (int top = 0; top < kAttitudeBand.height; top += 63) {
            // The picture is painted as windows stacked down the column.
            cairo_save(cr);
            cairo_translate(cr, 0, top);
            PaintAttitudePicture(cr, c, top);
            cairo_restore(cr);
        }
        cairo_restore(cr);
    }
}

// The first bezel layer must hide the attitude picture's square corners
// outside the round case: there it repeats the base panel's own pixels.
void FinishRing(AtlasIndices& atlas, const Sprite& rect) {
    const layout::Box& pic = layout::kAttitudePicture;
    const int ox = pic.x - layout::kAttitude.x, oy = pic.y - layout::kAttitude.y;
    for (int y = 0; y < rect.height; ++y) {
        for (int x = 0; x < rect.width; ++x) {
            if (atlas.At(rect.x + x, rect.y + y) != kKeyBezel) continue;
            const double dx = x + 0.5 - layout::kAttitudeCentreX, dy = y + 0.5 - layout::kAttitudeCentreY;
            const bool inPicture = x >= ox && x < ox + pic.w && y >= oy && y < oy + pic.h;
            if (inPicture && dx * dx + dy * dy > 30.0 * 30.0) {
                atlas.Set(rect.x + x, rect.y + y,
                          atlas.At(kBasePanel.x + layout::kAttitude.x + x, kBasePanel.y + layout::kAttitude.y + y));
            }
        }
    }
}

void FinishAirspeed(AtlasIndices& atlas, const Sprite& rect) {
    DialToKey(atlas, rect.x, rect.y, layout::kAirspeedCentre, layout::kAirspeedCentre, layout::kAirspeedDialRadius + 0.5);
}

// The instruments' painters take no argument.
template <void (*paint)(cairo_t*)>
void Plain(cairo_t* cr, const Sprite&, int) {
    paint(cr);
}

void PaintLargeDigitJob(cairo_t* cr, const Sprite&, int d) { PaintLargeDigit(cr, d); }
void PaintSmallDigitJob(cairo_t* cr, const Sprite&, int d) { PaintSmallDigit(cr, d); }
void PaintSceneryJob(cairo_t* cr, const Sprite& rect, int) { PaintScenery(cr, rect.width, rect.height); }
void PaintPadPressedJob(cairo_t* cr, const Sprite&, int) { PaintPadButton(cr, 0, 0, true); }
void PaintPedalPressedJob(cairo_t* cr, const Sprite&, int) { PaintPedal(cr, true); }
void PaintPowerPressedJob(cairo_t* cr, const Sprite&, int button) {
    PaintPowerButton(cr, static_cast<PowerButton>(button), true);
}
void PaintLeverJob(cairo_t* cr, const Sprite&, int position) { PaintLever(cr, position); }

// The lamp pictures the switch values select, with their legends.
struct LampPicture {
    Sprite sprite;
    const char* legend;
    LampLight light;
};
// clang-format off
constexpr LampPicture kLampPictures[] = {
    {kDragLampOff,       "DRAG OFF", LampLight::Green},
    {kDragLampOn,        "DRAG ON",  LampLight::Amber},
    {kLiftLampOff,       "LIFT",     LampLight::Dark},
    {kLiftLampOn,        "LIFT",     LampLight::Amber},
    {kTurbulenceLampOff, "TURB",     LampLight::Dark},
    {kTurbulenceLampOn,  "TURB",     LampLight::Amber},
    {kViewLampOn,        "VIEW",     LampLight::Green},
    {kViewLampOff,       "VIEW",     LampLight::Dark},
    {kPageLampOff,       "PAGE",     LampLight::Dark},
    {kPageLampOn,        "PAGE",     LampLight::Amber},
    {kRestartLamp,       "RESTART",  LampLight::Green},
};
// clang-format on
constexpr int kLampPictureCount = static_cast<int>(std::size(kLampPictures));

Sprite LampPicturePlace(int i) { return kLampPictures[i].sprite; }
void PaintLampJob(cairo_t* cr, const Sprite& rect, int i) {
    PaintLamp(cr, rect.width, rect.height, kLampPictures[i].legend, kLampPictures[i].light);
}

// ---- The table ------------------------------------------------------------------

using namespace screens;
constexpr int kRaised = static_cast<int>(ButtonState::Raised), kPressed = static_cast<int>(ButtonState::Pressed);
constexpr int kFull = static_cast<int>(PowerButton::Full), kUp = static_cast<int>(PowerButton::Up),
              kDown = static_cast<int>(PowerButton::Down), kIdle = static_cast<int>(PowerButton::Idle);
// Gradients of the static pictures are dithered; the title animation's frames
// are not, since a dither pattern that differs between frames would shimmer.
constexpr DitherArea kWindscreen{layout::kWindscreen.x, layout::kWindscreen.y, layout::kWindscreen.w,
                                 layout::kWindscreen.h};
constexpr DitherArea kTitleStripArea{59, 299, 516, 70};
constexpr DitherArea kLampLens{4, 4, 46, 21};

// clang-format off
constexpr Job kJobs[] = {
    // The panel first: the first bezel layer copies some of its pixels.
    {"kBasePanel",           kBasePanel,           PaintPanelJob,                  0,       FinishPanel, kWindscreen},
    {"kAttitudeBand",        kAttitudeBand,        PaintBandJob},
    {"kAttitudeBezel1",      kAttitudeBezel1,      Plain<PaintAttitudeRing>,       0,       FinishRing},
    {"kAttitudeBezel2",      kAttitudeBezel2,      Plain<PaintAttitudeSymbol>},
    {"kAirspeedFace",        kAirspeedFace,        Plain<PaintAirspeedFace>,       0,       FinishAirspeed},
    {"kIlsFace",             kIlsFace,             Plain<PaintIlsFace>},
    {"kIlsOverlay",          kIlsOverlay,          Plain<PaintIlsOverlay>},
    {"kLocalizerNeedle",     kLocalizerNeedle,     Plain<PaintLocalizerNeedle>},
    {"kGlideSlopeBar",       kGlideSlopeBar,       Plain<PaintGlideSlopeBar>},
    {.name = "large digit",  .paint = PaintLargeDigitJob, .count = 10, .place = LargeDigit},
    {.name = "small digit",  .paint = PaintSmallDigitJob, .count = 10, .place = SmallDigit},
    {"kScenery",             kScenery,             PaintSceneryJob,                0,       nullptr, kDitherAll},
    {"kPadPressed",          kPadPressed,          PaintPadPressedJob},
    {"kPedalPressed",        kPedalPressed,        PaintPedalPressedJob},
    {"kFullPowerPressed",    kFullPowerPressed,    PaintPowerPressedJob,           kFull},
    {"kPowerUpPressed",      kPowerUpPressed,      PaintPowerPressedJob,           kUp},
    {"kPowerDownPressed",    kPowerDownPressed,    PaintPowerPressedJob,           kDown},
    {"kIdlePowerPressed",    kIdlePowerPressed,    PaintPowerPressedJob,           kIdle},
    {"kLeverUp",             kLeverUp,             PaintLeverJob,                  +1},
    {"kLeverDown",           kLeverDown,           PaintLeverJob,                  -1},
    {.name = "switch lamp",  .paint = PaintLampJob, .count = kLampPictureCount, .place = LampPicturePlace},
    {.name = "airspeed needle", .paint = PaintAirspeedNeedle, .count = kAirspeedNeedleCount, .place = AirspeedNeedlePicture},
    {.name = "gauge needle", .paint = PaintGaugeNeedle, .count = kGaugeNeedleCount, .place = GaugeNeedlePicture},

    // The page before the title picture: its last row is the title picture's first, which wins.
    {"kInformationPage",     kInformationPage,     PaintInformationPage,           0,       FinishInformationPage},
    {"kTitlePicture",        kTitlePicture,        PaintTitlePicture,              0,       nullptr, kDitherAll},
    {"kTitlePanel",          kTitlePanel,          PaintTitlePanel},
    {"kSecondPagePanel",     kSecondPagePanel,     PaintSecondPagePanel},
    // Painted opaque once: the keyed background and the strip are its pixels.
    {"kTitleBackgroundFull", kTitleBackgroundFull, PaintTitleBackground,           0,       nullptr, kTitleStripArea},
    {"kTitleAnimA",          kTitleAnimA,          PaintBeacon,                    0},  // the white beam
    {"kTitleAnimB",          kTitleAnimB,          PaintBeacon,                    1},  // turned away
    {"kTitleAnimC",          kTitleAnimC,          PaintBeacon,                    2},  // the green beam
    {"kTitleMotif0",         kTitleMotif0,         PaintApproachLights,            0},
    {"kTitleMotif1",         kTitleMotif1,         PaintApproachLights,            1},
    {"kTitleMotif2",         kTitleMotif2,         PaintApproachLights,            2},
    {"kTitleMotif3",         kTitleMotif3,         PaintApproachLights,            3},
    {"kAircraftA",           kAircraftA,           PaintAircraft,                  -14,     FinishAircraft},  // banked
    {"kAircraftB",           kAircraftB,           PaintAircraft,                  0,       FinishAircraft},  // level
    {"kStartPressed",        kStartPressed,        PaintStartButton,               kPressed},
    {"kStartReleased",       kStartReleased,       PaintStartButton,               kRaised},
    {"kQuitPressed",         kQuitPressed,         PaintQuitButton,                kPressed},
    {"kQuitReleased",        kQuitReleased,        PaintQuitButton,                kRaised},
    {"kPagePressed",         kPagePressed,         PaintPagePressed},
    {"kPageReleased",        kPageReleased,        PaintPageReleased},
    {"kMiddleReleased",      kMiddleReleased,      nullptr,                        0,       FinishMiddleReleased},
    {"kContinuePressed",     kContinuePressed,     PaintContinuePressed},
    {"kInformationBar",      kInformationBar,      PaintInformationBar},
    {"kSecondPageBar",       kSecondPageBar,       PaintSecondPageBar},
    {"kLabelSignals",        kLabelSignals,        PaintLabel},
    {"kLabelIls",            kLabelIls,            PaintLabel},
    {"kLabelAirspeed",       kLabelAirspeed,       PaintLabel},
    {"kLabelAltitude",       kLabelAltitude,       PaintLabel},
    {"kLabelAttitude",       kLabelAttitude,       PaintLabel},
    {"kLabelDrag",           kLabelDrag,           PaintLabel},
    {"kLabelLift",           kLabelLift,           PaintLabel},
    {"kLabelTurbulence",     kLabelTurbulence,     PaintLabel},
    {"kLabelOutsideView",    kLabelOutsideView,    PaintLabel},
    {"kLabelPower",          kLabelPower,          PaintLabel},
    {"kLabelHeading",        kLabelHeading,        PaintLabel},
    {"kLabelClimbRate",      kLabelClimbRate,      PaintLabel},
    {"kLabelControlPad",     kLabelControlPad,     PaintLabel},
    {"kLabelPedals",         kLabelPedals,         PaintLabel},
    {"kLabelPageSwitch",     kLabelPageSwitch,     PaintLabel},
    {"kLabelRestart",        kLabelRestart,        PaintLabel},
    {"kPreviewCockpit",      kPreviewCockpit,      PaintPreviewCockpit,            0,       FinishPreviewCockpit},
    {"kPreviewApproach",     kPreviewApproach,     PaintPreviewApproach},
    {"kMessagePanel",        kMessagePanel,        PaintMessagePanel},
    {"kWarningHeadline",     kWarningHeadline,     PaintWarningHeadline},
    {"kFailureHeadline",     kFailureHeadline,     PaintFailureHeadline},
    {"kArrivalHeadline",     kArrivalHeadline,     PaintArrivalHeadline},
    {"kWarningLampLit",      kWarningLampLit,      PaintWarningLampLit,            0,       nullptr, kLampLens},
    {"kWarningLampDark",     kWarningLampDark,     PaintWarningLampDark},
    {"kCourseMessage",       kCourseMessage,       PaintCourseMessage},
    {"kOverspeedMessage",    kOverspeedMessage,    PaintOverspeedMessage},
    {"kOverspeedEnd",        kOverspeedEnd,        PaintOverspeedEnd},
    {"kArrivalMessage",      kArrivalMessage,      PaintArrivalMessage},
};
// clang-format on

bool SameRect(const Sprite& a, const Sprite& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.key == b.key;
}

}  // namespace

std::span<const Job> AtlasJobs() { return kJobs; }

std::vector<JobPicture> JobPictures(std::span<const Job> jobs) {
    std::vector<JobPicture> pictures;
    for (const Job& job : jobs) {
        if (job.place == nullptr) {
            pictures.push_back({&job, job.arg, job.rect});
            continue;
        }
        const size_t first = pictures.size();
        for (int arg = job.arg; arg < job.arg + job.count; ++arg) {
            const Sprite rect = job.place(arg);
            bool shared = false;
            for (size_t i = first; i < pictures.size() && !shared; ++i) shared = SameRect(pictures[i].rect, rect);
            if (!shared) pictures.push_back({&job, arg, rect});
        }
    }
    return pictures;
}
