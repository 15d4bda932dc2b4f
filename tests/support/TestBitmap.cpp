#include "tests/support/TestBitmap.h"

#include <algorithm>

uint8_t AtlasPattern(int x, int y) { return static_cast<uint8_t>((x * 7 + y * 13) % 256); }

RgbQuad TestColor(int k) {
    return {static_cast<uint8_t>(k / 2), static_cast<uint8_t>(255 - k), static_cast<uint8_t>(k), 0};
}

void PutLe16(std::vector<uint8_t>& bytes, size_t at, uint16_t v) {
    bytes[at] = static_cast<uint8_t>(v);
    bytes[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

BitmapLayout LayoutOf(int width, int height, uint16_t bitCount, const BitmapOptions& o) {
    BitmapLayout l{};
    l.headerSize = o.infoHeaderSize < 40 ? 40 : o.infoHeaderSize;
    const uint32_t impliedColors = o.clrUsed != 0 ? o.clrUsed : (bitCount < 9 ? (1u << bitCount) : 0u);
    l.colorEntries = o.colorEntries >= 0 ? static_cast<size_t>(o.colorEntries) : impliedColors;
    const size_t packedStride = (static_cast<size_t>(width) * bitCount + 7) / 8;
    l.stride = o.padRows ? (packedStride + 3) / 4 * 4 : packedStride;
    l.pixelOffset = 14 + l.headerSize + 4 * l.colorEntries;
    l.fileSize = l.pixelOffset + l.stride * static_cast<size_t>(height);
    return l;
}

void WriteBitmapHeaders(std::vector<uint8_t>& out, int width, int height, uint16_t bitCount, const BitmapOptions& o) {
    const BitmapLayout l = LayoutOf(width, height, bitCount, o);
    std::fill(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(l.pixelOffset), uint8_t{0});
    out[0] = static_cast<uint8_t>(o.signature[0]);
    out[1] = static_cast<uint8_t>(o.signature[1]);
    PutLe32(out, 2, static_cast<uint32_t>(out.size()));
    PutLe32(out, 10, o.offBits >= 0 ? static_cast<uint32_t>(o.offBits) : static_cast<uint32_t>(l.pixelOffset));

    PutLe32(out, 14, o.infoHeaderSize);
    PutLe32(out, 18, static_cast<uint32_t>(width));
    PutLe32(out, 22, static_cast<uint32_t>(o.topDown ? -height : height));
    PutLe16(out, 26, 1);
    PutLe16(out, 28, bitCount);
    PutLe32(out, 30, o.compression);
    PutLe32(out, 34, o.sizeImage);
    PutLe32(out, 46, o.clrUsed);

    for (size_t k = 0; k < l.colorEntries; ++k) {
        const RgbQuad c = TestColor(static_cast<int>(k % 256));
        const size_t at = 14 + l.headerSize + 4 * k;
        out[at] = c.blue;
        out[at + 1] = c.green;
        out[at + 2] = c.red;
    }
}

std::vector<uint8_t> MakeBitmapBytes(int width, int height, uint16_t bitCount, const BitmapOptions& o) {
    const BitmapLayout l = LayoutOf(width, height, bitCount, o);
    std::vector<uint8_t> out(l.fileSize, 0);
    WriteBitmapHeaders(out, width, height, bitCount, o);
    if (bitCount == 8) {
        const PixelFn& pixel = o.pixel ? o.pixel : PixelFn(AtlasPattern);
        for (int y = 0; y < height; ++y) {
            const size_t storedRow = o.topDown ? static_cast<size_t>(y) : static_cast<size_t>(height - 1 - y);
            uint8_t* row = out.data() + l.pixelOffset + storedRow * l.stride;
            for (int x = 0; x < width; ++x) row[x] = pixel(x, y);
        }
    }
    if (o.keepBytes < out.size()) out.resize(o.keepBytes);
    return out;
}
