// The headless host and the --headless command line: the window picture, the
// lines over it, screenshots, the state line and the events file.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <string>

#include "gfx/AtlasCatalogue.h"
#include "gfx/Palette.h"
#include "platform/common/WindowPicture.h"
#include "platform/headless/EventScript.h"
#include "tests/TestAtlas.h"
#include "tests/support/ChunkedReads.h"

namespace {

// ---- The window picture ------------------------------------------------------

std::array<uint8_t, kSurfaceWidth * kSurfaceHeight> PatternSurface(int orientation) {
    std::array<uint8_t, kSurfaceWidth * kSurfaceHeight> s{};
    for (int y = 0; y < kSurfaceHeight; ++y)
        for (int x = 0; x < kSurfaceWidth; ++x)
            SurfacePixel(s.data(), orientation, x, y) = static_cast<uint8_t>(1 + (x + 2 * y) % 250);
    return s;
}

TEST(HeadlessWindow, ShowSurfaceCopiesTheTopLeftInEitherRowOrder) {
    // clang-format off
    const struct { int width, height, copiedWidth, copiedHeight; } cases[] = {
        {640, 480, 640, 480},
        {632, 440, 632, 440},   // columns from 632 and rows from 440 stay as they were
        {  0,  10,   0,   0},
        {-50, 100,   0,   0},
        {900, 900, 640, 480},   // beyond the window: clipped
    };
    // clang-format on
    for (const int orientation : {kTopDown, kBottomUp}) {
        for (const auto& c : cases) {
            HeadlessHost host(orientation);
            const auto surface = PatternSurface(orientation);
            host.ShowSurface(surface.data(), orientation, c.width, c.height);
            for (int y = 0; y < HeadlessHost::kWindowHeight; ++y) {
                for (int x = 0; x < HeadlessHost::kWindowWidth; ++x) {
                    const bool copied = x < c.copiedWidth && y < c.copiedHeight;
                    const uint8_t want = copied ? SurfacePixel(surface.data(), orientation, x, y) : 0;
                    ASSERT_EQ(host.WindowPixel(x, y), want)
                        << "(" << x << ", " << y << ") showing " << c.width << " x " << c.height << ", orientation "
                        << orientation;
                }
            }
        }
    }
}

// The pixels a line lights, as a set of "x,y" strings, in a window of 7s.
std::set<std::pair<int, int>> LinePixels(int x0, int y0, int x1, int y1) {
    HeadlessHost host;
    std::array<uint8_t, kSurfaceWidth * kSurfaceHeight> sevens;
    sevens.fill(7);
    host.ShowSurface(sevens.data(), kTopDown, 640, 480);
    host.DrawBlackLine(x0, y0, x1, y1);
    std::set<std::pair<int, int>> lit;
    for (int y = 0; y < HeadlessHost::kWindowHeight; ++y)
        for (int x = 0; x < HeadlessHost::kWindowWidth; ++x)
            if (host.WindowPixel(x, y) == 0) lit.insert({x, y});
            else if (host.WindowPixel(x, y) != 7) ADD_FAILURE() << "pixel (" << x << ", " << y << ") changed to a colour other than index 0";
    return lit;
}

using Pixels = std::set<std::pair<int, int>>;

TEST(HeadlessWindow, LinesLeaveOutTheirEndPoint) {
    // clang-format off
    const struct { int x0, y0, x1, y1; Pixels lit; } cases[] = {
        {10, 5, 14,  5, {{10, 5}, {11, 5}, {12, 5}, {13, 5}}},            // to the right
        {14, 5, 10,  5, {{14, 5}, {13, 5}, {12, 5}, {11, 5}}},            // to the left
        { 3, 8,  3, 11, {{3, 8}, {3, 9}, {3, 10}}},                        // down
        { 3, 11, 3,  8, {{3, 11}, {3, 10}, {3, 9}}},                       // up
        { 0, 0,  3,  3, {{0, 0}, {1, 1}, {2, 2}}},                         // diagonal
        { 0, 0,  4,  2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},                 // shallow: halves round away from the start
        { 5, 5,  5,  5, {}},                                               // no length: nothing
        {-2, 1,  2,  1, {{0, 1}, {1, 1}}},                                 // starts outside the window
        {638, 479, 643, 479, {{638, 479}, {639, 479}}},                    // leaves the window
        {-2000000000, 3, 2000000000, 3, {}},                               // filled below, checked separately
    };
    // clang-format on
    for (size_t i = 0; i + 1 < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(LinePixels(c.x0, c.y0, c.x1, c.y1), c.lit) << "(" << c.x0 << ", " << c.y0 << ") to (" << c.x1 << ", "
                                                              << c.y1 << ")";
    }
    // A line from far outside to far outside crosses the whole window row.
    const Pixels across = LinePixels(-2000000000, 3, 2000000000, 3);
    EXPECT_EQ(across.size(), 640u);
    EXPECT_TRUE(across.count({0, 3}) && across.count({639, 3}));
}

TEST(HeadlessWindow, SteepAndFarLinesStayInsideTheWindow) {
    for (const auto& [x0, y0, x1, y1] : {std::array<int, 4>{-100000, -100000, 100000, 100000},
                                         std::array<int, 4>{2147483647, -2147483647, -2147483647, 2147483647},
                                         std::array<int, 4>{320, -5000000, 321, 5000000}}) {
        const Pixels lit = LinePixels(x0, y0, x1, y1);
        EXPECT_FALSE(lit.empty()) << x0 << "," << y0 << " to " << x1 << "," << y1;
        for (const auto& [x, y] : lit) {
            EXPECT_GE(x, 0);
            EXPECT_LT(x, 640);
        }
    }
}

// Reads a PNG back as RGB.
bool ReadPng(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgb) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

TEST(HeadlessWindow, AScreenshotIsTheClientAreaThroughThePalette) {
    HeadlessHost host(kBottomUp);
    PaletteColors palette{};
    for (int k = 0; k < 256; ++k) palette[k] = {static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k), static_cast<uint8_t>(k * 7)};
    host.RealizePalette(palette);
    const auto surface = PatternSurface(kBottomUp);
    host.ShowSurface(surface.data(), kBottomUp, 640, 480);
    host.DrawBlackLine(0, 0, 100, 50);

