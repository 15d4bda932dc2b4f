// The atlas generator's job table: one row per picture, or per series of
// pictures of one kind, that it paints (Jobs.cpp).
//
// A job names a catalogue rectangle and says how to paint it. Most jobs paint
// with cairo (PaintFn, Painter.h) on a transparent canvas of the rectangle's
// size, which is then mapped to palette indices (ToIndices below). Where the
// exact index matters (a dial interior the needle must show through, a key
// colour inside a picture) a job adds a finishing step that reads and writes
// the atlas indices directly. Jobs run in table order, so a finishing step may
// copy pixels an earlier job painted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Painter.h"

// The atlas being built: 3200 x 2000 palette indices, rows top-down.
class AtlasIndices {
public:
    AtlasIndices();
    uint8_t At(int x, int y) const;
    void Set(int x, int y, uint8_t index);
    // Whether a job has painted the pixel (for the generator's own checks).
    bool Painted(int x, int y) const;
    const std::vector<uint8_t>& Pixels() const { return pixels_; }

private:
    std::vector<uint8_t> pixels_;
    std::vector<uint8_t> painted_;
};

// A finishing step: rect is the job's rectangle; it may touch only that.
using FinishFn = void (*)(AtlasIndices& atlas, const Sprite& rect);

// Where painted colours are ordered-dithered (4 x 4) instead of mapped to the
// nearest palette colour: gradients only, never text or edges. In the job's
// own coordinates; empty by default. Exact palette colours are never touched.
struct DitherArea {
    int x = 0, y = 0, width = 0, height = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};
constexpr DitherArea kDitherAll{0, 0, 1 << 14, 1 << 14};

// One row of the job table. A row paints one catalogue rectangle, or a
// series of pictures of one kind (digits, needles, lamps): pictures arg,
// arg + 1, ... arg + count - 1, each where `place` puts it. Pictures of a
// series that share one rectangle are painted once, by the first of them.
struct Job {
    const char* name;                    // a catalogue name, or what the picture shows
    Sprite rect{};                       // the rectangle (a series: left empty)
    PaintFn paint = nullptr;             // may be null: the finishing step does it all
    int arg = 0;                         // handed to the painter: which frame, state or digit
    FinishFn finish = nullptr;           // may be null
    DitherArea dither{};
    int count = 1;                       // a series: how many pictures
    Sprite (*place)(int arg) = nullptr;  // a series: where picture arg lies
};

// The one table of every picture the generator paints, in painting order.
std::span<const Job> AtlasJobs();

// One picture to paint: a row of the table, and which picture of it.
struct JobPicture {
    const Job* job;
    int arg;
    Sprite rect;
};
// The table's pictures in order, series laid out one picture each.
std::vector<JobPicture> JobPictures(std::span<const Job> jobs);

// Maps one painted ARGB32 canvas (cairo's premultiplied format, stride in
// bytes) into the atlas at rect: alpha below one half becomes rect.key, other
// pixels the nearest palette colour other than the key and the reserved key
// colours; kOpaque rectangles map every pixel. Marks the pixels painted.
void ToIndices(const uint8_t* argb, int stride, const Sprite& rect, const DitherArea& dither, AtlasIndices& atlas);
