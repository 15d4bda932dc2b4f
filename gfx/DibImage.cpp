#include "gfx/DibImage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void WriteU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// BITMAPINFOHEADER field offsets within the block.
constexpr size_t kBiSize = 0, kBiWidth = 4, kBiHeight = 8, kBiBitCount = 14, kBiCompression = 16,
                 kBiSizeImage = 20, kBiClrUsed = 32;

}  // namespace

CDibImage::CDibImage(const std::string& path) { LoadFile(path); }

CDibImage::CDibImage(const uint8_t* fileBytes, size_t size) { LoadBytes(fileBytes, size); }

void CDibImage::LoadFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        loadError_ = "it is a directory, not a file";
        return;
    }
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        loadError_ = std::string("cannot open it: ") + (errno != 0 ? std::strerror(errno) : "unknown reason");
        return;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        loadError_ = "cannot read it";
        return;
    }
    LoadBytes(bytes.data(), bytes.size());
}

void CDibImage::LoadBytes(const uint8_t* fileBytes, size_t size) {
    if (size < 2 || ReadU16(fileBytes) != 0x4D42) {
        loadError_ = "Not a bitmap file";
        return;
    }
    if (size < kFileHeaderSize + kInfoHeaderSize) {
        // Too short to hold the header the rest of the program reads.
        loadError_ = "it is truncated: " + std::to_string(size) + " bytes cannot hold the bitmap headers";
        return;
    }
    block_.assign(fileBytes + kFileHeaderSize, fileBytes + size);

    const uint32_t headerSize = ReadU32(&block_[kBiSize]);
    const uint32_t colorCount = GetColorCount();
    const uint32_t imageSize = GetImageSize();
    WriteU32(&block_[kBiSizeImage], imageSize);
    if (ReadU32(&block_[kBiClrUsed]) == 0) WriteU32(&block_[kBiClrUsed], colorCount);

    // Offsets are kept within the block: a header that claims more than the
    // file holds leaves an empty colour table or pixel area, never a pointer
    // past the end.
    const uint64_t colors = headerSize;
    const uint64_t bits = colors + 4ull * colorCount;
    colorsOffset_ = static_cast<size_t>(colors < block_.size() ? colors : block_.size());
    bitsOffset_ = static_cast<size_t>(bits < block_.size() ? bits : block_.size());
}

int32_t CDibImage::GetWidth() const { return header() ? static_cast<int32_t>(ReadU32(header() + kBiWidth)) : 0; }
int32_t CDibImage::GetHeight() const { return header() ? static_cast<int32_t>(ReadU32(header() + kBiHeight)) : 0; }
uint16_t CDibImage::GetBitCount() const { return header() ? ReadU16(header() + kBiBitCount) : 0; }
uint32_t CDibImage::GetCompression() const { return header() ? ReadU32(header() + kBiCompression) : 0; }
uint32_t CDibImage::GetHeaderSize() const { return header() ? ReadU32(header() + kBiSize) : 0; }

const RgbQuad* CDibImage::GetColorTable() const {
    return header() ? reinterpret_cast<const RgbQuad*>(block_.data() + colorsOffset_) : nullptr;
}
const uint8_t* CDibImage::GetBits() const { return header() ? block_.data() + bitsOffset_ : nullptr; }

uint32_t CDibImage::GetColorCount() const {
    if (!header()) return 0;
    const uint32_t used = ReadU32(header() + kBiClrUsed);
    if (used != 0) return used;
    const uint16_t bitCount = GetBitCount();
    return bitCount < 9 ? (1u << bitCount) : 0;
}

uint32_t CDibImage::GetImageSize() const {
    if (!header()) return 0;
    const uint32_t sizeImage = ReadU32(header() + kBiSizeImage);
    if (sizeImage != 0) return sizeImage;
    return static_cast<uint32_t>(GetWidth()) * static_cast<uint32_t>(GetHeight());
}

size_t CDibImage::GetBitsAvailable() const { return header() ? block_.size() - bitsOffset_ : 0; }
size_t CDibImage::GetColorTableAvailable() const { return header() ? bitsOffset_ - colorsOffset_ : 0; }

std::string AtlasProblem(const CDibImage& atlas) {
    if (!atlas.IsLoaded()) return atlas.LoadError().empty() ? "it was not read" : atlas.LoadError();
    if (atlas.GetHeaderSize() < kInfoHeaderSize)
        return "its header is not a BITMAPINFOHEADER (header size " + std::to_string(atlas.GetHeaderSize()) + ")";
    if (atlas.GetBitCount() != 8)
        return "it has " + std::to_string(atlas.GetBitCount()) + " bits per pixel; the game needs 8";
    if (atlas.GetCompression() != 0)
        return "it is compressed (compression " + std::to_string(atlas.GetCompression()) +
               "); the game needs uncompressed pixels";
    const int32_t w = atlas.GetWidth(), h = atlas.GetHeight();
    if (h == 0) return "it has no rows (height 0)";
    if (h < 0) return "its rows are stored top-down (height " + std::to_string(h) + "); the game needs bottom-up rows";
    if (w < 3200) return "it is only " + std::to_string(w) + " pixels wide; the game needs at least 3200";
    if (h < 2000) return "it is only " + std::to_string(h) + " pixels high; the game needs at least 2000";
    if (w % 4 != 0)
        return "its width " + std::to_string(w) + " is not a multiple of 4, so its rows are padded";
    const size_t colours = std::min<size_t>(atlas.GetColorCount(), atlas.GetColorTableAvailable() / 4);
    if (colours < 246)
        return "its colour table holds " + std::to_string(colours) + " colours; the game needs at least 246";
    const uint64_t need = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    if (atlas.GetBitsAvailable() < need)
        return "it is truncated: " + std::to_string(atlas.GetBitsAvailable()) + " bytes of pixels where " +
               std::to_string(w) + " x " + std::to_string(h) + " = " + std::to_string(need) + " are needed";
    return {};
}
