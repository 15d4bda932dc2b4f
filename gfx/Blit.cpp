#include "gfx/Blit.h"

#include <algorithm>
#include <cstring>

#include "gfx/DibImage.h"

namespace {

// The rectangle left after clipping both sides, in top-left coordinates.
struct Clipped {
    int64_t destX, destY, srcX, srcY, width, height;
};

bool Clip(const CDibImage& atlas, int64_t destX, int64_t destY, int64_t srcX, int64_t srcY,
          int64_t width, int64_t height, Clipped& out) {
    const int64_t atlasW = atlas.GetWidth(), atlasH = atlas.GetHeight();
    if (atlas.GetBits() == nullptr || atlasW <= 0 || atlasH <= 0) return false;
    // Only the rows the block really holds may be read.
    const int64_t rowsHeld = std::min<int64_t>(atlasH, static_cast<int64_t>(atlas.GetBitsAvailable()) / atlasW);
    // Source rows y count from the top as seen; stored row = atlasH - 1 - y must be < rowsHeld.
    const int64_t firstReadableY = atlasH - rowsHeld;
    int64_t left = std::max<int64_t>({0, -destX, -srcX});
    int64_t top = std::max<int64_t>({0, -destY, -srcY, firstReadableY - srcY});
    int64_t right = std::min<int64_t>({width, kSurfaceWidth - destX, atlasW - srcX});
    int64_t bottom = std::min<int64_t>({height, kSurfaceHeight - destY, atlasH - srcY});
    if (left >= right || top >= bottom) return false;
    out = {destX + left, destY + top, srcX + left, srcY + top, right - left, bottom - top};
    return true;
}

template <bool kKeyed>
void Blit(uint8_t* surface, int orientation, int32_t destX, int32_t destY, const CDibImage& atlas,
          int32_t srcX, int32_t srcY, uint32_t width, uint32_t height, int32_t key) {
    Clipped c;
    if (!Clip(atlas, destX, destY, srcX, srcY, width, height, c)) return;
    const int64_t atlasW = atlas.GetWidth(), atlasH = atlas.GetHeight();
    const uint8_t* bits = atlas.GetBits();
    const bool keyMatches = key >= 0 && key <= 255;
    const auto keyByte = static_cast<uint8_t>(key);
    for (int64_t k = 0; k < c.height; ++k) {
        const uint8_t* src = bits + (atlasH - 1 - (c.srcY + k)) * atlasW + c.srcX;
        const int64_t y = c.destY + k;
        const int64_t row = (orientation == kTopDown) ? y : kSurfaceHeight - 1 - y;
        uint8_t* dst = surface + row * kSurfaceWidth + c.destX;
        if (!kKeyed || !keyMatches) {
            std::memcpy(dst, src, static_cast<size_t>(c.width));
            continue;
        }
        // Copy whole runs of non-key pixels at a time.
        int64_t j = 0;
        while (j < c.width) {
            while (j < c.width && src[j] == keyByte) ++j;
            const int64_t start = j;
            while (j < c.width && src[j] != keyByte) ++j;
            if (j > start) std::memcpy(dst + start, src + start, static_cast<size_t>(j - start));
        }
    }
}

}  // namespace

void BlitKeyed(uint8_t* surface, int orientation, int32_t destX, int32_t destY, const CDibImage& atlas,
               int32_t srcX, int32_t srcY, uint32_t width, uint32_t height, int32_t key) {
    Blit<true>(surface, orientation, destX, destY, atlas, srcX, srcY, width, height, key);
}

void BlitOpaque(uint8_t* surface, int orientation, int32_t destX, int32_t destY, const CDibImage& atlas,
                int32_t srcX, int32_t srcY, uint32_t width, uint32_t height) {
    Blit<false>(surface, orientation, destX, destY, atlas, srcX, srcY, width, height, -1);
}
