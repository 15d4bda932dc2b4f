// The instruments and controls of the cockpit, each in its own coordinates.
#include "InstrumentArt.h"

#include <cmath>
#include <cstdio>

#include "PanelLayout.h"
#include "NeedleArt.h"
#include "PaintKit.h"

namespace {

int P(int step) { return RampIndex(Ramp::Panel, step); }
int G(int step) { return RampIndex(Ramp::Grey, step); }

// The dial colour: exactly palette index 248, which the atlas keeps as 248.
void SetDialColour(cairo_t* cr) { SetRgb(cr, 128, 128, 128); }

void Disc(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
}

// A needle's hub over its root: a dark disc with a light spot up and to the
// left of its middle.
void Hub(cairo_t* cr, double cx, double cy, double r, double spotOffset, double spotR) {
    Disc(cr, cx, cy, r);
    SetIndex(cr, G(1));
    cairo_fill(cr);
    Disc(cr, cx - spotOffset, cy - spotOffset, spotR);
    SetIndex(cr, G(9));
    cairo_fill(cr);
}

void Ring(cairo_t* cr, double cx, double cy, double outer, double inner, int index) {
    Disc(cr, cx, cy, outer);
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, cx, cy, inner, 2 * M_PI, 0);
    SetIndex(cr, index);
    cairo_fill(cr);
}

// A radial mark from r0 to r1 at `degrees` clockwise from straight up.
void Tick(cairo_t* cr, double cx, double cy, double degrees, double r0, double r1, double width, int index) {
    const double a = degrees * M_PI / 180.0;
    cairo_move_to(cr, cx + r0 * std::sin(a), cy - r0 * std::cos(a));
    cairo_line_to(cr, cx + r1 * std::sin(a), cy - r1 * std::cos(a));
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    SetIndex(cr, index);
    cairo_stroke(cr);
}

void TextAtAngle(cairo_t* cr, const char* text, double cx, double cy, double degrees, double r) {
    const double a = degrees * M_PI / 180.0;
    const double x = cx + r * std::sin(a), y = cy - r * std::cos(a);
    TextCentred(cr, text, x - 10, y - 5, 20, 10);
}

void Triangle(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2, int index) {
    Polygon(cr, {{x0, y0}, {x1, y1}, {x2, y2}});
    SetIndex(cr, index);
    cairo_fill(cr);
}

// Seven segments: a top, b upper right, c lower right, d bottom, e lower
// left, f upper left, g middle.
constexpr unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

struct SegmentBox {
    int x, y, w, h;
};

void PaintDigit(cairo_t* cr, int d, const SegmentBox (&boxes)[7], int lit, int dark) {
    const unsigned mask = (d >= 0 && d <= 9) ? kSegments[d] : 0;
    for (int s = 0; s < 7; ++s) {
        const SegmentBox& b = boxes[s];
        FillIndex(cr, b.x, b.y, b.w, b.h, (mask >> s) & 1 ? lit : dark);
    }
}

}  // namespace

// ---------------------------------------------------------------- gauges

void PaintGaugeFace(cairo_t* cr) {
    const double cx = layout::kGaugeCentreX, cy = layout::kGaugeCentreY, r = layout::kGaugeDialRadius;
    FillIndex(cr, 0, 0, 64, 62, P(8));          // the plate the six gauges stand on
    Disc(cr, cx + 0.8, cy + 0.8, r + 3.6);      // shadow
    SetIndex(cr, P(2));
    cairo_fill(cr);
    Ring(cr, cx, cy, r + 3.5, r + 1.0, P(14));  // case
    Ring(cr, cx, cy, r + 2.5, r + 1.5, P(18));
    Ring(cr, cx, cy, r + 1.0, r, 0);            // black rim
    Disc(cr, cx, cy, r);
    SetDialColour(cr);
    cairo_fill(cr);
    // One scale for every gauge: 0..70 in steps of 5, numbered in tens
    // (a needle frame is 5 degrees, so a unit of the driving value).
    for (int v = 0; v <= 70; v += 5) {
        const bool major = v % 10 == 0;
        Tick(cr, cx, cy, v * 5.0, major ? r - 6 : r - 4, r - 0.5, major ? 2.0 : 1.2, major ? G(13) : G(11));
    }
    SelectFont(cr, Font::SansCondensedBold, 7.5);
    SetIndex(cr, G(13));
    for (int v = 0; v <= 60; v += 10) {  // 7 would crowd the 0
        char text[4];
        std::snprintf(text, sizeof text, "%d", v / 10);
        TextAtAngle(cr, text, cx, cy, v * 5.0, r - 11.5);
    }
    // Hub over the needle's root.
    Hub(cr, cx, cy, 3.5, 0.8, 1.4);
}