    const std::string dir = MakeTempDir();
    std::string error;
    ASSERT_TRUE(host.WriteScreenshot(dir + "/shot.png", error)) << error;
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ReadPng(dir + "/shot.png", width, height, rgb));
    ASSERT_EQ(width, kClientWidth);
    ASSERT_EQ(height, kClientHeight);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // A line is black whatever the palette holds, as on the desktop.
            const Rgb want = host.window().IsLine(x, y) ? Rgb{} : palette[host.WindowPixel(x, y)];
            const uint8_t* got = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            ASSERT_EQ(Rgb({got[0], got[1], got[2]}), want) << "(" << x << ", " << y << ")";
        }
    }
    EXPECT_FALSE(host.WriteScreenshot(dir + "/no-such-dir/shot.png", error));
    EXPECT_NE(error.find("no-such-dir/shot.png"), std::string::npos) << error;
    std::filesystem::remove_all(dir);
}

TEST(HeadlessWindow, TheHostOffersTheClassicSystemColours) {
    HeadlessHost host;
    EXPECT_EQ(host.SystemColors(), ClassicSystemColors());
    EXPECT_EQ(host.SystemColors()[19], (Rgb{0xFF, 0xFF, 0xFF}));
}

// ---- The session and its state line -----------------------------------------

TEST(HeadlessSession, TheStateLineNamesEveryMemberWithItsValue) {
    auto session = MakeTestSession();
    CAveluneView& v = session->view();
    v.power = 0xFFFFFFFFu;       // unsigned stays unsigned
    v.pitch = -10;               // signed stays signed
    v.lateralOffset = -32768;
    v.altitude = -2147483647 - 1;
    v.sceneryRowStep = 2.5f;
    v.runwayNearRightY = 17;
    const std::string json = session->StateJson();
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.back(), '}');
    EXPECT_EQ(json.find('\n'), std::string::npos);
    EXPECT_NE(json.find("\"power\":4294967295,"), std::string::npos);
    EXPECT_NE(json.find("\"pitch\":-10,"), std::string::npos);
    EXPECT_NE(json.find("\"lateralOffset\":-32768,"), std::string::npos);
    EXPECT_NE(json.find("\"altitude\":-2147483648,"), std::string::npos);
    EXPECT_NE(json.find("\"sceneryRowStep\":2.5,"), std::string::npos);
    EXPECT_NE(json.find("\"timerRunning\":true,\"quit\":false}"), std::string::npos);
    // Every member appears once, in declaration order.
    size_t at = 0;
