// The game palette: an identity palette of the display's 20 reserved colours
// at indices 0..9 and 246..255 and the atlas's own colours at 10..245, so that
// showing the surface is a plain transfer of indices.
#pragma once

#include <array>

#include "gfx/Color.h"

class CDibImage;

// The classic 20 static colours of a 256-colour desktop: entries 0..9, then
// entries 246..255. Hosts without a system palette report these.
const std::array<Rgb, 20>& ClassicSystemColors();

// Builds the game palette from the system colours and the atlas's colour
// table entries 10..245 (an entry the table does not hold stays black).
PaletteColors BuildGamePalette(const std::array<Rgb, 20>& systemColors, const CDibImage& atlas);