// ---------------------------------------------------------------- airspeed

void PaintAirspeedFace(cairo_t* cr) {
    const double c = layout::kAirspeedCentre, r = layout::kAirspeedDialRadius;
    // The face carries its own corners: the second pass over the needle
    // draws every pixel but 248, so corners left at the key 247 would show
    // as that grey. These repeat the plate it is mounted on.
    FillIndex(cr, 0, 0, 109, 109, P(8));
    Disc(cr, c, c, 54.5);
    SetIndex(cr, P(3));
    cairo_fill(cr);
    Ring(cr, c, c, 53.5, 50.5, P(14));
    Ring(cr, c, c, 52.5, 51.5, P(18));
    Ring(cr, c, c, 50.5, r, 0);
    Disc(cr, c, c, r);
    SetDialColour(cr);
    cairo_fill(cr);
    // Coloured arcs: normal range, caution range; red line at 300 mph.
    auto arc = [&](double from, double to, int index) {
        const double a0 = (AirspeedNeedleDegrees(from / 4.411) - 90) * M_PI / 180;
        const double a1 = (AirspeedNeedleDegrees(to / 4.411) - 90) * M_PI / 180;
        cairo_new_path(cr);
        cairo_arc(cr, c, c, r - 2.0, a0, a1);
        cairo_set_line_width(cr, 4.0);
        SetIndex(cr, index);
        cairo_stroke(cr);
    };
    arc(70, 200, RampIndex(Ramp::Green, 6));
    arc(200, 275, RampIndex(Ramp::Amber, 10));
    arc(275, 300, RampIndex(Ramp::Red, 6));
    for (int v = 0; v <= 300; v += 10) {
        const bool major = v % 50 == 0;
        Tick(cr, c, c, AirspeedNeedleDegrees(v / 4.411), major ? r - 9 : r - 5, r - 0.5, major ? 2.2 : 1.2,
             major ? G(13) : G(11));
    }
    Tick(cr, c, c, AirspeedNeedleDegrees(300 / 4.411), r - 11, r - 0.5, 2.4, RampIndex(Ramp::Red, 7));
    SelectFont(cr, Font::SansCondensedBold, 9.0);
    SetIndex(cr, G(13));
    for (int v = 0; v <= 250; v += 50) {
        char text[8];
        std::snprintf(text, sizeof text, "%d", v);
        TextAtAngle(cr, text, c, c, AirspeedNeedleDegrees(v / 4.411), r - 16.5);
    }
    SelectFont(cr, Font::SansCondensedBold, 7.0);
    SetIndex(cr, G(12));
    TextCentred(cr, "MPH", c - 11, c - 24, 22, 8);
    // Hub.
    Hub(cr, c, c, 5.0, 1.2, 2.0);
}

// ---------------------------------------------------------------- ILS

namespace {
// Face coordinates of the ILS picture's parts; needles travel over x 2..104
// (localizer) and y 2..104 (glide slope).
constexpr double kIlsCentreX = 53.5, kIlsCentreY = 53.5;

// A readout's window over the ILS face, in face coordinates.
constexpr layout::Box OnIlsFace(const ReadoutLayout& r) {
    const layout::Box w = layout::ReadoutBox(r);
    return {w.x - kIlsFaceAt.x, w.y - kIlsFaceAt.y, w.w, w.h};
}
constexpr layout::Box kGlideWindow = OnIlsFace(kGlideSlopeReadout);
constexpr layout::Box kCourseWindow = OnIlsFace(kCourseReadout);
}  // namespace

