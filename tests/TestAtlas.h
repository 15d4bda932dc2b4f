// Bitmaps, atlases and game sessions made up for the tests.
//
// Unit tests never depend on the generated art: they cut from a synthetic
// 3200 x 2000 atlas whose every pixel is a known function of its place, so a
// test can tell exactly which atlas pixel landed where.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/AveluneView.h"
#include "gfx/Blit.h"
#include "gfx/DibImage.h"
#include "platform/common/AtlasFiles.h"
#include "platform/headless/HeadlessSession.h"

// Index of a pixel at (x, y), y counted from the top of the picture as seen.
using PixelFn = std::function<uint8_t(int x, int y)>;

// The default atlas pattern: neighbouring pixels differ across both axes and
// the pattern does not repeat within a sprite's width or height of 18.
uint8_t AtlasPattern(int x, int y);
// Colour-table entry k of the synthetic bitmaps: three distinct functions of k.
RgbQuad TestColor(int k);

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

// A Windows bitmap file image. 8-bit pixels come from options.pixel; other
// depths get rows of zero bytes of their stride.
std::vector<uint8_t> MakeBitmapBytes(int width, int height, uint16_t bitCount,
                                     const BitmapOptions& options = {});

// A 3200 x 2000 8-bit bottom-up atlas with a full colour table, pixel (x, y)
// = pixel(x, y) (AtlasPattern when empty).
std::unique_ptr<CDibImage> MakeTestAtlas(const PixelFn& pixel = {});
// The same, every pixel the one index.
std::unique_ptr<CDibImage> MakeUniformAtlas(uint8_t index);

// Writes bytes to a file; the test fails if it cannot.
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// A fresh directory for one test's files.
std::string MakeTempDir();
// Writes the test atlas as a bitmap file at `path`.
void WriteTestAtlasFile(const std::string& path, const PixelFn& pixel = {});

// A view on the test atlas over a host the caller keeps; its window is not
// created yet (OnCreate has not run, so the timer is not started).
std::unique_ptr<CAveluneView> MakeTestView(GameHost& host, const PixelFn& pixel = {});

// A headless game on the test atlas, view created and timer running.
std::unique_ptr<HeadlessSession> MakeTestSession(int orientation = kTopDown,
                                                 const PixelFn& pixel = {});
