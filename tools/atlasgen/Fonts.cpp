// Fonts by file, so the lettering is the same on every machine.
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>

#include "Painter.h"

namespace {

const char* FontFile(Font font) {
    switch (font) {
        case Font::Sans: return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
        case Font::SansBold: return "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
        case Font::SansCondensedBold: return "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
        case Font::Serif: return "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf";
        case Font::SerifBold: return "/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf";
        case Font::Mono: return "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
        case Font::MonoBold: return "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
    }
    return "";
}

constexpr int kFontCount = 7;

cairo_font_face_t* FaceFor(Font font) {
    static FT_Library library = nullptr;
    static cairo_font_face_t* faces[kFontCount] = {};
    const int slot = static_cast<int>(font);
    if (faces[slot] != nullptr) return faces[slot];
    if (library == nullptr && FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "atlasgen: FreeType cannot start\n");
        std::exit(1);
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, FontFile(font), 0, &face) != 0) {
        std::fprintf(stderr, "atlasgen: cannot read font %s (install fonts-dejavu-core and fonts-liberation2)\n",
                     FontFile(font));
        std::exit(1);
    }
    // The face lives as long as the program: cairo keeps using it.
    faces[slot] = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
    return faces[slot];
}

}  // namespace

void SelectFont(cairo_t* cr, Font font, double size) {
    cairo_set_font_face(cr, FaceFor(font));
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}
