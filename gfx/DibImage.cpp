#include "gfx/DibImage.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// "1 colour", "2 colours".
std::string Count(uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// BITMAPINFOHEADER field offsets within the block.
constexpr size_t kBiSize = 0, kBiWidth = 4, kBiHeight = 8, kBiBitCount = 14, kBiCompression = 16,
                 kBiSizeImage = 20, kBiClrUsed = 32;

}  // namespace

CDibImage::CDibImage(const std::string& path) { LoadFile(path); }

CDibImage::CDibImage(const uint8_t* fileBytes, size_t size) : block_(fileBytes, fileBytes + size) { Load(); }

CDibImage::CDibImage(std::vector<uint8_t>&& fileBytes) : block_(std::move(fileBytes)) { Load(); }

namespace {

// What a path that is not a regular file names, for the message.
const char* KindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

std::string TooLarge(const std::string& size) {
    return "it is " + size + " bytes, more than an atlas can be (at most " + std::to_string(kMaxAtlasFileBytes) +
           " bytes)";
}

}  // namespace

void CDibImage::LoadFile(const std::string& path) {
    // Opened without waiting, so that a named pipe without a writer is
    // refused below instead of blocking here.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        loadError_ = errno == EISDIR ? "it is a directory, not a file" : std::string("cannot open it: ") + std::strerror(errno);
        return;
    }
    struct stat st{};
    std::vector<uint8_t> bytes;
    if (::fstat(fd, &st) != 0) {
        loadError_ = std::string("cannot read it: ") + std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
        loadError_ = "it is a directory, not a file";
    } else if (!S_ISREG(st.st_mode)) {
        loadError_ = std::string("it is ") + KindOfFile(st.st_mode) + ", not a regular file";
    } else if (static_cast<uint64_t>(st.st_size) > kMaxAtlasFileBytes) {
        loadError_ = TooLarge(std::to_string(st.st_size));
    } else {
        // One byte more than the size says, up to one past the cap: a file
        // that grows while it is read is refused like one that was too large.
        bytes.resize(static_cast<size_t>(st.st_size) + 1);
        size_t held = 0;
        for (;;) {
            if (held == bytes.size()) {
                if (held > kMaxAtlasFileBytes) break;
                bytes.resize(std::min(held * 2, kMaxAtlasFileBytes + 1));
            }
            const ssize_t n = ::read(fd, bytes.data() + held, bytes.size() - held);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) loadError_ = std::string("cannot read it: ") + std::strerror(errno);
            if (n <= 0) break;
            held += static_cast<size_t>(n);
        }
        if (loadError_.empty() && held > kMaxAtlasFileBytes) loadError_ = TooLarge("more than " + std::to_string(kMaxAtlasFileBytes));
        bytes.resize(held);
    }
    ::close(fd);
    if (!loadError_.empty()) return;
    block_ = std::move(bytes);
    Load();
}

void CDibImage::Load() {
    loaded_ = false;
    const size_t size = block_.size();
    if (size < 2 || ReadU16(block_.data()) != 0x4D42) {
        loadError_ = "Not a bitmap file";
        return;
    }
    if (size < kFileHeaderSize + kInfoHeaderSize) {
        // Too short to hold the header the rest of the program reads.
        loadError_ = "it is truncated: " + Count(size, "byte", "bytes") + " cannot hold the bitmap headers";
        return;
    }
    loaded_ = true;
    uint8_t* const info = block_.data() + kFileHeaderSize;

    const uint32_t headerSize = ReadU32(info + kBiSize);
    const uint32_t colorCount = GetColorCount();
    const uint32_t imageSize = GetImageSize();
    WriteU32(info + kBiSizeImage, imageSize);
    if (ReadU32(info + kBiClrUsed) == 0) WriteU32(info + kBiClrUsed, colorCount);

    // Offsets are kept within the block: a header that claims more than the
    // file holds leaves an empty colour table or pixel area, never a pointer
    // past the end.
    const uint64_t colors = kFileHeaderSize + uint64_t{headerSize};
    const uint64_t bits = colors + 4ull * colorCount;
    colorsOffset_ = static_cast<size_t>(colors < size ? colors : size);
    bitsOffset_ = static_cast<size_t>(bits < size ? bits : size);
    static std::atomic<uint64_t> lastSerial{0};
    serial_ = ++lastSerial;
}

std::vector<uint8_t> CDibImage::ReleaseBytes() {
    loaded_ = false;
    colorsOffset_ = bitsOffset_ = 0;
    serial_ = 0;
    return std::move(block_);
}

const uint8_t* CDibImage::header() const { return loaded_ ? block_.data() + kFileHeaderSize : nullptr; }

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
        return "it has " + Count(atlas.GetBitCount(), "bit", "bits") + " per pixel; the game needs 8";
    if (atlas.GetCompression() != 0)
        return "it is compressed (compression " + std::to_string(atlas.GetCompression()) +
               "); the game needs uncompressed pixels";
    const int32_t w = atlas.GetWidth(), h = atlas.GetHeight();
    if (h == 0) return "it has no rows (height 0)";
    if (h < 0) return "its rows are stored top-down (height " + std::to_string(h) + "); the game needs bottom-up rows";
    if (w < 3200)
        return "it is only " + (w < 0 ? std::to_string(w) + " pixels" : Count(static_cast<uint64_t>(w), "pixel", "pixels")) +
               " wide; the game needs at least 3200";
    if (h < 2000) return "it is only " + Count(static_cast<uint64_t>(h), "pixel", "pixels") + " high; the game needs at least 2000";
    if (w % 4 != 0)
        return "its width " + std::to_string(w) + " is not a multiple of 4, so its rows are padded";
    // A count beyond any 8-bit palette that the file could not even hold is
    // named as such, not as pixels missing.
    const uint64_t afterHeaders = atlas.GetColorTableAvailable() + atlas.GetBitsAvailable();
    const uint64_t tableBytes = 4ull * atlas.GetColorCount();
    if (atlas.GetColorCount() > 256 && tableBytes > afterHeaders)
        return "its colour count " + std::to_string(atlas.GetColorCount()) + " is larger than the file: " +
               Count(atlas.GetColorCount(), "colour needs", "colours need") + " " + std::to_string(tableBytes) +
               " bytes of colour table, and only " + Count(afterHeaders, "byte follows", "bytes follow") +
               " the header";
    const size_t colours = std::min<size_t>(atlas.GetColorCount(), atlas.GetColorTableAvailable() / 4);
    if (colours < 246)
        return "its colour table holds " + Count(colours, "colour", "colours") + "; the game needs at least 246";
    const uint64_t need = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    if (atlas.GetBitsAvailable() < need)
        return "it is truncated: " + Count(atlas.GetBitsAvailable(), "byte", "bytes") + " of pixels where " +
               std::to_string(w) + " x " + std::to_string(h) + " = " + std::to_string(need) + " are needed";
    return {};
}