void PaintIlsFace(cairo_t* cr) {
    FillIndex(cr, 0, 0, 107, 108, P(3));
    FillIndex(cr, 2, 2, 103, 104, G(0));
    // Deviation dots every ten units, on both axes through the centre.
    for (int n = 0; n <= 10; ++n) {
        if (n == 5) continue;
        const double at = 2 + 10 * n + 1.5;
        FillDisc(cr, at, kIlsCentreY, n % 5 == 0 ? 1.6 : 1.2, G(11));
        FillDisc(cr, kIlsCentreX, at, n % 5 == 0 ? 1.6 : 1.2, G(11));
    }
    // Digit windows with their unlit segments, where the game draws the two
    // deviation readouts over the face.
    for (const ReadoutLayout* r : kIlsReadouts) {
        const layout::Box w = OnIlsFace(*r);
        FillIndex(cr, w.x - 2, w.y - 2, w.w + 4, w.h + 4, P(2));
        FillIndex(cr, w.x - 1, w.y - 1, w.w + 2, w.h + 2, 0);
        for (int i = 0; i < r->positions; ++i) {
            cairo_save(cr);
            cairo_translate(cr, r->at[i].x - kIlsFaceAt.x, r->at[i].y - kIlsFaceAt.y);
            PaintSmallDigit(cr, -1);
            cairo_restore(cr);
        }
    }
}

void PaintIlsOverlay(cairo_t* cr) {
    // The frame over the needles' ends, the aiming ring at the centre (its
    // middle left open) and the two readouts' names.
    FillIndex(cr, 0, 0, 107, 2, P(13));
    FillIndex(cr, 0, 0, 2, 108, P(13));
    FillIndex(cr, 0, 106, 107, 2, P(4));
    FillIndex(cr, 105, 0, 2, 108, P(4));
    Ring(cr, kIlsCentreX, kIlsCentreY, 7.0, 5.0, RampIndex(Ramp::Amber, 8));
    SelectFont(cr, Font::SansCondensedBold, 7.0);
    SetIndex(cr, G(11));
    TextCentred(cr, "G/S", kGlideWindow.x, kGlideWindow.y - 10, kGlideWindow.w, 7);
    TextCentred(cr, "LOC", kCourseWindow.x, kCourseWindow.y + kCourseWindow.h + 3, kCourseWindow.w, 7);
    SelectFont(cr, Font::SansCondensedBold, 6.5);
    SetIndex(cr, G(9));
    TextCentred(cr, "ILS", 84, 6, 18, 7);
}

void PaintLocalizerNeedle(cairo_t* cr) {
    FillIndex(cr, 0, 0, 3, 102, RampIndex(Ramp::Amber, 8));
    FillIndex(cr, 1, 0, 1, 102, RampIndex(Ramp::Amber, 11));
}

void PaintGlideSlopeBar(cairo_t* cr) {
    FillIndex(cr, 0, 0, 102, 3, RampIndex(Ramp::Amber, 8));
    FillIndex(cr, 0, 1, 102, 1, RampIndex(Ramp::Amber, 11));
}

// ---------------------------------------------------------------- attitude

