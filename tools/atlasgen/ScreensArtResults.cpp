// The result screens: the message panel, the headlines, the warning lamp and
// the messages that say why a flight ended.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ScreensArt.h"

namespace screens {

namespace {

// A headline or message: a bold word in its own colour, then plain words,
// centred together on the panel's dark inside.
void Message(cairo_t* cr, const Sprite& r, const char* word, int wordInk, const char* rest, double size) {
    FillIndex(cr, 0, 0, r.width, r.height, PanelInk());
    const char* sep = rest != nullptr ? "  " : "";
    // Shrink both parts together until the whole line fits.
    double s = size;
    double total = 0, wordWidth = 0, gap = 0;
    for (;; s -= 0.25) {
        SelectFont(cr, Font::SansBold, s);
        cairo_text_extents_t we;
        cairo_text_extents(cr, word, &we);
        wordWidth = we.x_advance;
        SelectFont(cr, Font::Sans, s * 0.8);
        cairo_text_extents_t ge, re{};
        cairo_text_extents(cr, sep, &ge);
        if (rest != nullptr) cairo_text_extents(cr, rest, &re);
        gap = ge.x_advance;
        total = wordWidth + gap + (rest != nullptr ? re.x_advance : 0);
        if (total <= r.width - 6) break;
        if (s < 9) {
            // Words that do not fit are a fault of the picture: stop and say so.
            std::fprintf(stderr, "atlasgen: \"%s %s\" does not fit %d pixels\n", word, rest ? rest : "", r.width);
            std::exit(1);
        }
    }
    SelectFont(cr, Font::SansBold, s);
    cairo_text_extents_t we;
    cairo_text_extents(cr, word, &we);
    const double x = std::round((r.width - total) / 2);
    const double baseline = std::round((r.height - we.height) / 2 - we.y_bearing);
    SetIndex(cr, RampIndex(Ramp::Navy, 0));
    TextAt(cr, word, x + 1, baseline + 1);
    SetIndex(cr, wordInk);
    TextAt(cr, word, x, baseline);
    if (rest == nullptr) return;
    SelectFont(cr, Font::Sans, s * 0.8);
    SetIndex(cr, RampIndex(Ramp::Panel, 19));
    TextAt(cr, rest, x + wordWidth + gap, baseline);
}

void Lamp(cairo_t* cr, const Sprite& r, bool lit) {
    const int w = r.width, h = r.height;
    // Bezel: outline, steel ring; the outline rows top and bottom are shared
    // with the other lamp picture, so both keep them the same index.
    FillIndex(cr, 0, 0, w, h, RampIndex(Ramp::Panel, 0));
    Bevel(cr, 1, 1, w - 2, h - 2, 2, RampIndex(Ramp::Panel, 17), RampIndex(Ramp::Panel, 5));
    FillIndex(cr, 3, 3, w - 6, h - 6, RampIndex(Ramp::Panel, 0));
    // The lens: red glass, glowing or dark, with a highlight.
    const int inner = 4;
    if (lit) {
        SetRadialGradient(cr, w / 2.0, h / 2.0, 2, w / 2.0, h / 2.0, w / 2.0,
                          {{0, 1.0, 0.9, 0.6}, {0.35, 1.0, 0.35, 0.2}, {1, 0.6, 0.0, 0.0}});
        FillRect(cr, inner, inner, w - 2 * inner, h - 2 * inner);
    } else {
        FillIndex(cr, inner, inner, w - 2 * inner, h - 2 * inner, RampIndex(Ramp::Red, 1));
        FillIndex(cr, inner + 6, inner + 3, w - 2 * inner - 12, h - 2 * inner - 6, RampIndex(Ramp::Red, 2));
    }
    FillIndex(cr, inner + 2, inner + 1, w - 2 * inner - 4, 1, lit ? RampIndex(Ramp::Red, 7) : RampIndex(Ramp::Red, 3));
    // Engraved word on the lens.
    SelectFont(cr, Font::SansCondensedBold, 10);
    SetIndex(cr, lit ? RampIndex(Ramp::Red, 2) : RampIndex(Ramp::Red, 0));
    TextCentred(cr, "ALARM", inner, inner + 1, w - 2 * inner, h - 2 * inner);
}

}  // namespace

void PaintMessagePanel(cairo_t* cr, const Sprite& r, int) { MessagePanel(cr, 0, 0, r.width, r.height); }

void PaintWarningHeadline(cairo_t* cr, const Sprite& r, int) {
    Message(cr, r, "WARNING", RampIndex(Ramp::Amber, 10), "close to a limit: watch airspeed, localizer and glide slope",
            19);
}
void PaintFailureHeadline(cairo_t* cr, const Sprite& r, int) {
    Message(cr, r, "FAILURE", RampIndex(Ramp::Red, 6), "a limit was passed: push the restart switch up to fly again",
            19);
}
void PaintArrivalHeadline(cairo_t* cr, const Sprite& r, int) {
    Message(cr, r, "ARRIVAL", RampIndex(Ramp::Green, 8), "the approach is flown", 16);
}

void PaintWarningLampLit(cairo_t* cr, const Sprite& r, int) { Lamp(cr, r, true); }
void PaintWarningLampDark(cairo_t* cr, const Sprite& r, int) { Lamp(cr, r, false); }

void PaintCourseMessage(cairo_t* cr, const Sprite& r, int) {
    Message(cr, r, "Off course:", RampIndex(Ramp::Red, 6), "beyond the localizer or glide-slope limit", 15);
}
void PaintOverspeedMessage(cairo_t* cr, const Sprite& r, int) {
    Message(cr, r, "Overspeed:", RampIndex(Ramp::Red, 6), "airspeed above 300 mph", 16);
}
void PaintArrivalMessage(cairo_t* cr, const Sprite& r, int) {
    Message(cr, r, "You have reached the runway threshold", RampIndex(Ramp::Green, 8), nullptr, 14);
}

void PaintOverspeedEnd(cairo_t* cr, const Sprite& r, int) {
    // Yellow and black hazard stripes, the same at either end of the message.
    const int w = r.width, h = r.height;
    FillIndex(cr, 0, 0, w, h, PanelInk());
    FillIndex(cr, 3, 2, w - 6, h - 4, RampIndex(Ramp::Navy, 0));
    cairo_save(cr);
    cairo_rectangle(cr, 4, 3, w - 8, h - 6);
    cairo_clip(cr);
    FillIndex(cr, 4, 3, w - 8, h - 6, RampIndex(Ramp::Amber, 10));
    SetIndex(cr, RampIndex(Ramp::Navy, 0));
    for (int k = -4; k < 12; ++k) {
        const double x = k * 10;
        const double bottom = h;
        Polygon(cr, {{x, bottom}, {x + 5, bottom}, {x + 5 + bottom, 0}, {x + bottom, 0}});
    }
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace screens
