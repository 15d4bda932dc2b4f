// A libFuzzer target for the atlas reader and everything the game does with
// what it read: CDibImage from bytes, AtlasProblem, and, whatever the image,
// the palette builder and blits of every catalogue rectangle and needle
// picture in both surface row orders, plus blits of rectangles taken from the
// input itself, which the blitter must clip.
//
// An input is one of two kinds:
//   - it starts with "BM": it is a bitmap file, byte for byte;
//   - otherwise it is a recipe for a full-sized atlas (the smallest that can
//     serve is 3200 x 2000, 6.4 MB, too big for the fuzzer to find by itself):
//     a well-formed 8-bit atlas of 3200 + a by 2000 + b pixels whose pixels
//     tile bytes of the input, with header bytes overwritten and the file cut
//     short as the input says.
// Both kinds end with hostile rectangles drawn from the input's last bytes.
//
// Where the atlas can serve, every blit is also checked pixel for pixel
// against a slow reference, and whatever the atlas the two row orders must
// show the same picture; a mismatch aborts. One row order is drawn with the
// portable keyed rows and the other with the fastest this machine has (which
// gets which alternates from input to input), so both are fuzzed everywhere.
//
// Speed: a full-sized atlas is 6.4 MB, so its pixel block is built once and
// kept while the recipe's pixel part (size, colour count, tile) stays the
// same; a run rewrites only the headers and what the last run cut off, and
// the image takes the buffer without copying it. The harness's own loops
// (reference, backgrounds, pixel block) carry no coverage instrumentation.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfx/AtlasCatalogue.h"
#include "gfx/Blit.h"
#include "gfx/DibImage.h"
#include "gfx/Palette.h"
#include "tests/support/TestBitmap.h"

// The harness's own work: no coverage feedback (it would only slow the
// runs), and the reference needs no checks of its own.
#define HARNESS __attribute__((no_sanitize("coverage", "undefined"), noinline))

namespace {

constexpr size_t kSurfaceBytes = static_cast<size_t>(kSurfaceWidth) * kSurfaceHeight;

struct Rect {
    int32_t destX, destY, srcX, srcY;
    uint32_t width, height;
    int32_t key;  // kOpaque: an opaque blit
};

void Fail(const char* what, const Rect& r, int orientation) {
    std::fprintf(stderr,
                 "blit mismatch (%s): dest (%d, %d) src (%d, %d) size %u x %u key %d orientation %d\n",
                 what, r.destX, r.destY, r.srcX, r.srcY, r.width, r.height, r.key, orientation);
    std::abort();
}

// Heap surfaces of exactly 640 x 480 bytes, so that any write outside is an
// AddressSanitizer report rather than a silent overwrite of a neighbour.
struct Surfaces {
    std::vector<uint8_t> topDown = std::vector<uint8_t>(kSurfaceBytes);
    std::vector<uint8_t> bottomUp = std::vector<uint8_t>(kSurfaceBytes);
    std::vector<uint8_t> expected = std::vector<uint8_t>(kSurfaceBytes);

