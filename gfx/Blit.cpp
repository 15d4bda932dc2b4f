#include "gfx/Blit.h"

#include <algorithm>
#include <array>
#include <bit>
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

// What the blitter reads of an atlas, read once per copy (each getter reads
// the file's header again).
struct AtlasBits {
    explicit AtlasBits(const CDibImage& atlas)
        : bits(atlas.GetBits()), width(atlas.GetWidth()), height(atlas.GetHeight()),
          available(static_cast<int64_t>(atlas.GetBitsAvailable())) {}
    bool usable() const { return bits != nullptr && width > 0 && height > 0; }
    // Source rows y (counted from the top as seen) from this one on are held
    // in the block; above it the block was cut short.
    int64_t FirstReadableRow() const {
        if (available / height >= width) return 0;  // the usual case: every row is held
        return height - std::min<int64_t>(height, available / width);
    }
    const uint8_t* bits;
    int64_t width, height, available;
};

bool Clip(const AtlasBits& atlas, int64_t destX, int64_t destY, int64_t srcX, int64_t srcY,
          int64_t width, int64_t height, Clipped& out) {
    if (!atlas.usable()) return false;
    const int64_t atlasW = atlas.width, atlasH = atlas.height;
    // Only the rows the block really holds may be read: stored row
    // atlasH - 1 - y must be below the rows held.
    const int64_t firstReadableY = atlas.FirstReadableRow();
    int64_t left = std::max<int64_t>({0, -destX, -srcX});
    int64_t top = std::max<int64_t>({0, -destY, -srcY, firstReadableY - srcY});
    int64_t right = std::min<int64_t>({width, kSurfaceWidth - destX, atlasW - srcX});
    int64_t bottom = std::min<int64_t>({height, kSurfaceHeight - destY, atlasH - srcY});
    if (left >= right || top >= bottom) return false;
    out = {destX + left, destY + top, srcX + left, srcY + top, right - left, bottom - top};
    return true;
}

// Set by SetBlitPath: the portable copier even where AVX-512 is present.
bool gPortableAsked = false;

// ---- AVX-512 -------------------------------------------------------------------
//
// A row is 64 pixels per step: one compare finds the key pixels, one masked
// store writes the others. Rows wider than a step start with a short step up
// to the surface's next 64-byte line, so that every full step stores a whole
// line (a store split over two lines costs twice). Source and surface bytes
// outside the rectangle are never touched: short steps use masked loads and
// stores.
#if AVELUNE_BLIT_AVX512
#define AVELUNE_AVX512_TARGET __attribute__((target("avx512f,avx512bw,bmi2")))

AVELUNE_AVX512_TARGET inline __mmask64 FirstLanes(size_t count) {
    return _bzhi_u64(~0ull, static_cast<unsigned>(count));
}

AVELUNE_AVX512_TARGET inline void KeyedStepAvx512(uint8_t* dst, const uint8_t* src, __mmask64 lanes, __m512i keys) {
    const __m512i v = _mm512_maskz_loadu_epi8(lanes, src);
    _mm512_mask_storeu_epi8(dst, _mm512_mask_cmpneq_epi8_mask(lanes, v, keys), v);
}

