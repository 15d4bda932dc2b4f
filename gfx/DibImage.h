// CDibImage: a Windows bitmap file read whole into memory.
//
// The block holds the whole file: its 14-byte file header, the
// BITMAPINFOHEADER, the colour table, then the pixels, which are taken to
// begin right after the colour table whatever bfOffBits says. The loader never
// reads outside the bytes it holds, whatever the header claims, and reads
// only regular files of at most kMaxAtlasFileBytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbQuad {
    uint8_t blue, green, red, reserved;
};

// Far above the real atlas (6.4 MB): a larger file is not one, and a device
// or a growing file must not be read without end.
constexpr size_t kMaxAtlasFileBytes = size_t{64} << 20;

class CDibImage {
public:
    // Reads `path`; on failure the image is empty and LoadError() says why.
    explicit CDibImage(const std::string& path);
    // Reads a file's bytes already in memory (tests, fuzzing).
    CDibImage(const uint8_t* fileBytes, size_t size);
    // Takes a file's bytes without copying them.
    explicit CDibImage(std::vector<uint8_t>&& fileBytes);
    virtual ~CDibImage() = default;

    CDibImage(const CDibImage&) = delete;
    CDibImage& operator=(const CDibImage&) = delete;

    bool IsLoaded() const { return header() != nullptr; }
    // Empty when the file was read; otherwise what went wrong, in words.
    const std::string& LoadError() const { return loadError_; }

    int32_t GetWidth() const;
    int32_t GetHeight() const;
    const RgbQuad* GetColorTable() const;
    const uint8_t* GetBits() const;
    uint32_t GetColorCount() const;
    uint32_t GetImageSize() const;
    uint16_t GetBitCount() const;
    uint32_t GetCompression() const;
    uint32_t GetHeaderSize() const;

    // Bytes from GetBits() to the end of the block: what a reader may touch.
    size_t GetBitsAvailable() const;
    // Bytes of colour table actually held (entries = this / 4).
    size_t GetColorTableAvailable() const;

    // Hands the file's bytes back (the reader may have filled in biSizeImage
    // and biClrUsed) and leaves the image empty: a caller that builds many
    // large images in turn (fuzzing) keeps one buffer.
    std::vector<uint8_t> ReleaseBytes();

    // A number that no other image loaded in this process shares, so that
    // what is learnt about one image's pixels (the blitter's index of its key
    // colours) is never taken for another's; 0 when nothing is loaded.
    uint64_t Serial() const { return serial_; }

private:
    void LoadFile(const std::string& path);
    void Load();  // checks and indexes block_
    const uint8_t* header() const;

    std::vector<uint8_t> block_;   // the whole file
    bool loaded_ = false;          // block_ holds the headers the getters read
    size_t colorsOffset_ = 0;      // colour table: after the two headers
    size_t bitsOffset_ = 0;        // pixels: after 4 x colour count bytes of table
    std::string loadError_;
    uint64_t serial_ = 0;
};

// Why an atlas cannot serve the game: empty when it can. The game cuts
// rectangles up to column 3199 and row 1999 from an 8-bit, uncompressed,
// bottom-up bitmap with unpadded rows and a full colour table.
std::string AtlasProblem(const CDibImage& atlas);
