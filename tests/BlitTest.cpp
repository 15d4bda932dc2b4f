// The blitter against the per-pixel rule, in both surface row orders, with
// rectangles inside, across and outside the surface and the atlas, on both
// row routines: the portable one and the fastest this machine has.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "game/ClassicRand.h"
#include "gfx/Blit.h"
#include "tests/TestAtlas.h"

namespace {

using Surface = std::array<uint8_t, kSurfaceWidth * kSurfaceHeight>;

// A background that differs from pixel to pixel, so a stray write shows.
uint8_t Background(int x, int y) { return static_cast<uint8_t>((x * 3 + y * 5 + 1) % 256); }

// The picture as seen: rows from the top, whatever the memory order.
using Picture = std::vector<uint8_t>;

Surface FreshSurface(int orientation) {
    Surface s{};
    for (int y = 0; y < kSurfaceHeight; ++y)
        for (int x = 0; x < kSurfaceWidth; ++x) SurfacePixel(s.data(), orientation, x, y) = Background(x, y);
    return s;
}

Picture Seen(const Surface& s, int orientation) {
    Picture p(kSurfaceWidth * kSurfaceHeight);
    for (int y = 0; y < kSurfaceHeight; ++y)
        for (int x = 0; x < kSurfaceWidth; ++x) p[y * kSurfaceWidth + x] = SurfacePixel(s.data(), orientation, x, y);
    return p;
}

struct BlitCall {
    int32_t destX, destY, srcX, srcY;
    uint32_t width, height;
    int32_t key;  // kOpaque: BlitOpaque
};

// The rule written out pixel by pixel from the atlas pattern itself, with
// everything outside the surface or the atlas left alone.
void ApplyRule(Picture& p, const BlitCall& c) {
    // Only offsets that land on the surface can show; visiting just those
    // keeps the huge rectangles cheap.
    const int64_t firstK = std::max<int64_t>(0, -int64_t{c.destY});
    const int64_t lastK = std::min<int64_t>(int64_t{c.height}, kSurfaceHeight - int64_t{c.destY});
    const int64_t firstJ = std::max<int64_t>(0, -int64_t{c.destX});
    const int64_t lastJ = std::min<int64_t>(int64_t{c.width}, kSurfaceWidth - int64_t{c.destX});
    for (int64_t k = firstK; k < lastK; ++k) {
        for (int64_t j = firstJ; j < lastJ; ++j) {
            const int64_t dx = c.destX + j, dy = c.destY + k, sx = c.srcX + j, sy = c.srcY + k;
            if (dx < 0 || dy < 0 || dx >= kSurfaceWidth || dy >= kSurfaceHeight) continue;
            if (sx < 0 || sy < 0 || sx >= kAtlasWidth || sy >= kAtlasHeight) continue;
            const uint8_t v = AtlasPattern(static_cast<int>(sx), static_cast<int>(sy));
            if (c.key != kOpaque && v == c.key) continue;
            p[dy * kSurfaceWidth + dx] = v;
        }
    }
}

void RunCall(Surface& s, int orientation, const CDibImage& atlas, const BlitCall& c) {
    if (c.key == kOpaque)
        BlitOpaque(s.data(), orientation, c.destX, c.destY, atlas, c.srcX, c.srcY, c.width, c.height);
    else
        BlitKeyed(s.data(), orientation, c.destX, c.destY, atlas, c.srcX, c.srcY, c.width, c.height, c.key);
}

class Blit : public ::testing::TestWithParam<BlitPath> {
protected:
    void SetUp() override { SetBlitPath(GetParam()); }
    void TearDown() override { SetBlitPath(BlitPath::Fastest); }

    static void SetUpTestSuite() { atlas_ = MakeTestAtlas().release(); }
    static void TearDownTestSuite() {
        delete atlas_;
        atlas_ = nullptr;
    }
    static const CDibImage& atlas() { return *atlas_; }