#define AVELUNE_EXPECT_IN_ORDER(type, name)                                 \
    {                                                                       \
        const size_t found = json.find("\"" #name "\":", at);               \
        EXPECT_NE(found, std::string::npos) << #name;                       \
        if (found != std::string::npos) at = found;                         \
    }
    AVELUNE_FLIGHT_STATE_MEMBERS(AVELUNE_EXPECT_IN_ORDER)
#undef AVELUNE_EXPECT_IN_ORDER
    v.sceneryRowStep = std::numeric_limits<float>::quiet_NaN();
    EXPECT_NE(session->StateJson().find("\"sceneryRowStep\":null,"), std::string::npos);
}

TEST(HeadlessSession, LoadAtlasNamesTheFileAndTheProblem) {
    const std::string dir = MakeTempDir();
    std::string error;
    EXPECT_EQ(LoadAtlas(dir + "/missing.bmp", error), nullptr);
    EXPECT_NE(error.find(dir + "/missing.bmp"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    WriteFileBytes(dir + "/small.bmp", MakeBitmapBytes(64, 64, 8));
    EXPECT_EQ(LoadAtlas(dir + "/small.bmp", error), nullptr);
    EXPECT_NE(error.find("small.bmp"), std::string::npos) << error;
    EXPECT_NE(error.find("64 pixels wide"), std::string::npos) << error;

    WriteTestAtlasFile(dir + "/good.bmp");
    error.clear();
    const auto atlas = LoadAtlas(dir + "/good.bmp", error);
    ASSERT_NE(atlas, nullptr) << error;
    EXPECT_EQ(atlas->GetWidth(), kAtlasWidth);
    std::filesystem::remove_all(dir);
}

TEST(HeadlessSession, APlayersOwnAtlasInTheWorkingDirectoryComesFirst) {
    const std::string dir = MakeTempDir();
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    const std::string beside = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "prop.bmp").string();
    const std::string withoutOwn = FindAtlas(nullptr);
    std::ofstream("prop.bmp") << "x";
    const std::string withOwn = FindAtlas(nullptr);
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);

    EXPECT_EQ(withOwn, "prop.bmp");
    EXPECT_EQ(withoutOwn, std::filesystem::exists(beside) ? beside : std::string("prop.bmp"));
}

// ---- The command line, through the real program -------------------------------

struct RunResult {
    int status = -1;
    std::string out, err;
};

class HeadlessCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new std::string(MakeTempDir());
        WriteTestAtlasFile(*dir_ + "/prop.bmp");
    }
    static void TearDownTestSuite() {
        std::filesystem::remove_all(*dir_);
        delete dir_;
    }
    static std::string Dir() { return *dir_; }
    static std::string Atlas() { return *dir_ + "/prop.bmp"; }

    // Runs the program with the given arguments, the events on its standard input.
    // `prefix` goes before the program (a wrapper such as timeout, variables).
    static RunResult Run(const std::string& args, const std::string& events = "", const std::string& prefix = "") {
        static int n = 0;
        const std::string base = Dir() + "/run" + std::to_string(n++);
        std::ofstream(base + ".in", std::ios::binary) << events;
        const std::string command = prefix + "'" + AVELUNE_BINARY + "' --headless " + args + " <'" + base +
                                    ".in' >'" + base + ".out' 2>'" + base + ".err'";
        RunResult r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = Slurp(base + ".out");
        r.err = Slurp(base + ".err");
        return r;
    }

    // Plays `events` through the program on the test atlas: it must end
    // well, with one state line for each row of `fields`, holding them all.
    static void ExpectStateLines(const std::string& events, const std::vector<std::vector<std::string>>& fields);

    static std::string* dir_;
};
std::string* HeadlessCli::dir_ = nullptr;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void HeadlessCli::ExpectStateLines(const std::string& events, const std::vector<std::vector<std::string>>& fields) {
    const RunResult r = Run("--atlas '" + Atlas() + "' --events -", events);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), fields.size()) << r.out;
    for (size_t i = 0; i < fields.size(); ++i)
        for (const std::string& field : fields[i])
            EXPECT_NE(lines[i].find(field), std::string::npos) << "line " << i + 1 << " lacks " << field << ": " << lines[i];
}

