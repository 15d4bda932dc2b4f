// The title, information and result screens' pictures in the generated atlas.
//
// These pictures are cut and layered by the game in fixed ways: a key index
// inside a picture becomes a hole, a button picture must match the picture
// it is drawn over, a label must sit in its panel without a box round it, and
// the animation frames must replace one another completely. Each test draws
// the pictures the way the game does and checks what the player would see.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "tests/GeneratedAtlasFixture.h"
#include "gfx/AtlasCatalogue.h"
#include "gfx/DibImage.h"

namespace {

class ScreensAtlas : public GeneratedAtlasFixture {
protected:
    // How many pixels of the rectangle (x, y, w, h) hold `index`.
    static int Count(int x, int y, int w, int h, int index) {
        int n = 0;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) n += At(x + i, y + j) == index;
        return n;
    }
    static int Count(const Sprite& s, int index) { return Count(s.x, s.y, s.width, s.height, index); }
    // Key pixels in islands of key pixels (joined through their four
    // neighbours) that touch no edge of the picture: holes in its middle.
    // The islands are labelled with a union-find over the rows.
    static int EnclosedKeys(const Sprite& s) {
        const int w = s.width, h = s.height;
        std::vector<int> parent(static_cast<size_t>(w) * h);
        std::iota(parent.begin(), parent.end(), 0);
        auto root = [&parent](int i) {
            while (parent[i] != i) i = parent[i] = parent[parent[i]];
            return i;
        };
        auto key = [&s](int x, int y) { return At(s.x + x, s.y + y) == s.key; };
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (!key(x, y)) continue;
                if (x > 0 && key(x - 1, y)) parent[root(y * w + x)] = root(y * w + x - 1);
                if (y > 0 && key(x, y - 1)) parent[root(y * w + x)] = root((y - 1) * w + x);
            }
        }
        std::vector<char> reachesEdge(parent.size(), 0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (key(x, y) && (x == 0 || y == 0 || x == w - 1 || y == h - 1)) reachesEdge[root(y * w + x)] = 1;
            }
        }
        int enclosed = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) enclosed += key(x, y) && !reachesEdge[root(y * w + x)];
        return enclosed;
    }
    // Pixels of `under` (an atlas rectangle of the picture's size) that the
    // picture changes when drawn over it with its key, as the game draws it.
    static int Changed(const Sprite& picture, int underX, int underY) {
        int n = 0;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const int p = At(picture.x + x, picture.y + y);
                if (p != picture.key && p != At(underX + x, underY + y)) ++n;
            }
        }
        return n;
    }
};

using namespace sprite;

// Where the game draws a picture, as atlas pixels of the picture it covers.
constexpr int kBackgroundX = kTitleBackground.x, kBackgroundY = kTitleBackground.y;
constexpr int kPageX = kInformationPage.x, kPageY = kInformationPage.y;

// ---------------------------------------------------------------- keys

TEST_F(ScreensAtlas, WholePicturesHoldNoKeyThatWouldMakeAHole) {
    struct Case {
        const char* name;
        Sprite s;
        int key;  // an index that must not appear anywhere in it
    };
    const Case cases[] = {
        {"title picture", kTitlePicture, 235},
        {"title background", kTitleBackgroundFull, 235},
        {"title strip, redrawn keyed 248", kTitleStrip, 248},
        {"information page", kInformationPage, 225},
        {"information page, redrawn keyed 187", kInformationPage, 187},
        {"approach lights 0", kTitleMotif0, 100},
        {"approach lights 1", kTitleMotif1, 100},
        {"approach lights 2", kTitleMotif2, 100},
        {"approach lights 3", kTitleMotif3, 100},
        {"information bar", kInformationBar, 95},
        {"second page bar", kSecondPageBar, 95},
        {"quit released, also drawn keyed 95", kQuitReleased, 95},
        {"quit released", kQuitReleased, 255},
        {"quit pressed", kQuitPressed, 255},
        {"continue pressed", kContinuePressed, 255},
        {"cockpit preview", kPreviewCockpit, 254},
        {"approach preview", kPreviewApproach, 208},
        {"message panel", kMessagePanel, 255},
        {"warning headline", kWarningHeadline, 255},
        {"failure headline", kFailureHeadline, 255},
        {"arrival headline", kArrivalHeadline, 255},
        {"lamp lit", kWarningLampLit, 255},
        {"lamp dark", kWarningLampDark, 255},
        {"course message", kCourseMessage, 255},
        {"overspeed message", kOverspeedMessage, 255},
        {"overspeed end", kOverspeedEnd, 255},
        {"arrival message", kArrivalMessage, 255},
        {"restart label", kLabelRestart, 22},
    };
    for (const Case& c : cases) EXPECT_EQ(Count(c.s, c.key), 0) << c.name;
}

