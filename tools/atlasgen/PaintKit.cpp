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

void SetRgb(cairo_t* cr, int r, int g, int b, double alpha) {
    cairo_set_source_rgba(cr, r / 255.0, g / 255.0, b / 255.0, alpha);
}

ColorStop IndexColorStop(double at, int index, double alpha) {
    const Rgb8 c = AtlasPalette()[index & 0xFF];
    return {at, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha};
}

namespace {

// Hands the pattern to cairo as the source; cairo keeps it while it needs it.
void UseGradient(cairo_t* cr, cairo_pattern_t* g, std::initializer_list<ColorStop> stops) {
    for (const ColorStop& s : stops) cairo_pattern_add_color_stop_rgba(g, s.at, s.r, s.g, s.b, s.a);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
}

}  // namespace

void SetLinearGradient(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<ColorStop> stops) {
    UseGradient(cr, cairo_pattern_create_linear(x0, y0, x1, y1), stops);
}

void SetRadialGradient(cairo_t* cr, double x0, double y0, double r0, double x1, double y1, double r1,
                       std::initializer_list<ColorStop> stops) {
    UseGradient(cr, cairo_pattern_create_radial(x0, y0, r0, x1, y1, r1), stops);
}

void FillRect(cairo_t* cr, double x, double y, double w, double h) {
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void FillVerticalGradient(cairo_t* cr, double x, double y, double w, double h, double top, double bottom,
                          std::initializer_list<IndexStop> stops) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, top, 0, bottom);
    for (const IndexStop& s : stops) {
        const ColorStop c = IndexColorStop(s.at, s.index);
        cairo_pattern_add_color_stop_rgba(g, c.at, c.r, c.g, c.b, c.a);
    }
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
    FillRect(cr, x, y, w, h);
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

void Polygon(cairo_t* cr, std::initializer_list<PathPoint> points) {
    bool first = true;
    for (const PathPoint& p : points) {
        if (first) {
            cairo_move_to(cr, p.x, p.y);
        } else {
            cairo_line_to(cr, p.x, p.y);
        }
        first = false;
    }
    cairo_close_path(cr);
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
