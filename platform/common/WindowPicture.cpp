#include "platform/common/WindowPicture.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "platform/common/WindowRaster.h"

namespace {

// Eight bytes at p as one word, byte 0 lowest whatever the machine's order.
uint64_t Word(const uint8_t* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    return w;
}

// Chunks compared at a time before the words (a needle in mid-row leaves
// hundreds of equal bytes on either side of what changed), and whether the
// chunks at a and b hold the same bytes. The browser build's memcmp is a
// call a chunk (natively the compiler compares in line): there four vectors
// are compared here, their differences tested at once with one any-true
// (two lanes taken out and joined cost a third of the comparison).
#if defined(__wasm_simd128__)
constexpr int kChunk = 64;
using Bytes16 = uint8_t __attribute__((vector_size(16)));
Bytes16 Load16(const uint8_t* p) {
    Bytes16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
bool ChunkAlike(const uint8_t* a, const uint8_t* b) {
    static_assert(kChunk == 64);
    const Bytes16 x = (Load16(a) ^ Load16(b)) | (Load16(a + 16) ^ Load16(b + 16)) | (Load16(a + 32) ^ Load16(b + 32)) |
                      (Load16(a + 48) ^ Load16(b + 48));
    return !__builtin_wasm_any_true_v128(reinterpret_cast<__attribute__((vector_size(16))) signed char>(x));
}
#else
constexpr int kChunk = 32;
bool ChunkAlike(const uint8_t* a, const uint8_t* b) { return std::memcmp(a, b, kChunk) == 0; }
#endif

// The first n with a[n] != b[n], a chunk and then a word at a time; size
// where they are the same.
int FirstDifference(const uint8_t* a, const uint8_t* b, int size) {
    int i = 0;
    while (i + kChunk <= size && ChunkAlike(a + i, b + i)) i += kChunk;
    for (; i + 8 <= size; i += 8) {
        if (const uint64_t x = Word(a + i) ^ Word(b + i)) return i + std::countr_zero(x) / 8;
    }
    while (i < size && a[i] == b[i]) ++i;
    return i;
}

// One past the last n with a[n] != b[n]; there must be one.
int EndOfDifference(const uint8_t* a, const uint8_t* b, int size) {
    int end = size;
    while (end >= kChunk && ChunkAlike(a + end - kChunk, b + end - kChunk)) end -= kChunk;
    for (; end >= 8; end -= 8) {
        if (const uint64_t x = Word(a + end - 8) ^ Word(b + end - 8)) return end - std::countl_zero(x) / 8;
    }
    while (a[end - 1] == b[end - 1]) --end;
    return end;
}

}  // namespace

void WindowPicture::Show(const uint8_t* surfaceBits, int orientation, int width, int height) {
    CopyRows(surfaceBits, orientation, width, height, nullptr);
}

void WindowPicture::ShowRows(const uint8_t* surfaceBits, int orientation, int width, int height,
                             const SurfaceRows& rows) {
    if (shown_ != Source{surfaceBits, orientation, width, height}) return Show(surfaceBits, orientation, width, height);
    CopyRows(surfaceBits, orientation, width, height, &rows);
}

void WindowPicture::CopyRows(const uint8_t* surfaceBits, int orientation, int width, int height,
                             const SurfaceRows* rows) {
    // What lies beyond the window is clipped, as the window system clips it.
    const int w = std::clamp(width, 0, kWidth);
    const int h = std::clamp(height, 0, kHeight);
    // Only a picture that differs from the one shown counts as a change: the
    // game shows the same picture many times over, and an unchanged picture
    // must cost the window no redraw.
    // Where rows are named, only their columns are compared.
    for (int y = 0; y < h; ++y) {
        const int begin = (rows == nullptr) ? 0 : std::min(rows->From(static_cast<size_t>(y)), w);
        const int end = (rows == nullptr) ? w : std::min(rows->To(static_cast<size_t>(y)), w);
        if (begin < end) {
            const int row = (orientation == kTopDown) ? y : kSurfaceHeight - 1 - y;
            const uint8_t* from = surfaceBits + static_cast<size_t>(row) * kSurfaceWidth + begin;
            uint8_t* to = &index_[Offset(begin, y)];
            const int first = FirstDifference(to, from, end - begin);
            if (first < end - begin) {
                const int last = EndOfDifference(to, from, end - begin);
                std::memcpy(to + first, from + first, static_cast<size_t>(last - first));
                MarkDirty(begin + first, begin + last, y);
            }
        }
        if (rowLines_[static_cast<size_t>(y)].count != 0) ClearLines(y, w);
    }
    shown_ = {surfaceBits, orientation, width, height};
}

void WindowPicture::ShowUnchanged(const uint8_t* surfaceBits, int orientation, int width, int height) {
    if (shown_ != Source{surfaceBits, orientation, width, height}) return Show(surfaceBits, orientation, width, height);
    const int w = std::clamp(width, 0, kWidth);
    const int h = std::clamp(height, 0, kHeight);
    for (int y = 0; y < h && linesLit_ > 0; ++y) {
        if (rowLines_[static_cast<size_t>(y)].count != 0) ClearLines(y, w);
    }
}

void WindowPicture::ClearLines(int y, int w) {
    // Most rows have no line over them: then there is none to find.
    RowLines& row = rowLines_[static_cast<size_t>(y)];
    if (row.count == 0 || row.from >= w) return;
    uint8_t* line = &line_[Offset(0, y)];
    const int first = row.from;
    int last = std::min<int>(row.to, w);
    // Lines go on past the part shown: the changed span ends at the last
    // pixel cleared.
    if (row.to > w) {
        while (line[last - 1] == 0) --last;
    }
    // All of the row's line pixels lie in the part shown, or they are counted.
    const auto cleared = (row.to <= w) ? row.count : static_cast<uint16_t>(std::count(line + first, line + last, uint8_t{1}));
    std::memset(line + first, 0, static_cast<size_t>(last - first));
    linesLit_ -= cleared;
    row.count = static_cast<uint16_t>(row.count - cleared);
    if (row.count == 0) {
        row = RowLines{};
    } else {
        // What is left lies right of the part shown.
        row.from = static_cast<uint16_t>(static_cast<const uint8_t*>(std::memchr(line + last, 1, static_cast<size_t>(row.to - last))) - line);
    }
    MarkDirty(first, last, y);
}

void WindowPicture::MarkDirty(int x0, int x1, int y) {
    if (dirty_.empty()) {
        dirty_ = PictureRect{x0, y, x1, y + 1};
        return;
    }
    dirty_.x0 = std::min(dirty_.x0, x0);
    dirty_.x1 = std::max(dirty_.x1, x1);
    dirty_.y0 = std::min(dirty_.y0, y);
    dirty_.y1 = std::max(dirty_.y1, y + 1);
}

void WindowPicture::Blacken(int x, int y) {
    if (line_[Offset(x, y)] == 1) return;
    line_[Offset(x, y)] = 1;
    ++linesLit_;
    RowLines& row = rowLines_[static_cast<size_t>(y)];
    row.from = static_cast<uint16_t>(row.count == 0 ? x : std::min<int>(row.from, x));
    row.to = static_cast<uint16_t>(row.count == 0 ? x + 1 : std::max<int>(row.to, x + 1));
    ++row.count;
    MarkDirty(x, x + 1, y);
}

void WindowPicture::DrawBlackLine(int x0, int y0, int x1, int y1) {
    ForEachLinePixel(x0, y0, x1, y1, kWidth, kHeight, [this](int x, int y) { Blacken(x, y); });
}

Rgb WindowPicture::Color(const PaletteColors& palette, int x, int y) const {
    if (IsLine(x, y)) return Rgb{};
    return palette[Index(x, y)];
}

void WindowPicture::ToArgb(const PaletteColors& palette, int width, int height, uint32_t* out, int pitch) const {
    ToArgb(palette, PictureRect{0, 0, width, height}, out, pitch);
}

void WindowPicture::ToArgb(const PaletteColors& palette, const PictureRect& rect, uint32_t* out, int pitch) const {
    // One table look-up per pixel: the palette mapped to 32-bit pixels once.
    std::array<uint32_t, 256> argb;
    for (size_t k = 0; k < argb.size(); ++k) {
        const Rgb& c = palette[k];
        argb[k] = 0xFF000000u | (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
    }
    const int x0 = std::clamp(rect.x0, 0, kWidth), x1 = std::clamp(rect.x1, x0, kWidth);
    const int y0 = std::clamp(rect.y0, 0, kHeight), y1 = std::clamp(rect.y1, y0, kHeight);
    auto* rowOut = reinterpret_cast<uint8_t*>(out);
    for (int y = y0; y < y1; ++y, rowOut += pitch) {
        auto* dst = reinterpret_cast<uint32_t*>(rowOut);
        const uint8_t* idx = &index_[Offset(x0, y)];
        const uint8_t* line = &line_[Offset(x0, y)];
        for (int x = 0; x < x1 - x0; ++x) dst[x] = line[x] ? 0xFF000000u : argb[idx[x]];
    }
}

bool WritePicturePng(const WindowPicture& picture, const PaletteColors& palette, int width, int height,
                     const std::string& path, std::string& error) {
    const int w = std::clamp(width, 1, WindowPicture::kWidth);
    const int h = std::clamp(height, 1, WindowPicture::kHeight);
    return WriteRgbPng(
        path, w, h, [&](int x, int y) { return picture.Color(palette, x, y); }, error);
}
