#include "gfx/Blit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
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

// Whether atlas columns [x0, x1) of rows (as seen) [y0, y1), all of them in
// the block, surely hold no key pixel: false where a 64-pixel block they
// meet holds one.
bool HoldsNoKey(const CDibImage& image, const AtlasBits& atlas, int64_t x0, int64_t y0, int64_t x1, int64_t y1,
                uint8_t key) {
    KeyBlocks& kb = BlocksFor(image, key);
    const auto first = static_cast<int>(x0 >> kb.shift), last = static_cast<int>((x1 - 1) >> kb.shift);
    const uint64_t across = (~0ull >> (63 - last)) & (~0ull << first);
    for (int64_t y = y0; y < y1; ++y) {
        const auto stored = static_cast<size_t>(atlas.height - 1 - y);
        if (stored >= kb.rows.size()) return false;
        const uint8_t* row = atlas.bits + static_cast<int64_t>(stored) * atlas.width;
        if ((RowBlocks(kb, stored, row, static_cast<size_t>(atlas.width)) & across) != 0) return false;
    }
    return true;
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
// The byte in every lane. (Filled lane by lane, the vector went through memory
// once a lane in the browser build, on every row.)
inline Lanes16 Splat16(uint8_t b) {
    const Lanes16 v = {b};
    return __builtin_shufflevector(v, v, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

// Calls step(j) for steps of 16 covering [0, width), width >= 16.
template <typename StepFn>
inline void SixteenSteps(const uint8_t* dst, size_t width, StepFn step) {
    step(0);
    size_t j = 16 - (reinterpret_cast<uintptr_t>(dst) & 15);
    for (; j + 16 <= width; j += 16) step(j);
    if (j < width) step(width - 16);
}

// A span with no key pixel. The C library's copy measured faster than any
// loop of ours on rows of the panel's width.
inline void CopyRowPortable(uint8_t* dst, const uint8_t* src, size_t width) { std::memcpy(dst, src, width); }

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
        const Lanes16 keys = Splat16(key);
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

// ---- Runs through a turned copy of the atlas -------------------------------------
//
// Each run of a sheared copy starts a row lower (or higher) than the one
// before, so a surface row of the outside view gathers its pixels from as many
// atlas rows as it meets runs, 150 or so. Turned, with atlas columns stored as
// rows, every surface column is one contiguous span instead, whatever the
// runs: a tile of 16 columns by 16 rows is 16 loads and a 16 x 16 transpose.
// Each thread keeps one turned region of one atlas, turned again only when a
// copy reads outside it, then with a margin around what that copy reads, so
// that a view drifting sideways or up and down turns the atlas now and then.
struct TurnedRegion {
    uint64_t serial = 0;                     // the atlas's; 0: nothing turned
    int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // atlas columns x0 <= x < x1, rows as seen y0 <= y < y1
    std::unique_ptr<uint8_t[]> bytes;        // pixel (x, y) at (x - x0) * height() + (y - y0)
    size_t capacity = 0;
    int64_t height() const { return y1 - y0; }
};

// The most a turned region may hold; a copy reading more goes run by run.
constexpr int64_t kTurnedBytesMost = int64_t{4} << 20;
constexpr int64_t kTurnedMarginX = 128, kTurnedMarginY = 64;

// r[i] lane j becomes r[j] lane i in every 16-byte group of the vectors: an
// interleave of r[i] with r[i + 8], four times over, turns a 16 x 16 block.
template <typename V, typename Low, typename High>
inline void Transpose16(V (&r)[16], Low low, High high) {
#pragma GCC unroll 4
    for (int stage = 0; stage < 4; ++stage) {
        V a[16];
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i) {
            a[2 * i] = low(r[i], r[i + 8]);
            a[2 * i + 1] = high(r[i], r[i + 8]);
        }
#pragma GCC unroll 16
        for (int i = 0; i < 16; ++i) r[i] = a[i];
    }
}

inline void Transpose16(Lanes16 (&r)[16]) {
    Transpose16(
        r,
        [](Lanes16 a, Lanes16 b) { return __builtin_shufflevector(a, b, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23); },
        [](Lanes16 a, Lanes16 b) {
            return __builtin_shufflevector(a, b, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
        });
}

// Turns the atlas block of rows (as seen) [y0, y1) and columns [x0, x1) into
// the region, every pixel of it readable.
void TurnRegion(TurnedRegion& t, const AtlasBits& atlas) {
    const int64_t h = t.height();
    const auto storedRow = [&](int64_t y) { return atlas.bits + (atlas.height - 1 - y) * atlas.width; };
    int64_t x = t.x0;
    for (; x + 16 <= t.x1; x += 16) {
        int64_t y = t.y0;
        for (; y + 16 <= t.y1; y += 16) {
            Lanes16 r[16];
            for (int i = 0; i < 16; ++i) r[i] = Load16(storedRow(y + i) + x);
            Transpose16(r);
            for (int j = 0; j < 16; ++j) Store16(&t.bytes[(x + j - t.x0) * h + (y - t.y0)], r[j]);
        }
        for (; y < t.y1; ++y) {
            for (int64_t j = x; j < x + 16; ++j) t.bytes[(j - t.x0) * h + (y - t.y0)] = storedRow(y)[j];
        }
    }
    for (; x < t.x1; ++x) {
        for (int64_t y = t.y0; y < t.y1; ++y) t.bytes[(x - t.x0) * h + (y - t.y0)] = storedRow(y)[x];
    }
}

// The thread's turned region holding atlas columns [nx0, nx1) and rows as seen
// [ny0, ny1), turned now if need be; null if it would be too large.
const TurnedRegion* TurnedFor(const CDibImage& image, const AtlasBits& atlas, int64_t nx0, int64_t ny0, int64_t nx1,
                              int64_t ny1) {
    thread_local TurnedRegion t;
    const uint64_t serial = image.Serial();
    if (serial != 0 && t.serial == serial && nx0 >= t.x0 && ny0 >= t.y0 && nx1 <= t.x1 && ny1 <= t.y1) return &t;
    const int64_t x0 = std::max<int64_t>(0, nx0 - kTurnedMarginX), x1 = std::min(atlas.width, nx1 + kTurnedMarginX);
    const int64_t y0 = std::max(atlas.FirstReadableRow(), ny0 - kTurnedMarginY);
    const int64_t y1 = std::min(atlas.height, ny1 + kTurnedMarginY);
    if ((nx1 - nx0) * (ny1 - ny0) > kTurnedBytesMost) return nullptr;
    // The margins are dropped before the copy is refused.
    const bool withMargins = (x1 - x0) * (y1 - y0) <= kTurnedBytesMost;
    t.serial = 0;
    t.x0 = withMargins ? x0 : nx0;
    t.x1 = withMargins ? x1 : nx1;
    t.y0 = withMargins ? y0 : ny0;
    t.y1 = withMargins ? y1 : ny1;
    const auto size = static_cast<size_t>((t.x1 - t.x0) * t.height());
    if (size > t.capacity) {
        t.bytes.reset();  // the old block goes before the new one comes
        t.capacity = 0;
        t.bytes.reset(new uint8_t[size]);
        t.capacity = size;
    }
    TurnRegion(t, atlas);
    t.serial = serial;
    return &t;
}

// Sixteen surface rows of sixteen surface columns: column j's pixels from
// from[j] + row on (its turned span at the tile's first row); lanes not `covered`
// and key pixels leave the surface as it is.
inline void TurnedTilePortable(uint8_t* dst, ptrdiff_t dstStep, const uint8_t* const* from, uint32_t row, Lanes16 covered,
                               Lanes16 keys) {
    Lanes16 r[16];
    for (int j = 0; j < 16; ++j) r[j] = Load16(from[j] + row);
    Transpose16(r);
    for (int i = 0; i < 16; ++i) {
        uint8_t* to = dst + i * dstStep;
        const Lanes16 copy = covered & ~static_cast<Lanes16>(r[i] == keys);
        Store16(to, (r[i] & copy) | (Load16(to) & ~copy));
    }
}

#if AVELUNE_BLIT_AVX512
// The same for 64 columns: 16-byte group q of vector j holds column 16q + j,
// so that after the transpose vector i is surface row i whole.
AVELUNE_AVX512_TARGET void TurnedTileAvx512(uint8_t* dst, ptrdiff_t dstStep, const uint8_t* const* from, uint32_t row,
                                            const uint8_t* coveredLanes, uint8_t key) {
    const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
    __m512i r[16];
    for (int j = 0; j < 16; ++j) {
        __m512i v = _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from[j] + row)));
        v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from[16 + j] + row)), 1);
        v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from[32 + j] + row)), 2);
        r[j] = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from[48 + j] + row)), 3);
    }
    // The transpose above, written out here: a lambda would not take this
    // function's target.
