// The atlas catalogue, the needle tables and the atlas the generator paints.
//
// The catalogue and the tables are checked on their own (every rectangle
// fits, nothing overlaps that should not, the needles at the quarter turns
// and the scale's ends are where the game puts them). The generated prop.bmp is then checked against
// them: every rectangle holds a picture, keys sit only where they mean
// "transparent", needles show through their dials, and a second run of the
// generator writes the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/GeneratedAtlasFixture.h"
#include "gfx/AtlasCatalogue.h"
#include "gfx/DibImage.h"
#include "gfx/Palette.h"

namespace {

struct Rect {
    int x, y, w, h;
};

Rect Of(const Sprite& s) { return {s.x, s.y, s.width, s.height}; }
Rect Of(const AirspeedNeedle& n) { return {n.srcX, n.srcY, n.width, n.height}; }
Rect Of(const GaugeNeedle& n) { return {n.srcX, n.srcY, n.width, n.height}; }

bool Intersect(const Rect& a, const Rect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}
bool SameRect(const Rect& a, const Rect& b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; }
bool InsideAtlas(const Rect& r) {
    return r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= kAtlasWidth && r.y + r.h <= kAtlasHeight;
}

bool SharingAllowed(const std::string& a, const std::string& b) {
    for (int i = 0; i < kSharedPixelsSize; ++i) {
        const std::string first = kSharedPixels[i].first, second = kSharedPixels[i].second;
        if ((first == a && second == b) || (first == b && second == a)) return true;
    }
    return false;
}

// Every rectangle cut from the atlas, named: the catalogue, then the
// distinct needle pictures.
struct Named {
    std::string name;
    Rect rect;
    int key;
};
std::vector<Named> AllRectangles() {
    std::vector<Named> all;
    for (int i = 0; i < kCatalogueSize; ++i) {
        all.push_back({kCatalogue[i].name, Of(kCatalogue[i].sprite), kCatalogue[i].sprite.key});
    }
    for (int d = 1; d < 10; ++d) {  // digit 0 is in the catalogue
        all.push_back({"large digit " + std::to_string(d), Of(LargeDigit(d)), kNeedleKey});
        all.push_back({"small digit " + std::to_string(d), Of(SmallDigit(d)), kNeedleKey});
    }
    for (int k = 0; k < kAirspeedNeedleCount; ++k) {
        if (k > 0 && SameRect(Of(kAirspeedNeedles[k]), Of(kAirspeedNeedles[k - 1]))) continue;  // 35 and 36
        all.push_back({"airspeed needle " + std::to_string(k), Of(kAirspeedNeedles[k]), kNeedleKey});
    }
    for (int k = 0; k < kGaugeNeedleCount; ++k) {
        all.push_back({"gauge needle " + std::to_string(k), Of(kGaugeNeedles[k]), kNeedleKey});
    }
    return all;
}

// ---------------------------------------------------------------- catalogue

TEST(AtlasCatalogue, EveryRectangleLiesInsideTheAtlas) {
    for (const Named& n : AllRectangles()) {
        EXPECT_TRUE(InsideAtlas(n.rect)) << n.name << " at (" << n.rect.x << ", " << n.rect.y << ") " << n.rect.w
                                         << " x " << n.rect.h;
        EXPECT_TRUE(n.key == kOpaque || (n.key >= 0 && n.key <= 255)) << n.name;
    }
}

TEST(AtlasCatalogue, PicturesOverlapOnlyWhereTheyShareOnPurpose) {
    const std::vector<Named> all = AllRectangles();
    for (size_t i = 0; i < all.size(); ++i) {
        for (size_t j = i + 1; j < all.size(); ++j) {
            // Digit glyphs are one strip each; they lie inside no other picture.
            if (!Intersect(all[i].rect, all[j].rect)) continue;
            EXPECT_TRUE(SharingAllowed(all[i].name, all[j].name)) << all[i].name << " overlaps " << all[j].name;
        }
    }
}

TEST(AtlasCatalogue, EverySharedPairIsARealPairThatTouches) {
    // A stale row here would excuse an overlap that no longer exists.
    for (int i = 0; i < kSharedPixelsSize; ++i) {
        const Sprite* a = nullptr;
        const Sprite* b = nullptr;
        for (int k = 0; k < kCatalogueSize; ++k) {
            if (std::string(kCatalogue[k].name) == kSharedPixels[i].first) a = &kCatalogue[k].sprite;
            if (std::string(kCatalogue[k].name) == kSharedPixels[i].second) b = &kCatalogue[k].sprite;
        }
        ASSERT_NE(a, nullptr) << kSharedPixels[i].first;
        ASSERT_NE(b, nullptr) << kSharedPixels[i].second;
        const Rect ra = Of(*a), rb = Of(*b);
        // Touching rows count: neighbouring labels share their edge row.
        const Rect grown{ra.x - 1, ra.y - 1, ra.w + 2, ra.h + 2};
        EXPECT_TRUE(Intersect(grown, rb)) << kSharedPixels[i].first << " / " << kSharedPixels[i].second;
    }
}

TEST(AtlasCatalogue, AttitudeBandHoldsEveryReachableWindow) {
    for (int c = kAttitudeMinColumn; c <= kAttitudeMaxColumn; ++c) {
        for (int row : {0, kAttitudeMaxRow}) {
            const Rect window{sprite::kAttitudeWindow.x + kAttitudeColumnPitch * c, sprite::kAttitudeWindow.y + row, 63,
                              63};
            const Rect band = Of(kAttitudeBand);
            EXPECT_GE(window.x, band.x) << c;
            EXPECT_LE(window.x + window.w, band.x + band.w) << c;
            EXPECT_GE(window.y, band.y) << row;
            EXPECT_LE(window.y + window.h, band.y + band.h) << row;
        }
    }
}

// ---------------------------------------------------------------- needle tables

struct AirspeedRow {
    int frame;
    AirspeedNeedle n;
};
// clang-format off
constexpr AirspeedRow kFixedAirspeedRows[] = {
    { 0, {193, 248,  114, 1481,  9, 41}},
    { 9, {194, 258,  338, 1487, 30, 30}},
    {17, {193, 280,  676, 1496, 41,  9}},
    {25, {193, 280,  338, 1534, 31, 31}},
    {34, {192, 280,  114, 1530, 11, 41}},
    {35, {189, 280, 1304, 1483, 13, 42}},
    {36, {189, 280, 1304, 1483, 13, 42}},
    {46, {171, 280, 1076, 1487, 31, 31}},
    {54, {160, 280,  726, 1500, 42,  9}},
    {62, {171, 258, 1076, 1533, 31, 31}},
    {68, {185, 248, 1266, 1527, 17, 40}},
    {70, {190, 248, 1305, 1527, 11, 40}},
};
struct GaugeRow {
    int entry;
    GaugeNeedle n;
};
constexpr GaugeRow kFixedGaugeRows[] = {
    { 0, {26,  4,  720,  915, 11, 32}},
    { 1, {27,  4,  734,  915, 10, 31}},
    { 9, {27, 12,  892,  922, 23, 23}},
    {18, {28, 27, 1195,  931, 30,  7}},
    {27, {28, 27,  890,  957, 22, 22}},
    {36, {27, 27,  718,  956,  9, 26}},
    {45, {14, 27, 1018,  992, 23, 21}},
    {54, { 7, 25,  709,  996, 30, 11}},
    {63, {14, 13, 1003, 1031, 21, 21}},
    {70, {25,  5, 1159, 1025, 10, 28}},
    {71, {27,  6, 1174, 1025,  8, 28}},
};
// clang-format on

TEST(NeedleTables, KeepTheRowsTheGameFixes) {
    for (const AirspeedRow& r : kFixedAirspeedRows) {
        const AirspeedNeedle& n = kAirspeedNeedles[r.frame];
        EXPECT_EQ(std::vector<int>({n.destX, n.destY, n.srcX, n.srcY, n.width, n.height}),
                  std::vector<int>({r.n.destX, r.n.destY, r.n.srcX, r.n.srcY, r.n.width, r.n.height}))
            << "airspeed frame " << r.frame;
    }
    for (const GaugeRow& r : kFixedGaugeRows) {
        const GaugeNeedle& n = kGaugeNeedles[r.entry];
        EXPECT_EQ(std::vector<int>({n.dx, n.dy, n.srcX, n.srcY, n.width, n.height}),
                  std::vector<int>({r.n.dx, r.n.dy, r.n.srcX, r.n.srcY, r.n.width, r.n.height}))
            << "gauge entry " << r.entry;
    }
}

TEST(NeedleTables, AirspeedNeedlesStayOnTheFaceAndInTheirBand) {
    for (int k = 0; k < kAirspeedNeedleCount; ++k) {
        const AirspeedNeedle& n = kAirspeedNeedles[k];
        SCOPED_TRACE("frame " + std::to_string(k));
        EXPECT_GE(n.destX, 160);
        EXPECT_LE(n.destX, 194);
        EXPECT_GE(n.destY, 247);
        EXPECT_LE(n.destY, 282);
        EXPECT_LE(n.destX + n.width - 1, 233);   // inside the face, clear of its rim
        EXPECT_LE(n.destY + n.height - 1, 321);
        EXPECT_GE(n.srcX, 114);
        EXPECT_LE(n.srcX, 1305);
        EXPECT_GE(n.srcY, 1479);
        EXPECT_LE(n.srcY, 1546);
        EXPECT_GE(std::min<int>(n.width, n.height), 9);
        EXPECT_LE(std::max<int>(n.width, n.height), 42);
    }
}

TEST(NeedleTables, GaugeNeedlesLieInTheirQuarterBands) {
    struct Band {
        int first, last, yFrom, yTo;
    };
    constexpr Band kBands[] = {{0, 18, 915, 931}, {19, 36, 956, 964}, {37, 54, 991, 998}, {55, 71, 1025, 1037}};
    for (const Band& b : kBands) {
        for (int k = b.first; k <= b.last; ++k) {
            const GaugeNeedle& n = kGaugeNeedles[k];
            EXPECT_GE(n.srcY, b.yFrom) << "entry " << k;
            EXPECT_LE(n.srcY, b.yTo) << "entry " << k;
            // Inside the 64 x 62 face.
            EXPECT_GE(n.dx, 0) << k;
            EXPECT_GE(n.dy, 0) << k;
            EXPECT_LE(n.dx + n.width, 64) << k;
            EXPECT_LE(n.dy + n.height, 62) << k;
        }
    }
}

TEST(NeedleTables, GeneratedTablesMatchWhatTheGeneratorDraws) {
    // The table file is the generator's output; a hand edit would part the
    // table from the pictures.
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "avelune-needle-tables.cpp";
    const std::string command = std::string("\"") + AVELUNE_ATLASGEN + "\" --needle-tables > \"" + out.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    auto read = [](const std::filesystem::path& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    };
    const std::string generated = read(out), committed = read(std::string(AVELUNE_SOURCE_DIR) + "/gfx/NeedleTables.cpp");
    std::filesystem::remove(out);
    EXPECT_EQ(generated.rfind("// Generated by atlasgen", 0), 0u);
    EXPECT_EQ(generated, committed);
}

TEST(AtlasGenerator, MapsPaintedColoursByItsRules) {
    // Key below half coverage, exact colours kept, keys and reserved greys
    // never produced, dithering only in gradient areas: the generator tries
    // these on small canvases of its own and reports each broken rule.
    const std::string command = std::string("\"") + AVELUNE_ATLASGEN + "\" --check-mapping";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(AtlasGenerator, RefusesBadArguments) {
    const std::string generator = std::string("\"") + AVELUNE_ATLASGEN + "\"";
    EXPECT_NE(std::system((generator + " --bogus 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((generator + " 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((generator + " --out-dir /nonexistent/avelune 2>/dev/null").c_str()), 0);
}

// ---------------------------------------------------------------- the generated atlas

class GeneratedAtlas : public GeneratedAtlasFixture {
protected:
    static Rgb Colour(int index) {
        const RgbQuad q = atlas_->GetColorTable()[index];
        return {q.red, q.green, q.blue};
    }
    static bool Skyish(int index) {
        const Rgb c = Colour(index);
        return c.blue > c.red + 20 && c.blue >= c.green;
    }
    // Key pixels enclosed by a picture's outline: not reachable from its
    // border through key pixels.
    static int EnclosedKeys(const Rect& r, int key) {
        std::vector<char> seen(static_cast<size_t>(r.w) * r.h, 0);
        std::vector<std::pair<int, int>> todo;
        for (int x = 0; x < r.w; ++x) todo.insert(todo.end(), {{x, 0}, {x, r.h - 1}});
        for (int y = 0; y < r.h; ++y) todo.insert(todo.end(), {{0, y}, {r.w - 1, y}});
        while (!todo.empty()) {
            const auto [x, y] = todo.back();
            todo.pop_back();
            if (x < 0 || y < 0 || x >= r.w || y >= r.h) continue;
            char& s = seen[static_cast<size_t>(y) * r.w + x];
            if (s || At(r.x + x, r.y + y) != key) continue;
            s = 1;
            todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
        }
        int enclosed = 0;
        for (int y = 0; y < r.h; ++y) {
            for (int x = 0; x < r.w; ++x) {
                if (At(r.x + x, r.y + y) == key && !seen[static_cast<size_t>(y) * r.w + x]) ++enclosed;
            }
        }
        return enclosed;
    }
};

TEST_F(GeneratedAtlas, IsTheFormatTheGameReads) {
    EXPECT_EQ(AtlasProblem(*atlas_), "");
    EXPECT_EQ(atlas_->GetWidth(), kAtlasWidth);
    EXPECT_EQ(atlas_->GetHeight(), kAtlasHeight);  // positive: bottom-up
    EXPECT_EQ(atlas_->GetBitCount(), 8);
    EXPECT_EQ(atlas_->GetCompression(), 0u);
    EXPECT_EQ(atlas_->GetColorCount(), 256u);
    const auto& system = ClassicSystemColors();
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(Colour(k), system[k]) << k;
        EXPECT_EQ(Colour(246 + k), system[10 + k]) << 246 + k;
    }
}

TEST_F(GeneratedAtlas, EveryRectangleHoldsAPicture) {
    for (const Named& n : AllRectangles()) {
        std::set<int> indices;
        int opaque = 0;
        for (int y = 0; y < n.rect.h; ++y) {
            for (int x = 0; x < n.rect.w; ++x) {
                const int v = At(n.rect.x + x, n.rect.y + y);
                indices.insert(v);
                if (v != n.key) ++opaque;
            }
        }
        EXPECT_GE(indices.size(), 2u) << n.name << " is one flat colour";
        EXPECT_GE(opaque * 50, n.rect.w * n.rect.h) << n.name << " is almost all transparent";
    }
}

TEST_F(GeneratedAtlas, KeysAppearOnlyWhereTheyMeanTransparent) {
    using namespace sprite;
    // Pictures whose key may appear only around their outline, never inside.
    struct Solid {
        const char* name;
        Sprite s;
    };
    const Solid solids[] = {
        {"base panel", kBasePanel},          {"ILS face", kIlsFace},
        {"localizer needle", kLocalizerNeedle}, {"glide-slope bar", kGlideSlopeBar},
        {"airspeed face", kAirspeedFace},    {"pad pressed", kPadPressed},
        {"pedal pressed", kPedalPressed},    {"full power pressed", kFullPowerPressed},
        {"power up pressed", kPowerUpPressed}, {"power down pressed", kPowerDownPressed},
        {"idle pressed", kIdlePowerPressed}, {"lever up", kLeverUp},
        {"lever down", kLeverDown},          {"drag lamp off", kDragLampOff},
        {"drag lamp on", kDragLampOn},       {"lift lamp off", kLiftLampOff},
        {"lift lamp on", kLiftLampOn},       {"turbulence lamp off", kTurbulenceLampOff},
        {"turbulence lamp on", kTurbulenceLampOn}, {"view lamp on", kViewLampOn},
        {"view lamp off", kViewLampOff},     {"page lamp off", kPageLampOff},
        {"page lamp on", kPageLampOn},       {"restart lamp", kRestartLamp},
    };
    for (const Solid& s : solids) {
        EXPECT_EQ(EnclosedKeys(Of(s.s), s.s.key), 0) << s.name;
    }
    for (int k = 0; k < kAirspeedNeedleCount; ++k) {
        EXPECT_EQ(EnclosedKeys(Of(kAirspeedNeedles[k]), kNeedleKey), 0) << "airspeed needle " << k;
    }
    for (int k = 0; k < kGaugeNeedleCount; ++k) {
        EXPECT_EQ(EnclosedKeys(Of(kGaugeNeedles[k]), kNeedleKey), 0) << "gauge needle " << k;
    }
    // The base panel never uses its own key, even at its edge.
    int panelKeys = 0;
    for (int y = 0; y < kBasePanel.height; ++y) {
        for (int x = 0; x < kBasePanel.width; ++x) panelKeys += At(kBasePanel.x + x, kBasePanel.y + y) == kBasePanel.key;
    }
    EXPECT_EQ(panelKeys, 0);
}

TEST_F(GeneratedAtlas, SixGaugesShareOneFace) {
    // The face is drawn over every gauge from the upper-left one's pixels, so
    // the panel must show the same picture at all six places.
    const int origins[6][2] = {{395, 225}, {465, 225}, {535, 225}, {395, 308}, {465, 308}, {535, 308}};
    for (const auto& o : origins) {
        int differing = 0;
        for (int y = 0; y < sprite::kGaugeFace.height; ++y) {
            for (int x = 0; x < sprite::kGaugeFace.width; ++x) {
                differing += At(sprite::kGaugeFace.x + x, sprite::kGaugeFace.y + y) !=
                             At(sprite::kBasePanel.x + o[0] + x, sprite::kBasePanel.y + o[1] + y);
            }
        }
        EXPECT_EQ(differing, 0) << "gauge at (" << o[0] << ", " << o[1] << ")";
    }
}

// Share of a needle picture's pixels that the face drawn over it with `key`
// leaves visible, and the direction of their centre from the pivot.
struct Shown {
    double visible;
    double degrees;
};

TEST_F(GeneratedAtlas, EveryNeedleShowsThroughItsDialAndPointsItsWay) {
    auto measure = [&](const Rect& src, int destX, int destY, const Sprite& face, int faceX, int faceY, double pivotX,
                       double pivotY) {
        int drawn = 0, visible = 0;
        double sx = 0, sy = 0;
        for (int y = 0; y < src.h; ++y) {
            for (int x = 0; x < src.w; ++x) {
                if (At(src.x + x, src.y + y) == kNeedleKey) continue;
                ++drawn;
                const int fx = destX + x - faceX, fy = destY + y - faceY;
                const bool onFace = fx >= 0 && fy >= 0 && fx < face.width && fy < face.height;
                if (onFace && At(face.x + fx, face.y + fy) == face.key) {
                    ++visible;
                    sx += destX + x + 0.5;
                    sy += destY + y + 0.5;
                }
            }
        }
        const double cx = visible ? sx / visible : pivotX, cy = visible ? sy / visible : pivotY;
        double degrees = std::atan2(cx - pivotX, pivotY - cy) * 180.0 / M_PI;
        if (degrees < -2.0) degrees += 360.0;
        return Shown{drawn ? static_cast<double>(visible) / drawn : 0.0, degrees};
    };
    double previous = -10.0;
    for (int k = 0; k < kAirspeedNeedleCount; ++k) {
        const AirspeedNeedle& n = kAirspeedNeedles[k];
        const Shown s = measure(Of(n), n.destX, n.destY, sprite::kAirspeedFaceOver, 143, 230, 197.5, 284.5);
        // Numbers and the hub hide part of it, never most.
        EXPECT_GE(s.visible, 0.33) << "airspeed frame " << k;
        // About 360 k / 71 degrees, turning clockwise frame by frame.
        EXPECT_NEAR(s.degrees, 360.0 * k / 71.0, 15.0) << "airspeed frame " << k;
        EXPECT_GE(s.degrees, previous) << "airspeed frame " << k;
        previous = s.degrees;
    }
    previous = -10.0;
    for (int k = 0; k < kGaugeNeedleCount; ++k) {
        const GaugeNeedle& n = kGaugeNeedles[k];
        const Shown s = measure(Of(n), n.dx, n.dy, sprite::kGaugeFace, 0, 0, 31.5, 30.5);
        EXPECT_GE(s.visible, 0.25) << "gauge entry " << k;
        EXPECT_NEAR(s.degrees, 5.0 * k, 10.0) << "gauge entry " << k;
        EXPECT_GT(s.degrees, previous) << "gauge entry " << k;
        previous = s.degrees;
    }
}

TEST_F(GeneratedAtlas, AttitudeHorizonMovesTheRightWay) {
    // Row of the first ground pixel down a column of the 63 x 63 window.
    auto horizonAt = [&](int column, int row, int x) {
        const int left = sprite::kAttitudeWindow.x + kAttitudeColumnPitch * column;
        for (int y = 0; y < 63; ++y) {
            if (!Skyish(At(left + x, sprite::kAttitudeWindow.y + row + y))) return y;
        }
        return 63;
    };
    // The approach attitude (row 109) shows the horizon across the middle.
    EXPECT_NEAR(horizonAt(0, 109, 31), 31, 6);
    // Nose up (a smaller row) puts it lower in the window.
    EXPECT_GT(horizonAt(0, 99, 31), horizonAt(0, 109, 31));
    // Positive columns go with a left bank: the right side of the horizon
    // drops; negative columns tilt it the other way.
    EXPECT_GT(horizonAt(3, 109, 56), horizonAt(3, 109, 6));
    EXPECT_LT(horizonAt(-3, 109, 56), horizonAt(-3, 109, 6));
    // Either end of the band is all sky or all ground.
    EXPECT_EQ(horizonAt(0, 0, 31), 63);
    EXPECT_EQ(horizonAt(0, kAttitudeMaxRow, 31), 0);
    // The band itself never uses the picture's key.
    for (int y = 0; y < kAttitudeBand.height; ++y) {
        for (int x = 0; x < kAttitudeBand.width; x += 7) {
            ASSERT_NE(At(kAttitudeBand.x + x, kAttitudeBand.y + y), kAttitudeBand.key) << x << ", " << y;
        }
    }
}

TEST_F(GeneratedAtlas, BezelsFrameTheAttitudeWindow) {
    const Sprite& ring = sprite::kAttitudeBezel1;
    // The middle is open; the corners of the 63 x 63 picture beneath (at 5, 6
    // in the bezel) are covered.
    EXPECT_EQ(At(ring.x + 36, ring.y + 37), ring.key);
    for (const auto& [x, y] : {std::pair{5, 6}, {67, 6}, {5, 68}, {67, 68}}) {
        EXPECT_NE(At(ring.x + x, ring.y + y), ring.key) << x << ", " << y;
    }
    // The second layer is a symbol in the middle and open elsewhere.
    const Sprite& symbol = sprite::kAttitudeBezel2;
    EXPECT_NE(At(symbol.x + 36, symbol.y + 37), symbol.key);
    EXPECT_EQ(At(symbol.x + 36, symbol.y + 12), symbol.key);
}

TEST_F(GeneratedAtlas, IlsOverlayLeavesTheNeedlesInSight) {
    const Sprite& overlay = sprite::kIlsOverlay;
    EXPECT_EQ(At(overlay.x + 53, overlay.y + 53), overlay.key);  // the aiming ring's open middle
    EXPECT_NE(At(overlay.x + 0, overlay.y + 50), overlay.key);   // its frame
    // Along the row the glide-slope bar crosses at rest, and the column the
    // localizer needle stands in at rest, most of the travel stays clear.
    int coveredRow = 0, coveredColumn = 0;
    for (int i = 2; i <= 104; ++i) {
        coveredRow += At(overlay.x + i, overlay.y + 20) != overlay.key;
        coveredColumn += At(overlay.x + 20, overlay.y + i) != overlay.key;
    }
    EXPECT_LT(coveredRow, 20);
    EXPECT_LT(coveredColumn, 20);
}

TEST_F(GeneratedAtlas, WindscreenShowsSkyAndGroundAtRest) {
    // The view at rest (heading 0, pitch -10, no bank) is atlas columns
    // 334..923 from row 1720, 152 rows high: the horizon crosses it.
    for (int x : {334, 628, 923}) {
        EXPECT_TRUE(Skyish(At(x, 1720))) << x;
        EXPECT_FALSE(Skyish(At(x, 1871))) << x;
    }
}

TEST_F(GeneratedAtlas, ASecondRunWritesTheSameFiles) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("avelune-art-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    const std::string command = std::string("\"") + AVELUNE_ATLASGEN + "\" --out-dir \"" + dir.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    auto read = [](const std::filesystem::path& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    };
    const std::filesystem::path built = std::filesystem::path(AVELUNE_ATLAS).parent_path();
    for (const char* name :
         {"prop.bmp", "AV1.wav", "avelune.ico", "avelune.png", "avelune16.png", "avelune192.png", "avelune512.png"}) {
        const std::string again = read(dir / name);
        EXPECT_FALSE(again.empty()) << name;
        EXPECT_TRUE(again == read(built / name)) << name << " differs between runs";
    }
    // The start sound: about one second of PCM.
    const std::string wav = read(dir / "AV1.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(wav[at])) | static_cast<uint32_t>(static_cast<uint8_t>(wav[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(wav[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(wav[at + 3])) << 24;
    };
    EXPECT_EQ(u32(20) & 0xFFFF, 1u);  // PCM
    const double seconds = static_cast<double>(u32(40)) / u32(28);
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 2.0);
    // The icon: two images, 32 and 16 pixels, 16 colours.
    const std::string ico = read(dir / "avelune.ico");
    ASSERT_GE(ico.size(), 38u);
    EXPECT_EQ(ico[4], 2);
    EXPECT_EQ(static_cast<uint8_t>(ico[6]), 32);
    EXPECT_EQ(static_cast<uint8_t>(ico[22]), 16);
    EXPECT_EQ(static_cast<uint8_t>(ico[8]), 16);
    // Each PNG is drawn at its own size (its header says so).
    for (const auto& [name, size] :
         std::initializer_list<std::pair<const char*, int>>{{"avelune.png", 32}, {"avelune192.png", 192}, {"avelune512.png", 512}}) {
        const std::string png = read(dir / name);
        ASSERT_GE(png.size(), 24u) << name;
        auto be32 = [&](size_t at) {
            return static_cast<int>(static_cast<uint8_t>(png[at])) << 24 | static_cast<uint8_t>(png[at + 1]) << 16 |
                   static_cast<uint8_t>(png[at + 2]) << 8 | static_cast<uint8_t>(png[at + 3]);
        };
        EXPECT_EQ(be32(16), size) << name;
        EXPECT_EQ(be32(20), size) << name;
    }
    std::filesystem::remove_all(dir);
}

TEST_F(GeneratedAtlas, AnAtlasThatCannotBeWrittenLeavesTheOldOneWhole) {
    // With files limited far below the atlas's 6.4 MB the generator must say
    // which file it could not write and why, and the atlas already there
    // stays as it was, with no temporary file left beside it.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
        ("avelune-art-full-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::filesystem::path atlas = dir / "prop.bmp", err = dir / "err.txt";
    std::filesystem::copy_file(AVELUNE_ATLAS, atlas);
    const std::string command = std::string("ulimit -f 1000; trap '' XFSZ; \"") + AVELUNE_ATLASGEN + "\" --out-dir \"" +
                                dir.string() + "\" 2> \"" + err.string() + "\"";
    EXPECT_NE(std::system(command.c_str()), 0) << command;
    auto read = [](const std::filesystem::path& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    };
    EXPECT_NE(read(err).find("cannot write " + atlas.string() + ": File too large"), std::string::npos) << read(err);
    EXPECT_TRUE(read(atlas) == read(AVELUNE_ATLAS)) << "the old atlas was damaged";
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 2u) << "only the old atlas and the message stay";
    std::filesystem::remove_all(dir);
}

}  // namespace