TEST_F(ScreensAtlas, ShapedPicturesAreTransparentOnlyRoundTheirOutline) {
    const Sprite shaped[] = {kTitlePanel, kSecondPagePanel, kTitleAnimA, kTitleAnimB, kTitleAnimC,
                             kAircraftA,  kAircraftB,       kPagePressed, kPageReleased};
    for (const Sprite& s : shaped) {
        EXPECT_EQ(EnclosedKeys(s), 0) << "picture at (" << s.x << ", " << s.y << ")";
        EXPECT_GT(Count(s, s.key), 0) << "picture at (" << s.x << ", " << s.y << ") has no outline";
    }
}

TEST_F(ScreensAtlas, StartPicturesAreAnEdgeRoundTheWordBeneath) {
    // The start pictures also serve as the back button: the face inside their
    // edge is transparent, so START or BACK shows through from beneath.
    for (const Sprite& s : {kStartPressed, kStartReleased}) {
        constexpr int edge = 5;
        EXPECT_EQ(Count(s.x + edge, s.y + edge, s.width - 2 * edge, s.height - 2 * edge, s.key),
                  (s.width - 2 * edge) * (s.height - 2 * edge));
        EXPECT_EQ(Count(s, s.key), (s.width - 2 * edge) * (s.height - 2 * edge)) << "the edge has a gap";
    }
}

// ---------------------------------------------------------------- animation

TEST_F(ScreensAtlas, AnimationFramesReplaceEachOtherCompletely) {
    // A frame's transparent pixels keep the frame before: all three frames
    // need the same outline, or a beam would linger.
    const Sprite frames[] = {kTitleAnimA, kTitleAnimB, kTitleAnimC};
    int differing[3] = {0, 0, 0};
    for (int y = 0; y < kTitleAnimA.height; ++y) {
        for (int x = 0; x < kTitleAnimA.width; ++x) {
            const bool holeA = At(frames[0].x + x, frames[0].y + y) == 100;
            for (int f = 1; f < 3; ++f) {
                ASSERT_EQ(At(frames[f].x + x, frames[f].y + y) == 100, holeA) << "frame " << f << " at " << x << ", " << y;
            }
            for (int f = 0; f < 3; ++f) {
                differing[f] += At(frames[f].x + x, frames[f].y + y) != At(frames[(f + 1) % 3].x + x, frames[(f + 1) % 3].y + y);
            }
        }
    }
    for (int f = 0; f < 3; ++f) EXPECT_GT(differing[f], 100) << "frames " << f << " and " << (f + 1) % 3 << " look alike";
}

TEST_F(ScreensAtlas, ApproachLightMotifsDifferOnlyWhereTheFlasherRuns) {
    const Sprite motifs[] = {kTitleMotif0, kTitleMotif1, kTitleMotif2, kTitleMotif3};
    for (int a = 0; a < 4; ++a) {
        const Sprite& m = motifs[a];
        const Sprite& next = motifs[(a + 1) % 4];
        const int changed = Changed(next, m.x, m.y);
        EXPECT_GT(changed, 10) << "motifs " << a << " and " << (a + 1) % 4;
        EXPECT_LT(changed, m.width * m.height / 10) << "motifs " << a << " and " << (a + 1) % 4;
    }
}

// ---------------------------------------------------------------- buttons

// A button's picture and the atlas pixels beneath it where the game draws it.
struct ButtonOver {
    const char* name;
    Sprite picture;
    int underX, underY;
};

