// CDibImage: a Windows bitmap file read whole into memory.
//
// The block holds the file from byte 14 (after its file header) to its end:
// the BITMAPINFOHEADER, the colour table, then the pixels, which are taken to
// begin right after the colour table whatever bfOffBits says. The loader never
// reads outside the bytes it holds, whatever the header claims.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbQuad {
    uint8_t blue, green, red, reserved;
};

class CDibImage {
public:
    // Reads `path`; on failure the image is empty and LoadError() says why.
    explicit CDibImage(const std::string& path);
    // Reads a file's bytes already in memory (tests, fuzzing).
    CDibImage(const uint8_t* fileBytes, size_t size);
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

private:
    void LoadFile(const std::string& path);
    void LoadBytes(const uint8_t* fileBytes, size_t size);
    const uint8_t* header() const { return block_.empty() ? nullptr : block_.data(); }

    std::vector<uint8_t> block_;   // the file after its 14-byte file header
    size_t colorsOffset_ = 0;      // colour table: biSize bytes into the block
    size_t bitsOffset_ = 0;        // pixels: after 4 x colour count bytes of table
    std::string loadError_;
};

// Why an atlas cannot serve the game: empty when it can. The game cuts
// rectangles up to column 3199 and row 1999 from an 8-bit, uncompressed,
// bottom-up bitmap with unpadded rows and a full colour table.
std::string AtlasProblem(const CDibImage& atlas);