// `height` rows of `width` pixels; each surface row step is a multiple of 64
// bytes, so every row meets the lines at the same place.
AVELUNE_AVX512_TARGET void KeyedRectAvx512(uint8_t* dst, ptrdiff_t dstStep, const uint8_t* src, ptrdiff_t srcStep,
                                           size_t width, int64_t height, uint8_t key) {
    const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
    if (width <= 64) {
        const __mmask64 lanes = FirstLanes(width);
        for (int64_t k = 0; k < height; ++k) KeyedStepAvx512(dst + k * dstStep, src + k * srcStep, lanes, keys);
        return;
    }
    const size_t head = std::min(width, (64 - (reinterpret_cast<uintptr_t>(dst) & 63)) & 63);
    const size_t full = (width - head) / 64 * 64;
    const size_t tail = width - head - full;
    const __mmask64 headLanes = FirstLanes(head), tailLanes = FirstLanes(tail);
    for (int64_t k = 0; k < height; ++k) {
        uint8_t* d = dst + k * dstStep;
        const uint8_t* s = src + k * srcStep;
        if (head != 0) KeyedStepAvx512(d, s, headLanes, keys);
        for (size_t j = head; j < head + full; j += 64) {
            const __m512i v = _mm512_loadu_si512(s + j);
            const __mmask64 copy = _mm512_cmpneq_epi8_mask(v, keys);
            if (copy == ~__mmask64{0}) {
                _mm512_store_si512(d + j, v);
            } else {
                _mm512_mask_storeu_epi8(d + j, copy, v);
            }
        }
        if (tail != 0) KeyedStepAvx512(d + head + full, s + head + full, tailLanes, keys);
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

// ---- Where the key pixels lie ----------------------------------------------------
//
// The large pictures (panels, title pictures, the scenery) hold no key pixel
// at all, and most glyphs hold many. For one atlas and one key the portable
// copier keeps a word per stored row whose bit b says whether block b of the
// row (64 pixels, wider for atlases over 4096 pixels) holds the key; a span of
// clean blocks is then a plain copy, with no test per pixel. A row's word is
// made the first time the row is drawn from. Each thread keeps its own few
// indexes, for the last atlases and keys it drew with.
struct KeyBlocks {
    uint64_t serial = 0;  // the atlas's, 0: unused
    int key = -1;
    unsigned shift = 6;   // a block is 1 << shift pixels
    std::vector<uint64_t> rows;
    std::vector<uint8_t> made;
};

KeyBlocks& BlocksFor(const CDibImage& atlas, uint8_t key) {
    constexpr size_t kKept = 8;
    thread_local std::array<KeyBlocks, kKept> kept;
    thread_local size_t next = 0;
    for (KeyBlocks& kb : kept) {
        if (kb.serial == atlas.Serial() && kb.key == key) return kb;
    }
    KeyBlocks& kb = kept[next];
    next = (next + 1) % kKept;
    kb.serial = atlas.Serial();
    kb.key = key;
    kb.shift = 6;
    while ((int64_t{atlas.GetWidth()} + (int64_t{1} << kb.shift) - 1) >> kb.shift > 64) ++kb.shift;
    // Only the rows the block holds can be drawn from (a header may claim
    // any height).
    const auto rowsHeld = static_cast<size_t>(
        std::min<int64_t>(atlas.GetHeight(), static_cast<int64_t>(atlas.GetBitsAvailable()) / atlas.GetWidth()));
    kb.rows.assign(rowsHeld, 0);
    kb.made.assign(rowsHeld, 0);
    return kb;
}

// The block word of one stored row; `row` points at its first pixel.
uint64_t MakeRowBlocks(KeyBlocks& kb, size_t storedRow, const uint8_t* row, size_t atlasW);
inline uint64_t RowBlocks(KeyBlocks& kb, size_t storedRow, const uint8_t* row, size_t atlasW) {
    if (kb.made[storedRow] != 0) [[likely]] return kb.rows[storedRow];
    return MakeRowBlocks(kb, storedRow, row, atlasW);
}
uint64_t MakeRowBlocks(KeyBlocks& kb, size_t storedRow, const uint8_t* row, size_t atlasW) {
    uint64_t word = 0;
    const size_t block = size_t{1} << kb.shift;
    for (size_t x = 0, b = 0; x < atlasW; x += block, ++b) {
        if (std::memchr(row + x, kb.key, std::min(block, atlasW - x)) != nullptr) word |= uint64_t{1} << b;
    }
    kb.rows[storedRow] = word;
    kb.made[storedRow] = 1;
    return word;
}

// ---- Portable ------------------------------------------------------------------
//
// Sixteen pixels a step in any vector unit the compiler knows (SSE2, NEON,
// WebAssembly's), eight or four in a plain word for narrow rows. A row wider
// than a step starts with one step, goes on from the surface's next 16-byte
// boundary and ends with a step that ends with the row; steps that overlap
// write the overlap twice with the same bytes.
using Lanes16 = uint8_t __attribute__((vector_size(16)));
using Words16 = uint64_t __attribute__((vector_size(16)));

inline Lanes16 Load16(const uint8_t* p) {
    Lanes16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store16(uint8_t* p, Lanes16 v) { std::memcpy(p, &v, sizeof v); }

// Calls step(j) for steps of 16 covering [0, width), width >= 16.
template <typename StepFn>
inline void SixteenSteps(const uint8_t* dst, size_t width, StepFn step) {
    step(0);
    size_t j = 16 - (reinterpret_cast<uintptr_t>(dst) & 15);
    for (; j + 16 <= width; j += 16) step(j);
    if (j < width) step(width - 16);
}

#if AVELUNE_BLIT_AVX512
// Plain copies in 32-byte steps where the processor has AVX2 (most that lack
// AVX-512 do): the store is what a plain copy waits for, and this halves them.
__attribute__((target("avx2"))) void CopyRowAvx2(uint8_t* dst, const uint8_t* src, size_t width) {
    // (A lambda would not take the function's target.) The first step, then
    // steps from the next 32-byte boundary, then one that ends with the row.
    size_t j = 0, next = 32 - (reinterpret_cast<uintptr_t>(dst) & 31);
    for (;;) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + j), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + j)));
        if (next >= width) break;
        j = next + 32 <= width ? next : width - 32;
        next = j + 32;
    }
}
const bool kHasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}();
#endif