    // A background that differs from pixel to pixel shows which pixels a
    // blit wrote: seed + 3 x + 5 y, each row a slice of one ramp of step 3
    // starting where 3 t = seed + 5 y (171 is 1 / 3 mod 256).
    HARNESS void Fill(uint8_t seed) {
        static const std::array<uint8_t, kSurfaceWidth + 256> ramp = [] {
            std::array<uint8_t, kSurfaceWidth + 256> r{};
            for (size_t t = 0; t < r.size(); ++t) r[t] = static_cast<uint8_t>(t * 3);
            return r;
        }();
        for (int y = 0; y < kSurfaceHeight; ++y) {
            const uint8_t* row = ramp.data() + static_cast<uint8_t>(171 * (seed + 5 * y));
            std::memcpy(topDown.data() + static_cast<size_t>(y) * kSurfaceWidth, row, kSurfaceWidth);
            std::memcpy(expected.data() + static_cast<size_t>(y) * kSurfaceWidth, row, kSurfaceWidth);
            std::memcpy(bottomUp.data() + static_cast<size_t>(kSurfaceHeight - 1 - y) * kSurfaceWidth, row, kSurfaceWidth);
        }
    }
};

void DoBlit(uint8_t* surface, int orientation, const CDibImage& atlas, const Rect& r) {
    if (r.key == kOpaque) {
        BlitOpaque(surface, orientation, r.destX, r.destY, atlas, r.srcX, r.srcY, r.width, r.height);
    } else {
        BlitKeyed(surface, orientation, r.destX, r.destY, atlas, r.srcX, r.srcY, r.width, r.height, r.key);
    }
}

// The rule itself, one surface pixel at a time (top-down picture): surface
// pixel (x, y) takes atlas pixel (srcX + x - destX, srcY + y - destY) when
// that lies inside both the rectangle and the atlas, unless it is the key.
// Only the surface rows and columns the rectangle covers are visited.
HARNESS void ReferenceBlit(std::vector<uint8_t>& picture, const CDibImage& atlas, const Rect& r, int64_t& firstRow,
                           int64_t& lastRow) {
    const int64_t w = atlas.GetWidth(), h = atlas.GetHeight();
    const uint8_t* bits = atlas.GetBits();
    firstRow = std::max<int64_t>({0, r.destY, int64_t{r.destY} - r.srcY});
    lastRow = std::min<int64_t>({kSurfaceHeight, int64_t{r.destY} + r.height, int64_t{r.destY} - r.srcY + h});
    const int64_t firstCol = std::max<int64_t>({0, r.destX, int64_t{r.destX} - r.srcX});
    const int64_t lastCol = std::min<int64_t>({kSurfaceWidth, int64_t{r.destX} + r.width, int64_t{r.destX} - r.srcX + w});
    for (int64_t y = firstRow; y < lastRow; ++y) {
        const int64_t base = (h - 1 - (int64_t{r.srcY} + y - r.destY)) * w + (int64_t{r.srcX} - r.destX);
        uint8_t* out = picture.data() + y * kSurfaceWidth;
        for (int64_t x = firstCol; x < lastCol; ++x) {
            const uint8_t v = bits[base + x];
            if (r.key == kOpaque || v != r.key) out[x] = v;
        }
    }
}

// Whether the bottom-up surface shows rows [first, last) as the top-down one does.
HARNESS bool SameRows(const Surfaces& s, const std::vector<uint8_t>& picture, int64_t first, int64_t last) {
    for (int64_t y = first; y < last; ++y) {
        const uint8_t* row = s.bottomUp.data() + static_cast<size_t>(kSurfaceHeight - 1 - y) * kSurfaceWidth;
        if (std::memcmp(row, picture.data() + static_cast<size_t>(y) * kSurfaceWidth, kSurfaceWidth) != 0) return false;
    }
    return true;
}

// Blits r on both surfaces, each with its own row routine; where the atlas
// can serve, checks the rows it covers against the reference (the whole
// surfaces are compared at the end of the run).
HARNESS void CheckedBlit(Surfaces& s, const CDibImage& atlas, bool serving, const Rect& r, bool portableTopDown) {
    SetBlitPath(portableTopDown ? BlitPath::Portable : BlitPath::Fastest);
    DoBlit(s.topDown.data(), kTopDown, atlas, r);
    SetBlitPath(portableTopDown ? BlitPath::Fastest : BlitPath::Portable);
    DoBlit(s.bottomUp.data(), kBottomUp, atlas, r);
    if (!serving) return;
    int64_t first = 0, last = 0;
    ReferenceBlit(s.expected, atlas, r, first, last);
    if (first >= last) return;
    const size_t at = static_cast<size_t>(first) * kSurfaceWidth, bytes = static_cast<size_t>(last - first) * kSurfaceWidth;
    if (std::memcmp(s.topDown.data() + at, s.expected.data() + at, bytes) != 0) Fail("top-down", r, kTopDown);
    if (!SameRows(s, s.expected, first, last)) Fail("bottom-up", r, kBottomUp);
}

Rect FromSprite(const Sprite& sp, int32_t x, int32_t y) {
    return {x, y, sp.x, sp.y, static_cast<uint32_t>(sp.width), static_cast<uint32_t>(sp.height), sp.key};
}

// Everything the game draws from a fixed table, at the places it uses.
// A subset keeps each run fast while covering every entry across runs; a
// serving image, checked against the reference, takes a smaller one.
void BlitCatalogue(Surfaces& s, const CDibImage& atlas, bool serving, uint32_t pick, bool portableTopDown) {
    const int stride = serving ? 17 : 5;
    for (int i = static_cast<int>(pick % stride); i < kCatalogueSize; i += stride) {
        const Sprite& sp = kCatalogue[i].sprite;
        // The full-window pictures land at (0, 0); the rest somewhere inside the surface.
        const int32_t x = static_cast<int32_t>((pick >> 3) % static_cast<uint32_t>(kSurfaceWidth - (sp.width < kSurfaceWidth ? sp.width : kSurfaceWidth) + 1));
        const int32_t y = static_cast<int32_t>((pick >> 13) % static_cast<uint32_t>(kSurfaceHeight - (sp.height < kSurfaceHeight ? sp.height : kSurfaceHeight) + 1));
        CheckedBlit(s, atlas, serving, FromSprite(sp, x, y), portableTopDown);
    }
    for (int i = static_cast<int>(pick % stride); i < kAirspeedNeedleCount; i += stride) {
        const AirspeedNeedle& n = kAirspeedNeedles[i];
        CheckedBlit(s, atlas, serving,
                    {n.destX, n.destY, n.srcX, n.srcY, static_cast<uint32_t>(n.width),
                     static_cast<uint32_t>(n.height), kNeedleKey}, portableTopDown);
    }
    for (int i = static_cast<int>(pick % stride); i < kGaugeNeedleCount; i += stride) {
        const GaugeNeedle& n = kGaugeNeedles[i];
        CheckedBlit(s, atlas, serving,
                    {395 + n.dx, 225 + n.dy, n.srcX, n.srcY, static_cast<uint32_t>(n.width),
                     static_cast<uint32_t>(n.height), kNeedleKey}, portableTopDown);
    }
}

// Rectangles chosen by the input: mostly near the edges of surface and atlas,
// where clipping matters, sometimes anything at all.
Rect HostileRect(FuzzedDataProvider& in) {
    auto coordinate = [&in](int32_t edge) -> int32_t {
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return in.ConsumeIntegral<int32_t>();
        case 1: return in.ConsumeIntegralInRange<int32_t>(-2, 2);
        case 2: return edge + in.ConsumeIntegralInRange<int32_t>(-700, 2);
        default: return in.ConsumeIntegralInRange<int32_t>(-5000, 5000);
        }
    };
    // Mostly small: the clipping is at the edges, and area only costs time.
    auto extent = [&in]() -> uint32_t {
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return in.ConsumeIntegral<uint32_t>();
        case 1: return in.ConsumeIntegralInRange<uint32_t>(0, 1300);
        default: return in.ConsumeIntegralInRange<uint32_t>(0, 80);
        }
    };
    Rect r;
    r.destX = coordinate(kSurfaceWidth);
    r.destY = coordinate(kSurfaceHeight);
    r.srcX = coordinate(kAtlasWidth);
    r.srcY = coordinate(kAtlasHeight);
    r.width = extent();
    r.height = extent();
    r.key = in.ConsumeBool() ? kOpaque : in.ConsumeIntegralInRange<int32_t>(-2, 258);
    return r;
}

