// How the atlas generator paints one picture.
//
// A painter draws one catalogue rectangle with cairo, in the rectangle's own
// coordinates ((0, 0) is its top-left pixel), on a fully transparent ARGB
// canvas of the rectangle's size; `arg` is its job's argument (which frame,
// state or digit of a kind of picture it is). Where it leaves alpha below one half the
// atlas gets the sprite's key index; every other pixel is mapped to the
// nearest atlas colour other than the key, so a sprite edge is either the key
// or a real colour, never a blend of the two.
#pragma once

#include <cairo.h>

#include "gfx/AtlasCatalogue.h"

using PaintFn = void (*)(cairo_t* cr, const Sprite& rect, int arg);

// Fonts loaded from fixed files (DejaVu, Liberation) with hinting and
// anti-aliasing set explicitly, so output does not depend on the machine.
enum class Font { Sans, SansBold, SansCondensedBold, Serif, SerifBold, Mono, MonoBold };
void SelectFont(cairo_t* cr, Font font, double size);
