// The base panel: the cockpit as it stands before anything moves.
#include "CockpitArt.h"

#include <cmath>

#include "PanelLayout.h"
#include "InstrumentArt.h"
#include "PaintKit.h"

using layout::Box;

namespace {

int P(int step) { return RampIndex(Ramp::Panel, step); }

void Translated(cairo_t* cr, int x, int y, void (*paint)(cairo_t*)) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    paint(cr);
    cairo_restore(cr);
}

// A sunken window with a black floor, `margin` pixels around the box.
void SunkenWindow(cairo_t* cr, const Box& b, int margin, int floor) {
    const int x = b.x - margin, y = b.y - margin, w = b.w + 2 * margin, h = b.h + 2 * margin;
    FillIndex(cr, x, y, w, h, floor);
    Bevel(cr, x - 2, y - 2, w + 4, h + 4, 2, P(17), P(2), true);
}

void Label(cairo_t* cr, const char* text, double x, double y, double w, double h, double size = 8.0) {
    SelectFont(cr, Font::SansCondensedBold, size);
    EngravedText(cr, text, x, y, w, h, RampIndex(Ramp::Grey, 12), P(2));
}

// Unlit segments of a readout: every digit position shows a dark 8 where no
// lit digit covers it, at the very place the game draws its digits.
void ReadoutGhosts(cairo_t* cr, const ReadoutLayout& r) {
    for (int i = 0; i < r.positions; ++i) {
        cairo_save(cr);
        cairo_translate(cr, r.at[i].x, r.at[i].y);
        if (r.glyphs == Glyphs::kLarge) {
            PaintLargeDigit(cr, -1);
        } else {
            PaintSmallDigit(cr, -1);
        }
        cairo_restore(cr);
    }
}

void Readout(cairo_t* cr, const ReadoutLayout& r, const char* label, double lx, double lw) {
    const Box b = layout::ReadoutBox(r);
    SunkenWindow(cr, b, 2, 0);
    ReadoutGhosts(cr, r);
    if (label != nullptr) Label(cr, label, lx, b.y, lw, b.h);
}

void Windscreen(cairo_t* cr) {
    const Box& w = layout::kWindscreen;
    // Sky: deep blue overhead to haze at the bottom of the glass.
    FillVerticalGradient(cr, w.x, w.y, w.w, w.h, w.y, w.y + w.h,
                         {{0.0, RampIndex(Ramp::Sky, 3)}, {1.0, RampIndex(Ramp::Sky, 15)}});
    // A few flat cumulus banks low in the sky.
    struct Cloud {
        double x, y, rx, ry;
    };
    constexpr Cloud kClouds[] = {{90, 128, 46, 7},  {128, 122, 26, 8},  {300, 140, 60, 6}, {345, 134, 22, 7},
                                 {500, 118, 40, 6}, {532, 113, 18, 6}, {220, 96, 30, 4}, {420, 88, 24, 3}};
    for (const Cloud& c : kClouds) {
        cairo_save(cr);
        cairo_translate(cr, c.x, c.y);
        cairo_scale(cr, c.rx, c.ry);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        SetIndex(cr, RampIndex(Ramp::Sky, 17));
        cairo_fill(cr);
    }
    // The frame: a deep sunken edge and the glare shield below it.
    Bevel(cr, w.x - 5, w.y - 5, w.w + 10, w.h + 10, 5, P(2), P(15), false);
    Bevel(cr, w.x - 1, w.y - 1, w.w + 2, w.h + 2, 1, P(0), P(0), false);
}

void GlareShield(cairo_t* cr) {
    FillIndex(cr, 0, 177, 632, 20, P(3));
    FillIndex(cr, 0, 177, 632, 1, P(6));
    FillIndex(cr, 0, 196, 632, 1, P(12));
    FillIndex(cr, 0, 197, 632, 2, P(1));
    for (int x = 40; x < 632; x += 80) Rivet(cr, x, 186, 1.6);
}

void TopFrame(cairo_t* cr) {
    FillIndex(cr, 0, 0, 632, 14, P(6));
    Bevel(cr, 0, 0, 632, 14, 1, P(12), P(3));
    for (int x = 24; x < 632; x += 64) Rivet(cr, x, 7, 1.8);
    for (int y = 40; y < 172; y += 44) {
        Rivet(cr, 7, y, 1.8);
        Rivet(cr, 624, y, 1.8);
    }
}

void Gauges(cairo_t* cr) {
    for (int g = 0; g < 6; ++g) {
        const Box& b = layout::kGauges[g];
        Translated(cr, b.x, b.y, PaintGaugeFace);
        // Upper gauges are named above, lower ones in the gap above them.
        const int ly = g < 3 ? b.y - 12 : b.y - 13;
        SelectFont(cr, Font::SansCondensedBold, 8.0);
        EngravedText(cr, layout::kGaugeNames[g], b.x, ly, b.w, 10, RampIndex(Ramp::Grey, 12), P(2));
    }
}