#pragma GCC unroll 4
    for (int stage = 0; stage < 4; ++stage) {
        __m512i a[16];
#pragma GCC unroll 8
        for (int i = 0; i < 8; ++i) {
            a[2 * i] = _mm512_unpacklo_epi8(r[i], r[i + 8]);
            a[2 * i + 1] = _mm512_unpackhi_epi8(r[i], r[i + 8]);
        }
#pragma GCC unroll 16
        for (int i = 0; i < 16; ++i) r[i] = a[i];
    }
    const __m512i lanes = _mm512_loadu_si512(coveredLanes);
    const __mmask64 covered = _mm512_test_epi8_mask(lanes, lanes);
    for (int i = 0; i < 16; ++i) {
        uint8_t* to = dst + i * dstStep;
        const __mmask64 copy = _mm512_mask_cmpneq_epi8_mask(covered, r[i], keys);
        if (copy == ~__mmask64{0}) {
            _mm512_storeu_si512(to, r[i]);
        } else {
            _mm512_storeu_si512(to, _mm512_mask_blend_epi8(copy, _mm512_loadu_si512(to), r[i]));
        }
    }
}
#endif

// The runs stand side by side inside the surface and the turned region;
// height >= 16 and the span of columns they cover >= 16.
void TurnedRuns(uint8_t* surface, int orientation, int32_t destY, const TurnedRegion& t, std::span<const BlitRun> runs,
                uint32_t height, uint8_t key) {
    const int32_t spanStart = runs.front().destX;
    const int32_t spanEnd = runs.back().destX + static_cast<int32_t>(runs.back().width);
    const auto span = static_cast<size_t>(spanEnd - spanStart);
    // Where each column's turned span starts at the copy's first row; columns
    // between runs take the region's first bytes and are not covered.
    std::array<const uint8_t*, kSurfaceWidth> from;
    std::array<uint8_t, kSurfaceWidth> covered{};
    from.fill(t.bytes.get());
    const int64_t h = t.height();
    for (const BlitRun& r : runs) {
        for (uint32_t i = 0; i < r.width; ++i) {
            const size_t c = static_cast<size_t>(r.destX - spanStart) + i;
            from[c] = &t.bytes[(r.srcX + i - t.x0) * h + (r.srcY - t.y0)];
            covered[c] = 0xFF;
        }
    }
    const ptrdiff_t dstStep = (orientation == kTopDown) ? kSurfaceWidth : -kSurfaceWidth;
    const auto rowAt = [&](uint32_t k) {
        const int64_t y = int64_t{destY} + k;
        return surface + ((orientation == kTopDown) ? y : kSurfaceHeight - 1 - y) * kSurfaceWidth + spanStart;
    };
    // Tiles of `wide` columns by 16 rows; the last of each kind ends with the
    // span or the rows, overlapping the one before (which leaves the same
    // pixels behind).
    const auto tiles = [&](size_t wide, auto&& tile) {
        for (size_t c = 0;; c += wide) {
            const size_t at = std::min(c, span - wide);
            for (uint32_t k = 0;; k += 16) {
                const uint32_t row = std::min(k, height - 16);
                tile(rowAt(row) + at, &from[at], row, &covered[at]);
                if (k + 16 >= height) break;
            }
            if (c + wide >= span) break;
        }
    };
#if AVELUNE_BLIT_AVX512
    if (UseAvx512() && span >= 64) {
        return tiles(64, [&](uint8_t* dst, const uint8_t* const* cols, uint32_t row, const uint8_t* lanes) {
            TurnedTileAvx512(dst, dstStep, cols, row, lanes, key);
        });
    }
#endif
    const Lanes16 keys = Splat16(key);
    tiles(16, [&](uint8_t* dst, const uint8_t* const* cols, uint32_t row, const uint8_t* lanes) {
        TurnedTilePortable(dst, dstStep, cols, row, Load16(lanes), keys);
    });
}

