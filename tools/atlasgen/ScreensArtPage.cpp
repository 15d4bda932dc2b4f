// The information page (a guide to the cockpit), its bars and hover labels,
// the two preview pictures, and the second page.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "GameCockpit.h"
#include "ScreensArt.h"

namespace screens {

namespace {

// ---- The cockpit, as the game composes it ------------------------------------
//
// The guide and the in-flight preview show the cockpit two thirds of the way
// down the approach: 3.28 miles to go (30000 ft flown), 1150 ft, 150 mph,
// a little left of the centre line and a little high, every switch lamp lit
// as the judgement lights it.
CockpitScene GuideScene(bool outsideView) {
    CockpitScene scene;
    scene.record = {
        .power = 25,
        .fuel = 50000,
        .altitude = 1150,
        .enginePointerA = 51,
        .distanceFlown = 30000,
        .enginePointerB = 52,
        .lateralOffset = 48,
        .glideSlopeBarY = 278,
        .glideSlopeError = 54,
        .airspeed = 150,
        .airspeedFrame = 34,
        .pitch = -10,
        .horizonRow = 109,
        .sweepCounter = 11,
        .climbRate = 11,
        .distanceToGo = 328,
        .outsideViewSwitch = outsideView ? kOutsideViewShown : kOutsideViewHidden,
    };
    // Jitter for the fuel, engine B, sweep and the two engine A gauges.
    scene.randValues = {0, 0, 0, 10000, 0};
    scene.lamps = {.dragSwitch = kDragOff, .liftSwitch = kLiftOff, .turbulenceSwitch = kTurbulenceOff,
                   .outsideViewSwitch = kOutsideViewShown, .pageSwitch = kPageOn, .restartLamp = kRestartLampLit};
    return scene;
}

CockpitPicture GuideCockpit(const AtlasIndices& atlas, bool outsideView) {
    return ComposeCockpitThroughGame(atlas, GuideScene(outsideView), static_cast<uint8_t>(RampIndex(Ramp::Navy, 1)));
}

// Any index the picture's own key or redraw key would turn into a hole
// becomes the nearest colour that is not one.
void KeepKeysOut(AtlasIndices& atlas, const Sprite& r, int extraKey) {
    const auto& pal = AtlasPalette();
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            const int v = atlas.At(x, y);
            if (v == r.key || v == extraKey) {
                atlas.Set(x, y, static_cast<uint8_t>(NearestIndex(pal[v].r, pal[v].g, pal[v].b, r.key)));
            }
        }
    }
}

constexpr int kPageDrop = 49;       // the guide shows the panel this many rows higher
constexpr int kBandBottom = 152;    // last row of the title band
constexpr int kStripTop = 366;      // first row of the bottom strip
constexpr int kStripBottom = 430;

// ---- Text blocks -------------------------------------------------------------

void Lines(cairo_t* cr, const char* const* lines, int count, double x, double baseline, double step, double width,
           Font font, double size) {
    for (int i = 0; i < count; ++i) FitFont(cr, font, lines[i], width, size, size - 2);
    for (int i = 0; i < count; ++i) {
        FitFont(cr, font, lines[i], width, size, size - 2);
        TextAt(cr, lines[i], x, baseline + i * step);
    }
}

void ArrowRight(cairo_t* cr, double x, double y, int index) {
    SetIndex(cr, index);
    Polygon(cr, {{x, y - 4}, {x + 6, y}, {x, y + 4}});
    cairo_fill(cr);
}

}  // namespace

// ---- The information page ---------------------------------------------------------