void PaintAttitudePicture(cairo_t* cr, int column, int row) {
    // The band's horizon lies 140 rows down each column, so the window at
    // row 109 (pitch -10, the approach attitude) shows it 31 rows down, in
    // the middle; nose up (smaller rows) moves it down the window. A column
    // is banked 5.14 degrees per step (the slope the windscreen's scenery
    // takes per bank step), right side low for positive columns (left bank).
    constexpr double kHorizonRow = 140.0, kDegreesPerColumn = 5.14;
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, 64, 63);
    cairo_clip(cr);
    cairo_translate(cr, 31.5, kHorizonRow - row);
    cairo_rotate(cr, column * kDegreesPerColumn * M_PI / 180.0);
    SetIndex(cr, RampIndex(Ramp::Horizon, 2));
    cairo_rectangle(cr, -200, -400, 400, 400);
    cairo_fill(cr);
    SetIndex(cr, RampIndex(Ramp::Earth, 2));
    cairo_rectangle(cr, -200, 0, 400, 400);
    cairo_fill(cr);
    SetIndex(cr, G(13));
    cairo_rectangle(cr, -200, -0.75, 400, 1.5);
    cairo_fill(cr);
    // Pitch ladder: a rung every 10 steps, longer every 20, all the way up
    // and down the band.
    for (int p = -200; p <= 200; p += 10) {
        if (p == 0) continue;
        const double half = (p % 20 == 0) ? 10.0 : 6.0;
        cairo_rectangle(cr, -half, -p - 0.5, 2 * half, 1.0);
        SetIndex(cr, p > 0 ? G(13) : G(12));
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void PaintAttitudeRing(cairo_t* cr) {
    const double cx = layout::kAttitudeCentreX, cy = layout::kAttitudeCentreY;
    Ring(cr, cx + 0.8, cy + 0.8, 34.5, 31.0, P(2));  // shadow on the panel
    Ring(cr, cx, cy, 34.0, 29.5, P(5));
    Ring(cr, cx, cy, 34.0, 33.0, P(15));
    Ring(cr, cx, cy, 30.5, 29.5, 0);
    // Bank scale on the case: 10, 20, 30 and 60 degrees either side.
    for (int a : {-60, -30, -20, -10, 10, 20, 30, 60}) {
        Tick(cr, cx, cy, a, 30.0, std::abs(a) % 30 == 0 ? 34.0 : 32.5, 1.4, G(13));
    }
}

void PaintAttitudeSymbol(cairo_t* cr) {
    const double cx = layout::kAttitudeCentreX, cy = layout::kAttitudeCentreY;
    const int wing = RampIndex(Ramp::Amber, 9), edge = RampIndex(Ramp::Amber, 2);
    // The fixed aircraft: two wing bars with drooped inner ends, and a dot.
    for (int side : {-1, 1}) {
        const double x0 = cx + side * 7.5, x1 = cx + side * 20.0;
        cairo_rectangle(cr, std::min(x0, x1) - 0.5, cy - 1.5, std::abs(x1 - x0) + 1, 3);
        cairo_rectangle(cr, (side < 0 ? x0 - 2.5 : x0 - 0.5), cy - 1.5, 3, 5);
        SetIndex(cr, edge);
        cairo_fill(cr);
        cairo_rectangle(cr, std::min(x0, x1), cy - 1.0, std::abs(x1 - x0), 2);
        cairo_rectangle(cr, (side < 0 ? x0 - 2.0 : x0), cy - 1.0, 2, 4);
        SetIndex(cr, wing);
        cairo_fill(cr);
    }
    FillDisc(cr, cx, cy, 2.2, edge);
    FillDisc(cr, cx, cy, 1.5, wing);
    // The fixed bank index at the top of the case.
    Triangle(cr, cx, cy - 29.5, cx - 3.5, cy - 34.0, cx + 3.5, cy - 34.0, RampIndex(Ramp::Amber, 10));
}

// ---------------------------------------------------------------- digits

void PaintLargeDigit(cairo_t* cr, int d) {
    static constexpr SegmentBox kBoxes[7] = {
        {2, 0, 6, 2}, {8, 2, 2, 5}, {8, 9, 2, 5}, {2, 14, 6, 2}, {0, 9, 2, 5}, {0, 2, 2, 5}, {2, 7, 6, 2},
    };
    PaintDigit(cr, d, kBoxes, RampIndex(Ramp::Amber, 10), RampIndex(Ramp::Amber, 0));
}

void PaintSmallDigit(cairo_t* cr, int d) {
    static constexpr SegmentBox kBoxes[7] = {
        {1, 0, 5, 1}, {5, 1, 2, 4}, {5, 6, 2, 4}, {1, 10, 5, 1}, {0, 6, 2, 4}, {0, 1, 2, 4}, {1, 5, 5, 1},
    };
    PaintDigit(cr, d, kBoxes, RampIndex(Ramp::Green, 8), RampIndex(Ramp::Green, 0));
}

// ---------------------------------------------------------------- controls

void PaintPadButton(cairo_t* cr, int column, int row, bool pressed) {
    FillIndex(cr, 0, 0, 22, 22, P(2));
    FillIndex(cr, 1, 1, 20, 20, pressed ? P(7) : P(11));
    Bevel(cr, 1, 1, 20, 20, 2, P(18), P(4), pressed);
    if (pressed) return;  // one pressed picture serves every button
    const int ink = G(1);
    const double cx = 11, cy = 11;
    const int dx = column - 1, dy = row - 1;
    if (dx == 0 && dy == 0) {
        FillDisc(cr, cx, cy, 3.0, ink);
        return;
    }
    // An arrow pointing away from the pad's centre.
    const double len = std::hypot(dx, dy), ux = dx / len, uy = dy / len;
    const double tipX = cx + ux * 6.5, tipY = cy + uy * 6.5;
    const double baseX = cx + ux * 0.5, baseY = cy + uy * 0.5;
    Triangle(cr, tipX, tipY, baseX - uy * 5, baseY + ux * 5, baseX + uy * 5, baseY - ux * 5, ink);
    cairo_move_to(cr, baseX, baseY);
    cairo_line_to(cr, cx - ux * 5.5, cy - uy * 5.5);
    cairo_set_line_width(cr, 3.0);
    SetIndex(cr, ink);
    cairo_stroke(cr);
}

void PaintPedal(cairo_t* cr, bool pressed) {
    FillIndex(cr, 0, 0, 35, 16, P(2));
    FillIndex(cr, 1, 1, 33, 14, pressed ? P(6) : P(11));
    Bevel(cr, 1, 1, 33, 14, 1, P(17), P(4), pressed);
    for (int y = 4; y <= 11; y += 3) FillIndex(cr, 5, y + (pressed ? 1 : 0), 25, 1, pressed ? P(3) : P(5));
}

void PaintPowerButton(cairo_t* cr, PowerButton button, bool pressed) {
    const int h = (button == PowerButton::Full || button == PowerButton::Idle) ? 13 : 20;
    FillIndex(cr, 0, 0, 22, h, P(2));
    FillIndex(cr, 1, 1, 20, h - 2, pressed ? P(7) : P(11));
    Bevel(cr, 1, 1, 20, h - 2, 1, P(18), P(4), pressed);
    const int ink = pressed ? RampIndex(Ramp::Amber, 10) : G(1);
    const double shift = pressed ? 1 : 0;
    switch (button) {
        case PowerButton::Full:
        case PowerButton::Idle:
            SelectFont(cr, Font::SansBold, 6.0);
            SetIndex(cr, ink);
            TextCentred(cr, button == PowerButton::Full ? "MAX" : "IDLE", 1 + shift, 1 + shift, 20, h - 2);
            break;
        case PowerButton::Up:
            Triangle(cr, 11 + shift, 5 + shift, 5 + shift, 14 + shift, 17 + shift, 14 + shift, ink);
            break;
        case PowerButton::Down:
            Triangle(cr, 11 + shift, 15 + shift, 5 + shift, 6 + shift, 17 + shift, 6 + shift, ink);
            break;
    }
}

void PaintLever(cairo_t* cr, int position) {
    // Plate rows 5..35; the rest of the picture stays transparent so the
    // levers above and below keep their own plates.
    const int top = layout::kLeverPlateTop, bottom = layout::kLeverPlateBottom;
    FillIndex(cr, 2, top, 20, bottom - top + 1, P(3));
    Bevel(cr, 2, top, 20, bottom - top + 1, 1, P(14), P(1));
    FillIndex(cr, 4, top + 2, 16, bottom - top - 3, P(7));
    FillIndex(cr, 10, top + 4, 4, bottom - top - 7, P(0));  // the slot
    const double cx = 12.0, cy = (top + bottom + 1) / 2.0;
    if (position == 0) {
        FillDisc(cr, cx, cy, 5.0, P(2));
        FillDisc(cr, cx, cy, 4.0, G(11));
        FillDisc(cr, cx - 1.2, cy - 1.2, 1.6, G(13));
        return;
    }
    const double end = cy - position * 11.0;
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx, end);
    cairo_set_line_width(cr, 4.0);
    SetIndex(cr, G(10));
    cairo_stroke(cr);
    cairo_move_to(cr, cx - 0.8, cy);
    cairo_line_to(cr, cx - 0.8, end);
    cairo_set_line_width(cr, 1.2);
    SetIndex(cr, G(13));
    cairo_stroke(cr);
    FillDisc(cr, cx, end, 4.5, P(2));
    FillDisc(cr, cx, end, 3.6, G(11));
    FillDisc(cr, cx - 1.0, end - 1.0, 1.5, G(13));
}

void PaintLamp(cairo_t* cr, int w, int h, const char* legend, LampLight light) {
    FillIndex(cr, 0, 0, w, h, 0);
    Bevel(cr, 0, 0, w, h, 1, P(2), P(15));
    int glass = P(2), ink = P(6), glow = -1;
    switch (light) {
        case LampLight::Dark: break;
        case LampLight::Amber:
            glass = RampIndex(Ramp::Amber, 8);
            glow = RampIndex(Ramp::Amber, 10);
            ink = RampIndex(Ramp::Amber, 0);
            break;
        case LampLight::Green:
            glass = RampIndex(Ramp::Green, 6);
            glow = RampIndex(Ramp::Green, 8);
            ink = RampIndex(Ramp::Green, 0);
            break;
    }
    FillIndex(cr, 3, 3, w - 6, h - 6, glass);
    if (glow >= 0) FillIndex(cr, 5, 5, w - 10, h - 10, glow);
    SelectFont(cr, Font::SansCondensedBold, 10.0);
    SetIndex(cr, ink);
    TextCentred(cr, legend, 3, 3, w - 6, h - 6);
}