    // Runs the calls on both row orders with the fixture's routine and checks
    // each against the rule.
    static void ExpectRule(const std::vector<BlitCall>& calls) {
        Picture expected = Seen(FreshSurface(kTopDown), kTopDown);
        for (const BlitCall& c : calls) ApplyRule(expected, c);
        const bool portable = CurrentBlitPath() == BlitPath::Portable;
        for (const int orientation : {kTopDown, kBottomUp}) {
            Surface s = FreshSurface(orientation);
            for (const BlitCall& c : calls) RunCall(s, orientation, atlas(), c);
            const Picture got = Seen(s, orientation);
            int wrong = 0;
            for (size_t i = 0; i < got.size() && wrong < 5; ++i) {
                if (got[i] != expected[i]) {
                    ADD_FAILURE() << (portable ? "portable, " : "") << "orientation " << orientation << ": pixel (" << i % kSurfaceWidth << ", "
                                  << i / kSurfaceWidth << ") is " << int(got[i]) << ", expected " << int(expected[i]);
                    ++wrong;
                }
            }
        }
    }

    static CDibImage* atlas_;
};
CDibImage* Blit::atlas_ = nullptr;

TEST_P(Blit, TheTopLeftAtlasPixelIsTheLastRowOfTheFile) {
    auto atlas = MakeTestAtlas([](int x, int y) { return static_cast<uint8_t>(y == 0 ? 200 + x % 2 : 1); });
    // The file stores rows bottom-up: its last stored row is the top as seen.
    const uint8_t* lastStored = atlas->GetBits() + static_cast<size_t>(kAtlasHeight - 1) * kAtlasWidth;
    ASSERT_EQ(lastStored[0], 200);
    for (const int orientation : {kTopDown, kBottomUp}) {
        Surface s = FreshSurface(orientation);
        BlitOpaque(s.data(), orientation, 5, 7, *atlas, 0, 0, 1, 1);
        EXPECT_EQ(SurfacePixel(s.data(), orientation, 5, 7), 200);
        BlitOpaque(s.data(), orientation, 6, 7, *atlas, 1, 0, 1, 1);
        EXPECT_EQ(SurfacePixel(s.data(), orientation, 6, 7), 201);
    }
}

TEST_P(Blit, EmptyRectanglesWriteNothing) {
    ExpectRule({{10, 10, 100, 100, 0, 50, 255}, {10, 10, 100, 100, 50, 0, kOpaque}, {0, 0, 0, 0, 0, 0, 3}});
}

// clang-format off
const std::vector<BlitCall> kFixedCalls = {
    //  destX destY  srcX  srcY    w    h  key
    {     0,    0,  626,    0, 632, 440, kOpaque },  // the full-window picture
    {   298,  219,  544,  237,  73,  35, 255     },  // a keyed button
    {   395,  225, 1029,  698,  64,  62, 248     },  // a gauge face
    {     0,    0,    0,    0,   1,   1, 3       },  // one pixel at the corner
    {   639,  479, 3199, 1999,   1,   1, kOpaque },  // the last pixel of both
    {     1,    2,    3,    4, 637, 477, 0       },  // key 0 over almost everything
};
// clang-format on

TEST_P(Blit, FixedRectanglesFollowThePerPixelRule) { ExpectRule(kFixedCalls); }

TEST_P(Blit, KeysOutsideTheIndexRangeCopyEveryPixel) {
    for (const int32_t key : {-1, 256, 1000, -70000}) {
        Surface keyed = FreshSurface(kTopDown), opaque = FreshSurface(kTopDown);
        BlitKeyed(keyed.data(), kTopDown, 20, 30, atlas(), 100, 200, 300, 150, key);
        BlitOpaque(opaque.data(), kTopDown, 20, 30, atlas(), 100, 200, 300, 150);
        EXPECT_EQ(keyed, opaque) << "key " << key;
    }
}

TEST_P(Blit, KeyedPixelsInsideTheSpriteAreTransparentToo) {
    // A sprite framed by 255 with 255 pixels scattered inside it.
    auto atlas = MakeTestAtlas([](int x, int y) {
        if (x < 10 || y < 10 || x >= 40 || y >= 30) return uint8_t{255};
        return static_cast<uint8_t>((x + y) % 3 == 0 ? 255 : 40 + x);
    });
    Surface s = FreshSurface(kBottomUp);
    BlitKeyed(s.data(), kBottomUp, 100, 100, *atlas, 0, 0, 50, 40, 255);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 50; ++x) {
            const bool inside = x >= 10 && y >= 10 && x < 40 && y < 30 && (x + y) % 3 != 0;
            const uint8_t want = inside ? static_cast<uint8_t>(40 + x) : Background(100 + x, 100 + y);
            ASSERT_EQ(SurfacePixel(s.data(), kBottomUp, 100 + x, 100 + y), want) << x << "," << y;
        }
    }
}

