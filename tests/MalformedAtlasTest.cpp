// Malformed and unusual atlas files: each one has a defined outcome (read or
// not, and why the game can or cannot use it), and nothing the game does with
// what was read may touch a byte outside what the file held. Run under the
// sanitize preset, a read or write outside is a failure of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "gfx/AtlasCatalogue.h"
#include "gfx/Blit.h"
#include "gfx/DibImage.h"
#include "gfx/Palette.h"
#include "tests/TestAtlas.h"

namespace {

constexpr size_t kSurfaceBytes = static_cast<size_t>(kSurfaceWidth) * kSurfaceHeight;

// How the header of a full-sized, well-formed atlas is bent.
BitmapOptions With(void (*bend)(BitmapOptions&)) {
    BitmapOptions o;
    bend(o);
    return o;
}

// A file and what must come of it.
struct Case {
    const char* name;
    std::vector<uint8_t> (*make)();
    bool loaded;          // the reader keeps a header
    const char* problem;  // words AtlasProblem must contain; "" where the atlas serves
};

std::vector<uint8_t> Full(const BitmapOptions& o = {}) { return MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o); }

// clang-format off
const Case kCases[] = {
    {"empty file",            [] { return std::vector<uint8_t>{}; },                                   false, "Not a bitmap file"},
    {"13 bytes",              [] { std::vector<uint8_t> b(13, 0); b[0] = 'B'; b[1] = 'M'; return b; },  false, "truncated"},
    {"no BM signature",       [] { auto b = Full(); b[0] = 'M'; b[1] = 'B'; return b; },             false, "Not a bitmap file"},
    {"header cut short",      [] { auto b = Full(); b.resize(14 + 30); return b; },                  false, "truncated"},
    {"colour table cut short",[] { auto b = Full(); b.resize(14 + 40 + 100); return b; },            true,  "colour table holds 25"},
    {"pixels cut short",      [] { auto b = Full(); b.resize(b.size() - 3200 * 10 - 1); return b; }, true,  "truncated"},
    {"pixels all missing",    [] { auto b = Full(); b.resize(14 + 40 + 1024); return b; },           true,  "truncated"},
    {"too small",             [] { return MakeBitmapBytes(64, 32, 8); },                              true,  "64 pixels wide"},
    {"one row short",         [] { return MakeBitmapBytes(kAtlasWidth, kAtlasHeight - 1, 8); },       true,  "1999 pixels high"},
    {"width not multiple of 4",[] { return MakeBitmapBytes(kAtlasWidth + 2, kAtlasHeight, 8); },      true,  "multiple of 4"},
    {"1 bit per pixel",       [] { return MakeBitmapBytes(kAtlasWidth, 16, 1); },                     true,  "it has 1 bit per pixel;"},
    {"4 bits per pixel",      [] { return MakeBitmapBytes(kAtlasWidth, 16, 4); },                     true,  "4 bits per pixel"},
    {"24 bits per pixel",     [] { return MakeBitmapBytes(64, 64, 24); },                             true,  "24 bits per pixel"},
    {"32 bits per pixel",     [] { return MakeBitmapBytes(64, 64, 32); },                             true,  "32 bits per pixel"},
    {"RLE8 compressed",       [] { return Full(With([](BitmapOptions& o) { o.compression = 1; })); }, true,  "compressed"},
    {"top-down rows",         [] { return Full(With([](BitmapOptions& o) { o.topDown = true; })); },  true,  "top-down"},
    {"zero height",           [] { return MakeBitmapBytes(kAtlasWidth, 0, 8); },                      true,  "height 0"},
    {"huge width and height", [] { auto b = MakeBitmapBytes(64, 64, 8); PutLe32(b, 18, 0x7FFFFFFC); PutLe32(b, 22, 0x7FFFFFFF); return b; },
                                                                                                       true,  "truncated"},
    {"negative width",        [] { auto b = Full(); PutLe32(b, 18, static_cast<uint32_t>(-3200)); return b; },
                                                                                                       true,  "-3200 pixels wide"},
    {"236 colours",           [] { return Full(With([](BitmapOptions& o) { o.clrUsed = 236; })); },  true,  "colour table holds 236"},
    {"300 colours, all held", [] { return Full(With([](BitmapOptions& o) { o.clrUsed = 300; })); },  true,  ""},
    {"300 colours, 256 held", [] { return Full(With([](BitmapOptions& o) { o.clrUsed = 300; o.colorEntries = 256; })); },
                                                                                                       true,  "truncated"},
    {"huge colour count",     [] { return Full(With([](BitmapOptions& o) { o.clrUsed = 0x40000000; o.colorEntries = 256; })); },
                                                                                                       true,  "colour count 1073741824 is larger than the file"},
    {"colour count 2^31",     [] { return Full(With([](BitmapOptions& o) { o.clrUsed = 0x80000000u; o.colorEntries = 256; })); },
                                                                                                       true,  "colour count 2147483648 is larger than the file"},
    {"1 pixel wide",          [] { return MakeBitmapBytes(1, 64, 8); },                               true,  "only 1 pixel wide;"},
    {"1 pixel high",          [] { return MakeBitmapBytes(kAtlasWidth, 1, 8); },                      true,  "only 1 pixel high;"},
    {"1 colour",              [] { return Full(With([](BitmapOptions& o) { o.clrUsed = 1; })); },    true,  "holds 1 colour;"},
    {"1 byte of pixels",      [] { auto b = Full(); b.resize(14 + 40 + 1024 + 1); return b; },      true,  "truncated: 1 byte of pixels"},
    {"header size 12",        [] { return Full(With([](BitmapOptions& o) { o.infoHeaderSize = 12; })); }, true, "header"},
    {"header size 108",       [] { return Full(With([](BitmapOptions& o) { o.infoHeaderSize = 108; })); }, true, ""},
    {"header size 124",       [] { return Full(With([](BitmapOptions& o) { o.infoHeaderSize = 124; })); }, true, ""},
    {"header size beyond file",[] { auto b = Full(); PutLe32(b, 14, 0xFFFFFFF0u); return b; },        true,  "colour table holds 0"},
    {"bfOffBits zero",        [] { return Full(With([](BitmapOptions& o) { o.offBits = 0; })); },     true,  ""},
    {"bfOffBits past the end",[] { return Full(With([](BitmapOptions& o) { o.offBits = 0x7FFFFFFF; })); }, true, ""},
    {"bfOffBits mid-pixels",  [] { return Full(With([](BitmapOptions& o) { o.offBits = 5000; })); },  true,  ""},
    {"biSizeImage nonsense",  [] { return Full(With([](BitmapOptions& o) { o.sizeImage = 7; })); },   true,  ""},
    {"well-formed",           [] { return Full(); },                                                  true,  ""},
};
// clang-format on