namespace {

// Title band over the windscreen, with the guide's name, what it is for,
// and the headings of the two halves of the panel.
void PageTitleBand(cairo_t* cr, int w) {
    FillIndex(cr, 0, 0, w, kBandBottom + 1, RampIndex(Ramp::Navy, 2));
    for (int y = 2; y < kBandBottom - 2; y += 3) FillIndex(cr, 3, y, w - 6, 1, RampIndex(Ramp::Navy, 3));
    Bevel(cr, 0, 0, w, kBandBottom + 1, 2, RampIndex(Ramp::Navy, 6), RampIndex(Ramp::Navy, 0));
    FillIndex(cr, 0, kBandBottom - 2, w, 1, RampIndex(Ramp::Gold, 5));
    FillIndex(cr, 0, kBandBottom - 1, w, 2, RampIndex(Ramp::Navy, 0));
    SelectFont(cr, Font::SerifBold, 30);
    SetIndex(cr, RampIndex(Ramp::Navy, 0));
    TextAt(cr, "Cockpit guide", 26, 48);
    SetIndex(cr, RampIndex(Ramp::Gold, 6));
    TextAt(cr, "Cockpit guide", 24, 46);
    SelectFont(cr, Font::SerifBold, 20);
    SetIndex(cr, RampIndex(Ramp::Gold, 4));
    TextAt(cr, "Avelune", w - 24 - InkWidth(cr, "Avelune"), 44);
    const char* lines[] = {
        "Point at any part of the instrument panel below: its name appears in the",
        "box at the bottom of the page. Point at the little picture left of BACK to",
        "see the cockpit in flight, or at CONTINUE for a map of the approach.",
        "CONTINUE then tells you how to fly it; BACK returns to the title.",
    };
    SetIndex(cr, RampIndex(Ramp::Panel, 19));
    Lines(cr, lines, 4, 26, 76, 18, w - 52, Font::Sans, 12.5);
    SetIndex(cr, RampIndex(Ramp::Cyan, 3));
    SelectFont(cr, Font::SansBold, 11);
    TextAt(cr, "Instruments", 26, 146);
    TextAt(cr, "Engine and fuel gauges", 420, 146);
}

// A small cockpit picture to point at: windscreen, runway, three dials.
void LittleCockpit(cairo_t* cr) {
    FillIndex(cr, 99, 374, 72, 38, RampIndex(Ramp::Panel, 0));
    FillIndex(cr, 100, 375, 70, 16, RampIndex(Ramp::Sky, 4));
    FillIndex(cr, 100, 386, 70, 5, RampIndex(Ramp::Grass, 3));
    SetIndex(cr, RampIndex(Ramp::Asphalt, 1));
    Polygon(cr, {{134, 386}, {136, 386}, {142, 391}, {128, 391}});
    cairo_fill(cr);
    FillIndex(cr, 100, 391, 70, 20, RampIndex(Ramp::Panel, 9));
    FillIndex(cr, 100, 391, 70, 1, RampIndex(Ramp::Panel, 15));
    for (int k = 0; k < 3; ++k) {
        FillDisc(cr, 113 + k * 22, 401, 7, RampIndex(Ramp::Panel, 1));
        FillDisc(cr, 113 + k * 22, 401, 6, k == 1 ? RampIndex(Ramp::Horizon, 2) : RampIndex(Ramp::Grey, 1));
        FillIndex(cr, 113 + k * 22, 396, 1, 5, RampIndex(Ramp::Grey, 13));
    }
}

// The bottom strip: a steel plate with the preview pointer, the button bar
// (the same pixels as the bar picture) and a note on the right.
void PageBottomStrip(cairo_t* cr, int w) {
    MetalPlate(cr, 0, kStripTop, w, kStripBottom - kStripTop + 1, RampIndex(Ramp::Panel, 7), 2);
    FillIndex(cr, 0, kStripTop, w, 1, RampIndex(Ramp::Panel, 0));
    SetIndex(cr, RampIndex(Ramp::Panel, 19));
    SelectFont(cr, Font::SansCondensedBold, 11);
    // Kept inside the label panel's reach, which covers x 34..589.
    TextAt(cr, "In flight", 38, 388);
    TextAt(cr, "view", 38, 402);
    ArrowRight(cr, 88, 394, RampIndex(Ramp::Gold, 6));
    LittleCockpit(cr);
    InformationBar(cr, 174, 371, false);
    SetIndex(cr, RampIndex(Ramp::Panel, 19));
    SelectFont(cr, Font::SansCondensedBold, 11);
    TextAt(cr, "Point at CONTINUE", 470, 388);
    TextAt(cr, "for the approach map", 470, 402);
}

}  // namespace

void PaintInformationPage(cairo_t* cr, const Sprite& r, int) {
    const int w = r.width;
    // Behind the panel (seen only where the panel has holes).
    FillIndex(cr, 0, 0, w, r.height, RampIndex(Ramp::Navy, 1));
    PageTitleBand(cr, w);
    PageBottomStrip(cr, w);
    FillIndex(cr, 0, kStripBottom + 1, w, r.height - kStripBottom - 1, RampIndex(Ramp::Navy, 0));
    FillIndex(cr, 0, r.height - 1, w, 1, TitleTopSky());
}

