#include "platform/cairo/CairoDebrief.h"

#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cctype>
#include <cmath>
#include <memory>

#include "files/ReplaceFile.h"

namespace cairo_debrief {

namespace {

using debrief::Align;
using debrief::Primitive;

constexpr const char* kFace = "DejaVu Sans";

void SetColour(cairo_t* cr, const debrief::Colour& c) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
}

void Paint(cairo_t* cr, const debrief::Plot& plot, double scale) {
    cairo_scale(cr, scale, scale);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (const Primitive& p : plot.items) {
        if (p.points.empty()) continue;
        SetColour(cr, p.colour);
        switch (p.kind) {
        case Primitive::Kind::kLine:
        case Primitive::Kind::kPolyline: {
            cairo_new_path(cr);
            cairo_move_to(cr, p.points[0].x, p.points[0].y);
            for (size_t i = 1; i < p.points.size(); ++i) cairo_line_to(cr, p.points[i].x, p.points[i].y);
            cairo_set_line_width(cr, p.width);
            const double dash[] = {4.0, 3.0};
            cairo_set_dash(cr, dash, p.dashed ? 2 : 0, 0);
            cairo_stroke(cr);
            break;
        }
        case Primitive::Kind::kFill: {
            cairo_new_path(cr);
            cairo_move_to(cr, p.points[0].x, p.points[0].y);
            for (size_t i = 1; i < p.points.size(); ++i) cairo_line_to(cr, p.points[i].x, p.points[i].y);
            cairo_close_path(cr);
            cairo_fill(cr);
            break;
        }
        case Primitive::Kind::kText: {
            cairo_select_font_face(cr, kFace, CAIRO_FONT_SLANT_NORMAL,
                                   p.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
            cairo_set_font_size(cr, p.size);
            cairo_text_extents_t ext;
            cairo_text_extents(cr, p.text.c_str(), &ext);
            const double shift = p.align == Align::kLeft ? 0 : p.align == Align::kCentre ? ext.x_advance / 2 : ext.x_advance;
            cairo_save(cr);
            cairo_translate(cr, p.points[0].x, p.points[0].y);
            if (p.vertical) cairo_rotate(cr, -M_PI / 2);
            cairo_move_to(cr, -shift, 0);
            cairo_show_text(cr, p.text.c_str());
            cairo_restore(cr);
            break;
        }
        }
    }
}

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
    return true;
}

struct SurfaceFree {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextFree {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

}  // namespace

std::vector<uint32_t> RenderPixels(const debrief::Plot& plot, double scale, int& width, int& height) {
    width = static_cast<int>(std::lround(plot.width * scale));
    height = static_cast<int>(std::lround(plot.height * scale));
    std::unique_ptr<cairo_surface_t, SurfaceFree> surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    std::vector<uint32_t> out;
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return out;
    {
        std::unique_ptr<cairo_t, ContextFree> cr(cairo_create(surface.get()));
        Paint(cr.get(), plot, scale);
    }
    cairo_surface_flush(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    out.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        std::copy(row, row + width, out.begin() + static_cast<size_t>(y) * width);
    }
    return out;
}

bool WriteDebrief(const debrief::Plot& plot, const std::string& path, std::string& error, double scale) {
    std::string bytes;
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    if (EndsWith(path, ".svg")) {
        std::unique_ptr<cairo_surface_t, SurfaceFree> surface(
            cairo_svg_surface_create_for_stream(Append, &bytes, plot.width * scale, plot.height * scale));
        // One logical unit is one pixel, as in the PNG.
        cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
        {
            std::unique_ptr<cairo_t, ContextFree> cr(cairo_create(surface.get()));
            Paint(cr.get(), plot, scale);
            status = cairo_status(cr.get());
        }
        cairo_surface_finish(surface.get());
        if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    } else {
        const int w = static_cast<int>(std::lround(plot.width * scale));
        const int h = static_cast<int>(std::lround(plot.height * scale));
        std::unique_ptr<cairo_surface_t, SurfaceFree> surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h));
        {
            std::unique_ptr<cairo_t, ContextFree> cr(cairo_create(surface.get()));
            Paint(cr.get(), plot, scale);
            status = cairo_status(cr.get());
        }
        if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png_stream(surface.get(), Append, &bytes);
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        error = "cannot draw the debrief for " + path + ": " + cairo_status_to_string(status);
        return false;
    }
    std::string reason;
    if (!ReplaceFile(path, bytes.data(), bytes.size(), reason)) {
        error = "cannot write the debrief " + path + ": " + reason;
        return false;
    }
    return true;
}

void ReleaseFonts() {
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace cairo_debrief