// The part of a recipe that decides the pixel block.
struct PixelRecipe {
    int32_t width = 0, height = 0;
    uint32_t entries = 0;
    std::vector<uint8_t> tile;
    bool operator==(const PixelRecipe&) const = default;
};

// Pixel bytes [from, to) of the block: a tile from the input (so keyed runs
// of every length occur), or a gradient when the input gives none.
__attribute__((no_sanitize("address"))) HARNESS void FillPixels(std::vector<uint8_t>& file, size_t pixelOffset, size_t stride, const PixelRecipe& recipe,
                        size_t from, size_t to) {
    uint8_t* pixels = file.data() + pixelOffset;
    if (from >= to) return;
    if (recipe.tile.empty()) {
        // Stored row r, column x holds 7 x + 13 r (mod 256): rows are slices of
        // one ramp of step 7, each starting where 7 s = 13 r (183 is 1 / 7 mod 256).
        static std::vector<uint8_t> ramp;
        if (ramp.size() != stride + 256) {
            ramp.resize(stride + 256);
            for (size_t t = 0; t < ramp.size(); ++t) ramp[t] = static_cast<uint8_t>(t * 7);
        }
        for (size_t r = from / stride; r * stride < to; ++r)
            std::memcpy(pixels + r * stride, ramp.data() + (r * 13 * 183) % 256, stride);
    } else {
        // Whole tiles from the one holding `from`, then ever longer copies of
        // what is written (a short tile would otherwise take a million copies).
        const size_t n = recipe.tile.size();
        const size_t start = from - from % n;
        size_t done = std::min(n, to - start);
        std::memcpy(pixels + start, recipe.tile.data(), done);
        while (start + done < to) {
            const size_t more = std::min(done, to - start - done);
            std::memcpy(pixels + start + done, pixels + start, more);
            done += more;
        }
    }
}