__attribute__((always_inline)) inline void CopyRowPortable(uint8_t* dst, const uint8_t* src, size_t width) {
    if (width < 16) {
        std::memcpy(dst, src, width);
        return;
    }
#if AVELUNE_BLIT_AVX512
    if (width >= 32 && kHasAvx2) return CopyRowAvx2(dst, src, width);
#endif
    SixteenSteps(dst, width, [&](size_t j) { Store16(dst + j, Load16(src + j)); });
}

// 0xFF in every byte of v that equals the key byte repeated in `keys`, 0 elsewhere.
template <typename W>
inline W KeyBytesOf(W v, W keys) {
    constexpr W kLow7 = static_cast<W>(~W{0} / 0xFF * 0x7F);
    const W z = v ^ keys;
    const W zero = static_cast<W>(~(((z & kLow7) + kLow7) | z | kLow7));  // 0x80 where z is 0
    return static_cast<W>((zero >> 7) * 0xFF);
}

// A row of sizeof(W) to 2 sizeof(W) pixels as two words that overlap. Both
// are read before either is written: a read of bytes just written in part
// waits for the write to finish. The overlap gets the same bytes twice.
template <typename W>
inline void KeyedWordPair(uint8_t* dst, const uint8_t* src, size_t width, W keys) {
    const size_t second = width - sizeof(W);
    W v0, v1, d0, d1;
    std::memcpy(&v0, src, sizeof v0);
    std::memcpy(&v1, src + second, sizeof v1);
    std::memcpy(&d0, dst, sizeof d0);
    std::memcpy(&d1, dst + second, sizeof d1);
    const W k0 = KeyBytesOf(v0, keys), k1 = KeyBytesOf(v1, keys);
    const W out0 = static_cast<W>((v0 & ~k0) | (d0 & k0)), out1 = static_cast<W>((v1 & ~k1) | (d1 & k1));
    std::memcpy(dst, &out0, sizeof out0);
    std::memcpy(dst + second, &out1, sizeof out1);
}

void KeyedRowPortable(uint8_t* dst, const uint8_t* src, size_t width, uint8_t key) {
    if (width >= 16) {
        Lanes16 keys;
        for (size_t lane = 0; lane < 16; ++lane) keys[lane] = key;
        SixteenSteps(dst, width, [&](size_t j) {
            const Lanes16 v = Load16(src + j);
            const Lanes16 isKey = static_cast<Lanes16>(v == keys);
            const Words16 words = (Words16)isKey;  // the same bits, two words
            if ((words[0] | words[1]) == 0) {
                Store16(dst + j, v);
            } else {
                Store16(dst + j, (v & ~isKey) | (Load16(dst + j) & isKey));
            }
        });
    } else if (width >= 8) {
        KeyedWordPair(dst, src, width, uint64_t{key} * 0x0101010101010101ull);
    } else if (width >= 4) {
        KeyedWordPair(dst, src, width, uint32_t{key} * 0x01010101u);
    } else {
        for (size_t j = 0; j < width; ++j) {
            if (src[j] != key) dst[j] = src[j];
        }
    }
}

// A keyed row of a picture drawn through its atlas's key blocks: spans of
// clean blocks are copied plainly, the rest pixel by pixel. x0 is the row's
// first atlas column, `blocks` its stored row's word.
void IndexedRowPortable(uint8_t* dst, const uint8_t* src, size_t x0, size_t width, uint64_t blocks, unsigned shift,
                        uint8_t key) {
    size_t j = 0;
    while (j < width) {
        // The span of blocks alike from column x0 + j on, up to the row's end.
        const size_t b = (x0 + j) >> shift;
        const bool keyed = (blocks >> b & 1) != 0;
        const uint64_t rest = b + 1 < 64 ? (blocks >> (b + 1)) : 0;
        const uint64_t same = keyed ? ~rest : rest;  // zero bits: blocks like this one
        const size_t alike = same == 0 ? 64 : static_cast<size_t>(std::countr_zero(same));
        const size_t spanEnd = std::min(width, ((b + 1 + alike) << shift) - x0);
        if (keyed) {
            KeyedRowPortable(dst + j, src + j, spanEnd - j, key);
        } else {
            CopyRowPortable(dst + j, src + j, spanEnd - j);
        }
        j = spanEnd;
    }
}