TEST_F(HeadlessCli, HelpDescribesTheEvents) {
    const RunResult r = Run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--events FILE|-"), std::string::npos);
    EXPECT_NE(r.out.find("tick [N]"), std::string::npos);
}

TEST_F(HeadlessCli, StateLinesFollowTheTicks) {
    ExpectStateLines("# the title, then two frames of its animation\n"
                     "state\n"
                     "tick\n"
                     "state   # after the title picture\n"
                     "\n"
                     "tick 2\n"
                     "state\n",
                     {
                         {"\"gameState\":0,"},
                         {"\"gameState\":3,", "\"titleFrame\":0,"},
                         {"\"titleFrame\":2,", "\"fuel\":50000,", "\"timerRunning\":true"},
                     });
}

// A player's first approach after start-up: the title, the start button, and
// one flight cycle from the zero start (airspeed 0).
TEST_F(HeadlessCli, TheFirstFlightCycleReplaysThroughTheProgram) {
    // clang-format off
    ExpectStateLines("tick 2\n"
                     "press 330 230\n"
                     "release 330 230\n"
                     "state\n"
                     "tick\nstate\n"
                     "tick\nstate\n"
                     "tick\nstate\n",
                     {
        {"\"gameState\":4,", "\"fuel\":50000,", "\"altitude\":3202,", "\"airspeed\":0,"},          // start released
        {"\"gameState\":6,", "\"pressMode\":3,", "\"releaseMode\":3,"},                              // cockpit drawn
        {"\"gameState\":10,"},                                                                     // judged: fly on
        {"\"gameState\":4,", "\"fuel\":49975,", "\"airspeed\":43,", "\"altitude\":3229,",          // one second flown
         "\"distanceFlown\":63,", "\"airspeedFrame\":8,", "\"sinkRate\":32,", "\"climbRate\":3229,",
         "\"distanceToGo\":895,", "\"timerRunning\":true"},
                     });
    // clang-format on
}

TEST_F(HeadlessCli, AnEventsFileAndScreenshotsAreWritten) {
    const std::string events = Dir() + "/events.txt";
    std::ofstream(events) << "tick\nscreenshot " << Dir() << "/during.png\ntick 3\n";
    const RunResult r = Run("--atlas '" + Atlas() + "' --events '" + events + "' --screenshot '" + Dir() + "/end.png'");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"/during.png", "/end.png"}) {
        int w = 0, h = 0;
        std::vector<uint8_t> rgb;
        ASSERT_TRUE(ReadPng(Dir() + name, w, h, rgb)) << name;
        EXPECT_EQ(w, 632);
        EXPECT_EQ(h, 440);
    }
}

