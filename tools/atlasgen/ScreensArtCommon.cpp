// Lettering, buttons, plates and scenes shared by the screens' pictures.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ScreensArt.h"

namespace screens {

int PanelInk() { return RampIndex(Ramp::Navy, 1); }
int TitleTopSky() { return RampIndex(Ramp::Navy, 0); }

// ---- Text ------------------------------------------------------------------

double InkWidth(cairo_t* cr, const char* text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    return e.width;
}

double FitFont(cairo_t* cr, Font font, const char* text, double width, double size, double smallest) {
    for (double s = size; s >= smallest - 1e-9; s -= 0.25) {
        SelectFont(cr, font, s);
        if (InkWidth(cr, text) <= width) return s;
    }
    // A picture whose words do not fit is wrong; stop rather than clip them.
    std::fprintf(stderr, "atlasgen: \"%s\" does not fit %.0f pixels even at size %.1f\n", text, width, smallest);
    std::exit(1);
}

void TextCentredAt(cairo_t* cr, const char* text, double x, double baseline) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    cairo_move_to(cr, std::round(x - e.width / 2 - e.x_bearing), baseline);
    cairo_show_text(cr, text);
}

void OutlinedText(cairo_t* cr, const char* text, double x, double baseline, int ink, int outline) {
    SetIndex(cr, outline);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0) TextAt(cr, text, x + dx, baseline + dy);
    SetIndex(cr, ink);
    TextAt(cr, text, x, baseline);
}

// ---- Buttons ----------------------------------------------------------------

namespace {

int ButtonOutline() { return RampIndex(Ramp::Panel, 0); }
int ButtonLight() { return RampIndex(Ramp::Panel, 20); }
int ButtonMid() { return RampIndex(Ramp::Panel, 16); }
int ButtonShade() { return RampIndex(Ramp::Panel, 7); }
int ButtonFaceRaised() { return RampIndex(Ramp::Panel, 13); }
int ButtonInk() { return RampIndex(Ramp::Navy, 1); }

}  // namespace

void ButtonEdge(cairo_t* cr, int x, int y, int w, int h, ButtonState state) {
    // A one-pixel outline, then rings of bevel: lit from the top left when
    // raised; pressed in, a soft shadow falls on the top and left instead.
    FillIndex(cr, x, y, w, 1, ButtonOutline());
    FillIndex(cr, x, y + h - 1, w, 1, ButtonOutline());
    FillIndex(cr, x, y, 1, h, ButtonOutline());
    FillIndex(cr, x + w - 1, y, 1, h, ButtonOutline());
    struct Ring {
        int topLeft, bottomRight;
    };
    const Ring raised[kButtonEdge - 1] = {{ButtonLight(), ButtonShade()},
                                          {ButtonMid(), RampIndex(Ramp::Panel, 9)},
                                          {ButtonFaceRaised(), ButtonFaceRaised()},
                                          {ButtonFaceRaised(), ButtonFaceRaised()}};
    const Ring pressed[kButtonEdge - 1] = {{RampIndex(Ramp::Panel, 3), ButtonMid()},
                                           {RampIndex(Ramp::Panel, 6), ButtonFaceRaised()},
                                           {RampIndex(Ramp::Panel, 9), ButtonFaceRaised()},
                                           {RampIndex(Ramp::Panel, 11), ButtonFaceRaised()}};
    const Ring* rings = state == ButtonState::Raised ? raised : pressed;
    for (int i = 0; i < kButtonEdge - 1; ++i) {
        Bevel(cr, x + 1 + i, y + 1 + i, w - 2 - 2 * i, h - 2 - 2 * i, 1, rings[i].topLeft, rings[i].bottomRight);
    }
}

void ButtonFace(cairo_t* cr, int x, int y, int w, int h, ButtonState state, const char* label) {
    const bool pressed = state == ButtonState::Pressed;
    FillIndex(cr, x, y, w, h, ButtonFaceRaised());
    ButtonEdge(cr, x, y, w, h, state);
    if (label == nullptr) return;
    const int shift = pressed ? 1 : 0;
    FitFont(cr, Font::SansCondensedBold, label, w - 2 * kButtonEdge - 2, 14, 9);
    cairo_text_extents_t e;
    cairo_text_extents(cr, label, &e);
    const double tx = std::round(x + (w - e.width) / 2 - e.x_bearing) + shift;
    const double ty = std::round(y + (h - e.height) / 2 - e.y_bearing) + shift;
    SetIndex(cr, ButtonLight());
    TextAt(cr, label, tx + 1, ty + 1);
    SetIndex(cr, ButtonInk());
    TextAt(cr, label, tx, ty);
}

void InfoGlyph(cairo_t* cr, double cx, double cy, int ink) {
    // A ringed lower-case "i", the sign for information at airports.
    SetIndex(cr, ink);
    cairo_set_line_width(cr, 2.0);
    cairo_arc(cr, cx, cy, 10.5, 0, 2 * M_PI);
    cairo_stroke(cr);
    FillDisc(cr, cx, cy - 5.5, 1.9, ink);
    FillIndex(cr, static_cast<int>(std::floor(cx)) - 1, static_cast<int>(std::floor(cy)) - 2, 3, 9, ink);
    FillIndex(cr, static_cast<int>(std::floor(cx)) - 3, static_cast<int>(std::floor(cy)) - 2, 2, 2, ink);
    FillIndex(cr, static_cast<int>(std::floor(cx)) - 3, static_cast<int>(std::floor(cy)) + 6, 8, 2, ink);
}