TEST_P(Blit, DrawingASpriteTwiceEqualsDrawingItOnce) {
    for (const int orientation : {kTopDown, kBottomUp}) {
        Surface once = FreshSurface(orientation);
        BlitKeyed(once.data(), orientation, 50, 60, atlas(), 700, 800, 90, 70, 95);
        Surface twice = once;
        BlitKeyed(twice.data(), orientation, 50, 60, atlas(), 700, 800, 90, 70, 95);
        EXPECT_EQ(once, twice);
    }
}

// Rectangles that leave the surface or the atlas are clipped: what lies inside
// both is copied, nothing else is touched (the sanitizer build checks that
// nothing is read or written outside).
// clang-format off
const std::vector<BlitCall> kClippedCalls = {
    //       destX        destY   srcX   srcY            w            h  key
    {          -5,          10,    10,    10,          30,          20, 95      },  // off the left edge
    {         620,         470,    10,    10,          40,          40, kOpaque },  // off the right and bottom
    {          30,         -12,   100,   100,          10,          30, 7       },  // off the top
    {         100,         100,  3190,  1990,          50,          50, kOpaque },  // past the atlas's right and bottom
    {         200,         200,    -8,    -3,          20,          20, 12      },  // before the atlas's left and top
    {           0,           0,     0,     0, 0xFFFFFFFFu, 0xFFFFFFFFu, 200     },  // as large as a width can be
    {  2000000000,  2000000000,     0,     0,         100,         100, kOpaque },  // far beyond the surface
    { -2000000000,           0,     0,     0, 0xFFFFFFFFu,           5, kOpaque },  // wide enough to reach back in
    {          10,          10, 2147483600, 0,        100,         100, kOpaque },  // source far beyond the atlas
};
// clang-format on

TEST_P(Blit, RectanglesLeavingTheSurfaceOrTheAtlasAreClipped) {
    for (const BlitCall& c : kClippedCalls) {
        SCOPED_TRACE(::testing::Message() << "dest (" << c.destX << ", " << c.destY << ") src (" << c.srcX << ", "
                                          << c.srcY << ") " << c.width << " x " << c.height);
        ExpectRule({c});
    }
}

TEST_P(Blit, RandomRectanglesMatchTheRuleInBothRowOrders) {
    ClassicRand rand;
    std::vector<BlitCall> calls;
    for (int i = 0; i < 200; ++i) {
        const uint32_t w = static_cast<uint32_t>(rand.Next() % 120);
        const uint32_t h = static_cast<uint32_t>(rand.Next() % 120);
        const int32_t key = (i % 5 == 0) ? kOpaque : rand.Next() % 256;
        calls.push_back({rand.Next() % 700 - 30, rand.Next() % 540 - 30, rand.Next() % 3300 - 50,
                         rand.Next() % 2100 - 50, w, h, key});
    }
    ExpectRule(calls);
}

TEST_P(Blit, ATruncatedAtlasYieldsOnlyTheRowsItHolds) {
    BitmapOptions o;
    // Keep the table and the bottom 1000 stored rows: rows 1000..1999 as seen.
    o.keepBytes = 14 + 40 + 1024 + static_cast<size_t>(kAtlasWidth) * 1000;
    const auto bytes = MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o);
    const CDibImage cut(bytes.data(), bytes.size());
    ASSERT_TRUE(cut.IsLoaded());
    for (const int orientation : {kTopDown, kBottomUp}) {
        Surface s = FreshSurface(orientation);
        BlitOpaque(s.data(), orientation, 0, 0, cut, 0, 990, 20, 20);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                const uint8_t want = y < 10 ? Background(x, y) : AtlasPattern(x, 990 + y);
                ASSERT_EQ(SurfacePixel(s.data(), orientation, x, y), want) << x << "," << y;
            }
        }
    }
}

