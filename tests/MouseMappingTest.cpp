// Which game pixel the mouse is over, at every scale, full screen with black
// bars, and on high-density displays.
#ifdef AVELUNE_HAS_DESKTOP

#include <gtest/gtest.h>

#include "gfx/AtlasCatalogue.h"
#include "platform/sdl/DesktopLayout.h"

TEST(MouseMapping, WindowedEveryScaleCoversEachGamePixelWithASquare) {
    for (int scale = 1; scale <= 4; ++scale) {
        SCOPED_TRACE(scale);
        const WindowSize size = WindowSizeForScale(scale);
        EXPECT_EQ(size.width, 632 * scale);
        EXPECT_EQ(size.height, (20 + 440) * scale);
        const int menu = kMenuBarHeight * scale;
        const PictureLayout layout = FitPicture(size.width, size.height, menu);
        EXPECT_EQ(layout.scale, scale);
        EXPECT_EQ(layout.originX, 0);
        EXPECT_EQ(layout.originY, menu);

        // Game pixels at the corners, the start button's hit area and inside:
        // every window pixel of the square maps to it, the next ones do not.
        for (const GamePoint g : {GamePoint{0, 0}, GamePoint{631, 439}, GamePoint{299, 202}, GamePoint{370, 253},
                                  GamePoint{316, 220}}) {
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    EXPECT_EQ(MapToGame(layout, 1, 1, g.x * scale + dx, menu + g.y * scale + dy), g)
                        << g.x << "," << g.y << " +" << dx << "," << dy;
                }
            }
            if (g.x < 631) {
                EXPECT_EQ(MapToGame(layout, 1, 1, (g.x + 1) * scale, menu + g.y * scale), (GamePoint{g.x + 1, g.y}));
            }
        }
        // The menu bar and beyond the picture are not the game's.
        EXPECT_EQ(MapToGame(layout, 1, 1, 10, menu - 1), std::nullopt);
        EXPECT_EQ(MapToGame(layout, 1, 1, 10, 0), std::nullopt);
        EXPECT_EQ(MapToGame(layout, 1, 1, 632 * scale, menu + 5), std::nullopt);
        EXPECT_EQ(MapToGame(layout, 1, 1, 5, menu + 440 * scale), std::nullopt);
        EXPECT_EQ(MapToGame(layout, 1, 1, -1, menu + 5), std::nullopt) << "just left is not column 0";
    }
}

TEST(MouseMapping, FullScreenCentresTheLargestWholeScaleInBlackBars) {
    struct Case {
        int width, height, menu;
        int scale, originX, originY;
    };
    // clang-format off
    const Case cases[] = {
        {1920, 1080, 20, 2, 328, 110},   // height decides: (1080-20)/440 = 2
        {1280, 1024, 20, 2,   8,  82},
        {3840, 2160, 40, 4, 656, 220},
        {2560, 1440, 20, 3, 332,  70},
        { 800,  600, 20, 1,  84,  90},
        { 640,  480, 20, 1,   4,  30},
        { 600,  400, 20, 1,   0,  20},   // too small: top-left, clipped
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const PictureLayout layout = FitPicture(c.width, c.height, c.menu);
        EXPECT_EQ(layout.scale, c.scale);
        EXPECT_EQ(layout.originX, c.originX);
        EXPECT_EQ(layout.originY, c.originY);
        // The corners of the picture, and the bars just outside them.
        EXPECT_EQ(MapToGame(layout, 1, 1, c.originX, c.originY), (GamePoint{0, 0}));
        const int right = c.originX + 632 * c.scale - 1, bottom = c.originY + 440 * c.scale - 1;
        if (right < c.width && bottom < c.height) {
            EXPECT_EQ(MapToGame(layout, 1, 1, right, bottom), (GamePoint{631, 439}));
        }
        EXPECT_EQ(MapToGame(layout, 1, 1, c.originX - 1, c.originY + 50), std::nullopt);
        EXPECT_EQ(MapToGame(layout, 1, 1, right + 1, c.originY + 50), std::nullopt);
        EXPECT_EQ(MapToGame(layout, 1, 1, c.originX + 50, c.originY - 1), std::nullopt);
        EXPECT_EQ(MapToGame(layout, 1, 1, c.originX + 50, bottom + 1), std::nullopt);
    }
}

TEST(MouseMapping, HighDensityDisplaysMapLogicalUnitsThroughThePixelRatio) {
    // A window of 632 x 460 logical units drawn with 2 x 2 pixels each.
    const PictureLayout layout = FitPicture(1264, 920, 40);
    ASSERT_EQ(layout.scale, 2);
    EXPECT_EQ(MapToGame(layout, 2, 2, 0, 20), (GamePoint{0, 0}));
    EXPECT_EQ(MapToGame(layout, 2, 2, 631, 459), (GamePoint{631, 439}));
    EXPECT_EQ(MapToGame(layout, 2, 2, 300, 19), std::nullopt);
    // A fractional ratio rounds down to the output pixel under the point.
    const PictureLayout wide = FitPicture(948, 690, 30);
    EXPECT_EQ(wide.scale, 1);
    EXPECT_EQ(MapToGame(wide, 1.5, 1.5, 211, 100), (GamePoint{316 - wide.originX, 150 - wide.originY}));
}

TEST(MouseMapping, NonsenseInputsNeverMapIntoThePicture) {
    const PictureLayout layout = FitPicture(632, 460, 20);
    EXPECT_EQ(MapToGame(layout, 0, 1, 10, 30), std::nullopt);
    EXPECT_EQ(MapToGame(layout, 1, -1, 10, 30), std::nullopt);
    EXPECT_EQ(MapToGame(layout, 1e300, 1, 10, 30), std::nullopt);
    EXPECT_EQ(MapToGame(layout, 1, 1, INT32_MIN, INT32_MAX), std::nullopt);
    PictureLayout broken = layout;
    broken.scale = 0;
    EXPECT_EQ(MapToGame(broken, 1, 1, 10, 30), std::nullopt);
}

TEST(MouseMapping, DefaultScaleIsTheLargestWindowThatFitsTheScreen) {
    struct Case {
        int width, height, scale;
    };
    // clang-format off
    const Case cases[] = {
        { 800,  600, 1},
        {1280, 1024, 2},
        {1920, 1080, 2},   // 3 would need 1380 rows
        {1920, 1200, 2},
        {2560, 1440, 3},   // 1380 rows and the frame's 48 just fit
        {3840, 2160, 4},
        { 100,  100, 1},   // never below 1
        {99999, 99999, kMaxScale},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(DefaultScale(c.width, c.height), c.scale) << c.width << "x" << c.height;
    }
}

#endif  // AVELUNE_HAS_DESKTOP