TEST_F(HeadlessCli, AQuitSkipsTheRemainingEvents) {
    // The title's quit button, released during the title animation.
    const RunResult r = Run("--atlas '" + Atlas() + "' --events -",
                            "tick 2\nstate\nrelease 530 230\nstate\ntick\nnonsense that is never read\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1u) << r.out;
    EXPECT_NE(lines[0].find("\"quit\":false"), std::string::npos);
}

// clang-format off
const struct { const char* events; int line; const char* words; } kBadEvents[] = {
    {"tick\nfly 3\n",              2, "unknown event 'fly'"},
    {"tick -1\n",                  1, "'tick' takes"},
    {"tick 2 3\n",                 1, "'tick' takes"},
    {"tick many\n",                1, "'tick' takes"},
    {"# fine\n\npress 10\n",       3, "'press' takes two whole numbers"},
    {"release 1 2 3\n",            1, "'release' takes"},
    {"move 1.5 2\n",               1, "'move' takes"},
    {"press 99999999999 2\n",      1, "'press' takes"},
    {"state now\n",                1, "'state' takes nothing"},
    {"screenshot\n",               1, "'screenshot' takes one file name"},
    {"tick\nkey up\n",             2, "'key' takes one key name"},
    {"keydown\n",                  1, "'keydown' takes one key name"},
    {"keyup Up Down\n",            1, "'keyup' takes one key name"},
};
// clang-format on

TEST_F(HeadlessCli, AMalformedLineNamesItsNumberAndExits2) {
    for (const auto& c : kBadEvents) {
        const RunResult r = Run("--atlas '" + Atlas() + "' --events -", c.events);
        EXPECT_EQ(r.status, 2) << c.events;
        EXPECT_NE(r.err.find("line " + std::to_string(c.line) + ":"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.words), std::string::npos) << r.err;
    }
}

using namespace std::string_literals;

TEST(EventLines, EndAtLfCrLfOrALoneCrWhereverTheReadsBreak) {
    const std::string text = "a\r\nb\rc\n\n\r\rd  e\r";
    const std::vector<std::string> want = {"a", "b", "c", "", "", "", "d  e"};
    for (const size_t chunk : {size_t{1}, size_t{2}, size_t{3}, size_t{100}}) {
        EventLineReader reader(ChunkedReads(text, chunk));
        std::vector<std::string> got;
        std::string line;
        while (reader.Next(line) == EventLineReader::Status::Line) got.push_back(line);
        EXPECT_EQ(got, want) << "reads of " << chunk;
    }
}

// Lines the old reader took apart wrongly or echoed whole; `words` must be in
// the message and the message stays short whatever the line holds.
// clang-format off
const struct { std::string events; int line; const char* words; } kHostileEvents[] = {
    {"press 330\0 999 230\n"s,         1, "control byte at column 10: 'press 330\\x00 999 230'"},
    {"tick\n\x1b[2Jtick\n",             2, "control byte at column 1"},
    {"move 1 2\x7f\n",                  1, "control byte"},
    {"state # \x01 in a comment\n",     1, "control byte"},
    {"tick\rfly\n",                     2, "unknown event 'fly'"},   // a lone CR ends a line
    {"tick\r\nstate x\r\n",              2, "'state' takes nothing"}, // CR LF is one end
    {std::string(300, 'x') + "\n",     1, "unknown event 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx'..."},
    {"tick\n" + std::string(5000, 'y'), 2, "longer than 4096 bytes"},
    {"tick\n" + std::string(10 << 20, 'z') + "\n", 2, "longer than 4096 bytes"},
};
// clang-format on

TEST_F(HeadlessCli, HostileLinesAreRefusedWithAShortMessage) {
    for (const auto& c : kHostileEvents) {
        SCOPED_TRACE(QuoteForMessage(c.events));
        const RunResult r = Run("--atlas '" + Atlas() + "' --events -", c.events);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("line " + std::to_string(c.line) + ":"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.words), std::string::npos) << r.err;
        EXPECT_LT(r.err.size(), 200u) << r.err.substr(0, 400);
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(HeadlessCli, AnEventsFileThatCannotBeReadExits2) {
    // clang-format off
    const struct { std::string file; const char* words; } cases[] = {
        {Dir(),            "is a directory"},
        {"/proc/self/mem", "cannot read the events file /proc/self/mem: Input/output error"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const RunResult r = Run("--atlas '" + Atlas() + "' --events '" + c.file + "'");
        EXPECT_EQ(r.status, 2) << c.file;
        EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.words), std::string::npos) << r.err;
    }
}

TEST_F(HeadlessCli, TicksPassAtOnceOnceTheTimerHasStopped) {
    // The information page stops the timer; two thousand million periods
    // with nothing to run, ten times over, must not keep the program busy
    // (the old loop took seconds for each, so `timeout` ends it).
    std::string events = "tick 2\npress 420 221\nrelease 420 221\ntick\n";
    for (int i = 0; i < 10; ++i) events += "tick 2147483647\n";
    events += "state\n";
    const RunResult r = Run("--atlas '" + Atlas() + "' --events -", events, "timeout 15 ");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"gameState\":1,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"timerRunning\":false"), std::string::npos) << r.out;
}