void ControlPad(cairo_t* cr) {
    MetalPlate(cr, 276, 320, 78, 75, P(6), 2);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            cairo_save(cr);
            cairo_translate(cr, layout::kPadX[c], layout::kPadY[r]);
            PaintPadButton(cr, c, r, false);
            cairo_restore(cr);
        }
    }
    for (const Box& p : layout::kPedals) {
        cairo_save(cr);
        cairo_translate(cr, p.x, p.y);
        PaintPedal(cr, false);
        cairo_restore(cr);
    }
    Label(cr, "RUDDER", 280, 398, 70, 10, 7.5);
}

void PowerLever(cairo_t* cr) {
    MetalPlate(cr, 359, 316, 30, 79, P(6), 2);
    struct Part {
        Box box;
        PowerButton button;
    };
    const Part parts[] = {{layout::kPowerFull, PowerButton::Full},
                          {layout::kPowerUp, PowerButton::Up},
                          {layout::kPowerDown, PowerButton::Down},
                          {layout::kPowerIdle, PowerButton::Idle}};
    for (const Part& p : parts) {
        cairo_save(cr);
        cairo_translate(cr, p.box.x, p.box.y);
        PaintPowerButton(cr, p.button, false);
        cairo_restore(cr);
    }
    Label(cr, "POWER", 356, 305, 36, 10, 7.5);
}

void Switches(cairo_t* cr) {
    for (int s = 0; s < 6; ++s) {
        const Box& lever = layout::kLevers[s];
        cairo_save(cr);
        cairo_translate(cr, lever.x, lever.y);
        PaintLever(cr, 0);
        cairo_restore(cr);
        const Box& lamp = layout::kLamps[s];
        cairo_save(cr);
        cairo_translate(cr, lamp.x, lamp.y);
        PaintLamp(cr, lamp.w, lamp.h, layout::kLampNames[s], LampLight::Dark);
        cairo_restore(cr);
    }
    // What the restart switch's two positions do.
    Label(cr, "UP: RESTART   DOWN: QUIT", 468, 416, 150, 10, 7.0);
    Label(cr, "UP: INFO", 400, 416, 60, 10, 7.0);
    Label(cr, "UP: ON   DOWN: OFF   (VIEW UP: HIDDEN)", 30, 417, 216, 10, 7.0);
}

}  // namespace

void PaintCockpitPanel(cairo_t* cr) {
    const int face = P(9);
    FillIndex(cr, 0, 0, 632, 440, face);
    // Side pillars and top frame around the windscreen.
    FillIndex(cr, 0, 0, 15, 177, P(6));
    FillIndex(cr, 617, 0, 15, 177, P(6));
    TopFrame(cr);
    Windscreen(cr);
    GlareShield(cr);

    // Instrument plates: left flight cluster, centre cluster, engine cluster,
    // and the switch console along the bottom.
    MetalPlate(cr, 8, 201, 258, 142, P(8), 2);
    MetalPlate(cr, 268, 201, 120, 112, P(8), 2);
    MetalPlate(cr, 389, 201, 216, 174, P(8), 2);
    MetalPlate(cr, 8, 343, 236, 94, P(7), 2);
    MetalPlate(cr, 389, 375, 235, 62, P(7), 2);
    for (const auto& [x, y] : {std::pair{14, 207}, {259, 207}, {14, 336}, {259, 336}, {274, 207}, {381, 207},
                               {395, 207}, {598, 207}, {14, 349}, {237, 349}, {14, 430}, {237, 430},
                               {395, 381}, {617, 381}, {395, 430}, {617, 430}}) {
        Rivet(cr, x, y, 1.8);
    }

    // Flight instruments with their mounts.
    Translated(cr, layout::kIls.x, layout::kIls.y, PaintIlsFace);
    Translated(cr, layout::kIls.x, layout::kIls.y, PaintIlsOverlay);
    Translated(cr, layout::kAirspeed.x, layout::kAirspeed.y, PaintAirspeedFace);
    cairo_save(cr);
    cairo_arc(cr, layout::kAttitude.x + layout::kAttitudeCentreX, layout::kAttitude.y + layout::kAttitudeCentreY, 31, 0, 2 * M_PI);
    cairo_clip(cr);
    cairo_translate(cr, layout::kAttitudePicture.x, layout::kAttitudePicture.y);
    PaintAttitudePicture(cr, 0, 109);
    cairo_restore(cr);
    Translated(cr, layout::kAttitude.x, layout::kAttitude.y, PaintAttitudeRing);
    Translated(cr, layout::kAttitude.x, layout::kAttitude.y, PaintAttitudeSymbol);

    // Readouts and their names.
    Readout(cr, kDistanceReadout, "DIST", 22, 38);
    Readout(cr, kAirspeedReadout, "MPH", 168, 34);
    Readout(cr, kAltitudeReadout, "ALT", 284, 30);
    Readout(cr, kClimbRateReadout, nullptr, 0, 0);
    Label(cr, "CLIMB", 350, 249, 36, 10, 7.5);
    Readout(cr, kHeadingReadout, nullptr, 0, 0);
    Label(cr, "HDG", 277, 303, 20, 10, 7.5);

    Gauges(cr);
    ControlPad(cr);
    PowerLever(cr);
    Switches(cr);
}
