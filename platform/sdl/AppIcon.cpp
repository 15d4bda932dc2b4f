#include "platform/sdl/AppIcon.h"

#include <string_view>

namespace {

// The classic 16 colours, by the hex digit that stands for them below.
// clang-format off
constexpr std::array<uint32_t, 16> kIconColors = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,  // 0..7
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,  // 8..F
};

// An aircraft seen from behind on a night approach to a lit runway.
constexpr std::array<std::string_view, kIconSize> kIconRows = {
    "00000000000000000000000000000000",
    "04444444444444444444444444444440",
    "04444444444444444444444444444440",
    "04444444444444444444444444444440",
    "044444444444444FF444444444444440",
    "044444444444444FF444444444444440",
    "0CCCCCCCCCCCCCCFFCCCCCCCCCCCCCC0",
    "0CCCCCCCCCCCCCCFFCCCCCCCCCCCCCC0",
    "0CCCCCCCCCCCCCFFFFCCCCCCCCCCCCC0",
    "0CC9FFFFFFFFFFFFFFFFFFFFFFFFACC0",
    "0C9FFFFF7FFFFFFFFFFFFFF7FFFFFAC0",
    "0CCCCCCCCCCFFCFFFFCFFCCCCCCCCCC0",
    "0CCCCCCCCCCCCCCFFCCCCCCCCCCCCCC0",
    "0CCCCCCCCCCCCCCCCCCCCCCCCCCCCCC0",
    "0CCCCCCCCCCCCCCCCCCCCCCCCCCCCCC0",
    "0CCCCCCCCCCCCCCCCCCCCCCCCCCCCCC0",
    "02222222222222B88B22222222222220",
    "02222222222222888822222222222220",
    "02222222222222888822222222222220",
    "022222222222B88888B2222222222220",
    "022222222222288FF882222222222220",
    "022222222222888FF888222222222220",
    "0222222222B888888888B22222222220",
    "02222222222888888888822222222220",
    "022222222288888FF888882222222220",
    "02222222B288888FF88888B222222220",
    "02222222288888888888888222222220",
    "02222222888888888888888822222220",
    "022222B28888888FF8888888B2222220",
    "022222288888888FF888888882222220",
    "02222228888888888888888882222220",
    "00000000000000000000000000000000",
};
// clang-format on

uint32_t Digit(char c) {
    return (c >= '0' && c <= '9') ? static_cast<uint32_t>(c - '0') : static_cast<uint32_t>(c - 'A' + 10);
}

}  // namespace

std::vector<uint32_t> AppIconArgb() {
    std::vector<uint32_t> pixels;
    pixels.reserve(kIconSize * kIconSize);
    for (const std::string_view row : kIconRows) {
        for (const char c : row) pixels.push_back(0xFF000000u | kIconColors[Digit(c) & 15u]);
    }
    return pixels;
}

std::vector<uint8_t> AppIconRgba() {
    std::vector<uint8_t> bytes;
    bytes.reserve(kIconSize * kIconSize * 4);
    for (const uint32_t p : AppIconArgb()) {
        bytes.push_back(static_cast<uint8_t>(p >> 16));
        bytes.push_back(static_cast<uint8_t>(p >> 8));
        bytes.push_back(static_cast<uint8_t>(p));
        bytes.push_back(static_cast<uint8_t>(p >> 24));
    }
    return bytes;
}
