#include "gfx/Blit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "gfx/DibImage.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(AVELUNE_BLIT_PORTABLE)
#define AVELUNE_BLIT_AVX512 1
#include <immintrin.h>
#endif

namespace {

// The rectangle left after clipping both sides, in top-left coordinates.
struct Clipped {
    int64_t destX, destY, srcX, srcY, width, height;
};

// Source rows y (counted from the top as seen) from this one on are held in
// the block; above it the block was cut short.
int64_t FirstReadableRow(const CDibImage& atlas) {
    const int64_t atlasW = atlas.GetWidth(), atlasH = atlas.GetHeight();
    const int64_t rowsHeld = std::min<int64_t>(atlasH, static_cast<int64_t>(atlas.GetBitsAvailable()) / atlasW);
    return atlasH - rowsHeld;
}

bool Clip(const CDibImage& atlas, int64_t destX, int64_t destY, int64_t srcX, int64_t srcY,
          int64_t width, int64_t height, Clipped& out) {
    const int64_t atlasW = atlas.GetWidth(), atlasH = atlas.GetHeight();
    if (atlas.GetBits() == nullptr || atlasW <= 0 || atlasH <= 0) return false;
    // Only the rows the block really holds may be read: stored row
    // atlasH - 1 - y must be below the rows held.
    const int64_t firstReadableY = FirstReadableRow(atlas);
    int64_t left = std::max<int64_t>({0, -destX, -srcX});
    int64_t top = std::max<int64_t>({0, -destY, -srcY, firstReadableY - srcY});
    int64_t right = std::min<int64_t>({width, kSurfaceWidth - destX, atlasW - srcX});
    int64_t bottom = std::min<int64_t>({height, kSurfaceHeight - destY, atlasH - srcY});
    if (left >= right || top >= bottom) return false;
    out = {destX + left, destY + top, srcX + left, srcY + top, right - left, bottom - top};
    return true;
}

constexpr size_t kSurfaceBytes = static_cast<size_t>(kSurfaceWidth) * kSurfaceHeight;

// Set by SetBlitPath: the portable copier even where AVX-512 is present.
bool gPortableAsked = false;

// ---- AVX-512 -------------------------------------------------------------------
//
// A row is 64 pixels per step: one compare finds the key pixels. A step
// without any is one plain store, one with some is blended with the surface
// it covers and stored whole (every byte it writes back unchanged is a byte
// the copy leaves alone); only a row narrower than a step, where a whole step
// could pass the surface's end, uses a masked store. Source bytes outside the
// rectangle are never read: short steps use masked loads.
#if AVELUNE_BLIT_AVX512
#define AVELUNE_AVX512_TARGET __attribute__((target("avx512f,avx512bw,bmi2")))

AVELUNE_AVX512_TARGET inline void KeyedStepAvx512(uint8_t* dst, __m512i v, __mmask64 copy) {
    if (copy == ~__mmask64{0}) {
        _mm512_storeu_si512(dst, v);
    } else if (copy != 0) {
        _mm512_storeu_si512(dst, _mm512_mask_blend_epi8(copy, _mm512_loadu_si512(dst), v));
    }
}

// `room`: the bytes from dst to the surface's end.
AVELUNE_AVX512_TARGET void KeyedRowAvx512(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key, size_t room) {
    const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
    if (width < 64) {
        const __mmask64 inRow = _bzhi_u64(~0ull, static_cast<unsigned>(width));
        const __m512i v = _mm512_maskz_loadu_epi8(inRow, src);
        const __mmask64 copy = _mm512_mask_cmpneq_epi8_mask(inRow, v, keys);
        if (room >= 64) {
            KeyedStepAvx512(dst, v, copy);
        } else {
            _mm512_mask_storeu_epi8(dst, copy, v);
        }
        return;
    }
    size_t j = 0;
    for (; j + 64 <= width; j += 64) {
        const __m512i v = _mm512_loadu_si512(src + j);
        KeyedStepAvx512(dst + j, v, _mm512_cmpneq_epi8_mask(v, keys));
    }
    if (j < width) {
        // The last step ends with the row; what it shares with the step
        // before is written again with the same bytes.
        j = width - 64;
        const __m512i v = _mm512_loadu_si512(src + j);
        KeyedStepAvx512(dst + j, v, _mm512_cmpneq_epi8_mask(v, keys));
    }
}

const bool kHasAvx512 = [] {
    __builtin_cpu_init();  // this may run before the runtime's own initialisation
    return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("bmi2");
}();
#endif

// The one place that decides which copier runs.
bool UseAvx512() {
#if AVELUNE_BLIT_AVX512
    return kHasAvx512 && !gPortableAsked;
#else
    return false;
#endif
}

// ---- Portable ------------------------------------------------------------------
//
// Wide rows (panels, pictures): opaque runs are found with memchr and copied
// with memcpy, both vectorised in the C library, so a row without key pixels
// costs one scan and one copy instead of a test per pixel. Narrow rows
// (glyphs, needles) are faster pixel by pixel than through library calls.
constexpr size_t kNarrowRow = 24;

void KeyedRowPortable(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key) {
    if (width < kNarrowRow) {
        // Every pixel is stored, its own or the copy's: no branch to mispredict.
        for (size_t j = 0; j < width; ++j) {
            const uint8_t v = src[j];
            dst[j] = v != key ? v : dst[j];
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
        // The outside view's columns: one pixel a row, stored either way.
        for (int64_t k = 0; k < c.height; ++k) {
            const uint8_t v = src[k * srcStep];
            uint8_t& d = dst[k * dstStep];
            d = v != keyByte ? v : d;
        }
#if AVELUNE_BLIT_AVX512
    } else if (UseAvx512()) {
        const size_t dstOffset = static_cast<size_t>(dst - surface);
        for (int64_t k = 0; k < c.height; ++k) {
            const size_t room = kSurfaceBytes - static_cast<size_t>(static_cast<ptrdiff_t>(dstOffset) + k * dstStep);
            KeyedRowAvx512(dst + k * dstStep, src + k * srcStep, w, keyByte, room);
        }
#endif
    } else {
        for (int64_t k = 0; k < c.height; ++k) KeyedRowPortable(dst + k * dstStep, src + k * srcStep, w, keyByte);
    }
}

// ---- Runs copied a surface row at a time ----------------------------------------
//
// (One copier for both paths: sixteen-lane steps measured faster here than
// 64-lane masked loads, whose cost is one load per run and row either way.)
//
// The runs' span of surface columns is cut into steps of kStep pixels (the
// last step ends with the span, sharing columns with the one before). For
// each step the plan lists the runs it meets: the lanes each covers and the
// source offset of the step's first lane in the top row. Every row then
// gathers each step from its runs' source rows, finds the key pixels once and
// stores the step once.
struct StepPart {
    ptrdiff_t srcOffset;  // of lane 0 in the top row, from the atlas bits
    uint32_t firstLane, endLane;
};
struct Step {
    int32_t destX;
    uint32_t firstPart, endPart;  // into the parts
    uint64_t covered;             // lanes some run covers
};
struct RunPlan {
    std::vector<Step> steps;
    std::vector<StepPart> parts;
};

template <uint32_t kStep>
RunPlan PlanSteps(std::span<const BlitRun> runs, int64_t atlasW, int64_t atlasH) {
    RunPlan plan;
    const int32_t spanStart = runs.front().destX;
    const int32_t spanEnd = runs.back().destX + static_cast<int32_t>(runs.back().width);
    for (int32_t start = spanStart;; start += static_cast<int32_t>(kStep)) {
        const int32_t at = std::min<int32_t>(start, spanEnd - static_cast<int32_t>(kStep));
        Step step{at, static_cast<uint32_t>(plan.parts.size()), 0, 0};
        // The first run that ends after the step begins.
        auto r = std::partition_point(runs.begin(), runs.end(), [at](const BlitRun& run) {
            return run.destX + static_cast<int32_t>(run.width) <= at;
        });
        for (; r != runs.end() && r->destX < at + static_cast<int32_t>(kStep); ++r) {
            const int32_t lo = std::max(r->destX, at), hi = std::min(r->destX + static_cast<int32_t>(r->width), at + static_cast<int32_t>(kStep));
            const ptrdiff_t offset = static_cast<ptrdiff_t>((atlasH - 1 - r->srcY) * atlasW + r->srcX + (at - r->destX));
            plan.parts.push_back({offset, static_cast<uint32_t>(lo - at), static_cast<uint32_t>(hi - at)});
            for (int32_t lane = lo - at; lane < hi - at; ++lane) step.covered |= uint64_t{1} << lane;
        }
        step.endPart = static_cast<uint32_t>(plan.parts.size());
        plan.steps.push_back(step);
        if (start + static_cast<int32_t>(kStep) >= spanEnd) break;
    }
    return plan;
}

// Sixteen lanes in any vector unit the compiler knows (SSE2, NEON, ...).
using Lanes16 = uint8_t __attribute__((vector_size(16)));

void RunRowsPortable(uint8_t* surface, int orientation, int32_t destY, const uint8_t* bits, int64_t atlasW,
                     const RunPlan& plan, uint32_t height, uint8_t key) {
    std::vector<Lanes16> masks(plan.parts.size());
    std::vector<Lanes16> covered(plan.steps.size());
    for (size_t i = 0; i < plan.parts.size(); ++i) {
        for (uint32_t lane = plan.parts[i].firstLane; lane < plan.parts[i].endLane; ++lane) masks[i][lane] = 0xFF;
    }
    for (size_t s = 0; s < plan.steps.size(); ++s) {
        for (uint32_t lane = 0; lane < 16; ++lane) covered[s][lane] = (plan.steps[s].covered >> lane & 1) ? 0xFF : 0;
    }
    Lanes16 keys;
    for (uint32_t lane = 0; lane < 16; ++lane) keys[lane] = key;
    for (size_t s = 0; s < plan.steps.size(); ++s) {
        const Step& step = plan.steps[s];
        for (uint32_t k = 0; k < height; ++k) {
            const int64_t y = destY + static_cast<int64_t>(k);
            uint8_t* dstRow = surface + ((orientation == kTopDown) ? y : kSurfaceHeight - 1 - y) * kSurfaceWidth;
            Lanes16 v{};
            for (uint32_t i = step.firstPart; i < step.endPart; ++i) {
                // The caller made sure these sixteen bytes lie in the block on every row.
                Lanes16 from;
                std::memcpy(&from, bits + (plan.parts[i].srcOffset - static_cast<int64_t>(k) * atlasW), sizeof from);
                v |= from & masks[i];
            }
            Lanes16 old;
            std::memcpy(&old, dstRow + step.destX, sizeof old);
            const Lanes16 copy = covered[s] & ~static_cast<Lanes16>(v == keys);
            const Lanes16 out = (v & copy) | (old & ~copy);
            std::memcpy(dstRow + step.destX, &out, sizeof out);
        }
    }
}

}  // namespace

void SetBlitPath(BlitPath path) { gPortableAsked = path == BlitPath::Portable; }

BlitPath CurrentBlitPath() { return UseAvx512() ? BlitPath::Fastest : BlitPath::Portable; }

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

void BlitKeyedRuns(uint8_t* surface, int orientation, int32_t destY, const CDibImage& atlas,
                   std::span<const BlitRun> runs, uint32_t height, int32_t key) {
    auto oneByOne = [&] {
        for (const BlitRun& r : runs) BlitKeyed(surface, orientation, r.destX, destY, atlas, r.srcX, r.srcY, r.width, height, key);
    };
    const int64_t atlasW = atlas.GetWidth(), atlasH = atlas.GetHeight();
    if (runs.size() < 2 || key < 0 || key > 255 || height == 0 || atlas.GetBits() == nullptr || atlasW <= 0 ||
        atlasH <= 0 || destY < 0 || int64_t{destY} + height > kSurfaceHeight) {
        return oneByOne();
    }
    // Row by row only where no run needs clipping and the runs stand side by side.
    const int64_t firstReadableY = FirstReadableRow(atlas);
    int64_t previousEnd = 0;
    for (const BlitRun& r : runs) {
        const int64_t end = int64_t{r.destX} + r.width;
        if (r.width == 0 || r.destX < previousEnd || end > kSurfaceWidth || r.srcX < 0 ||
            int64_t{r.srcX} + r.width > atlasW || r.srcY < firstReadableY || int64_t{r.srcY} + height > atlasH) {
            return oneByOne();
        }
        previousEnd = end;
    }
    const auto keyByte = static_cast<uint8_t>(key);
    const int64_t span = previousEnd - runs.front().destX;
    if (span < 16) return oneByOne();
    RunPlan plan = PlanSteps<16>(runs, atlasW, atlasH);
    // Each part reads sixteen bytes from its lane 0 on every row: all of them
    // must lie in the block, or the runs go one by one.
    const int64_t lowest = -int64_t{height - 1} * atlasW;
    for (const StepPart& p : plan.parts) {
        if (p.srcOffset + lowest < 0 || p.srcOffset + 16 > static_cast<int64_t>(atlas.GetBitsAvailable())) {
            return oneByOne();
        }
    }
    RunRowsPortable(surface, orientation, destY, atlas.GetBits(), atlasW, plan, height, keyByte);
}
