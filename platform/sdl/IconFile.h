// The program's icon, read from the PNG the art build writes beside the
// atlas: the window's icon, and twice in the About box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct IconImage {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;  // 0xAARRGGBB, rows from the top
};

// Reads a PNG of at most 256 x 256 pixels; false (with `error` set) when the
// file is missing, not a PNG or too large.
bool LoadIconPng(const std::string& path, IconImage& icon, std::string& error);