void FinishInformationPage(AtlasIndices& atlas, const Sprite& r) {
    // The cockpit between the title band and the bottom strip, 49 rows higher
    // than in flight, so that each part lies under its hover area.
    const CockpitPicture cockpit = GuideCockpit(atlas, false);
    for (int y = kBandBottom + 1; y < kStripTop; ++y) {
        for (int x = 0; x < r.width; ++x) atlas.Set(r.x + x, r.y + y, cockpit.At(x, y + kPageDrop));
    }
    // The page is redrawn from itself with key 187: none of that inside it.
    KeepKeysOut(atlas, r, kKeyPageRedraw);
}

void PaintInformationBar(cairo_t* cr, const Sprite&, int) { InformationBar(cr, 0, 0, false); }
void PaintSecondPageBar(cairo_t* cr, const Sprite&, int) { InformationBar(cr, 0, 0, true); }

void PaintSecondPagePanel(cairo_t* cr, const Sprite& r, int) {
    TitlePlate(cr, r.width, r.height);
    SelectFont(cr, Font::SerifBold, 19);
    SetIndex(cr, RampIndex(Ramp::Gold, 6));
    TextCentredAt(cr, "Flying the approach", r.width / 2.0, 28);
    FillIndex(cr, 60, 35, r.width - 120, 1, RampIndex(Ramp::Gold, 3));
    const char* lines[] = {
        "You start 47320 ft (about 9 miles) out at 3200 ft. Come",
        "down a 1 in 15 glide slope to the runway threshold.",
        "Control pad: top row noses down, bottom row noses up;",
        "the sides bank and turn. The rudder pedals turn too.",
        "Localizer needle off centre? Turn towards it.",
        "The glide-slope bar sinks as you stray above or below",
        "the slope. Keep G/S under 95 and LOC under 25.",
        "Power: full, up, down, idle. Stay below 275 mph.",
        "Restart switch: up starts again, down quits.",
    };
    SetIndex(cr, RampIndex(Ramp::Panel, 20));
    Lines(cr, lines, 9, 16, 54, 17.5, r.width - 30, Font::Sans, 11.5);
}

// ---- Hover labels --------------------------------------------------------------

namespace {

struct LabelWording {
    const Sprite* rect;
    int destX;  // where the game draws it, to centre the words on the panel
    const char* text;
};

// clang-format off
const LabelWording kLabelWordings[] = {
    {&sprite::kLabelSignals,     235, "Distance to go"},
    {&sprite::kLabelIls,         110, "ILS indicator: localizer needle and glide-slope bar"},
    {&sprite::kLabelAirspeed,     68, "Airspeed in miles per hour: readout and dial"},
    {&sprite::kLabelAltitude,    188, "Altitude in feet"},
    {&sprite::kLabelAttitude,     89, "Attitude indicator: pitch and bank"},
    {&sprite::kLabelDrag,        178, "Drag switch: air brake"},
    {&sprite::kLabelLift,         54, "Lift switch: trades airspeed for height"},
    {&sprite::kLabelTurbulence,   78, "Turbulence switch: rough air on or off"},
    {&sprite::kLabelOutsideView,  80, "Outside view switch: windscreen on or off"},
    {&sprite::kLabelPower,       113, "Power lever: full, more, less, idle"},
    {&sprite::kLabelHeading,     188, "Compass heading"},
    {&sprite::kLabelClimbRate,   109, "Climb rate: feet up or down each second"},
    {&sprite::kLabelControlPad,  148, "Control pad: pitch and bank"},
    {&sprite::kLabelPedals,      158, "Rudder pedals: turn left or right"},
    {&sprite::kLabelPageSwitch,  204, "Page switch: this guide"},
    {&sprite::kLabelRestart,     214, "Restart up, quit down"},
};
// clang-format on

// The middle of the label panel on the screen.
constexpr double kPanelCentreX = 34 + 556 / 2.0;

const LabelWording* WordingFor(const Sprite& r) {
    for (const LabelWording& l : kLabelWordings) {
        if (l.rect->x == r.x && l.rect->y == r.y) return &l;
    }
    return nullptr;
}

}  // namespace

const char* LabelText(const Sprite& r) {
    const LabelWording* l = WordingFor(r);
    return l != nullptr ? l->text : nullptr;
}

