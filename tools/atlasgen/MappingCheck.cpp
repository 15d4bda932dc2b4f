#include "MappingCheck.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <vector>

#include "ArtPalette.h"
#include "Jobs.h"

namespace {

// One premultiplied ARGB32 pixel as cairo stores it.
uint32_t Pixel(int a, int r, int g, int b) {
    auto pre = [&](int c) { return static_cast<uint32_t>((c * a + 127) / 255); };
    return static_cast<uint32_t>(a) << 24 | pre(r) << 16 | pre(g) << 8 | pre(b);
}

// Maps a w x h canvas of one colour into a scratch atlas at (8, 8) and
// returns the indices it got.
std::vector<int> MapFlat(uint32_t pixel, int w, int h, int key, const DitherArea& dither) {
    static AtlasIndices atlas;
    std::vector<uint32_t> canvas(static_cast<size_t>(w) * h, pixel);
    const Sprite rect{8, 8, static_cast<int16_t>(w), static_cast<int16_t>(h), static_cast<int16_t>(key)};
    ToIndices(reinterpret_cast<const uint8_t*>(canvas.data()), w * 4, rect, dither, atlas);
    std::vector<int> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.push_back(atlas.At(8 + x, 8 + y));
    return out;
}

int MapOne(uint32_t pixel, int key) { return MapFlat(pixel, 1, 1, key, {})[0]; }

}  // namespace

int CheckMapping() {
    int failures = 0;
    auto expect = [&](bool ok, const char* rule, int detail) {
        if (!ok) {
            std::fprintf(stderr, "mapping rule broken: %s (%d)\n", rule, detail);
            ++failures;
        }
    };
    const auto& pal = AtlasPalette();

    // Coverage below one half is the key; from one half on it is a colour.
    struct AlphaCase {
        int alpha;
        bool transparent;
    };
    for (const AlphaCase& c : {AlphaCase{0, true}, {60, true}, {127, true}, {128, false}, {255, false}}) {
        const int got = MapOne(Pixel(c.alpha, 200, 40, 40), 255);
        expect((got == 255) == c.transparent, "alpha below one half becomes the key", c.alpha);
    }
    // An opaque picture has no key: even empty pixels get a colour.
    expect(MapOne(0, kOpaque) == 0, "an opaque picture maps empty pixels to black", MapOne(0, kOpaque));

    // Every palette colour a painter may use comes back as itself, also
    // inside a dithered area and from a half-covered edge pixel.
    for (int k = 0; k < 256; ++k) {
        if (IsReservedIndex(k)) continue;
        const Rgb8 c = pal[k];
        const int key = k == 3 ? 255 : 3;
        expect(MapOne(Pixel(255, c.r, c.g, c.b), key) == k, "an exact palette colour stays exact", k);
        const std::vector<int> block = MapFlat(Pixel(255, c.r, c.g, c.b), 4, 4, key, kDitherAll);
        expect(std::set<int>(block.begin(), block.end()).size() == 1 && block[0] == k,
               "dithering leaves exact colours alone", k);
    }
    // The key of the picture and the reserved indices are never a mapped
    // colour, not even when painted in their very own colour.
    for (int k = 0; k < 256; ++k) {
        const Rgb8 c = pal[k];
        const int got = MapOne(Pixel(255, c.r, c.g, c.b), k);
        expect(got != k, "a picture's key is never one of its colours", k);
        expect(!IsReservedIndex(got), "reserved indices are never a mapped colour", k);
    }
    // A colour between palette entries is dithered only where asked.
    const uint32_t between = Pixel(255, 101, 141, 199);
    const std::vector<int> plain = MapFlat(between, 4, 4, 255, {});
    const std::vector<int> dithered = MapFlat(between, 4, 4, 255, kDitherAll);
    expect(std::set<int>(plain.begin(), plain.end()).size() == 1, "no dithering outside a dither area",
           static_cast<int>(std::set<int>(plain.begin(), plain.end()).size()));
    expect(std::set<int>(dithered.begin(), dithered.end()).size() >= 2, "a gradient colour is dithered",
           static_cast<int>(std::set<int>(dithered.begin(), dithered.end()).size()));
    const std::vector<int> half = MapFlat(between, 4, 4, 255, {0, 0, 2, 4});
    expect(half[2] == plain[2] && half[3] == plain[3], "dithering stops at the area's edge", half[2]);
    return failures;
}
