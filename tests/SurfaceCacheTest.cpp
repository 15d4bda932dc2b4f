// The picture cache on its own: what each show names, that copies wait for a
// read or a show, and that whatever it shows or lets be read is what the
// plain copiers, called at once for every copy, would have drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/AtlasCatalogue.h"
#include "gfx/Blit.h"
#include "gfx/SurfaceCache.h"
#include "tests/TestAtlas.h"

namespace {

using Picture = std::array<uint8_t, kSurfaceWidth * kSurfaceHeight>;

// What a window that takes only what a show names holds (rows as seen).
struct Window {
    Picture pixels{};
    void Take(const SurfaceShow& show, const uint8_t* bits, int orientation, int width, int height) {
        if (show.kind == SurfaceShow::kUnchanged) return;
        for (int y = 0; y < height; ++y) {
            int from = 0, to = width;
            if (show.kind == SurfaceShow::kRows) {
                if (!show.rows->test(static_cast<size_t>(y))) continue;
                from = show.rows->From(static_cast<size_t>(y));
                to = std::min(width, show.rows->To(static_cast<size_t>(y)));
            }
            for (int x = from; x < to; ++x) pixels[static_cast<size_t>(y * kSurfaceWidth + x)] = SurfacePixel(bits, orientation, x, y);
        }
    }
    // The first pixel of the top-left width x height that differs from `want`.
    ::testing::AssertionResult Shows(const Picture& want, int orientation, int width, int height) const {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (pixels[static_cast<size_t>(y * kSurfaceWidth + x)] != SurfacePixel(want.data(), orientation, x, y)) {
                    return ::testing::AssertionFailure() << "window pixel (" << x << ", " << y << ")";
                }
            }
        }
        return ::testing::AssertionSuccess();
    }
};

// One copy asked of the cache and made at once in a plain picture.
struct CopyCall {
    int32_t destX, destY, srcX, srcY;
    uint32_t width, height;
    int32_t key;  // kOpaque: an opaque copy
};

void Ask(SurfaceCache& cache, Picture& want, const CDibImage& atlas, const CopyCall& c) {
    if (c.key == kOpaque) {
        cache.CopyOpaque(c.destX, c.destY, c.srcX, c.srcY, c.width, c.height);
        BlitOpaque(want.data(), cache.orientation(), c.destX, c.destY, atlas, c.srcX, c.srcY, c.width, c.height);
    } else {
        cache.CopyKeyed(c.destX, c.destY, c.srcX, c.srcY, c.width, c.height, c.key);
        BlitKeyed(want.data(), cache.orientation(), c.destX, c.destY, atlas, c.srcX, c.srcY, c.width, c.height, c.key);
    }
}

void AskRuns(SurfaceCache& cache, Picture& want, const CDibImage& atlas, std::span<const BlitRun> runs, int32_t destY,
             uint32_t height, int32_t key) {
    cache.CopyRuns(runs, destY, height, key);
    BlitKeyedRuns(want.data(), cache.orientation(), destY, atlas, runs, height, key);
}

const CopyCall kCopies[] = {
    {0, 0, 100, 100, 632, 440, kOpaque},   // A: a panel
    {50, 40, 700, 300, 200, 150, 17},      // B
    {120, 90, 1300, 900, 300, 200, 200},   // C: rows 90..289
    {-20, 400, 40, 1900, 100, 100, 3},     // D: rows 400..479
    {60, 60, 500, 700, 40, 30, 17},        // E: a needle
    {60, 60, 540, 700, 48, 36, 17},        // F: the needle moved on
    {10, 10, 900, 900, 30, 20, 300},       // G: a key past 255 copies opaque
};

