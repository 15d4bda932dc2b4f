// The cockpit's atlas jobs: which painter fills which catalogue rectangle.
#include <cmath>
#include <deque>
#include <string>

#include "ArtPalette.h"
#include "CockpitArt.h"
#include "PanelLayout.h"
#include "InstrumentArt.h"
#include "Jobs.h"
#include "NeedleArt.h"
#include "SceneryArt.h"

namespace {

using namespace sprite;

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

void PaintPanelJob(cairo_t* cr, const Sprite&) { PaintCockpitPanel(cr); }

void FinishPanel(AtlasIndices& atlas, const Sprite& rect) {
    for (const layout::Box& g : layout::kGauges) {
        DialToKey(atlas, rect.x + g.x, rect.y + g.y, layout::kGaugeCentreX, layout::kGaugeCentreY,
                  layout::kGaugeDialRadius + 0.5);
    }
}

void PaintBandJob(cairo_t* cr, const Sprite&) {
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

void PaintRingJob(cairo_t* cr, const Sprite&) { PaintAttitudeRing(cr); }
void PaintSymbolJob(cairo_t* cr, const Sprite&) { PaintAttitudeSymbol(cr); }

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

void PaintAirspeedJob(cairo_t* cr, const Sprite&) { PaintAirspeedFace(cr); }
void FinishAirspeed(AtlasIndices& atlas, const Sprite& rect) {
    DialToKey(atlas, rect.x, rect.y, layout::kAirspeedCentre, layout::kAirspeedCentre, layout::kAirspeedDialRadius + 0.5);
}

void PaintIlsFaceJob(cairo_t* cr, const Sprite&) { PaintIlsFace(cr); }
void PaintIlsOverlayJob(cairo_t* cr, const Sprite&) { PaintIlsOverlay(cr); }
void PaintLocalizerJob(cairo_t* cr, const Sprite&) { PaintLocalizerNeedle(cr); }
void PaintGlideSlopeJob(cairo_t* cr, const Sprite&) { PaintGlideSlopeBar(cr); }

void PaintLargeDigitJob(cairo_t* cr, const Sprite& rect) { PaintLargeDigit(cr, (rect.x - kLargeDigit0.x) / 12); }
void PaintSmallDigitJob(cairo_t* cr, const Sprite& rect) { PaintSmallDigit(cr, (rect.x - kSmallDigit0.x) / 8); }

void PaintPadPressedJob(cairo_t* cr, const Sprite&) { PaintPadButton(cr, 0, 0, true); }
void PaintPedalPressedJob(cairo_t* cr, const Sprite&) { PaintPedal(cr, true); }
void PaintPowerPressedJob(cairo_t* cr, const Sprite& rect) {
    const PowerButton b = rect.y == kFullPowerPressed.y  ? PowerButton::Full
                          : rect.y == kPowerUpPressed.y  ? PowerButton::Up
                          : rect.y == kPowerDownPressed.y ? PowerButton::Down
                                                          : PowerButton::Idle;
    PaintPowerButton(cr, b, true);
}
void PaintLeverJob(cairo_t* cr, const Sprite& rect) { PaintLever(cr, rect.x == kLeverUp.x ? +1 : -1); }

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

void PaintLampJob(cairo_t* cr, const Sprite& rect) {
    for (const LampPicture& l : kLampPictures) {
        if (l.sprite.x == rect.x && l.sprite.y == rect.y) PaintLamp(cr, rect.width, rect.height, l.legend, l.light);
    }
}

void PaintSceneryJob(cairo_t* cr, const Sprite& rect) { PaintScenery(cr, rect.width, rect.height); }

}  // namespace

void AddCockpitJobs(JobList& jobs) {
    static std::deque<std::string> names;
    // The panel first: the first bezel layer copies some of its pixels.
    jobs.push_back({"kBasePanel", kBasePanel, PaintPanelJob, FinishPanel,
                    {layout::kWindscreen.x, layout::kWindscreen.y, layout::kWindscreen.w, layout::kWindscreen.h}});
    jobs.push_back({"kAttitudeBand", kAttitudeBand, PaintBandJob});
    jobs.push_back({"kAttitudeBezel1", kAttitudeBezel1, PaintRingJob, FinishRing});
    jobs.push_back({"kAttitudeBezel2", kAttitudeBezel2, PaintSymbolJob});
    jobs.push_back({"kAirspeedFace", kAirspeedFace, PaintAirspeedJob, FinishAirspeed});
    jobs.push_back({"kIlsFace", kIlsFace, PaintIlsFaceJob});
    jobs.push_back({"kIlsOverlay", kIlsOverlay, PaintIlsOverlayJob});
    jobs.push_back({"kLocalizerNeedle", kLocalizerNeedle, PaintLocalizerJob});
    jobs.push_back({"kGlideSlopeBar", kGlideSlopeBar, PaintGlideSlopeJob});
    for (int d = 0; d < 10; ++d) {
        names.push_back("large digit " + std::to_string(d));
        jobs.push_back({names.back().c_str(), LargeDigit(d), PaintLargeDigitJob});
        names.push_back("small digit " + std::to_string(d));
        jobs.push_back({names.back().c_str(), SmallDigit(d), PaintSmallDigitJob});
    }
    jobs.push_back({"kScenery", kScenery, PaintSceneryJob, nullptr, kDitherAll});
    jobs.push_back({"kPadPressed", kPadPressed, PaintPadPressedJob});
    jobs.push_back({"kPedalPressed", kPedalPressed, PaintPedalPressedJob});
    for (const Sprite& s : {kFullPowerPressed, kPowerUpPressed, kPowerDownPressed, kIdlePowerPressed}) {
        names.push_back("power button at " + std::to_string(s.y));
        jobs.push_back({names.back().c_str(), s, PaintPowerPressedJob});
    }
    jobs.push_back({"kLeverUp", kLeverUp, PaintLeverJob});
    jobs.push_back({"kLeverDown", kLeverDown, PaintLeverJob});
    for (const LampPicture& l : kLampPictures) {
        names.push_back(std::string("lamp ") + l.legend + (l.light == LampLight::Dark ? " dark" : " lit"));
        jobs.push_back({names.back().c_str(), l.sprite, PaintLampJob});
    }
    AddNeedleJobs(jobs);
}