class MalformedAtlas : public ::testing::TestWithParam<Case> {};

// Every catalogue rectangle and needle picture, in both row orders, onto
// surfaces of exactly 640 x 480 heap bytes.
void BlitEverything(const CDibImage& atlas) {
    for (int orientation : {kTopDown, kBottomUp}) {
        std::vector<uint8_t> surface(kSurfaceBytes, 0);
        for (int i = 0; i < kCatalogueSize; ++i) {
            const Sprite& s = kCatalogue[i].sprite;
            const auto w = static_cast<uint32_t>(s.width), h = static_cast<uint32_t>(s.height);
            BlitKeyed(surface.data(), orientation, 0, 0, atlas, s.x, s.y, w, h, s.key);
            BlitOpaque(surface.data(), orientation, 0, 0, atlas, s.x, s.y, w, h);
        }
        for (const AirspeedNeedle& n : kAirspeedNeedles)
            BlitKeyed(surface.data(), orientation, n.destX, n.destY, atlas, n.srcX, n.srcY,
                      static_cast<uint32_t>(n.width), static_cast<uint32_t>(n.height), kNeedleKey);
        // The corners of whatever the header claims, and past them.
        const int32_t w = atlas.GetWidth(), h = atlas.GetHeight();
        for (int32_t sx : {0, w - 1, w - 640, w}) {
            for (int32_t sy : {0, h - 1, h - 480, h}) {
                BlitOpaque(surface.data(), orientation, 0, 0, atlas, sx, sy, 640, 480);
                BlitKeyed(surface.data(), orientation, 0, 0, atlas, sx, sy, 0xFFFFFFFFu, 0xFFFFFFFFu, 255);
            }
        }
    }
}

// Atlas pixel (x, y) as the blitter reads it.
uint8_t ReadPixel(const CDibImage& atlas, int x, int y) {
    std::vector<uint8_t> surface(kSurfaceBytes, 0);
    BlitOpaque(surface.data(), kTopDown, 0, 0, atlas, x, y, 1, 1);
    return surface[0];
}

TEST_P(MalformedAtlas, HasItsDefinedOutcomeAndNeverReadsOutside) {
    const Case& c = GetParam();
    const std::vector<uint8_t> bytes = c.make();
    const CDibImage atlas(bytes.data(), bytes.size());

    ASSERT_EQ(atlas.IsLoaded(), c.loaded) << "load error: " << atlas.LoadError();
    const std::string problem = AtlasProblem(atlas);
    if (*c.problem == '\0') {
        EXPECT_EQ(problem, "");
    } else {
        EXPECT_NE(problem.find(c.problem), std::string::npos) << "problem: " << problem;
    }

    if (!atlas.IsLoaded()) {
        EXPECT_FALSE(atlas.LoadError().empty());
        EXPECT_EQ(atlas.GetBits(), nullptr);
        EXPECT_EQ(atlas.GetColorTable(), nullptr);
        return;
    }
    // Nothing the reader offers reaches past the bytes it holds.
    EXPECT_LE(atlas.GetBitsAvailable() + atlas.GetColorTableAvailable(), bytes.size() - 14);

    const PaletteColors palette = BuildGamePalette(ClassicSystemColors(), atlas);
    EXPECT_EQ(palette[7], ClassicSystemColors()[7]);
    EXPECT_EQ(palette[250], ClassicSystemColors()[14]);
    BlitEverything(atlas);

    if (problem.empty()) {
        // A serving atlas reads its pixels right after its colour table,
        // whatever bfOffBits says, and the palette takes its own colours.
        EXPECT_EQ(ReadPixel(atlas, 0, 0), AtlasPattern(0, 0));
        EXPECT_EQ(ReadPixel(atlas, 1234, 567), AtlasPattern(1234, 567));
        EXPECT_EQ(ReadPixel(atlas, kAtlasWidth - 1, kAtlasHeight - 1), AtlasPattern(kAtlasWidth - 1, kAtlasHeight - 1));
        const RgbQuad c100 = TestColor(100);
        EXPECT_EQ(palette[100], (Rgb{c100.red, c100.green, c100.blue}));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedAtlas, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return CaseName(info.param.name); });

