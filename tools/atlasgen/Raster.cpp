// Turning painted canvases into atlas indices.
#include <cstddef>
#include <unordered_map>

#include "ArtPalette.h"
#include "Jobs.h"

AtlasIndices::AtlasIndices()
    : pixels_(static_cast<std::size_t>(kAtlasWidth) * kAtlasHeight, 0),
      painted_(static_cast<std::size_t>(kAtlasWidth) * kAtlasHeight, 0) {}

uint8_t AtlasIndices::At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * kAtlasWidth + x]; }

void AtlasIndices::Set(int x, int y, uint8_t index) {
    const std::size_t at = static_cast<std::size_t>(y) * kAtlasWidth + x;
    pixels_[at] = index;
    painted_[at] = 1;
}

bool AtlasIndices::Painted(int x, int y) const { return painted_[static_cast<std::size_t>(y) * kAtlasWidth + x] != 0; }

namespace {

// Nearest-colour searches repeat a lot (flat areas); remember them.
int CachedNearest(int r, int g, int b, int excluded) {
    static std::unordered_map<uint64_t, int> cache;
    const uint64_t k = (static_cast<uint64_t>(excluded + 1) << 24) | (static_cast<uint64_t>(r) << 16) |
                       (static_cast<uint64_t>(g) << 8) | static_cast<uint64_t>(b);
    auto it = cache.find(k);
    if (it != cache.end()) return it->second;
    const int index = NearestIndex(r, g, b, excluded);
    cache.emplace(k, index);
    return index;
}

constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
// How far the threshold moves a colour: about the step between ramp colours.
constexpr int kDitherSpread = 22;

int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

}  // namespace

void ToIndices(const uint8_t* argb, int stride, const Sprite& rect, const DitherArea& dither, AtlasIndices& atlas) {
    const auto& pal = AtlasPalette();
    for (int y = 0; y < rect.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(argb + static_cast<std::size_t>(y) * stride);
        for (int x = 0; x < rect.width; ++x) {
            const uint32_t p = row[x];
            const int a = static_cast<int>(p >> 24);
            const int ax = rect.x + x, ay = rect.y + y;
            if (rect.key != kOpaque && a < 128) {
                atlas.Set(ax, ay, static_cast<uint8_t>(rect.key));
                continue;
            }
            int r = 0, g = 0, b = 0;
            if (a > 0) {  // cairo keeps colours premultiplied by alpha
                r = static_cast<int>((((p >> 16) & 0xFF) * 255 + a / 2) / a);
                g = static_cast<int>((((p >> 8) & 0xFF) * 255 + a / 2) / a);
                b = static_cast<int>(((p & 0xFF) * 255 + a / 2) / a);
            }
            int index = CachedNearest(r, g, b, rect.key);
            const Rgb8 c = pal[index];
            const bool exact = c.r == r && c.g == g && c.b == b;
            if (!exact && dither.Contains(x, y)) {
                // The threshold follows atlas coordinates, so neighbouring
                // pictures dither in step.
                const int t = (kBayer[ay & 3][ax & 3] * 2 - 15) * kDitherSpread / 32;
                index = CachedNearest(Clamp255(r + t), Clamp255(g + t), Clamp255(b + t), rect.key);
            }
            atlas.Set(ax, ay, static_cast<uint8_t>(index));
        }
    }
}