TEST_F(HeadlessCli, BothBlitRoutinesFlyAReplayToTheSamePicture) {
    const std::string replay = std::string(AVELUNE_SOURCE_DIR) + "/tests/replays/warning-recovered.events";
    std::string pictures[2];
    for (int i = 0; i < 2; ++i) {
        const std::string shot = Dir() + "/blit-" + std::to_string(i) + ".png";
        const RunResult r = Run("--atlas '" + Atlas() + "' --events '" + replay + "' --screenshot '" + shot + "'", "",
                                i == 0 ? "AVELUNE_BLIT=portable " : "AVELUNE_BLIT=fastest ");
        ASSERT_EQ(r.status, 0) << r.err;
        pictures[i] = Slurp(shot);
    }
    EXPECT_FALSE(pictures[0].empty());
    EXPECT_EQ(pictures[0], pictures[1]);
    const RunResult bad = Run("--atlas '" + Atlas() + "'", "", "AVELUNE_BLIT=quick ");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("AVELUNE_BLIT"), std::string::npos) << bad.err;
}

TEST_F(HeadlessCli, AnUnusableAtlasIsNamedWithItsProblem) {
    WriteFileBytes(Dir() + "/narrow.bmp", MakeBitmapBytes(320, 200, 8));
    std::ofstream(Dir() + "/text.bmp") << "hello";
    // clang-format off
    const struct { std::string file; const char* words; } cases[] = {
        {Dir() + "/absent.bmp", "No such file or directory"},
        {Dir() + "/narrow.bmp", "only 320 pixels wide"},
        {Dir() + "/text.bmp",   "Not a bitmap file"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const RunResult r = Run("--atlas '" + c.file + "' --events -", "tick\nstate\n");
        EXPECT_EQ(r.status, 1) << c.file;
        EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.words), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(HeadlessCli, WithoutAnAtlasNamedTheWorkingDirectorysIsUsed) {
    const std::string own = Dir() + "/own";
    std::filesystem::create_directories(own);
    std::ofstream(own + "/prop.bmp") << "not a picture";
    const std::string command = "cd '" + own + "' && '" + AVELUNE_BINARY + "' --headless --events /dev/null 2>'" + own +
                                "/err'";
    const int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1);
    const std::string err = Slurp(own + "/err");
    EXPECT_NE(err.find("prop.bmp"), std::string::npos) << err;
    EXPECT_NE(err.find("Not a bitmap file"), std::string::npos) << err;
}

TEST_F(HeadlessCli, BadArgumentsExit2) {
    for (const std::string& args : std::vector<std::string>{"--frobnicate", "--atlas", "--events '" + Dir() + "/no-events.txt'"}) {
        const RunResult r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_FALSE(r.err.empty()) << args;
    }
}

TEST_F(HeadlessCli, AScreenshotThatCannotBeWrittenFails) {
    const RunResult r = Run("--atlas '" + Atlas() + "' --events -", "tick\nscreenshot " + Dir() + "/none/x.png\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("none/x.png"), std::string::npos) << r.err;
}

// Screenshots that cannot be written: the message names the file and the
// reason, and whatever stood at that path is left exactly as it was.
std::string FileKind(const std::string& path) {
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0) return "missing";
    if (S_ISREG(st.st_mode)) return "file " + Slurp(path);
    if (S_ISDIR(st.st_mode)) return "directory";
    if (S_ISFIFO(st.st_mode)) return "pipe";
    if (S_ISCHR(st.st_mode)) return "character device";
    return "other";
}

// clang-format off
const struct {
    const char* name;
    std::string (*make)(const std::string& dir);  // the target; "" where this machine cannot make it
    const char* prefix;                          // before the program
    const char* reason;
} kUnwritableTargets[] = {
    {"a full disk, over an old picture", [](const std::string& d) { std::ofstream(d + "/old.png") << "an old picture"; return d + "/old.png"; },
                                          "ulimit -f 1; trap '' XFSZ; ", "File too large"},
    {"a new file on a full disk",        [](const std::string& d) { return d + "/new.png"; },
                                          "ulimit -f 1; trap '' XFSZ; ", "File too large"},
    {"a directory",                      [](const std::string& d) { ::mkdir((d + "/folder.png").c_str(), 0755); return d + "/folder.png"; },
                                          "", "it is a directory, not a regular file"},
    {"a named pipe",                     [](const std::string& d) { ::mkfifo((d + "/pipe.png").c_str(), 0644); return d + "/pipe.png"; },
                                          "timeout 20 ", "it is a named pipe, not a regular file"},
    // A device that fails every write, as /dev/full does (made only as root).
    {"a device",                         [](const std::string& d) { const std::string p = d + "/full.png";
                                                                    return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0 ? p : std::string(); },
                                          "", "it is a character device, not a regular file"},
};
// clang-format on

TEST_F(HeadlessCli, AScreenshotThatCannotBeWrittenLeavesThePathAsItWas) {
    for (const auto& c : kUnwritableTargets) {
        SCOPED_TRACE(c.name);
        const std::string dir = Dir() + "/unwritable-" + std::to_string(&c - kUnwritableTargets);
        std::filesystem::create_directories(dir);
        const std::string path = c.make(dir);
        if (path.empty()) continue;  // not root: no device node
        const std::string before = FileKind(path);
        const RunResult r = Run("--atlas '" + Atlas() + "' --events -", "tick\nscreenshot " + path + "\n", c.prefix);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("cannot write " + path + ": " + c.reason), std::string::npos) << r.err;
        EXPECT_EQ(FileKind(path), before);
        // No temporary file stays behind.
        size_t entries = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++entries;
        EXPECT_EQ(entries, before == "missing" ? 0u : 1u);
    }
}

