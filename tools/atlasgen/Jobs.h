// The atlas generator's job list: one job per picture it paints.
//
// A job names a catalogue rectangle and says how to paint it. Most jobs paint
// with cairo (PaintFn, Painter.h) on a transparent canvas of the rectangle's
// size, which is then mapped to palette indices (ToIndices below). Where the
// exact index matters (a dial interior the needle must show through, a key
// colour inside a picture) a job adds a finishing step that reads and writes
// the atlas indices directly. Jobs run in list order, so a finishing step may
// copy pixels an earlier job painted.
#pragma once

#include <cstddef>
#include <cstdint>
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

struct Job {
    const char* name;
    Sprite rect;
    PaintFn paint = nullptr;     // may be null: the finishing step does it all
    FinishFn finish = nullptr;   // may be null
    DitherArea dither{};
};
using JobList = std::vector<Job>;

// The cockpit's pictures (panel, instruments, needles, controls, scenery).
void AddCockpitJobs(JobList& jobs);
// The title, information and result screens' pictures (ScreensArt*.cpp).
// Declared weak so the generator links while those pictures are not yet made.
void AddScreensJobs(JobList& jobs) __attribute__((weak));

// Maps one painted ARGB32 canvas (cairo's premultiplied format, stride in
// bytes) into the atlas at rect: alpha below one half becomes rect.key, other
// pixels the nearest palette colour other than the key and the reserved key
// colours; kOpaque rectangles map every pixel. Marks the pixels painted.
void ToIndices(const uint8_t* argb, int stride, const Sprite& rect, const DitherArea& dither, AtlasIndices& atlas);
