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
// against a slow reference that walks the whole surface, and the two row
// orders must show the same picture; a mismatch aborts.
#include <fuzzer/FuzzedDataProvider.h>

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

    void Fill(uint8_t seed) {
        // A background that differs from pixel to pixel shows which pixels a blit wrote.
        for (size_t i = 0; i < kSurfaceBytes; ++i) {
            const int x = static_cast<int>(i % kSurfaceWidth), y = static_cast<int>(i / kSurfaceWidth);
            const auto v = static_cast<uint8_t>(seed + x * 3 + y * 5);
            topDown[i] = v;
            expected[i] = v;
            bottomUp[static_cast<size_t>(kSurfaceHeight - 1 - y) * kSurfaceWidth + x] = v;
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
void ReferenceBlit(std::vector<uint8_t>& picture, const CDibImage& atlas, const Rect& r) {
    const int64_t w = atlas.GetWidth(), h = atlas.GetHeight();
    const uint8_t* bits = atlas.GetBits();
    for (int64_t y = 0; y < kSurfaceHeight; ++y) {
        const int64_t k = y - r.destY;
        if (k < 0 || k >= static_cast<int64_t>(r.height)) continue;
        const int64_t sy = int64_t{r.srcY} + k;
        if (sy < 0 || sy >= h) continue;
        for (int64_t x = 0; x < kSurfaceWidth; ++x) {
            const int64_t j = x - r.destX;
            if (j < 0 || j >= static_cast<int64_t>(r.width)) continue;
            const int64_t sx = int64_t{r.srcX} + j;
            if (sx < 0 || sx >= w) continue;
            const uint8_t v = bits[(h - 1 - sy) * w + sx];
            if (r.key != kOpaque && v == r.key) continue;
            picture[static_cast<size_t>(y * kSurfaceWidth + x)] = v;
        }
    }
}

// Blits r on both surfaces; where the atlas can serve, checks both against the reference.
void CheckedBlit(Surfaces& s, const CDibImage& atlas, bool serving, const Rect& r) {
    DoBlit(s.topDown.data(), kTopDown, atlas, r);
    DoBlit(s.bottomUp.data(), kBottomUp, atlas, r);
    if (!serving) return;
    ReferenceBlit(s.expected, atlas, r);
    if (std::memcmp(s.topDown.data(), s.expected.data(), kSurfaceBytes) != 0) Fail("top-down", r, kTopDown);
    for (int y = 0; y < kSurfaceHeight; ++y) {
        const uint8_t* row = s.bottomUp.data() + static_cast<size_t>(kSurfaceHeight - 1 - y) * kSurfaceWidth;
        if (std::memcmp(row, s.expected.data() + static_cast<size_t>(y) * kSurfaceWidth, kSurfaceWidth) != 0)
            Fail("bottom-up", r, kBottomUp);
    }
}

Rect FromSprite(const Sprite& sp, int32_t x, int32_t y) {
    return {x, y, sp.x, sp.y, static_cast<uint32_t>(sp.width), static_cast<uint32_t>(sp.height), sp.key};
}

// Everything the game draws from a fixed table, at the places it uses.
// Without the reference check (a non-serving image) this is cheap; with it,
// a subset keeps each run fast while covering every entry across runs.
void BlitCatalogue(Surfaces& s, const CDibImage& atlas, bool serving, uint32_t pick) {
    const int stride = serving ? 7 : 1;
    for (int i = static_cast<int>(pick % stride); i < kCatalogueSize; i += stride) {
        const Sprite& sp = kCatalogue[i].sprite;
        // The full-window pictures land at (0, 0); the rest somewhere inside the surface.
        const int32_t x = static_cast<int32_t>((pick >> 3) % static_cast<uint32_t>(kSurfaceWidth - (sp.width < kSurfaceWidth ? sp.width : kSurfaceWidth) + 1));
        const int32_t y = static_cast<int32_t>((pick >> 13) % static_cast<uint32_t>(kSurfaceHeight - (sp.height < kSurfaceHeight ? sp.height : kSurfaceHeight) + 1));
        CheckedBlit(s, atlas, serving, FromSprite(sp, x, y));
    }
    for (int i = static_cast<int>(pick % stride); i < kAirspeedNeedleCount; i += stride) {
        const AirspeedNeedle& n = kAirspeedNeedles[i];
        CheckedBlit(s, atlas, serving,
                    {n.destX, n.destY, n.srcX, n.srcY, static_cast<uint32_t>(n.width),
                     static_cast<uint32_t>(n.height), kNeedleKey});
    }
    for (int i = static_cast<int>(pick % stride); i < kGaugeNeedleCount; i += stride) {
        const GaugeNeedle& n = kGaugeNeedles[i];
        CheckedBlit(s, atlas, serving,
                    {395 + n.dx, 225 + n.dy, n.srcX, n.srcY, static_cast<uint32_t>(n.width),
                     static_cast<uint32_t>(n.height), kNeedleKey});
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
    auto extent = [&in]() -> uint32_t {
        return in.ConsumeBool() ? in.ConsumeIntegral<uint32_t>() : in.ConsumeIntegralInRange<uint32_t>(0, 1300);
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

// A full-sized atlas made from a recipe (see the top of this file).
// `file` is reused from run to run: a fresh 6.4 MB buffer each time costs more
// than everything else a run does.
void AtlasFromRecipe(FuzzedDataProvider& in, std::vector<uint8_t>& file) {
    // An exhausted input reads as zeros, and zeros give the plain serving atlas.
    static constexpr int32_t kWidthChange[] = {0, 4, -4, 8, 1, 2, 3, -1};
    static constexpr int32_t kHeightChange[] = {0, 1, -1, 2, 3};
    const int32_t width = kAtlasWidth + kWidthChange[in.ConsumeIntegralInRange<int>(0, 7)];
    const int32_t height = kAtlasHeight + kHeightChange[in.ConsumeIntegralInRange<int>(0, 4)];
    const uint32_t clrUsed = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(230, 260) : 0u;
    const uint32_t entries = clrUsed == 0 ? 256u : clrUsed;
    const size_t stride = (static_cast<size_t>(width) + 3) / 4 * 4;
    const size_t pixelOffset = 14 + 40 + 4 * static_cast<size_t>(entries);
    file.assign(pixelOffset + stride * static_cast<size_t>(height), 0);

    auto put32 = [&file](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, static_cast<uint32_t>(pixelOffset));
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = 8;
    put32(46, clrUsed);
    for (size_t k = 0; k < entries; ++k) {
        file[54 + 4 * k] = static_cast<uint8_t>(k);
        file[55 + 4 * k] = static_cast<uint8_t>(255 - k);
        file[56 + 4 * k] = static_cast<uint8_t>(k * 7);
    }

    // Pixels: a tile from the input (so keyed runs of every length occur), or a
    // gradient when the input gives none.
    const std::vector<uint8_t> tile = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 4096));
    uint8_t* pixels = file.data() + pixelOffset;
    const size_t pixelBytes = file.size() - pixelOffset;
    if (tile.empty()) {
        // Stored row r, column x holds 7 x + 13 r (mod 256): rows are slices of
        // one ramp of step 7, each starting where 7 s = 13 r (183 is 1 / 7 mod 256).
        std::vector<uint8_t> ramp(stride + 256);
        for (size_t t = 0; t < ramp.size(); ++t) ramp[t] = static_cast<uint8_t>(t * 7);
        for (size_t r = 0; r < static_cast<size_t>(height); ++r)
            std::memcpy(pixels + r * stride, ramp.data() + (r * 13 * 183) % 256, stride);
    } else {
        for (size_t i = 0; i < pixelBytes; i += tile.size())
            std::memcpy(pixels + i, tile.data(), tile.size() < pixelBytes - i ? tile.size() : pixelBytes - i);
    }

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
    static std::vector<uint8_t> file;
    if (rawFile) {
        file.assign(data, data + size);
    } else {
        in.ConsumeIntegral<uint8_t>();  // the byte that is not 'B'
        AtlasFromRecipe(in, file);
    }

    const CDibImage atlas(file.data(), file.size());
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
    // for an image that cannot serve: it clips.
    static Surfaces surfaces;
    surfaces.Fill(static_cast<uint8_t>(size));
    BlitCatalogue(surfaces, atlas, serving, static_cast<uint32_t>(size * 2654435761u));
    const int rects = in.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < rects; ++i) CheckedBlit(surfaces, atlas, serving, HostileRect(in));
    return 0;
}