TEST(HeadlessWindow, BothHostsNameAFailedScreenshotInTheSameWords) {
    const std::string dir = MakeTempDir();
    const HeadlessHost host;
    std::string headless, desktop;
    EXPECT_FALSE(host.WriteScreenshot(dir, headless));
    EXPECT_FALSE(WritePicturePng(host.window(), host.palette(), kClientWidth, kClientHeight, dir, desktop));
    EXPECT_EQ(headless, "cannot write " + dir + ": it is a directory, not a regular file");
    EXPECT_EQ(desktop, headless);
    std::filesystem::remove_all(dir);
}

TEST(HeadlessWindow, AScreenshotReplacesAFileThroughItsLinkWithItsMode) {
    const std::string dir = MakeTempDir();
    std::ofstream(dir + "/real.png") << "an old picture";
    ::chmod((dir + "/real.png").c_str(), 0640);
    ::symlink("real.png", (dir + "/link.png").c_str());
    const HeadlessHost host;
    std::string error;
    ASSERT_TRUE(host.WriteScreenshot(dir + "/link.png", error)) << error;
    struct stat st{};
    ASSERT_EQ(::lstat((dir + "/link.png").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat((dir + "/real.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    EXPECT_TRUE(ReadPng(dir + "/real.png", w, h, rgb));
    std::filesystem::remove_all(dir);
}

// The debrief and the samples of the latest approach, or a clear refusal.
TEST_F(HeadlessCli, DebriefAndSamplesOfTheLatestApproach) {
    const std::string replays = std::string(AVELUNE_SOURCE_DIR) + "/tests/replays/";
    struct Case {
        std::string args;
        int status;
        const char* err;  // in the message; empty: none
    } const cases[] = {
        {"--events " + replays + "overspeed-failure.events --debrief " + Dir() + "/d.svg --flight-csv " + Dir() +
             "/d.csv",
         0, ""},
        {"--events /dev/null --debrief " + Dir() + "/none.png", 1, "no approach was flown, so there is no debrief"},
        {"--events /dev/null --flight-csv " + Dir() + "/none.csv", 1, "no flight samples to write to"},
        {"--events " + replays + "arrival.events --debrief " + Dir(), 1, "cannot write the debrief"},
        {"--debrief", 2, "--debrief needs a value"},
    };
    for (const Case& c : cases) {
        const RunResult r = Run("--atlas " + Atlas() + " " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args << ": " << r.err;
        if (*c.err) {
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.err, "");
        }
    }
    EXPECT_NE(Slurp(Dir() + "/d.svg").find("<svg"), std::string::npos);
    const std::vector<std::string> rows = Lines(Slurp(Dir() + "/d.csv"));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("step,tick,feet_to_go,", 0), 0u);
    EXPECT_EQ(rows.back().substr(rows.back().rfind(',') + 1), "warning");  // the overspeed warned, then failed
    EXPECT_FALSE(std::filesystem::exists(Dir() + "/none.png"));
}

}  // namespace
