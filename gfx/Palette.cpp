#include "gfx/Palette.h"

#include "gfx/DibImage.h"

const std::array<Rgb, 20>& ClassicSystemColors() {
    // clang-format off
    static const std::array<Rgb, 20> colors = {{
        {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},  // 0..3
        {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},  // 4..7
        {0xC0, 0xDC, 0xC0}, {0xA6, 0xCA, 0xF0},                                          // 8, 9
        {0xFF, 0xFB, 0xF0}, {0xA0, 0xA0, 0xA4}, {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00},  // 246..249
        {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF},  // 250..253
        {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},                                          // 254, 255
    }};
    // clang-format on
    return colors;
}

PaletteColors BuildGamePalette(const std::array<Rgb, 20>& systemColors, const CDibImage& atlas) {
    PaletteColors palette{};
    for (int k = 0; k < 10; ++k) {
        palette[k] = systemColors[k];
        palette[246 + k] = systemColors[10 + k];
    }
    const RgbQuad* table = atlas.GetColorTable();
    const size_t held = atlas.GetColorTableAvailable() / 4;
    for (size_t k = 10; k <= 245; ++k) {
        if (table != nullptr && k < held) {
            palette[k] = {table[k].red, table[k].green, table[k].blue};
        }
    }
    return palette;
}