// ---- Panels -------------------------------------------------------------------

void MessagePanel(cairo_t* cr, int x, int y, int w, int h) {
    // Outline, a raised steel rim, a flat band, a sunken edge, and the dark inside.
    FillIndex(cr, x, y, w, h, RampIndex(Ramp::Panel, 0));
    Bevel(cr, x + 1, y + 1, w - 2, h - 2, 3, RampIndex(Ramp::Panel, 18), RampIndex(Ramp::Panel, 5));
    FillIndex(cr, x + 4, y + 4, w - 8, h - 8, RampIndex(Ramp::Panel, 11));
    Bevel(cr, x + 9, y + 9, w - 18, h - 18, 2, RampIndex(Ramp::Panel, 4), RampIndex(Ramp::Panel, 16), false);
    FillIndex(cr, x + 11, y + 11, w - 22, h - 22, RampIndex(Ramp::Panel, 0));
    FillIndex(cr, x + 12, y + 12, w - 24, h - 24, PanelInk());
}

void TitlePlate(cairo_t* cr, int w, int h) {
    const double r = 12;
    auto rounded = [&](double inset) {
        const double x0 = inset, y0 = inset, x1 = w - inset, y1 = h - inset, rr = r - inset;
        cairo_new_path(cr);
        cairo_arc(cr, x1 - rr, y0 + rr, rr, -M_PI / 2, 0);
        cairo_arc(cr, x1 - rr, y1 - rr, rr, 0, M_PI / 2);
        cairo_arc(cr, x0 + rr, y1 - rr, rr, M_PI / 2, M_PI);
        cairo_arc(cr, x0 + rr, y0 + rr, rr, M_PI, 3 * M_PI / 2);
        cairo_close_path(cr);
    };
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    // The frame's bands from the outside in, each filled over the last.
    struct Band {
        double inset;
        int index;
    };
    for (const Band band : {Band{0, RampIndex(Ramp::Gold, 1)}, Band{1, RampIndex(Ramp::Gold, 6)},
                            Band{3, RampIndex(Ramp::Gold, 2)}, Band{4, RampIndex(Ramp::Navy, 0)}}) {
        rounded(band.inset);
        SetIndex(cr, band.index);
        cairo_fill(cr);
    }
    rounded(5);
    cairo_restore(cr);
    SetLinearGradient(cr, 0, 5, 0, h - 5, {Stop255(0, 30, 46, 110), Stop255(1, 8, 12, 46)});
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_fill(cr);
    cairo_restore(cr);
}

void InformationBar(cairo_t* cr, int x, int y, bool secondPage) {
    constexpr int w = 283, h = 43;
    MetalPlate(cr, x, y, w, h, RampIndex(Ramp::Panel, 9), 2);
    FillIndex(cr, x, y, w, 1, RampIndex(Ramp::Panel, 0));
    FillIndex(cr, x, y + h - 1, w, 1, RampIndex(Ramp::Panel, 0));
    FillIndex(cr, x, y, 1, h, RampIndex(Ramp::Panel, 0));
    FillIndex(cr, x + w - 1, y, 1, h, RampIndex(Ramp::Panel, 0));
    // Back at (4, 4) 73 x 35, the same place and size as the start button's
    // pictures that the handlers draw over it.
    ButtonFace(cr, x + 4, y + 4, 73, 35, ButtonState::Raised, "BACK");
    if (!secondPage) {
        // The page's own "i" where the page button's released picture, one
        // pixel over, lands when the mouse is let go over it: face 33 x 35.
        // It stands one row higher than its neighbours so that picture, which
        // lacks the button's top row, matches it pixel for pixel.
        ButtonFace(cr, x + 125, y + 3, 33, 35, ButtonState::Raised, nullptr);
        InfoGlyph(cr, x + 125 + 16.5, y + 3 + 17.5, ButtonInk());
        ButtonFace(cr, x + 204, y + 4, 73, 35, ButtonState::Raised, "CONTINUE");
        return;
    }
    // The second page goes nowhere further: a sunken note in place of the
    // other two buttons.
    FillIndex(cr, x + 96, y + 6, 180, 31, RampIndex(Ramp::Panel, 6));
    Bevel(cr, x + 96, y + 6, 180, 31, 1, RampIndex(Ramp::Panel, 3), RampIndex(Ramp::Panel, 15), false);
    FillIndex(cr, x + 97, y + 7, 178, 29, PanelInk());
    SetIndex(cr, RampIndex(Ramp::Amber, 10));
    FitFont(cr, Font::SansCondensedBold, "PAGE 2 OF 2", 170, 13, 9);
    TextCentred(cr, "PAGE 2 OF 2", x + 97, y + 7, 178, 29);
}

