// Colours as the palette and the window hold them.
#pragma once

#include <array>
#include <cstdint>

// One palette colour.
struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// The 256 colours the window shows palette indices through.
using PaletteColors = std::array<Rgb, 256>;