TEST_F(ScreensAtlas, ReleasedButtonsMatchThePictureTheyAreDrawnOn) {
    const ButtonOver cases[] = {
        {"start on the title", kStartReleased, kBackgroundX + 298, kBackgroundY + 219},
        {"page on the title", kPageReleased, kBackgroundX + 418, kBackgroundY + 219},
        {"quit on the title", kQuitReleased, kBackgroundX + 497, kBackgroundY + 219},
        {"back on the page", kStartReleased, kPageX + 178, kPageY + 375},
        {"middle on the page", kMiddleReleased, kPageX + 298, kPageY + 375},
        {"back on the bar", kStartReleased, kInformationBar.x + 4, kInformationBar.y + 4},
        {"middle on the bar", kMiddleReleased, kInformationBar.x + 124, kInformationBar.y + 4},
        {"back on the second page bar", kStartReleased, kSecondPageBar.x + 4, kSecondPageBar.y + 4},
    };
    for (const ButtonOver& c : cases) EXPECT_EQ(Changed(c.picture, c.underX, c.underY), 0) << c.name;
}

TEST_F(ScreensAtlas, PressedButtonsShowThePress) {
    const ButtonOver cases[] = {
        {"start", kStartPressed, kBackgroundX + 298, kBackgroundY + 219},
        {"page", kPagePressed, kBackgroundX + 420, kBackgroundY + 219},
        {"quit", kQuitPressed, kBackgroundX + 497, kBackgroundY + 219},
        {"back", kStartPressed, kPageX + 178, kPageY + 375},
        {"continue", kContinuePressed, kPageX + 378, kPageY + 375},
    };
    for (const ButtonOver& c : cases) {
        EXPECT_GT(Changed(c.picture, c.underX, c.underY), c.picture.width + c.picture.height) << c.name;
    }
}

TEST_F(ScreensAtlas, GuideShowsTheCockpitWhereTheHoverAreasPoint) {
    // Between its title band and bottom strip the information page is the
    // cockpit drawn 49 rows higher, so each hover area lies over its part:
    // most pixels there are the base panel's own, and every hover area of a
    // named part holds a picture, not the page's plain background.
    constexpr int drop = 49, firstRow = 153, lastRow = 365;
    int same = 0, total = 0;
    for (int y = firstRow; y <= lastRow; ++y) {
        for (int x = 0; x < kInformationPage.width; ++x) {
            const int panel = At(kBasePanel.x + x, kBasePanel.y + y + drop);
            if (panel == kBasePanel.key) continue;
            ++total;
            same += At(kPageX + x, kPageY + y) == panel;
        }
    }
    EXPECT_GT(same * 10, total * 7) << same << " of " << total << " pixels are the panel's";
    struct Area {
        int row, x0, x1, y0, y1;  // hover rows 1 to 18, inclusive ranges
    };
    const Area areas[] = {
        {1, 32, 104, 155, 175},  {2, 28, 132, 181, 285},  {3, 150, 234, 156, 172}, {4, 144, 252, 181, 287},
        {5, 272, 361, 155, 172}, {6, 283, 351, 178, 243}, {7, 63, 140, 300, 327},  {8, 63, 138, 335, 362},
        {9, 184, 240, 301, 327}, {10, 182, 239, 334, 361}, {11, 363, 386, 273, 336}, {12, 300, 336, 250, 265},
        {13, 355, 381, 194, 223}, {14, 280, 352, 272, 342}, {15, 244, 282, 342, 361}, {16, 351, 388, 342, 361},
        {17, 444, 501, 330, 358}, {18, 537, 583, 331, 358},
    };
    const int plain = At(kPageX + 2, kPageY + kInformationPage.height - 2);  // the page's own ground
    for (const Area& a : areas) {
        std::vector<int> seen(256, 0);
        int distinct = 0;
        for (int y = a.y0; y <= a.y1; ++y) {
            for (int x = a.x0; x <= a.x1; ++x) {
                const int v = At(kPageX + x, kPageY + y);
                if (v != plain && seen[v]++ == 0) ++distinct;
            }
        }
        EXPECT_GE(distinct, 4) << "hover row " << a.row << " points at nothing";
    }
}

TEST_F(ScreensAtlas, PageStripRedrawBringsBackTheButtonBar) {
    // The strip redraw (the page's own pixels) must restore the bar that the
    // page's first drawing put there.
    EXPECT_EQ(Changed(kInformationBar, kPageX + 174, kPageY + 371), 0);
}

// ---------------------------------------------------------------- panel, labels, messages

