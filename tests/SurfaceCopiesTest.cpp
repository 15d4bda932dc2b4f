// The view lets copies wait for the show and remakes them only where the
// picture shown can differ, and makes them as soon as anything could tell: the window and every read of the
// surface must show what making each copy at once would have shown, whatever
// comes between the shows.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "gfx/Blit.h"
#include "platform/headless/HeadlessHost.h"
#include "tests/TestAtlas.h"

namespace {

// Counts the shows the view called unchanged, and the rows it said the last
// show could differ in (-1: it said nothing).
class CountingHost : public HeadlessHost {
public:
    void ShowSurface(const uint8_t* bits, int orientation, int width, int height) override {
        rows = -1;
        HeadlessHost::ShowSurface(bits, orientation, width, height);
    }
    void ShowSurfaceUnchanged(const uint8_t* bits, int orientation, int width, int height) override {
        ++unchanged;
        rows = 0;
        HeadlessHost::ShowSurfaceUnchanged(bits, orientation, width, height);
    }
    void ShowSurfaceRows(const uint8_t* bits, int orientation, int width, int height, const SurfaceRows& r) override {
        rows = static_cast<int>(r.count());
        columns = 0;
        for (size_t y = 0; y < kSurfaceHeight; ++y) columns += r.test(y) ? r.To(y) - r.From(y) : 0;
        HeadlessHost::ShowSurfaceRows(bits, orientation, width, height, r);
    }
    int unchanged = 0, rows = -1;
    int columns = 0;  // pixels of the rows named, at the last show that named rows
};

struct CopyCall {
    int32_t destX, destY, srcX, srcY;
    uint32_t width, height;
    int32_t key;  // kOpaque: an opaque copy
};
// Overlapping copies, keyed with colours the test atlas holds and opaque.
const CopyCall kCopies[] = {
    {0, 0, 100, 100, 632, 440, kOpaque},
    {50, 40, 700, 300, 200, 150, 17},
    {120, 90, 1300, 900, 300, 200, 200},
    {-20, 400, 40, 1900, 100, 100, 3},
    // E and F: a small copy over A and under B, and a larger one from
    // another part of the atlas in the same place, as a needle moves on.
    {60, 60, 500, 700, 40, 30, 17},
    {60, 60, 540, 700, 48, 36, 17},
};

// 'A'..'F': a copy; 'S': show 632 x 440; 'L': show 640 x 480; 'R': read a
// pixel of each copy's corner; 'W': write a pixel through surfaceBits;
// 'V', 'U': run copies over rows 300..319 and 100..129; 'O': a run copy that
// writes all of a rectangle over rows 50..109. After the last show,
// `expectRows` (unless -2) is what the host was told could differ then, and
// `expectColumns` (unless -2) how many pixels of those rows.
void Play(const std::string& steps, int expectUnchanged, int expectRows = -2, int expectColumns = -2) {
    SCOPED_TRACE(steps.size() > 80 ? steps.substr(0, 40) + "..." + steps.substr(steps.size() - 40) : steps);
    CountingHost host;
    auto view = MakeTestView(host);
    std::array<uint8_t, kSurfaceWidth * kSurfaceHeight> want{};
    const int orientation = view->surfaceOrientation();
    const BlitRun runs[] = {{10, 500, 1700, 30}, {40, 530, 1701, 30}};
    const BlitRun otherRuns[] = {{200, 900, 1500, 20}, {220, 920, 1499, 20}};
    // Side by side with no key: they write every pixel of columns 40..119 of
    // rows 50..109, over A, B and E.
    const BlitRun coveringRuns[] = {{40, 500, 1700, 40}, {80, 540, 1702, 40}};
    for (const char step : steps) {
        if (step >= 'A' && step <= 'F') {
            const CopyCall& c = kCopies[step - 'A'];
            if (c.key == kOpaque) {
                view->BlitOpaque(c.destX, c.destY, c.srcX, c.srcY, c.width, c.height);
                BlitOpaque(want.data(), orientation, c.destX, c.destY, view->atlas(), c.srcX, c.srcY, c.width, c.height);
            } else {
                view->BlitKeyed(c.destX, c.destY, c.srcX, c.srcY, c.width, c.height, c.key);
                BlitKeyed(want.data(), orientation, c.destX, c.destY, view->atlas(), c.srcX, c.srcY, c.width, c.height, c.key);
            }
        } else if (step == 'S' || step == 'L') {
            const int w = step == 'S' ? 632 : 640, h = step == 'S' ? 440 : 480;
            view->ShowSurface(w, h);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    ASSERT_EQ(host.WindowPixel(x, y), SurfacePixel(want.data(), orientation, x, y))
                        << "window pixel (" << x << ", " << y << ")";
                }
            }
        } else if (step == 'R') {
            for (const CopyCall& c : kCopies) {
                const int x = std::max(0, c.destX + 1), y = c.destY + 1;
                EXPECT_EQ(view->PixelAt(x, y), SurfacePixel(want.data(), orientation, x, y)) << "read at " << x << ", " << y;
            }
        } else if (step == 'W') {
            SurfacePixel(view->surfaceBits(), orientation, 60, 50) ^= 0x55;
            SurfacePixel(want.data(), orientation, 60, 50) ^= 0x55;
        } else if (step == 'V') {
            view->BlitKeyedRuns(runs, 300, 20, 95);
            BlitKeyedRuns(want.data(), orientation, 300, view->atlas(), runs, 20, 95);
        } else if (step == 'U') {
            view->BlitKeyedRuns(otherRuns, 100, 30, 17);
            BlitKeyedRuns(want.data(), orientation, 100, view->atlas(), otherRuns, 30, 17);
        } else if (step == 'O') {
            view->BlitKeyedRuns(coveringRuns, 50, 60, kOpaque);
            BlitKeyedRuns(want.data(), orientation, 50, view->atlas(), coveringRuns, 60, kOpaque);
        }
    }
    EXPECT_EQ(host.unchanged, expectUnchanged);
    if (expectRows != -2) {
        EXPECT_EQ(host.rows, expectRows);
    }
    if (expectColumns != -2) {
        EXPECT_EQ(host.columns, expectColumns);
    }
}

