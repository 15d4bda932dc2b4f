#include "tests/TestAtlas.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

uint8_t AtlasPattern(int x, int y) { return static_cast<uint8_t>((x * 7 + y * 13) % 256); }

RgbQuad TestColor(int k) {
    return {static_cast<uint8_t>(k / 2), static_cast<uint8_t>(255 - k), static_cast<uint8_t>(k), 0};
}

std::vector<uint8_t> MakeBitmapBytes(int width, int height, uint16_t bitCount, const BitmapOptions& o) {
    const uint32_t headerSize = o.infoHeaderSize < 40 ? 40 : o.infoHeaderSize;
    const uint32_t impliedColors = o.clrUsed != 0 ? o.clrUsed : (bitCount < 9 ? (1u << bitCount) : 0u);
    const size_t entries = o.colorEntries >= 0 ? static_cast<size_t>(o.colorEntries) : impliedColors;
    const size_t packedStride = (static_cast<size_t>(width) * bitCount + 7) / 8;
    const size_t stride = o.padRows ? (packedStride + 3) / 4 * 4 : packedStride;
    const size_t pixelOffset = 14 + headerSize + 4 * entries;
    std::vector<uint8_t> out(pixelOffset + stride * static_cast<size_t>(height), 0);

    out[0] = static_cast<uint8_t>(o.signature[0]);
    out[1] = static_cast<uint8_t>(o.signature[1]);
    Put32(out, 2, static_cast<uint32_t>(out.size()));
    Put32(out, 10, o.offBits >= 0 ? static_cast<uint32_t>(o.offBits) : static_cast<uint32_t>(pixelOffset));

    Put32(out, 14, o.infoHeaderSize);
    Put32(out, 18, static_cast<uint32_t>(width));
    Put32(out, 22, static_cast<uint32_t>(o.topDown ? -height : height));
    Put16(out, 26, 1);
    Put16(out, 28, bitCount);
    Put32(out, 30, o.compression);
    Put32(out, 34, o.sizeImage);
    Put32(out, 46, o.clrUsed);

    for (size_t k = 0; k < entries; ++k) {
        const RgbQuad c = TestColor(static_cast<int>(k % 256));
        const size_t at = 14 + headerSize + 4 * k;
        out[at] = c.blue;
        out[at + 1] = c.green;
        out[at + 2] = c.red;
    }
    if (bitCount == 8) {
        const PixelFn& pixel = o.pixel ? o.pixel : PixelFn(AtlasPattern);
        for (int y = 0; y < height; ++y) {
            const size_t storedRow = o.topDown ? static_cast<size_t>(y) : static_cast<size_t>(height - 1 - y);
            uint8_t* row = out.data() + pixelOffset + storedRow * stride;
            for (int x = 0; x < width; ++x) row[x] = pixel(x, y);
        }
    }
    if (o.keepBytes < out.size()) out.resize(o.keepBytes);
    return out;
}

std::unique_ptr<CDibImage> MakeTestAtlas(const PixelFn& pixel) {
    if (!pixel) {
        // Most tests cut from the default pattern: make its file image once.
        static const std::vector<uint8_t> bytes = MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8);
        return std::make_unique<CDibImage>(bytes.data(), bytes.size());
    }
    BitmapOptions o;
    o.pixel = pixel;
    const auto bytes = MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o);
    return std::make_unique<CDibImage>(bytes.data(), bytes.size());
}

std::unique_ptr<CDibImage> MakeUniformAtlas(uint8_t index) {
    return MakeTestAtlas([index](int, int) { return index; });
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(file) << "cannot create " << path;
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file) << "cannot write " << path;
}

std::string MakeTempDir() {
    static std::atomic<int> counter{0};
    const auto dir = std::filesystem::temp_directory_path() /
                     ("avelune-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void WriteTestAtlasFile(const std::string& path, const PixelFn& pixel) {
    BitmapOptions o;
    o.pixel = pixel;
    WriteFileBytes(path, MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o));
}

std::unique_ptr<CAveluneView> MakeTestView(GameHost& host, const PixelFn& pixel) {
    return std::make_unique<CAveluneView>(host, MakeTestAtlas(pixel));
}

std::unique_ptr<HeadlessSession> MakeTestSession(int orientation, const PixelFn& pixel) {
    return std::make_unique<HeadlessSession>(MakeTestAtlas(pixel), orientation);
}