void PaintLabel(cairo_t* cr, const Sprite& r, int) {
    // On the panel's own dark inside, so the label has no edge of its own.
    FillIndex(cr, 0, 0, r.width, r.height, PanelInk());
    const LabelWording* l = WordingFor(r);
    if (l == nullptr) return;
    FitFont(cr, Font::SansBold, l->text, r.width - 4, 14, 10);
    cairo_text_extents_t e;
    cairo_text_extents(cr, l->text, &e);
    // Centred on the panel where the rectangle allows, else inside it.
    double left = kPanelCentreX - l->destX - e.width / 2;
    left = std::clamp(left, 2.0, r.width - 2 - e.width);
    SetIndex(cr, RampIndex(Ramp::Amber, 10));
    TextAt(cr, l->text, std::round(left - e.x_bearing), std::round((r.height - e.height) / 2 - e.y_bearing));
}

// ---- Previews ------------------------------------------------------------------

namespace {

constexpr int kPreviewInset = 2;

void PreviewFrame(cairo_t* cr, const Sprite& r) {
    FillIndex(cr, 0, 0, r.width, r.height, RampIndex(Ramp::Panel, 0));
    Bevel(cr, 0, 0, r.width, r.height, kPreviewInset, RampIndex(Ramp::Gold, 6), RampIndex(Ramp::Gold, 1));
}

}  // namespace

void PaintPreviewCockpit(cairo_t* cr, const Sprite& r, int) {
    PreviewFrame(cr, r);
    FillIndex(cr, kPreviewInset, kPreviewInset, r.width - 2 * kPreviewInset, r.height - 2 * kPreviewInset,
              RampIndex(Ramp::Navy, 1));
}

void FinishPreviewCockpit(AtlasIndices& atlas, const Sprite& r) {
    // The cockpit in flight, shrunk by averaging colours: windscreen to pad.
    const CockpitPicture cockpit = GuideCockpit(atlas, true);
    const auto& pal = AtlasPalette();
    const int w = r.width - 2 * kPreviewInset, h = r.height - 2 * kPreviewInset;
    const double top = 20, bottom = 392;
    for (int y = 0; y < h; ++y) {
        const double sy0 = top + (bottom - top) * y / h, sy1 = top + (bottom - top) * (y + 1) / h;
        for (int x = 0; x < w; ++x) {
            const double sx0 = static_cast<double>(kClientWidth) * x / w, sx1 = static_cast<double>(kClientWidth) * (x + 1) / w;
            long sr = 0, sg = 0, sb = 0, n = 0;
            for (int yy = static_cast<int>(sy0); yy < static_cast<int>(std::ceil(sy1)); ++yy) {
                for (int xx = static_cast<int>(sx0); xx < static_cast<int>(std::ceil(sx1)); ++xx) {
                    const Rgb8 c = pal[cockpit.At(xx, yy)];
                    sr += c.r;
                    sg += c.g;
                    sb += c.b;
                    ++n;
                }
            }
            const int index = NearestIndex(static_cast<int>(sr / n), static_cast<int>(sg / n), static_cast<int>(sb / n),
                                           r.key);
            atlas.Set(r.x + kPreviewInset + x, r.y + kPreviewInset + y, static_cast<uint8_t>(index));
        }
    }
}