template <bool kKeyed>
void Blit(uint8_t* surface, int orientation, int32_t destX, int32_t destY, const CDibImage& image,
          int32_t srcX, int32_t srcY, uint32_t width, uint32_t height, int32_t key) {
    const AtlasBits atlas(image);
    Clipped c;
    if (!Clip(atlas, destX, destY, srcX, srcY, width, height, c)) return;
    const int64_t atlasW = atlas.width, atlasH = atlas.height;
    // The rectangle's top row as seen, and the steps to the next row down on
    // each side: the atlas is stored bottom-up, the surface either way.
    const uint8_t* src = atlas.bits + (atlasH - 1 - c.srcY) * atlasW + c.srcX;
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
        // Eight pixels are read before any is written: a read that follows
        // a write 4096 bytes apart would wait for it. (Sixteen measured
        // twice as slow.)
        int64_t k = 0;
        for (; k + 8 <= c.height; k += 8) {
            uint8_t v[8];
            for (int i = 0; i < 8; ++i) v[i] = src[(k + i) * srcStep];
            for (int i = 0; i < 8; ++i) {
                if (v[i] != keyByte) dst[(k + i) * dstStep] = v[i];
            }
        }
        for (; k < c.height; ++k) {
            const uint8_t v = src[k * srcStep];
            if (v != keyByte) dst[k * dstStep] = v;
        }
#if AVELUNE_BLIT_AVX512
    } else if (UseAvx512()) {
        KeyedRectAvx512(dst, dstStep, src, srcStep, w, c.height, keyByte);
#endif
    } else if (w < 16) {
        // Glyphs and needles: too narrow for the index to pay.
        for (int64_t k = 0; k < c.height; ++k) KeyedRowPortable(dst + k * dstStep, src + k * srcStep, w, keyByte);
    } else {
        KeyBlocks& blocks = BlocksFor(image, keyByte);
        const auto storedTop = static_cast<size_t>(atlasH - 1 - c.srcY);
        const uint8_t* storedRow = atlas.bits + static_cast<ptrdiff_t>(storedTop) * atlasW;
        // The blocks the rectangle's columns meet.
        const uint64_t firstBlock = static_cast<uint64_t>(c.srcX) >> blocks.shift;
        const uint64_t endBlock = (static_cast<uint64_t>(c.srcX + c.width - 1) >> blocks.shift) + 1;
        const uint64_t met = (endBlock >= 64 ? ~uint64_t{0} : (uint64_t{1} << endBlock) - 1) & ~((uint64_t{1} << firstBlock) - 1);
        for (int64_t k = 0; k < c.height; ++k) {
            const uint64_t word = RowBlocks(blocks, storedTop - static_cast<size_t>(k), storedRow + k * srcStep,
                                            static_cast<size_t>(atlasW));
            if ((word & met) == 0) {
                CopyRowPortable(dst + k * dstStep, src + k * srcStep, w);
                continue;
            }
            IndexedRowPortable(dst + k * dstStep, src + k * srcStep, static_cast<size_t>(c.srcX), w, word, blocks.shift,
                               keyByte);
        }
    }
}

// ---- Runs copied a surface row at a time ----------------------------------------
//
// (One copier for both paths: sixteen-lane steps measured faster here than
// 64-lane masked loads, zero-masked and joined or merged one into the next.)
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
    // Surface row y of the step from the gathered lanes v.
    const auto finish = [&](const Step& step, const Lanes16& stepCovered, uint32_t k, const Lanes16& v) {
        const int64_t y = destY + static_cast<int64_t>(k);
        uint8_t* to = surface + ((orientation == kTopDown) ? y : kSurfaceHeight - 1 - y) * kSurfaceWidth + step.destX;
        const Lanes16 copy = stepCovered & ~static_cast<Lanes16>(v == keys);
        Store16(to, (v & copy) | (Load16(to) & ~copy));
    };
    // The caller made sure every part's sixteen bytes lie in the block on
    // every row. Four rows are gathered together, so that each part's offset
    // and lanes are read once for the four.
    const auto down = static_cast<ptrdiff_t>(atlasW);
    for (size_t s = 0; s < plan.steps.size(); ++s) {
        const Step& step = plan.steps[s];
        uint32_t k = 0;
        for (; k + 4 <= height; k += 4) {
            Lanes16 v0{}, v1{}, v2{}, v3{};
            for (uint32_t i = step.firstPart; i < step.endPart; ++i) {
                const uint8_t* from = bits + (plan.parts[i].srcOffset - static_cast<ptrdiff_t>(k) * down);
                const Lanes16 lanes = masks[i];
                v0 |= Load16(from) & lanes;
                v1 |= Load16(from - down) & lanes;
                v2 |= Load16(from - 2 * down) & lanes;
                v3 |= Load16(from - 3 * down) & lanes;
            }
            finish(step, covered[s], k, v0);
            finish(step, covered[s], k + 1, v1);
            finish(step, covered[s], k + 2, v2);
            finish(step, covered[s], k + 3, v3);
        }
        for (; k < height; ++k) {
            Lanes16 v{};
            for (uint32_t i = step.firstPart; i < step.endPart; ++i) {
                v |= Load16(bits + (plan.parts[i].srcOffset - static_cast<ptrdiff_t>(k) * down)) & masks[i];
            }
            finish(step, covered[s], k, v);
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
    const int64_t firstReadableY = AtlasBits(atlas).FirstReadableRow();
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