TEST(SurfaceCopies, WaitingCopiesNeverShowOrReadOtherwiseThanMadeOnes) {
    struct Case {
        const char* steps;
        int unchanged;  // shows made without comparing the surface again
    };
    const Case cases[] = {
        {"ABCS" "ABCS" "ABCS", 2},       // a page drawn the same every tick
        {"ABCSSS", 2},                   // shown again with nothing drawn
        {"ABCS" "ABS" "ABCS", 0},        // a copy left out, then back
        {"ABCS" "ABDS", 0},              // the last copy differs
        {"ABCS" "ABCDS", 0},             // one copy more
        {"ABCS" "ABRCS" "ABCS", 1},      // a read among waiting copies
        {"ABCS" "ABCWS" "ABCS", 0},      // a write through the bits
        {"ABCS" "AVBCS" "ABCS", 0},      // a run copy among them
        {"ABCS" "ABCL" "ABCL", 1},       // a larger show: compared in full first
        {"ABCS" "S" "ABCS", 2},          // an empty show between keeps the copies to repeat
        {"CBAS" "CBAS" "ABCS" "ABCS", 2}, // the same copies in another order are others
        {"ABS" "CABS", 0},               // a differing copy first, then the copies shown
        {"ABCS" "VABCS", 0},             // a run copy first
        {"ABCS" "WABCS", 0},             // a write first
        {"ABCS" "RABCS", 1},             // a read first: nothing waits yet, copies go on waiting
    };
    for (const Case& c : cases) Play(c.steps, c.unchanged);
}

// A show after copies that were all the surface's changes tells the host the
// rows they can have changed: those of the copies that differ, in either list,
// from the ones that made the picture shown. The window is checked against
// copies made at once, as above.
TEST(SurfaceCopies, AShowNamesOnlyTheRowsOfCopiesThatDiffer) {
    struct Case {
        const char* steps;
        int rows;  // at the last show; -1: compared in full
    };
    const Case cases[] = {
        {"ABCS" "ABDS", 200 + 80},        // C (rows 90..289) left out for D (rows 400..479 of the surface)
        {"ABCVS" "ABCVS", 20},            // the same copies around the run copy: its rows
        {"ABVS" "ABUS", 20 + 30},         // run copies elsewhere: both lists' rows
        {"AVS" "ABVS", 150 + 20},         // one more: from there on, both lists' rows
        {"ABCS" "ABS", 200},              // one fewer
        {"ABCWS" "ABCS", 440},            // after a write the picture shown was no copies' own
        {"ABCS" "ABCWS", -1},             // a write: in full
        {"ABCS" "ABCL", -1},              // another size: in full
        {"BS" "AS", 440},                 // nothing alike
    };
    for (const Case& c : cases) Play(c.steps, 0, c.rows);
}

// Copies wait for the show and are then made only where the picture can
// differ from the one shown, against the copies of the last show or of the
// last few together: a page may be shown between two pictures (the
// judgement's lamps between two cockpit pictures). The window is checked
// against copies made at once after every show, as above.
TEST(SurfaceCopies, CopiesAreRemadeOnlyWhereThePictureShownCanDiffer) {
    struct Case {
        const char* steps;
        int unchanged, rows, columns;  // at the last show
    };
    const Case cases[] = {
        {"AEBS" "AFBS", 0, 36, 36 * 48},                        // one copy moves on, under another
        {"AEBS" "AFBS" "AEBS", 0, 36, 36 * 48},                 // and back
        {"EABS" "DS" "EABS", 0, 80, 80 * 80},                   // a page between: only it is undone
        {"EABS" "DS" "EABS" "DS" "EABS", 0, 80, 80 * 80},
        {"EABS" "DS" "FABS" "DS" "EABS", 0, 36 + 80, 36 * 48 + 80 * 80},
        {"EABS" "DS" "EABS" "DS", 0, 80, 80 * 80},              // the page itself: its own copy
        {"EABS" "DS" "EABRS" "DS" "EABS", 0, 80, 80 * 80},      // a read on the way
        {"EAVBS" "DS" "EAUBS", 0, 20 + 30 + 80, -2},            // run copies between
        {"ABCS" "DS" "ES" "ABCS", 0, 80 + 30, -2},              // three shows back
        {"ABCS" "DS" "ES" "FS" "ABCS", 0, 440, -2},             // further back than the shows kept
        {"AEBOS" "AFBOS", 0, 60, 60 * 80},                      // under a run copy that hides it
        {"AOEBS" "AOFBS", 0, 60, 60 * 80},                      // over it
        {"AEBOS" "AFBOS" "ABCS", 0, 250, -2},                   // and without it (rows 40..289)
    };
    for (const Case& c : cases) Play(c.steps, c.unchanged, c.rows, c.columns);
}

// So many copies between two shows are made at once and not listed: the
// next show compares the whole picture, and the one after compares again.
TEST(SurfaceCopies, AnOverlongListIsMadeAtOnce) {
    Play("ABCS" + std::string(5000, 'E') + "S", 0, -1);
    Play("ABCS" + std::string(5000, 'F') + "S" "ABCS", 0, 440);
}

}  // namespace