// ---- The program itself, given a bad atlas ------------------------------------

struct RunResult {
    int exitCode;
    std::string output;
};

// `prefix` goes before the program (a wrapper such as timeout).
RunResult RunProgram(const std::string& args, const std::string& prefix = "") {
    const std::string command = prefix + std::string(AVELUNE_BINARY) + " " + args + " </dev/null 2>&1";
    RunResult result{-1, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) result.output += buffer;
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

struct CliCase {
    const char* name;
    std::vector<uint8_t> (*make)();  // null: the file is not there at all
    const char* reason;
};

// clang-format off
const CliCase kCliCases[] = {
    {"missing",     nullptr,                                                         "open"},
    {"empty",       [] { return std::vector<uint8_t>{}; },                           "Not a bitmap file"},
    {"text",        [] { const char t[] = "not a picture\n"; return std::vector<uint8_t>(t, t + sizeof t - 1); },
                                                                                     "Not a bitmap file"},
    {"header only", [] { auto b = MakeBitmapBytes(8, 8, 8); b.resize(30); return b; }, "truncated"},
    {"small",       [] { return MakeBitmapBytes(64, 64, 8); },                       "64 pixels wide"},
    {"24-bit",      [] { return MakeBitmapBytes(64, 64, 24); },                      "bits per pixel"},
    {"cut short",   [] { auto b = Full(); b.resize(b.size() / 2); return b; },      "truncated"},
};
// clang-format on

TEST(MalformedAtlasProgram, EndsWithAMessageNamingTheFile) {
    const std::string dir = MakeTempDir();
    for (const CliCase& c : kCliCases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/bad " + c.name + ".bmp";
        if (c.make != nullptr) WriteFileBytes(path, c.make());
        const RunResult r = RunProgram("--headless --atlas '" + path + "'");
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.exitCode, -1) << "the program did not end by itself";
        EXPECT_NE(r.output.find(path), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(c.reason), std::string::npos) << r.output;
        // A clean refusal, not a crash report.
        EXPECT_EQ(r.output.find("Sanitizer"), std::string::npos) << r.output;
    }
}

// Paths that are no atlas file at all: each is refused at once, before a byte
// is read, and none may keep the program waiting or reading (`timeout` ends
// a program that would).
// clang-format off
const struct { const char* name; std::string (*make)(const std::string& dir); const char* reason; } kNotFiles[] = {
    {"a directory",           [](const std::string& d) { const std::string p = d + "/folder.bmp"; ::mkdir(p.c_str(), 0755); return p; },
                                                                                     "it is a directory, not a file"},
    {"a pipe without writer", [](const std::string& d) { const std::string p = d + "/pipe.bmp"; ::mkfifo(p.c_str(), 0644); return p; },
                                                                                     "it is a named pipe, not a regular file"},
    {"an endless device",     [](const std::string&) { return std::string("/dev/zero"); },
                                                                                     "it is a character device, not a regular file"},
    {"a file over the cap",   [](const std::string& d) { const std::string p = d + "/huge.bmp";
                                                         WriteFileBytes(p, MakeBitmapBytes(64, 64, 8));
                                                         if (::truncate(p.c_str(), (64 << 20) + 1) != 0) return std::string();
                                                         return p; },
                                                                                     "it is 67108865 bytes, more than an atlas can be"},
};
// clang-format on

TEST(MalformedAtlasProgram, WhatIsNoRegularFileOrTooLargeIsRefusedAtOnce) {
    const std::string dir = MakeTempDir();
    for (const auto& c : kNotFiles) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make(dir);
        ASSERT_FALSE(path.empty());
        const RunResult r = RunProgram("--headless --atlas '" + path + "'", "timeout 20 ");
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_NE(r.output.find(path), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(c.reason), std::string::npos) << r.output;
    }
}

TEST(MalformedAtlasProgram, AGoodAtlasFileRuns) {
    const std::string dir = MakeTempDir();
    const std::string path = dir + "/good.bmp";
    WriteTestAtlasFile(path);
    const RunResult r = RunProgram("--headless --atlas '" + path + "'");
    EXPECT_EQ(r.exitCode, 0) << r.output;
}

}  // namespace