// Runs side by side (as the outside view makes them: a source row a step
// lower every few columns, sometimes a gap) against one keyed copy per run,
// and runs that overlap or leave the surface or the atlas, which go one by one.
TEST_P(Blit, RunsDrawWhatOneCopyPerRunDraws) {
    ClassicRand rand;
    struct Case {
        const char* what;
        std::vector<BlitRun> runs;
        int32_t destY;
        uint32_t height;
    };
    std::vector<Case> cases;
    for (int bank : {1, 3, -3, -1}) {
        Case c{"sheared", {}, 20, 152};
        for (int32_t x = 20, srcY = 1700; x < 610;) {
            const auto w = static_cast<uint32_t>(1 + rand.Next() % (12 / std::abs(bank)));
            const auto width = std::min<uint32_t>(w, static_cast<uint32_t>(610 - x));
            c.runs.push_back({x, 300 + x, srcY, width});
            x += static_cast<int32_t>(width) + (rand.Next() % 9 == 0 ? 2 : 0);  // now and then a gap
            srcY += bank > 0 ? 1 : -1;
        }
        cases.push_back(c);
    }
    cases.push_back({"narrow span", {{100, 10, 10, 3}, {103, 13, 11, 4}}, 0, 30});
    cases.push_back({"overlapping", {{100, 10, 10, 30}, {110, 500, 40, 30}}, 5, 40});
    cases.push_back({"leaving the surface", {{600, 10, 10, 30}, {630, 40, 11, 30}}, 470, 40});
    cases.push_back({"leaving the atlas", {{0, 3190, 10, 20}, {20, 3210, 11, 20}}, 0, 40});
    cases.push_back({"at the atlas's first and last bytes", {{0, 0, 1990, 40}, {40, 3160, 1991, 40}}, 0, 9});
    for (const Case& c : cases) {
        for (const int32_t key : {int32_t{-1}, int32_t{7}, int32_t{AtlasPattern(310, 1705)}}) {
            for (const int orientation : {kTopDown, kBottomUp}) {
                SCOPED_TRACE(::testing::Message() << c.what << ", key " << key << ", orientation " << orientation);
                Surface want = FreshSurface(orientation), got = want;
                for (const BlitRun& r : c.runs)
                    BlitKeyed(want.data(), orientation, r.destX, c.destY, atlas(), r.srcX, r.srcY, r.width, c.height, key);
                BlitKeyedRuns(got.data(), orientation, c.destY, atlas(), c.runs, c.height, key);
                EXPECT_TRUE(got == want);
            }
        }
    }
}

// Sheared copies one after another, as a view drifting over several atlases
// makes them: from two atlases of one size and one cut short, moving sideways
// and up and down by small steps and by large ones, tall and short, and one
// reading from so far apart that it goes run by run.
TEST_P(Blit, DriftingShearedCopiesDrawWhatOneCopyPerRunDraws) {
    BitmapOptions cut;
    cut.keepBytes = 14 + 40 + 1024 + static_cast<size_t>(kAtlasWidth) * 1200;  // rows 800..1999 as seen
    const auto cutBytes = MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, cut);
    BitmapOptions other;
    other.pixel = [](int x, int y) { return static_cast<uint8_t>((x * 11 + y * 7) % 23 == 0 ? 95 : (x ^ y) % 251); };
    const auto otherBytes = MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, other);
    const CDibImage cutAtlas(cutBytes.data(), cutBytes.size()), otherAtlas(otherBytes.data(), otherBytes.size());
    ASSERT_TRUE(cutAtlas.IsLoaded() && otherAtlas.IsLoaded());
    const CDibImage* atlases[] = {&atlas(), &otherAtlas, &cutAtlas};
    const int32_t firstRow[] = {0, 0, 800};
    ClassicRand rand;
    for (const int orientation : {kTopDown, kBottomUp}) {
        Surface want = FreshSurface(orientation), got = want;
        int32_t baseX = 0, baseY = 900;
        for (int i = 0; i < 60; ++i) {
            const size_t which = static_cast<size_t>(rand.Next()) % 3;
            const auto height = static_cast<uint32_t>(i % 4 == 0 ? 16 + rand.Next() % 8 : 16 + rand.Next() % 300);
            const int32_t step = (i % 5 == 0) ? 400 : 3;  // now and then a jump
            baseX = (baseX + step * (rand.Next() % 3 - 1) + 2600) % 2600;
            baseY = std::clamp(baseY + step / 3 * (rand.Next() % 3 - 1), firstRow[which] + 300, 1400);
            const int32_t slope = rand.Next() % 2 == 0 ? 1 : -1;
            const bool farApart = i == 30;
            std::vector<BlitRun> runs;
            for (int32_t x = 0, y = baseY; x < 600;) {
                const auto w = static_cast<uint32_t>(1 + rand.Next() % 4);
                runs.push_back({x, farApart ? (x * 5) % 3000 : baseX + x, farApart ? (x % 2) * 1500 : y, w});
                x += static_cast<int32_t>(w);
                y += slope;
            }
            const int32_t key = (i % 3 == 0) ? 95 : AtlasPattern(baseX + 7, baseY + 3);
            const int32_t destY = std::min<int32_t>(rand.Next() % 200, kSurfaceHeight - static_cast<int32_t>(height));
            for (const BlitRun& r : runs)
                BlitKeyed(want.data(), orientation, r.destX, destY, *atlases[which], r.srcX, r.srcY, r.width, height, key);
            BlitKeyedRuns(got.data(), orientation, destY, *atlases[which], runs, height, key);
            ASSERT_TRUE(got == want) << "copy " << i << " from atlas " << which << ", " << runs.size() << " runs of "
                                     << height << " rows from (" << baseX << ", " << baseY << ")";
        }
    }
}