// 'A'..'G': a copy; 'V': a run copy over rows 300..319; 'O': an opaque run
// copy that writes all of columns 40..119 of rows 50..109; 'S': show
// 632 x 440; 'L': show 640 x 480; 'R': read every copy's corner; 'W': write a
// pixel. Returns one letter a show: 'W' whole, 'U' unchanged, 'R' rows; and
// the rows named at the last show that named rows.
std::string Play(const std::string& steps, int orientation, int& lastRows) {
    SCOPED_TRACE(steps);
    const auto atlas = MakeTestAtlas();
    SurfaceCache cache(*atlas, orientation);
    Picture want{};
    Window window;
    std::string shows;
    const BlitRun runs[] = {{10, 500, 1700, 30}, {40, 530, 1701, 30}};
    const BlitRun coveringRuns[] = {{40, 500, 1700, 40}, {80, 540, 1702, 40}};
    for (const char step : steps) {
        if (step >= 'A' && step <= 'G') {
            Ask(cache, want, *atlas, kCopies[step - 'A']);
        } else if (step == 'V') {
            AskRuns(cache, want, *atlas, runs, 300, 20, 95);
        } else if (step == 'O') {
            AskRuns(cache, want, *atlas, coveringRuns, 50, 60, kOpaque);
        } else if (step == 'R') {
            for (const CopyCall& c : kCopies) {
                const int x = std::max(0, c.destX + 1), y = c.destY + 1;
                EXPECT_EQ(cache.PixelAt(x, y), SurfacePixel(want.data(), orientation, x, y)) << "read at " << x << ", " << y;
            }
        } else if (step == 'W') {
            SurfacePixel(cache.writableBits(), orientation, 61, 51) ^= 0x55;
            SurfacePixel(want.data(), orientation, 61, 51) ^= 0x55;
        } else if (step == 'S' || step == 'L') {
            const int w = step == 'S' ? 632 : 640, h = step == 'S' ? 440 : 480;
            const SurfaceShow show = cache.Show(w, h);
            shows += "WUR"[show.kind];
            if (show.kind == SurfaceShow::kRows) lastRows = static_cast<int>(show.rows->count());
            window.Take(show, cache.bits(), orientation, w, h);
            EXPECT_TRUE(window.Shows(want, orientation, w, h)) << "after show " << shows.size();
        }
    }
    return shows;
}

TEST(SurfaceCache, EachShowNamesWhatTheWindowMustTake) {
    struct Case {
        const char* steps;
        const char* shows;  // per show: W whole, U unchanged, R rows
        int rows;           // named at the last show that named rows (-1: none did)
    };
    const Case cases[] = {
        {"ABCS" "ABCS" "ABCS", "WUU", -1},      // a page drawn the same every tick
        {"ABCS" "S" "S", "WUU", -1},            // shown again with nothing drawn
        {"ABCS" "ABDS", "WR", 200 + 80},        // C left out for D: both lists' rows
        {"ABCS" "ABCDS", "WR", 80},             // one copy more
        {"ABCS" "ABCL" "ABCL", "WWU", -1},      // another size is taken whole first
        {"ABCS" "ABCWS" "ABCS", "WWR", 440},    // a write: whole, then all the last copies' rows
        {"AEBS" "AFBS" "AEBS", "WRR", 36},      // a needle moves on under B, and back
        {"ABCS" "DS" "ABCS", "WRR", 80},        // a page between: only it is undone
        {"ABCS" "ABRCS" "ABCS", "WRU", 0},      // a read makes them at once: the same picture, no rows
        {"AVS" "AVS", "WR", 20},                // a run copy differs every time
        {"AEBOS" "AFBOS", "WR", 60},            // the needle under a run copy that hides it
        {"AGS" "AS", "WR", 20},                 // a key past 255 is an opaque copy
    };
    for (const int orientation : {kTopDown, kBottomUp}) {
        for (const Case& c : cases) {
            int rows = -1;
            EXPECT_EQ(Play(c.steps, orientation, rows), c.shows) << c.steps << " orientation " << orientation;
            EXPECT_EQ(rows, c.rows) << c.steps << " orientation " << orientation;
        }
    }
}

// Copies wait: the surface's memory holds none of them until something
// reads it, takes it to write, or shows it; then it holds them all.
TEST(SurfaceCache, CopiesWaitUntilTheSurfaceIsReadOrShown) {
    struct Case {
        const char* name;
        void (*touch)(SurfaceCache&);
    };
    const Case cases[] = {
        {"PixelAt", [](SurfaceCache& c) { (void)c.PixelAt(0, 0); }},
        {"bits", [](SurfaceCache& c) { (void)c.bits(); }},
        {"writableBits", [](SurfaceCache& c) { (void)c.writableBits(); }},
        {"Show", [](SurfaceCache& c) { (void)c.Show(kSurfaceWidth, kSurfaceHeight); }},
    };
    const auto atlas = MakeTestAtlas();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceCache cache(*atlas, kBottomUp);
        Picture want{};
        const uint8_t* memory = cache.bits();
        const BlitRun runs[] = {{10, 500, 1700, 30}, {40, 530, 1701, 30}};
        Ask(cache, want, *atlas, kCopies[1]);
        AskRuns(cache, want, *atlas, runs, 300, 20, 95);
        EXPECT_TRUE(std::all_of(memory, memory + want.size(), [](uint8_t p) { return p == 0; }));
        c.touch(cache);
        EXPECT_EQ(std::memcmp(memory, want.data(), want.size()), 0);
        // After a show, and after the first copies are made, the next ones wait again.
        (void)cache.Show(kSurfaceWidth, kSurfaceHeight);
        Ask(cache, want, *atlas, kCopies[2]);
        EXPECT_NE(std::memcmp(memory, want.data(), want.size()), 0);
        EXPECT_EQ(cache.PixelAt(200, 100), SurfacePixel(want.data(), kBottomUp, 200, 100));
        EXPECT_EQ(std::memcmp(memory, want.data(), want.size()), 0);
    }
}

