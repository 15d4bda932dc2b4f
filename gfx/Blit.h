// The sprite blitter: every picture the game draws is a rectangle of the
// atlas copied into the 640 x 480 surface.
//
// Coordinates on both sides count from the top-left corner of the picture as
// seen; the blitter hides that the atlas is stored bottom-up and that the
// surface may be stored either way. Rectangles are clipped to the atlas and
// to the surface, so no caller can make it read or write outside them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

class CDibImage;

constexpr int kSurfaceWidth = 640;
constexpr int kSurfaceHeight = 480;
// Parts of surface rows: for each row y as seen (from the top), the columns
// From(y) up to To(y), if any.
class SurfaceRows {
public:
    SurfaceRows() { reset(); }
    // Rows top..bottom-1 gain columns left..right-1: each keeps one span,
    // around what it had and these. Clipped to the surface.
    void Add(int top, int bottom, int left, int right);
    // Whole rows, as a set of rows.
    void set(size_t y) { Add(static_cast<int>(y), static_cast<int>(y) + 1, 0, kSurfaceWidth); }
    bool test(size_t y) const { return y < from_.size() && from_[y] < to_[y]; }
    int From(size_t y) const { return from_[y]; }
    int To(size_t y) const { return to_[y]; }
    size_t count() const;  // rows with columns
    void reset() { Clear(0, kSurfaceHeight); }
    void Clear(int top, int bottom);  // rows top..bottom-1 lose their columns

private:
    std::array<uint16_t, kSurfaceHeight> from_, to_;
};
// -1: surface memory rows run top-down; any other value: bottom-up.
constexpr int kTopDown = -1;
constexpr int kBottomUp = 1;

// Copy width x height atlas pixels from (srcX, srcY) to (destX, destY),
// leaving the surface untouched wherever the atlas pixel equals `key`
// (a key outside 0..255 never matches).
void BlitKeyed(uint8_t* surface, int orientation, int32_t destX, int32_t destY,
               const CDibImage& atlas, int32_t srcX, int32_t srcY,
               uint32_t width, uint32_t height, int32_t key);

// The same copy without a key: every pixel is copied.
void BlitOpaque(uint8_t* surface, int orientation, int32_t destX, int32_t destY,
                const CDibImage& atlas, int32_t srcX, int32_t srcY,
                uint32_t width, uint32_t height);

// Which routine copies the rows of a keyed blit. Both draw the same picture;
// Fastest takes the AVX-512 rows where the processor has them, Portable
// always takes the portable rows (vector steps any compiler's vector unit
// runs, plain copies where the atlas's key index shows no key), so that
// tests and fuzzing reach them on every machine. The hosts start on Portable when the environment variable
// AVELUNE_BLIT is "portable" (see BlitPathNamed). Set it before drawing, not
// while another thread blits.
enum class BlitPath { Fastest, Portable };
void SetBlitPath(BlitPath path);
// The routine keyed blits take now: Portable on a machine without AVX-512
// whatever was set.
BlitPath CurrentBlitPath();
// "portable" or "fastest" (what AVELUNE_BLIT may say); false for anything else.
bool BlitPathNamed(const char* name, BlitPath& path);

// One piece of a sheared copy: `width` atlas columns from (srcX, srcY) on go
// to surface columns destX on.
struct BlitRun {
    int32_t destX, srcX, srcY;
    uint32_t width;
    friend bool operator==(const BlitRun&, const BlitRun&) = default;
};

// Keyed copies of `height` rows of every run, to surface rows destY on: the
// picture one BlitKeyed per run, in order, draws. Runs that stand side by side
// in the surface (each starting at or after the end of the one before) and lie
// wholly inside the surface and the atlas, 16 rows or more, are copied
// through a turned copy of the atlas (columns stored as rows) that each thread
// keeps, in tiles of 16 rows: that is how the outside view's sheared columns
// become cheap. The first such copy from a part of an atlas turns that part.
void BlitKeyedRuns(uint8_t* surface, int orientation, int32_t destY, const CDibImage& atlas,
                   std::span<const BlitRun> runs, uint32_t height, int32_t key);

// A rectangle of the surface: columns left..right-1, rows top..bottom-1 as seen.
struct SurfaceRect {
    int32_t left, top, right, bottom;
};

// Whether BlitKeyedRuns with these arguments writes every pixel of one
// rectangle, and which: its runs stand side by side with no gap, wholly
// inside the surface and the rows the atlas holds, and none of the atlas
// pixels they read is the key. False where that cannot be told cheaply
// (the key is looked for in blocks of the atlas, not pixel by pixel).
bool RunsCoverWholly(const CDibImage& atlas, std::span<const BlitRun> runs, int32_t destY, uint32_t height,
                     int32_t key, SurfaceRect& covered);

// Surface pixel (x, y) in a surface of the given row order.
inline uint8_t& SurfacePixel(uint8_t* surface, int orientation, int x, int y) {
    const int row = (orientation == kTopDown) ? y : kSurfaceHeight - 1 - y;
    return surface[row * kSurfaceWidth + x];
}
inline uint8_t SurfacePixel(const uint8_t* surface, int orientation, int x, int y) {
    const int row = (orientation == kTopDown) ? y : kSurfaceHeight - 1 - y;
    return surface[row * kSurfaceWidth + x];
}