// The same sheared copy drawn again and again, as the outside view is while
// the wings and the nose are held still: the blitter keeps what keyless,
// gapless runs wrote and copies it from the third time on. Each copy goes
// onto a surface drawn over since, in either row order, and must draw what
// one copy per run draws, whatever came before: another atlas of the same
// size with the same runs, the same runs reading a key pixel, runs with a gap.
TEST_P(Blit, ShearedCopiesDrawnAgainDrawWhatOneCopyPerRunDraws) {
    const auto bytesOf = [](PixelFn pixel) {
        BitmapOptions o;
        o.pixel = std::move(pixel);
        return MakeBitmapBytes(kAtlasWidth, kAtlasHeight, 8, o);
    };
    const auto plainBytes = bytesOf([](int x, int y) { return static_cast<uint8_t>((x * 7 + y * 3) % 90); });
    const auto otherBytes = bytesOf([](int x, int y) { return static_cast<uint8_t>(100 + (x * 5 + y * 11) % 91); });
    const auto keyedBytes = bytesOf([](int x, int y) { return static_cast<uint8_t>(x == 420 && y == 1720 ? 95 : (x + y) % 90); });
    const CDibImage plain(plainBytes.data(), plainBytes.size()), other(otherBytes.data(), otherBytes.size()),
        keyed(keyedBytes.data(), keyedBytes.size());
    std::vector<BlitRun> sheared, gapped;
    for (int32_t x = 20, y = 1700; x < 610; x += 11, ++y) {
        sheared.push_back({x, 300 + x, y, static_cast<uint32_t>(std::min(11, 610 - x))});
        gapped.push_back({x, 300 + x, y, static_cast<uint32_t>(std::min(x == 130 ? 9 : 11, 610 - x))});
    }
    struct Step {
        const CDibImage* atlas;
        const std::vector<BlitRun>* runs;
        int times;
    };
    const Step steps[] = {
        {&plain, &sheared, 4}, {&other, &sheared, 3}, {&plain, &sheared, 3},
        {&keyed, &sheared, 3}, {&plain, &gapped, 3},  {&plain, &sheared, 1},
    };
    int copy = 0;
    for (const Step& step : steps) {
        for (int i = 0; i < step.times; ++i, ++copy) {
            const int orientation = copy % 2 == 0 ? kTopDown : kBottomUp;
            const int32_t destY = 20 + copy % 3;
            Surface want = FreshSurface(orientation);
            // What an earlier picture left where the copy goes.
            for (int y = 0; y < kSurfaceHeight; y += 2) SurfacePixel(want.data(), orientation, 300 + copy, y) = 95;
            Surface got = want;
            for (const BlitRun& r : *step.runs)
                BlitKeyed(want.data(), orientation, r.destX, destY, *step.atlas, r.srcX, r.srcY, r.width, 152, 95);
            BlitKeyedRuns(got.data(), orientation, destY, *step.atlas, *step.runs, 152, 95);
            ASSERT_TRUE(got == want) << "copy " << copy;
        }
    }
}