// Pages of copies drawn over and over, a copy of one changed now and then
// (as gauges move), with pages between, sheared run copies, reads and writes
// at random and shows at two sizes: every show leaves the window, and every
// read finds the surface, as the plain copiers draw it.
TEST(SurfaceCache, PixelsEqualAPlainCopiersWhateverTheOrder) {
    uint32_t state = 0;
    const auto next = [&state](uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    };
    const auto atlas = MakeTestAtlas();
    const int32_t keys[] = {kOpaque, 17, 200, 3, 95, 300};
    const auto randomCopy = [&] {
        return CopyCall{static_cast<int32_t>(next(700)) - 40, static_cast<int32_t>(next(540)) - 40,
                        static_cast<int32_t>(next(3000)), static_cast<int32_t>(next(1900)),
                        1 + next(200), 1 + next(150), keys[next(6)]};
    };
    struct Case {
        int orientation;
        uint32_t seed;
    };
    for (const Case& c : {Case{kTopDown, 1}, Case{kBottomUp, 2}, Case{kTopDown, 3}, Case{kBottomUp, 4}}) {
        SCOPED_TRACE(::testing::Message() << "orientation " << c.orientation << " seed " << c.seed);
        state = c.seed;
        SurfaceCache cache(*atlas, c.orientation);
        Picture want{};
        Window window;
        std::array<std::vector<CopyCall>, 3> pages;
        for (auto& page : pages) {
            page.push_back({0, 0, static_cast<int32_t>(next(400)), static_cast<int32_t>(next(400)), 632, 440, kOpaque});
            for (uint32_t n = 4 + next(20); n-- > 0;) page.push_back(randomCopy());
        }
        for (int tick = 0; tick < 80; ++tick) {
            auto& page = pages[next(4) == 0 ? 1 + next(2) : 0];
            if (next(2) == 0) page[1 + next(static_cast<uint32_t>(page.size() - 1))] = randomCopy();
            const size_t runsAfter = next(static_cast<uint32_t>(page.size()));
            for (size_t i = 0; i < page.size(); ++i) {
                Ask(cache, want, *atlas, page[i]);
                if (i == runsAfter && next(2) == 0) {
                    // A sheared band of columns side by side, keyed or not.
                    std::vector<BlitRun> runs;
                    const int32_t top = static_cast<int32_t>(next(1500)), shear = static_cast<int32_t>(next(5)) - 2;
                    for (int32_t x = static_cast<int32_t>(next(100)); x < 600; x += 8) {
                        runs.push_back({x, 200 + x, top + shear * x / 8, 8});
                    }
                    AskRuns(cache, want, *atlas, runs, static_cast<int32_t>(next(300)), 16 + next(150),
                            next(2) == 0 ? kOpaque : 17);
                }
                if (next(40) == 0) {
                    const int x = static_cast<int>(next(kSurfaceWidth)), y = static_cast<int>(next(kSurfaceHeight));
                    ASSERT_EQ(cache.PixelAt(x, y), SurfacePixel(want.data(), c.orientation, x, y)) << "tick " << tick;
                }
                if (next(200) == 0) {
                    SurfacePixel(cache.writableBits(), c.orientation, 300, 200) ^= 0x0F;
                    SurfacePixel(want.data(), c.orientation, 300, 200) ^= 0x0F;
                }
            }
            const int w = next(8) == 0 ? 640 : 632, h = w == 640 ? 480 : 440;
            for (int again = next(3) == 0 ? 2 : 1; again-- > 0;) {
                const SurfaceShow show = cache.Show(w, h);
                window.Take(show, cache.bits(), c.orientation, w, h);
                ASSERT_TRUE(window.Shows(want, c.orientation, w, h)) << "tick " << tick;
            }
        }
        EXPECT_EQ(std::memcmp(cache.bits(), want.data(), want.size()), 0);
    }
}

}  // namespace