// ---- A sheared copy drawn again ------------------------------------------------------
//
// The outside view is drawn again with the same runs whenever the wings and
// the nose are held still. Where the runs stand side by side with no gap and
// read no key pixel, what they write depends on the runs and the atlas
// alone. Each thread remembers the last such runs; when the same come again
// it keeps what they wrote, and from then on, while the same keep coming,
// copies those rows instead of turning tiles.
struct RunsPicture {
    uint64_t serial = 0;  // the atlas's; 0: none
    int32_t key = -1;
    uint32_t height = 0;
    std::vector<BlitRun> runs;
    bool kept = false;            // pixels holds what these runs write
    std::vector<uint8_t> pixels;  // rows as seen, top first, as wide as the runs
};

RunsPicture& LastRunsPicture() {
    thread_local RunsPicture last;
    return last;
}

}  // namespace

bool RunsCoverWholly(const CDibImage& image, std::span<const BlitRun> runs, int32_t destY, uint32_t height,
                     int32_t key, SurfaceRect& covered) {
    if (runs.empty() || height == 0 || destY < 0 || int64_t{destY} + height > kSurfaceHeight) return false;
    const AtlasBits atlas(image);
    if (!atlas.usable()) return false;
    const int64_t firstReadableY = atlas.FirstReadableRow();
    int64_t end = runs.front().destX;
    int64_t nx0 = INT64_MAX, ny0 = INT64_MAX, nx1 = 0, ny1 = 0;
    for (const BlitRun& r : runs) {
        if (r.width == 0 || r.destX != end || r.destX < 0) return false;
        end = int64_t{r.destX} + r.width;
        if (end > kSurfaceWidth || r.srcX < 0 || int64_t{r.srcX} + r.width > atlas.width || r.srcY < firstReadableY ||
            int64_t{r.srcY} + height > atlas.height) {
            return false;
        }
        nx0 = std::min<int64_t>(nx0, r.srcX);
        nx1 = std::max<int64_t>(nx1, int64_t{r.srcX} + r.width);
        ny0 = std::min<int64_t>(ny0, r.srcY);
        ny1 = std::max<int64_t>(ny1, int64_t{r.srcY} + height);
    }
    if (key >= 0 && key <= 255 && !HoldsNoKey(image, atlas, nx0, ny0, nx1, ny1, static_cast<uint8_t>(key))) return false;
    covered = {runs.front().destX, destY, static_cast<int32_t>(end), static_cast<int32_t>(int64_t{destY} + height)};
    return true;
}

