#include "gfx/Blit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "gfx/DibImage.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(AVELUNE_BLIT_PORTABLE)
#include <immintrin.h>
#endif

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

// One row of a keyed copy; either way a pixel equal to the key leaves the
// surface as it was.
//
// Wide rows (panels, pictures): opaque runs are found with memchr and copied
// with memcpy, both vectorised in the C library, so a row without key pixels
// costs one scan and one copy instead of a test per pixel. Narrow rows
// (glyphs, needles) are faster pixel by pixel than through library calls.
constexpr size_t kNarrowRow = 24;

#if defined(__x86_64__) && defined(__GNUC__) && !defined(AVELUNE_BLIT_PORTABLE)
// Where the processor has AVX-512 (checked once at start-up), a row is 64
// pixels per step: one compare gives the mask of non-key pixels and one masked
// store writes exactly those. The last part-step is masked to the row, so no
// byte outside the row is read or written.
__attribute__((target("avx512f,avx512bw,bmi2"))) void KeyedRowAvx512(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key) {
    const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
    size_t j = 0;
    for (; j + 64 <= width; j += 64) {
        const __m512i v = _mm512_loadu_si512(src + j);
        _mm512_mask_storeu_epi8(dst + j, _mm512_cmpneq_epi8_mask(v, keys), v);
    }
    if (j < width) {
        const __mmask64 inRow = _bzhi_u64(~0ull, static_cast<unsigned>(width - j));
        const __m512i v = _mm512_maskz_loadu_epi8(inRow, src + j);
        _mm512_mask_storeu_epi8(dst + j, inRow & _mm512_cmpneq_epi8_mask(v, keys), v);
    }
}
const bool kHasAvx512 = [] {
    __builtin_cpu_init();  // this may run before the runtime's own initialisation
    return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("bmi2");
}();
#else
constexpr bool kHasAvx512 = false;
#endif
// Set by SetBlitPath; read once a row.
bool useAvx512 = kHasAvx512;

void KeyedRow(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key) {
#if defined(__x86_64__) && defined(__GNUC__) && !defined(AVELUNE_BLIT_PORTABLE)
    if (useAvx512) return KeyedRowAvx512(dst, src, width, key);
#endif
    if (width < kNarrowRow) {
        for (size_t j = 0; j < width; ++j) {
            if (src[j] != key) dst[j] = src[j];
        }
        return;
    }
    size_t j = 0;
    while (j < width) {
        const void* found = std::memchr(src + j, key, width - j);
        const size_t runEnd = found ? static_cast<size_t>(static_cast<const uint8_t*>(found) - src) : width;
        if (runEnd > j) std::memcpy(dst + j, src + j, runEnd - j);
        j = runEnd;
        while (j < width && src[j] == key) ++j;
    }
}

template <bool kKeyed>
void Blit(uint8_t* surface, int orientation, int32_t destX, int32_t destY, const CDibImage& atlas,
          int32_t srcX, int32_t srcY, uint32_t width, uint32_t height, int32_t key) {
    Clipped c;
    if (!Clip(atlas, destX, destY, srcX, srcY, width, height, c)) return;
    const int64_t atlasW = atlas.GetWidth(), atlasH = atlas.GetHeight();
    // The rectangle's top row as seen, and the steps to the next row down on
    // each side: the atlas is stored bottom-up, the surface either way.
    const uint8_t* src = atlas.GetBits() + (atlasH - 1 - c.srcY) * atlasW + c.srcX;
    const ptrdiff_t srcStep = -static_cast<ptrdiff_t>(atlasW);
    const int64_t firstRow = (orientation == kTopDown) ? c.destY : kSurfaceHeight - 1 - c.destY;
    uint8_t* dst = surface + firstRow * kSurfaceWidth + c.destX;
    const ptrdiff_t dstStep = (orientation == kTopDown) ? kSurfaceWidth : -kSurfaceWidth;
    const auto w = static_cast<size_t>(c.width);
    const bool keyMatches = key >= 0 && key <= 255;
    const auto keyByte = static_cast<uint8_t>(key);
    // Row k is at src + k srcStep and dst + k dstStep; no pointer is formed past the last row.
    if (!kKeyed || !keyMatches) {
        for (int64_t k = 0; k < c.height; ++k) std::memcpy(dst + k * dstStep, src + k * srcStep, w);
    } else if (w == 1) {
        // The outside view's columns: one pixel a row.
        for (int64_t k = 0; k < c.height; ++k) {
            const uint8_t v = src[k * srcStep];
            if (v != keyByte) dst[k * dstStep] = v;
        }
    } else {
        for (int64_t k = 0; k < c.height; ++k) KeyedRow(dst + k * dstStep, src + k * srcStep, w, keyByte);
    }
}

}  // namespace

void SetBlitPath(BlitPath path) { useAvx512 = kHasAvx512 && path == BlitPath::Fastest; }

BlitPath CurrentBlitPath() { return useAvx512 ? BlitPath::Fastest : BlitPath::Portable; }

bool BlitPathNamed(const char* name, BlitPath& path) {
    if (name == nullptr) return false;
    if (std::strcmp(name, "portable") == 0) path = BlitPath::Portable;
    else if (std::strcmp(name, "fastest") == 0) path = BlitPath::Fastest;
    else return false;
    return true;
}

void BlitKeyed(uint8_t* surface, int orientation, int32_t destX, int32_t destY, const CDibImage& atlas,
               int32_t srcX, int32_t srcY, uint32_t width, uint32_t height, int32_t key) {
    Blit<true>(surface, orientation, destX, destY, atlas, srcX, srcY, width, height, key);
}

void BlitOpaque(uint8_t* surface, int orientation, int32_t destX, int32_t destY, const CDibImage& atlas,
                int32_t srcX, int32_t srcY, uint32_t width, uint32_t height) {
    Blit<false>(surface, orientation, destX, destY, atlas, srcX, srcY, width, height, -1);
}
