// Made-up Windows bitmap files, one builder for the tests, the benchmarks and
// the fuzzer.
//
// A synthetic 3200 x 2000 atlas whose every pixel is a known function of its
// place lets a test tell exactly which atlas pixel landed where; the options
// bend a well-formed file in the ways a broken one can be bent. Only the
// standard library and gfx/ are used, so the fuzzer builds it straight from
// the sources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "gfx/DibImage.h"

// Index of a pixel at (x, y), y counted from the top of the picture as seen.
using PixelFn = std::function<uint8_t(int x, int y)>;

// The default atlas pattern: neighbouring pixels differ across both axes and
// the pattern does not repeat within a sprite's width or height of 18.
uint8_t AtlasPattern(int x, int y);
// Colour-table entry k of the synthetic bitmaps: three distinct functions of k.
RgbQuad TestColor(int k);

// Little-endian fields of a file image.
void PutLe16(std::vector<uint8_t>& bytes, size_t at, uint16_t v);
void PutLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t v);

// How a made-up bitmap file departs from a well-formed one.
struct BitmapOptions {
    char signature[2] = {'B', 'M'};
    uint32_t infoHeaderSize = 40;       // biSize; the header written is this long (at least 40)
    uint32_t compression = 0;           // biCompression
    uint32_t clrUsed = 0;               // biClrUsed as written
    int32_t colorEntries = -1;          // entries written; -1: the colour count the header implies
    uint32_t sizeImage = 0;             // biSizeImage as written
    int32_t offBits = -1;               // bfOffBits; -1: the true offset of the pixels
    bool topDown = false;               // store rows top-down (negative biHeight)
    bool padRows = true;                // rows padded to 4 bytes as a real file's are
    size_t keepBytes = SIZE_MAX;        // cut the file to this many bytes
    PixelFn pixel;                      // 8-bit pixels; empty: AtlasPattern
};

// Where the parts of such a file lie, before any cut.
struct BitmapLayout {
    size_t headerSize;    // the info header as written
    size_t colorEntries;  // entries of the colour table
    size_t stride;        // bytes of one stored row
    size_t pixelOffset;   // where the pixels start
    size_t fileSize;      // headers, table and every row
};
BitmapLayout LayoutOf(int width, int height, uint16_t bitCount, const BitmapOptions& options = {});

// Writes the file header, the info header and the colour table over the first
// pixelOffset bytes of `file` (which holds at least those); the file size
// written is file.size().
void WriteBitmapHeaders(std::vector<uint8_t>& file, int width, int height, uint16_t bitCount,
                        const BitmapOptions& options = {});

// A Windows bitmap file image. 8-bit pixels come from options.pixel; other
// depths get rows of zero bytes of their stride.
std::vector<uint8_t> MakeBitmapBytes(int width, int height, uint16_t bitCount, const BitmapOptions& options = {});