namespace {

// The colours of the approach map.
struct MapInks {
    int gold = RampIndex(Ramp::Gold, 6), cyan = RampIndex(Ramp::Cyan, 3), light = RampIndex(Ramp::Panel, 19);
    int green = RampIndex(Ramp::Green, 8), runway = RampIndex(Ramp::Asphalt, 4);
};

// A small aircraft in profile with its nose at the origin's right.
void ProfileMark(cairo_t* cr) {
    cairo_rectangle(cr, -9, -1.5, 18, 3);
    cairo_fill(cr);
    Polygon(cr, {{-9, -1}, {-11, -7}, {-7, -7}, {-5, -1}});
    cairo_fill(cr);
}

// Side view: the glide slope from 3200 ft down to the threshold, the
// aircraft at its start, nose down the slope, and the distance to fly.
void SideView(cairo_t* cr, int w, const MapInks& ink) {
    const double gx0 = 40, gy0 = 40, gx1 = 292, gy1 = 98;
    FillIndex(cr, 10, 99, w - 20, 1, RampIndex(Ramp::Grass, 6));
    FillIndex(cr, 292, 97, 46, 3, ink.runway);
    FillIndex(cr, 291, 96, 2, 4, ink.green);
    SetIndex(cr, ink.gold);
    cairo_set_line_width(cr, 1.0);
    const double dash[] = {5.0, 3.0};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_move_to(cr, gx0, gy0);
    cairo_line_to(cr, gx1, gy1);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    FillIndex(cr, 24, 41, 1, 58, ink.cyan);
    FillIndex(cr, 21, 41, 7, 1, ink.cyan);
    FillIndex(cr, 21, 98, 7, 1, ink.cyan);
    SelectFont(cr, Font::SansCondensedBold, 10);
    SetIndex(cr, ink.light);
    TextAt(cr, "3200 ft", 30, 62);
    TextAt(cr, "glide slope 1 in 15", 150, 58);
    TextAt(cr, "threshold", 286, 90);
    cairo_save(cr);
    cairo_translate(cr, gx0, gy0 - 2);
    cairo_rotate(cr, std::atan2(gy1 - gy0, gx1 - gx0));
    SetIndex(cr, ink.light);
    ProfileMark(cr);
    cairo_restore(cr);
    FillIndex(cr, 40, 106, 252, 1, ink.cyan);
    FillIndex(cr, 40, 103, 1, 7, ink.cyan);
    FillIndex(cr, 291, 103, 1, 7, ink.cyan);
    SetIndex(cr, ink.light);
    TextCentredAt(cr, "47320 ft, about 9 miles", 163, 119);
}

// From above: the localizer beam narrowing to the runway, and the aircraft
// on the centre line.
void ViewFromAbove(cairo_t* cr, int w, const MapInks& ink) {
    const double cy = 164;
    SelectFont(cr, Font::SansCondensedBold, 10);
    SetIndex(cr, ink.cyan);
    TextAt(cr, "FROM ABOVE", w - 10 - InkWidth(cr, "FROM ABOVE"), 133);
    SetIndex(cr, RampIndex(Ramp::Navy, 4));
    Polygon(cr, {{292, cy}, {26, cy - 28}, {26, cy + 28}});
    cairo_fill(cr);
    FillIndex(cr, 292, static_cast<int>(cy) - 4, 46, 9, ink.runway);
    for (int x = 298; x < 334; x += 8) FillIndex(cr, x, static_cast<int>(cy), 4, 1, ink.light);
    FillIndex(cr, 291, static_cast<int>(cy) - 5, 2, 11, ink.green);
    for (int x = 34; x < 290; x += 8) FillIndex(cr, x, static_cast<int>(cy), 4, 1, ink.gold);
    SetIndex(cr, ink.light);
    FillRect(cr, 20, cy - 1, 16, 3);
    FillRect(cr, 27, cy - 8, 3, 17);
    FillRect(cr, 20, cy - 4, 2, 9);
    SetIndex(cr, ink.light);
    SelectFont(cr, Font::SansCondensedBold, 10);
    TextAt(cr, "localizer: the centre line to the runway", 48, cy - 18);
}

}  // namespace

void PaintPreviewApproach(cairo_t* cr, const Sprite& r, int) {
    const int w = r.width, h = r.height;
    const MapInks ink;
    PreviewFrame(cr, r);
    FillIndex(cr, 2, 2, w - 4, h - 4, RampIndex(Ramp::Navy, 1));
    for (int x = 12; x < w - 4; x += 20) FillIndex(cr, x, 3, 1, h - 6, RampIndex(Ramp::Navy, 2));
    for (int y = 12; y < h - 4; y += 20) FillIndex(cr, 3, y, w - 6, 1, RampIndex(Ramp::Navy, 2));
    SelectFont(cr, Font::SerifBold, 15);
    SetIndex(cr, ink.gold);
    TextAt(cr, "The approach", 10, 19);
    SelectFont(cr, Font::SansCondensedBold, 10);
    SetIndex(cr, ink.cyan);
    TextAt(cr, "SIDE VIEW", w - 10 - InkWidth(cr, "SIDE VIEW"), 19);
    SideView(cr, w, ink);
    ViewFromAbove(cr, w, ink);
    TextCentredAt(cr, "Keep the needle centred and the bar at the top", w / 2.0, 200);
}

}  // namespace screens
