// Reading bitmap files: where the colour table and the pixels are found, the
// header fields filled in, and a clear word for every file the game cannot use.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gfx/Palette.h"
#include "tests/TestAtlas.h"

namespace {

CDibImage FromBytes(const std::vector<uint8_t>& bytes) { return CDibImage(bytes.data(), bytes.size()); }

// Bytes from the colour table to the pixels: 4 x the colour count.
ptrdiff_t TableBytes(const CDibImage& image) {
    return image.GetBits() - reinterpret_cast<const uint8_t*>(image.GetColorTable());
}

struct LayoutCase {
    const char* name;
    int width, height;
    uint16_t bitCount;
    uint32_t headerSize, clrUsed, sizeImage;
    int32_t offBits;
    uint32_t colorCount;    // what the reader counts
    uint32_t imageSize;     // biSizeImage after reading
};
void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

// clang-format off
const LayoutCase kLayouts[] = {
    // name                               w   h bits  biSize clrUsed sizeImage offBits colours  image
    {"EightBitsGet256Colours",           12,  5,   8,     40,     0,        0,     -1,    256,    60},
    {"OffBitsIsIgnored",                 12,  5,   8,     40,     0,        0,      0,    256,    60},
    {"OffBitsPointingElsewhereIgnored",  12,  5,   8,     40,     0,        0,   5000,    256,    60},
    {"ColoursUsedAreKept",               12,  5,   8,     40,   236,        0,     -1,    236,    60},
    {"TwentyFourBitsHaveNoTable",         8,  2,  24,     40,     0,        0,     -1,      0,    16},
    {"FourBitsGet16Colours",             16,  4,   4,     40,     0,        0,     -1,     16,    64},
    {"ALongerHeaderMovesTheTable",       12,  5,   8,    124,     0,        0,     -1,    256,    60},
    {"ImageSizeGivenIsKept",             12,  5,   8,     40,     0,    12345,     -1,    256, 12345},
    {"ImageSizeIsNotRoundedToRows",      10,  3,   8,     40,     0,        0,     -1,    256,    30},
};
// clang-format on

class BitmapLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(BitmapLayout, TableAndPixelsFollowTheHeader) {
    const LayoutCase& c = GetParam();
    BitmapOptions o;
    o.infoHeaderSize = c.headerSize;
    o.clrUsed = c.clrUsed;
    o.sizeImage = c.sizeImage;
    o.offBits = c.offBits;
    o.padRows = false;  // pixels are read unpadded
    o.pixel = [](int x, int y) { return static_cast<uint8_t>(x + 16 * y + 1); };
    const CDibImage image = FromBytes(MakeBitmapBytes(c.width, c.height, c.bitCount, o));
    ASSERT_TRUE(image.IsLoaded());
    EXPECT_EQ(image.GetWidth(), c.width);
    EXPECT_EQ(image.GetHeight(), c.height);
    EXPECT_EQ(image.GetHeaderSize(), c.headerSize);
    EXPECT_EQ(image.GetColorCount(), c.colorCount);
    // biClrUsed and biSizeImage are filled in when read.
    EXPECT_EQ(image.GetImageSize(), c.imageSize);
    EXPECT_EQ(TableBytes(image), 4 * static_cast<ptrdiff_t>(c.colorCount));
    if (c.colorCount > 0) {
        const RgbQuad first = image.GetColorTable()[1];
        EXPECT_EQ(first.red, TestColor(1).red);
        EXPECT_EQ(first.green, TestColor(1).green);
        EXPECT_EQ(first.blue, TestColor(1).blue);
    }
    if (c.bitCount == 8) {
        // The first stored byte is the bottom-left pixel as seen.
        EXPECT_EQ(image.GetBits()[0], static_cast<uint8_t>(16 * (c.height - 1) + 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BitmapLayout, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(BitmapLayout, TheHeaderIsFilledInInMemory) {
    BitmapOptions o;
    o.clrUsed = 0;
    o.sizeImage = 0;
    const auto bytes = MakeBitmapBytes(16, 4, 8, o);
    const CDibImage image = FromBytes(bytes);
    // Read the fields back from the header the image holds, not through the getters' fallbacks.
    const auto* header = reinterpret_cast<const uint8_t*>(image.GetColorTable()) - 40;
    auto u32 = [&](int at) { return header[at] | header[at + 1] << 8 | header[at + 2] << 16 | header[at + 3] << 24; };
    EXPECT_EQ(u32(20), 64);   // biSizeImage
    EXPECT_EQ(u32(32), 256);  // biClrUsed
}

TEST(BitmapLayout, AFileOnDiskReadsLikeItsBytes) {
    const std::string dir = MakeTempDir();
    const auto bytes = MakeBitmapBytes(20, 6, 8);
    WriteFileBytes(dir + "/small.bmp", bytes);
    const CDibImage fromFile(dir + "/small.bmp");
    const CDibImage fromBytes = FromBytes(bytes);
    ASSERT_TRUE(fromFile.IsLoaded());
    EXPECT_EQ(fromFile.LoadError(), "");
    EXPECT_EQ(fromFile.GetBitsAvailable(), fromBytes.GetBitsAvailable());
    EXPECT_TRUE(std::equal(fromFile.GetBits(), fromFile.GetBits() + fromFile.GetBitsAvailable(), fromBytes.GetBits()));
    std::filesystem::remove_all(dir);
}

TEST(BitmapLayout, AFileThatIsNotABitmapLeavesAnEmptyImage) {
    for (const std::string start : {"XY", "MB", "bm", "B"}) {
        std::vector<uint8_t> bytes = MakeBitmapBytes(8, 8, 8);
        bytes[0] = static_cast<uint8_t>(start[0]);
        if (start.size() > 1) bytes[1] = static_cast<uint8_t>(start[1]);
        else bytes.resize(1);
        const CDibImage image = FromBytes(bytes);
        EXPECT_FALSE(image.IsLoaded()) << start;
        EXPECT_EQ(image.GetColorTable(), nullptr) << start;
        EXPECT_EQ(image.GetBits(), nullptr) << start;
        EXPECT_EQ(image.LoadError(), "Not a bitmap file") << start;
    }
}

// ---- Atlases the game cannot use --------------------------------------------

struct BadAtlasCase {
    const char* name;
    int width, height;
    uint16_t bitCount;
    std::function<void(BitmapOptions&)> change;
    const char* words;  // what the message must say
};
void PrintTo(const BadAtlasCase& c, std::ostream* os) { *os << c.name; }

const size_t kFullAtlasBytes = 14 + 40 + 1024 + static_cast<size_t>(kAtlasWidth) * kAtlasHeight;

// clang-format off
const BadAtlasCase kBadAtlases[] = {
    {"NotABitmap",        3200, 2000,  8, [](BitmapOptions& o) { o.signature[0] = 'P'; },          "Not a bitmap file"},
    {"EmptyFile",         3200, 2000,  8, [](BitmapOptions& o) { o.keepBytes = 0; },               "Not a bitmap file"},
    {"OnlyTheSignature",  3200, 2000,  8, [](BitmapOptions& o) { o.keepBytes = 2; },               "truncated"},
    {"HeaderCutShort",    3200, 2000,  8, [](BitmapOptions& o) { o.keepBytes = 30; },              "truncated"},
    {"CoreHeader",        3200, 2000,  8, [](BitmapOptions& o) { o.infoHeaderSize = 12; },         "not a BITMAPINFOHEADER"},
    {"TwentyFourBits",    3200, 2000, 24, [](BitmapOptions&) {},                                    "24 bits per pixel; the game needs 8"},
    {"FourBits",          3200, 2000,  4, [](BitmapOptions&) {},                                    "4 bits per pixel"},
    {"RunLengthEncoded",  3200, 2000,  8, [](BitmapOptions& o) { o.compression = 1; },             "compressed"},
    {"TooNarrow",         3196, 2000,  8, [](BitmapOptions&) {},                                    "only 3196 pixels wide; the game needs at least 3200"},
    {"TooLow",            3200, 1999,  8, [](BitmapOptions&) {},                                    "only 1999 pixels high; the game needs at least 2000"},
    {"TinyImage",            4,    4,  8, [](BitmapOptions&) {},                                    "only 4 pixels wide"},
    {"RowsPadded",        3202, 2000,  8, [](BitmapOptions&) {},                                    "3202 is not a multiple of 4, so its rows are padded"},
    {"TopDown",           3200, 2000,  8, [](BitmapOptions& o) { o.topDown = true; },              "top-down"},
    {"NoRows",            3200,    0,  8, [](BitmapOptions&) {},                                    "no rows"},
    {"FewColoursUsed",    3200, 2000,  8, [](BitmapOptions& o) { o.clrUsed = 200; },               "colour table holds 200 colours; the game needs at least 246"},
    {"TableCutShort",     3200, 2000,  8, [](BitmapOptions& o) { o.keepBytes = 14 + 40 + 400; },   "colour table holds 100 colours"},
    {"PixelsCutShort",    3200, 2000,  8, [](BitmapOptions& o) { o.keepBytes = kFullAtlasBytes - 1; }, "truncated: 6399999 bytes of pixels"},
    {"HugeHeaderSize",    3200, 2000,  8, [](BitmapOptions& o) { o.infoHeaderSize = 0x7FFFFFF0; o.keepBytes = 4096; }, "colour table holds 0 colours"},
    {"HugeColourCount",   3200, 2000,  8, [](BitmapOptions& o) { o.clrUsed = 0xFFFFFFFF; o.colorEntries = 256; }, "colour count 4294967295 is larger than the file"},
};
// clang-format on

class BadAtlas : public ::testing::TestWithParam<BadAtlasCase> {};

TEST_P(BadAtlas, IsRefusedWithAClearWord) {
    const BadAtlasCase& c = GetParam();
    BitmapOptions o;
    o.pixel = [](int, int) { return uint8_t{9}; };
    c.change(o);
    const CDibImage image = FromBytes(MakeBitmapBytes(c.width, c.height, c.bitCount, o));
    const std::string problem = AtlasProblem(image);
    EXPECT_NE(problem.find(c.words), std::string::npos) << "message: " << problem;
}

INSTANTIATE_TEST_SUITE_P(Files, BadAtlas, ::testing::ValuesIn(kBadAtlases),
                         [](const ::testing::TestParamInfo<BadAtlasCase>& info) { return std::string(info.param.name); });

TEST(BadAtlas, AMissingFileOrADirectoryIsNamedAsSuch) {
    const std::string dir = MakeTempDir();
    EXPECT_EQ(AtlasProblem(CDibImage(dir + "/nothing-here.bmp")), "cannot open it: No such file or directory");
    EXPECT_EQ(AtlasProblem(CDibImage(dir)), "it is a directory, not a file");
    std::filesystem::remove_all(dir);
}

TEST(BadAtlas, TheTestAtlasAndALargerOneServe) {
    EXPECT_EQ(AtlasProblem(*MakeTestAtlas()), "");
    BitmapOptions o;
    o.clrUsed = 246;
    o.pixel = [](int, int) { return uint8_t{1}; };
    EXPECT_EQ(AtlasProblem(FromBytes(MakeBitmapBytes(3204, 2001, 8, o))), "");
}

// ---- The game palette --------------------------------------------------------

TEST(GamePalette, SystemColoursAtTheEndsAtlasColoursBetween) {
    const auto atlas = MakeTestAtlas();
    std::array<Rgb, 20> system{};
    for (int k = 0; k < 20; ++k) system[k] = {static_cast<uint8_t>(k), 7, 9};
    const PaletteColors palette = BuildGamePalette(system, *atlas);
    for (int k = 0; k < 256; ++k) {
        Rgb want;
        if (k < 10) want = system[k];
        else if (k >= 246) want = system[k - 236];
        else want = {TestColor(k).red, TestColor(k).green, TestColor(k).blue};
        EXPECT_EQ(palette[k], want) << "entry " << k;
    }
}

TEST(GamePalette, ATableOf246ColoursFillsEveryAtlasEntry) {
    BitmapOptions o;
    o.clrUsed = 246;
    o.pixel = [](int, int) { return uint8_t{1}; };
    const CDibImage atlas = FromBytes(MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o));
    const PaletteColors palette = BuildGamePalette(ClassicSystemColors(), atlas);
    EXPECT_EQ(palette[245], (Rgb{TestColor(245).red, TestColor(245).green, TestColor(245).blue}));
    EXPECT_EQ(palette[255], (Rgb{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(palette[0], (Rgb{0, 0, 0}));
}

}  // namespace