// Wide keyed copies on atlases whose key pixels lie in a few places only, so
// that rows mix blocks with and without them: two atlases of one size with
// different pictures drawn from in turn, more atlas and key pairs than the
// blitter keeps an index for, and an atlas wider than 4096 pixels.
TEST_P(Blit, SparseKeysDrawTheRuleWhateverTheAtlasesBefore) {
    struct Sparse {
        int width, height;
        PixelFn pixel;
    };
    // Key k (0..9) at every 97th column of rows divisible by k + 3, and a
    // long stretch of it on one row; every other pixel well away from 0..9.
    const auto sparse = [](int shift) {
        return [shift](int x, int y) -> uint8_t {
            for (int k = 0; k < 10; ++k) {
                if (y % (k + 3) == 0 && (x + shift * k) % 97 == 0) return static_cast<uint8_t>(k);
                if (y == 40 + k && x >= 700 + 64 * k && x < 900 + 64 * k) return static_cast<uint8_t>(k);
            }
            return static_cast<uint8_t>(20 + (x * 7 + y * 3) % 200);
        };
    };
    const Sparse kinds[] = {{kAtlasWidth, kAtlasHeight, sparse(0)}, {kAtlasWidth, kAtlasHeight, sparse(31)},
                            {5000, 300, sparse(5)}};
    std::vector<std::unique_ptr<CDibImage>> atlases;
    for (const Sparse& k : kinds) {
        BitmapOptions o;
        o.pixel = k.pixel;
        const auto bytes = MakeBitmapBytes(k.width, k.height, 8, o);
        atlases.push_back(std::make_unique<CDibImage>(bytes.data(), bytes.size()));
        ASSERT_TRUE(atlases.back()->IsLoaded());
    }
    ClassicRand rand;
    for (const int orientation : {kTopDown, kBottomUp}) {
        Surface got = FreshSurface(orientation);
        Picture want = Seen(got, orientation);
        for (int i = 0; i < 120; ++i) {
            const size_t which = static_cast<size_t>(rand.Next()) % atlases.size();
            const Sparse& kind = kinds[which];
            const int32_t key = rand.Next() % 10;
            const auto w = static_cast<uint32_t>(16 + rand.Next() % 640), h = static_cast<uint32_t>(1 + rand.Next() % 60);
            const int32_t destX = rand.Next() % 660 - 10, destY = rand.Next() % 500 - 10;
            const int32_t srcX = rand.Next() % (kind.width - 100), srcY = rand.Next() % (kind.height - 20);
            BlitKeyed(got.data(), orientation, destX, destY, *atlases[which], srcX, srcY, w, h, key);
            for (int64_t k = 0; k < h; ++k) {
                for (int64_t j = 0; j < w; ++j) {
                    const int64_t dx = destX + j, dy = destY + k, sx = srcX + j, sy = srcY + k;
                    if (dx < 0 || dy < 0 || dx >= kSurfaceWidth || dy >= kSurfaceHeight || sx >= kind.width ||
                        sy >= kind.height)
                        continue;
                    const uint8_t v = kind.pixel(static_cast<int>(sx), static_cast<int>(sy));
                    if (v != key) want[dy * kSurfaceWidth + dx] = v;
                }
            }
            ASSERT_EQ(Seen(got, orientation), want) << "copy " << i << " from atlas " << which << ", key " << key << ", "
                                                    << w << " x " << h << " from (" << srcX << ", " << srcY << ")";
        }
    }
}

TEST_P(Blit, AnEmptyAtlasDrawsNothing) {
    const uint8_t notABitmap[] = {'X', 'Y', 0, 0};
    const CDibImage empty(notABitmap, sizeof notABitmap);
    Surface s = FreshSurface(kTopDown);
    const Surface before = s;
    BlitOpaque(s.data(), kTopDown, 0, 0, empty, 0, 0, 640, 480);
    BlitKeyed(s.data(), kTopDown, 0, 0, empty, 0, 0, 640, 480, 3);
    EXPECT_EQ(s, before);
}

TEST_P(Blit, TheChosenRoutineIsTheOneThatRuns) {
    // Portable always runs when asked for; the fastest is portable only where
    // the processor offers nothing faster.
    if (GetParam() == BlitPath::Portable) {
        EXPECT_EQ(CurrentBlitPath(), BlitPath::Portable);
    }
    BlitPath named = BlitPath::Fastest;
    EXPECT_TRUE(BlitPathNamed("portable", named));
    EXPECT_EQ(named, BlitPath::Portable);
    EXPECT_TRUE(BlitPathNamed("fastest", named));
    EXPECT_EQ(named, BlitPath::Fastest);
    EXPECT_FALSE(BlitPathNamed("Portable ", named));
    EXPECT_FALSE(BlitPathNamed(nullptr, named));
}

INSTANTIATE_TEST_SUITE_P(Paths, Blit, ::testing::Values(BlitPath::Fastest, BlitPath::Portable),
                         [](const ::testing::TestParamInfo<BlitPath>& info) {
                             return std::string(info.param == BlitPath::Portable ? "Portable" : "Fastest");
                         });

}  // namespace
