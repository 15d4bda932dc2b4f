// The program's icon: 32 x 32 pixels in the 16 colours of a classic desktop.
// It is the window's icon, appears twice in the About box, and is installed
// as the desktop entry's icon.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

constexpr int kIconSize = 32;

// The icon as 0xAARRGGBB pixels, row by row from the top.
std::vector<uint32_t> AppIconArgb();
// The same as R, G, B, A bytes (for PNG files).
std::vector<uint8_t> AppIconRgba();
