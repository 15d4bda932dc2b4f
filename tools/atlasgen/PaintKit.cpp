#include "PaintKit.h"

#include <cmath>

void SetIndex(cairo_t* cr, int index) {
    const Rgb8 c = AtlasPalette()[index & 0xFF];
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void SetIndexAlpha(cairo_t* cr, int index, double alpha) {
    const Rgb8 c = AtlasPalette()[index & 0xFF];
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

void FillVerticalGradient(cairo_t* cr, double x, double y, double w, double h, double top, double bottom,
                          std::initializer_list<IndexStop> stops) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, top, 0, bottom);
    for (const IndexStop& s : stops) {
        const Rgb8 c = AtlasPalette()[s.index & 0xFF];
        cairo_pattern_add_color_stop_rgb(g, s.at, c.r / 255.0, c.g / 255.0, c.b / 255.0);
    }
    cairo_set_source(cr, g);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void FillIndex(cairo_t* cr, int x, int y, int w, int h, int index) {
    if (w <= 0 || h <= 0) return;
    SetIndex(cr, index);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void Bevel(cairo_t* cr, int x, int y, int w, int h, int depth, int light, int dark, bool sunken) {
    const int top = sunken ? dark : light, bottom = sunken ? light : dark;
    for (int i = 0; i < depth; ++i) {
        FillIndex(cr, x + i, y + i, w - 2 * i, 1, top);              // top edge
        FillIndex(cr, x + i, y + i, 1, h - 2 * i, top);              // left edge
        FillIndex(cr, x + i, y + h - 1 - i, w - 2 * i, 1, bottom);   // bottom edge
        FillIndex(cr, x + w - 1 - i, y + i + 1, 1, h - 2 * i - 1, bottom);  // right edge
    }
}

void MetalPlate(cairo_t* cr, int x, int y, int w, int h, int face, int depth) {
    FillIndex(cr, x, y, w, h, face);
    Bevel(cr, x, y, w, h, depth, RampIndex(Ramp::Panel, 17), RampIndex(Ramp::Panel, 3));
}

void FillDisc(cairo_t* cr, double cx, double cy, double r, int index) {
    SetIndex(cr, index);
    const int y0 = static_cast<int>(std::floor(cy - r)), y1 = static_cast<int>(std::ceil(cy + r));
    for (int y = y0; y <= y1; ++y) {
        const double dy = y + 0.5 - cy;
        if (dy * dy > r * r) continue;
        const double half = std::sqrt(r * r - dy * dy);
        const int xa = static_cast<int>(std::ceil(cx - half - 0.5)), xb = static_cast<int>(std::floor(cx + half - 0.5));
        if (xb >= xa) cairo_rectangle(cr, xa, y, xb - xa + 1, 1);
    }
    cairo_fill(cr);
}

void Rivet(cairo_t* cr, double cx, double cy, double r) {
    FillDisc(cr, cx + 0.5, cy + 0.5, r, RampIndex(Ramp::Panel, 2));      // shadow
    FillDisc(cr, cx, cy, r, RampIndex(Ramp::Panel, 12));                  // head
    FillDisc(cr, cx - r / 3, cy - r / 3, r / 2.2, RampIndex(Ramp::Panel, 19));  // highlight
}

void TextCentred(cairo_t* cr, const char* text, double x, double y, double w, double h) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    const double tx = x + (w - e.width) / 2 - e.x_bearing;
    const double ty = y + (h - e.height) / 2 - e.y_bearing;
    cairo_move_to(cr, std::round(tx), std::round(ty));
    cairo_show_text(cr, text);
}

void TextAt(cairo_t* cr, const char* text, double x, double y) {
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text);
}

void EngravedText(cairo_t* cr, const char* text, double x, double y, double w, double h, int ink, int shadow) {
    SetIndex(cr, shadow);
    TextCentred(cr, text, x + 1, y + 1, w, h);
    SetIndex(cr, ink);
    TextCentred(cr, text, x, y, w, h);
}