// The panel as the result screens draw it: the panel, then its own last
// columns further right, making a panel 609 pixels long.
std::vector<int> LongPanelRow(int (*at)(int, int), int row) {
    std::vector<int> r(609);
    for (int x = 0; x < kMessagePanel.width; ++x) r[x] = at(kMessagePanel.x + x, kMessagePanel.y + row);
    for (int x = 0; x < kMessagePanelEnd.width; ++x) r[530 + x] = at(kMessagePanelEnd.x + x, kMessagePanelEnd.y + row);
    return r;
}

TEST_F(ScreensAtlas, LongMessagePanelHasNoSeam) {
    for (int row = 0; row < kMessagePanel.height; ++row) {
        const std::vector<int> r = LongPanelRow(&ScreensAtlas::At, row);
        for (int x = 12; x < 597; ++x) ASSERT_EQ(r[x], r[100]) << "row " << row << " column " << x;
    }
}

TEST_F(ScreensAtlas, LabelsAndMessagesSitInThePanelWithoutABox) {
    // Each picture drawn where the game draws it, over the panel: its outer
    // ring of pixels must be the panel's own inside, and it must hold words.
    struct Case {
        const char* name;
        Sprite s;
        int panelX, panelY;  // where the panel's top-left corner is then
        int x, y;            // where the picture goes
    };
    const int lx = 34, ly = 366;
    const Case cases[] = {
        {"label 1", kLabelSignals, lx, ly, 235, 388},     {"label 2", kLabelIls, lx, ly, 110, 388},
        {"label 3", kLabelAirspeed, lx, ly, 68, 388},     {"label 5", kLabelAltitude, lx, ly, 188, 388},
        {"label 6", kLabelAttitude, lx, ly, 89, 388},     {"label 7", kLabelDrag, lx, ly, 178, 388},
        {"label 8", kLabelLift, lx, ly, 54, 385},         {"label 9", kLabelTurbulence, lx, ly, 78, 385},
        {"label 10", kLabelOutsideView, lx, ly, 80, 385}, {"label 11", kLabelPower, lx, ly, 113, 386},
        {"label 12", kLabelHeading, lx, ly, 188, 385},    {"label 13", kLabelClimbRate, lx, ly, 109, 388},
        {"label 14", kLabelControlPad, lx, ly, 148, 386}, {"label 15", kLabelPedals, lx, ly, 158, 386},
        {"label 17", kLabelPageSwitch, lx, ly, 204, 386}, {"label 18", kLabelRestart, lx, ly, 214, 388},
        {"warning", kWarningHeadline, 10, 36, 33, 54},    {"failure", kFailureHeadline, 10, 36, 33, 55},
        {"arrival", kArrivalHeadline, 10, 36, 58, 58},    {"course", kCourseMessage, 10, 100, 85, 122},
        {"overspeed", kOverspeedMessage, 10, 100, 150, 122}, {"overspeed end", kOverspeedEnd, 10, 100, 85, 122},
        {"arrival message", kArrivalMessage, 10, 100, 148, 123},
    };
    std::vector<std::vector<int>> panel;
    for (int row = 0; row < kMessagePanel.height; ++row) panel.push_back(LongPanelRow(&ScreensAtlas::At, row));
    for (const Case& c : cases) {
        const int row0 = c.y - c.panelY, col0 = c.x - c.panelX;
        ASSERT_GE(row0, 0);
        ASSERT_LE(row0 + c.s.height, kMessagePanel.height) << c.name;
        ASSERT_LE(col0 + c.s.width, 609) << c.name;
        auto panelAt = [&](int x, int y) { return panel[row0 + y][col0 + x]; };
        int box = 0, words = 0;
        const int inside = panelAt(0, 0);
        for (int y = 0; y < c.s.height; ++y) {
            for (int x = 0; x < c.s.width; ++x) {
                const int p = At(c.s.x + x, c.s.y + y);
                const bool ring = x == 0 || y == 0 || x == c.s.width - 1 || y == c.s.height - 1;
                if (ring && p != c.s.key && p != panelAt(x, y)) ++box;
                words += p != c.s.key && p != inside;
            }
        }
        EXPECT_EQ(box, 0) << c.name << " shows an edge against the panel";
        EXPECT_GT(words, 60) << c.name << " holds no words";
    }
}

TEST_F(ScreensAtlas, LampPicturesDiffer) {
    EXPECT_GT(Changed(kWarningLampDark, kWarningLampLit.x, kWarningLampLit.y), 200);
}

}  // namespace