void SurfaceRows::Add(int top, int bottom, int left, int right) {
    left = std::clamp(left, 0, kSurfaceWidth);
    right = std::clamp(right, 0, kSurfaceWidth);
    if (left >= right) return;
    const auto l = static_cast<uint16_t>(left), r = static_cast<uint16_t>(right);
    for (int y = std::max(top, 0); y < std::min(bottom, kSurfaceHeight); ++y) {
        const auto i = static_cast<size_t>(y);
        from_[i] = std::min(from_[i], l);
        to_[i] = std::max(to_[i], r);
    }
}

void SurfaceRows::Clear(int top, int bottom) {
    for (int y = std::max(top, 0); y < std::min(bottom, kSurfaceHeight); ++y) {
        from_[static_cast<size_t>(y)] = kSurfaceWidth;
        to_[static_cast<size_t>(y)] = 0;
    }
}

size_t SurfaceRows::count() const {
    size_t n = 0;
    for (size_t y = 0; y < from_.size(); ++y) n += test(y) ? 1 : 0;
    return n;
}

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
    const int64_t span = previousEnd - runs.front().destX;
    if (span < 16 || height < 16) return oneByOne();
    int64_t nx0 = INT64_MAX, ny0 = INT64_MAX, nx1 = 0, ny1 = 0;
    for (const BlitRun& r : runs) {
        nx0 = std::min<int64_t>(nx0, r.srcX);
        nx1 = std::max<int64_t>(nx1, int64_t{r.srcX} + r.width);
        ny0 = std::min<int64_t>(ny0, r.srcY);
        ny1 = std::max<int64_t>(ny1, int64_t{r.srcY} + height);
    }
    const AtlasBits bits(atlas);
    const auto width = static_cast<size_t>(span);
    const ptrdiff_t dstStep = (orientation == kTopDown) ? kSurfaceWidth : -kSurfaceWidth;
    uint8_t* const dst = surface + ((orientation == kTopDown) ? destY : kSurfaceHeight - 1 - destY) * kSurfaceWidth +
                         runs.front().destX;
    // The same runs as last time are known to hold no key and no gap once
    // their pixels are kept; they are looked at only to keep them.
    RunsPicture& last = LastRunsPicture();
    const bool again = atlas.Serial() != 0 && last.serial == atlas.Serial() && last.key == key &&
                       last.height == height && std::equal(runs.begin(), runs.end(), last.runs.begin(), last.runs.end());
    if (again && last.kept) {
        for (uint32_t k = 0; k < height; ++k) std::memcpy(dst + k * dstStep, &last.pixels[k * width], width);
        return;
    }
    if (!again) {
        last.serial = atlas.Serial();
        last.key = key;
        last.height = height;
        last.runs.assign(runs.begin(), runs.end());
        last.kept = false;
    }
    const bool keep = again &&
                      std::adjacent_find(runs.begin(), runs.end(), [](const BlitRun& a, const BlitRun& b) {
                          return int64_t{a.destX} + a.width != b.destX;
                      }) == runs.end() &&
                      HoldsNoKey(atlas, bits, nx0, ny0, nx1, ny1, static_cast<uint8_t>(key));
    const TurnedRegion* turned = TurnedFor(atlas, bits, nx0, ny0, nx1, ny1);
    if (turned == nullptr) return oneByOne();
    TurnedRuns(surface, orientation, destY, *turned, runs, height, static_cast<uint8_t>(key));
    if (keep) {
        last.pixels.resize(width * height);
        for (uint32_t k = 0; k < height; ++k) std::memcpy(&last.pixels[k * width], dst + k * dstStep, width);
        last.kept = true;
    }
}