// ---- Scenes -------------------------------------------------------------------

void DuskScene(cairo_t* cr, int x, int y, int w, int h, double vanishX, double horizonY, double runwayHalfWidth) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    // Sky: deep blue overhead, violet, then the orange glow of the set sun.
    SetLinearGradient(cr, 0, y, 0, horizonY,
                      {Stop255(0.0, 20, 28, 84), Stop255(0.55, 96, 60, 130), Stop255(0.85, 210, 110, 90),
                       Stop255(1.0, 250, 180, 90)});
    FillRect(cr, x, y, w, horizonY - y);
    // Far hills, blue-grey against the glow.
    SetIndex(cr, RampIndex(Ramp::Hills, 0));
    cairo_move_to(cr, x, horizonY);
    for (int i = 0; i <= w; i += 4) {
        const double t = i / static_cast<double>(w);
        const double hill = 2.5 + 2.0 * std::sin(t * 17.0) + 1.5 * std::sin(t * 41.0 + 1.0);
        cairo_line_to(cr, x + i, horizonY - std::max(0.0, hill));
    }
    cairo_line_to(cr, x + w, horizonY + 1);
    cairo_line_to(cr, x, horizonY + 1);
    cairo_close_path(cr);
    cairo_fill(cr);
    // Ground in the dusk: dark green, darker towards the viewer.
    SetLinearGradient(cr, 0, horizonY, 0, y + h, {Stop255(0, 40, 56, 48), Stop255(1, 14, 26, 18)});
    FillRect(cr, x, horizonY, w, y + h - horizonY);
    // The runway in perspective, with its edge lights.
    const double bottom = y + h;
    const double depth = bottom - horizonY;
    SetIndex(cr, RampIndex(Ramp::Asphalt, 1));
    Polygon(cr, {{vanishX - 0.6, horizonY + 1},
                 {vanishX + 0.6, horizonY + 1},
                 {vanishX + runwayHalfWidth, bottom},
                 {vanishX - runwayHalfWidth, bottom}});
    cairo_fill(cr);
    for (int k = 1; k <= 10; ++k) {
        // Lights equally spaced along the runway: their rows crowd towards the horizon.
        const double z = 1.0 / (0.1 * k);
        const double yy = horizonY + depth / z;
        const double half = runwayHalfWidth * (yy - horizonY) / depth;
        const int lamp = k > 8 ? RampIndex(Ramp::Amber, 11) : RampIndex(Ramp::Amber, 9);
        FillIndex(cr, static_cast<int>(std::round(vanishX - half)) - 1, static_cast<int>(yy), 1, 1, lamp);
        FillIndex(cr, static_cast<int>(std::round(vanishX + half)), static_cast<int>(yy), 1, 1, lamp);
    }
    cairo_restore(cr);
}

void AirlinerRear(cairo_t* cr, double cx, double cy, double span, double bankDegrees) {
    const double s = span / 28.0;  // drawn on a 28-unit span
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, bankDegrees * M_PI / 180.0);
    cairo_scale(cr, s, s);
    auto outline = [&]() {
        // Wings with a little dihedral, tailplane, fin, engines, fuselage.
        cairo_new_path(cr);
        Polygon(cr, {{-14, -1.2}, {0, 1.0}, {14, -1.2}, {14, 0.4}, {0, 2.6}, {-14, 0.4}});
        Polygon(cr, {{-6.5, -3.6}, {6.5, -3.6}, {6.5, -2.5}, {-6.5, -2.5}});
        Polygon(cr, {{-0.7, -10.5}, {0.7, -10.5}, {1.2, -2}, {-1.2, -2}});
        cairo_new_sub_path(cr);
        cairo_arc(cr, -6.5, 3.0, 1.6, 0, 2 * M_PI);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 6.5, 3.0, 1.6, 0, 2 * M_PI);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0, 0.6, 3.3, 0, 2 * M_PI);
    };
    // A dark halo first, so the aircraft reads against sky and ground alike.
    outline();
    SetIndex(cr, RampIndex(Ramp::Navy, 0));
    cairo_set_line_width(cr, 2.0 / s);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
    outline();
    SetIndex(cr, RampIndex(Ramp::Panel, 18));
    cairo_fill(cr);
    // Engine intakes and the fuselage's lower shade.
    FillDisc(cr, -6.5, 3.0, 1.0, RampIndex(Ramp::Panel, 3));
    FillDisc(cr, 6.5, 3.0, 1.0, RampIndex(Ramp::Panel, 3));
    SetIndex(cr, RampIndex(Ramp::Panel, 12));
    cairo_arc(cr, 0, 0.6, 3.3, 0.15 * M_PI, 0.85 * M_PI);
    cairo_fill(cr);
    // Navigation lights: red on the left wing tip, green on the right.
    SetIndex(cr, RampIndex(Ramp::Red, 6));
    cairo_rectangle(cr, -14.5, -1.5, 1.6, 1.6);
    cairo_fill(cr);
    SetIndex(cr, RampIndex(Ramp::Green, 7));
    cairo_rectangle(cr, 12.9, -1.5, 1.6, 1.6);
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace screens