// A full-sized atlas made from a recipe (see the top of this file) in `file`,
// which holds the last run's atlas: its pixel block is kept when the recipe's
// pixel part is the same, and only the headers, the first pixel row (which the
// patches may reach) and whatever the last run cut off are written again.
void AtlasFromRecipe(FuzzedDataProvider& in, std::vector<uint8_t>& file) {
    static PixelRecipe last;
    // An exhausted input reads as zeros, and zeros give the plain serving atlas.
    static constexpr int32_t kWidthChange[] = {0, 4, -4, 8, 1, 2, 3, -1};
    static constexpr int32_t kHeightChange[] = {0, 1, -1, 2, 3};
    PixelRecipe recipe;
    recipe.width = kAtlasWidth + kWidthChange[in.ConsumeIntegralInRange<int>(0, 7)];
    recipe.height = kAtlasHeight + kHeightChange[in.ConsumeIntegralInRange<int>(0, 4)];
    const uint32_t clrUsed = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(230, 260) : 0u;
    recipe.entries = clrUsed == 0 ? 256u : clrUsed;
    recipe.tile = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 4096));
    BitmapOptions headers;
    headers.clrUsed = clrUsed;
    const BitmapLayout layout = LayoutOf(recipe.width, recipe.height, 8, headers);
    const size_t stride = layout.stride, pixelOffset = layout.pixelOffset, fullSize = layout.fileSize;

    if (recipe == last && file.size() > pixelOffset && file.size() <= fullSize) {
        // The block is kept: what the last run cut off is written again, and
        // the first pixel bytes, which its patches may have reached.
        const size_t held = file.size() - pixelOffset;
        file.resize(fullSize);
        FillPixels(file, pixelOffset, stride, recipe, held, fullSize - pixelOffset);
        FillPixels(file, pixelOffset, stride, recipe, 0, std::min<size_t>(16, held));
    } else {
        file.assign(fullSize, 0);
        FillPixels(file, pixelOffset, stride, recipe, 0, fullSize - pixelOffset);
        last = recipe;
    }
    WriteBitmapHeaders(file, recipe.width, recipe.height, 8, headers);

    // Header patches: byte writes anywhere in the file and colour-table headers.
    const int patches = in.ConsumeIntegralInRange<int>(0, 6);
    for (int p = 0; p < patches; ++p) {
        const size_t at = in.ConsumeIntegralInRange<size_t>(2, pixelOffset + 8);
        const uint8_t v = in.ConsumeIntegral<uint8_t>();
        if (at < file.size()) file[at] = v;
    }
    // Cut short: usually not, sometimes anywhere.
    if (in.ConsumeIntegralInRange<int>(0, 3) == 3) {
        file.resize(in.ConsumeIntegralInRange<size_t>(0, file.size()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool rawFile = size >= 2 && data[0] == 'B' && data[1] == 'M';
    // A raw file's rectangles come from its own second half.
    FuzzedDataProvider in(rawFile ? data + size / 2 : data, rawFile ? size - size / 2 : size);
    // The recipes' atlas buffer, lent to the image and taken back each run.
    static std::vector<uint8_t> recipeFile;
    if (!rawFile) {
        in.ConsumeIntegral<uint8_t>();  // the byte that is not 'B'
        AtlasFromRecipe(in, recipeFile);
    }
    // A raw file is copied: a bitmap reader must not need its input to stay.
    CDibImage atlas = rawFile ? CDibImage(data, size) : CDibImage(std::move(recipeFile));
    const std::string problem = AtlasProblem(atlas);
    const bool serving = problem.empty();
    if (!atlas.IsLoaded()) {
        // An empty image says why, and has nothing to read from.
        if (atlas.LoadError().empty() || serving) std::abort();
        if (atlas.GetBits() != nullptr || atlas.GetColorTable() != nullptr) std::abort();
    }

    // The palette builder reads the colour table of whatever was read.
    const PaletteColors palette = BuildGamePalette(ClassicSystemColors(), atlas);
    if (!(palette[0] == ClassicSystemColors()[0]) || !(palette[255] == ClassicSystemColors()[19])) std::abort();

    // The blitter must stay inside the surface and inside the bytes held even
    // for an image that cannot serve: it clips. Whatever the image, both row
    // orders, each drawn with its own row routine, show one picture.
    static Surfaces surfaces;
    const bool portableTopDown = (size & 1) != 0;
    surfaces.Fill(static_cast<uint8_t>(size));
    BlitCatalogue(surfaces, atlas, serving, static_cast<uint32_t>(size * 2654435761u), portableTopDown);
    const int rects = in.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < rects; ++i) CheckedBlit(surfaces, atlas, serving, HostileRect(in), portableTopDown);
    if (!SameRows(surfaces, surfaces.topDown, 0, kSurfaceHeight)) Fail("the two row orders", Rect{}, kBottomUp);
    if (serving && std::memcmp(surfaces.topDown.data(), surfaces.expected.data(), kSurfaceBytes) != 0)
        Fail("the whole picture", Rect{}, kTopDown);

    if (!rawFile) recipeFile = atlas.ReleaseBytes();
    return 0;
}
