// The desktop window's picture: what a copy of the surface shows, where the
// black lines go, and that the next copy removes them.
#ifdef AVELUNE_HAS_DESKTOP

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "game/ClassicRand.h"
#include "gfx/AtlasCatalogue.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/common/WindowPicture.h"
#include "tests/TestAtlas.h"

namespace {

// A surface whose pixel (x, y) as seen is a known function of its place.
std::vector<uint8_t> PatternSurface(int orientation, int salt) {
    std::vector<uint8_t> s(kSurfaceWidth * kSurfaceHeight);
    for (int y = 0; y < kSurfaceHeight; ++y) {
        for (int x = 0; x < kSurfaceWidth; ++x) {
            SurfacePixel(s.data(), orientation, x, y) = static_cast<uint8_t>((x * 7 + y * 13 + salt) & 0xFF);
        }
    }
    return s;
}

// Shows a whole pattern surface in `picture`; the surface.
std::vector<uint8_t> ShowPattern(WindowPicture& picture, int orientation, int salt) {
    std::vector<uint8_t> surface = PatternSurface(orientation, salt);
    picture.Show(surface.data(), orientation, 640, 480);
    return surface;
}

PaletteColors GreyPalette() {
    PaletteColors p{};
    for (int k = 0; k < 256; ++k) p[k] = {static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k), 77};
    return p;
}

}  // namespace

TEST(DesktopWindowPicture, ShowCopiesTheTopLeftPartInEitherRowOrder) {
    struct Case {
        int orientation, width, height;
    };
    // clang-format off
    const Case cases[] = {
        {kTopDown,  640, 480},
        {kBottomUp, 640, 480},
        {kTopDown,  632, 440},
        {kBottomUp, 632, 440},
        {kTopDown,  700, 900},   // clipped to the window
        {kTopDown,   -5, 100},   // nothing
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.orientation << " " << c.width << "x" << c.height);
        WindowPicture picture;
        const auto before = PatternSurface(c.orientation, 1);
        picture.Show(before.data(), c.orientation, 640, 480);
        const auto after = PatternSurface(c.orientation, 100);
        picture.Show(after.data(), c.orientation, c.width, c.height);
        const int w = std::clamp(c.width, 0, 640), h = std::clamp(c.height, 0, 480);
        for (int y = 0; y < 480; y += 7) {
            for (int x = 0; x < 640; x += 5) {
                const bool covered = x < w && y < h;
                const auto& expect = covered ? after : before;
                ASSERT_EQ(picture.Index(x, y), SurfacePixel(expect.data(), c.orientation, x, y)) << x << "," << y;
            }
        }
        // The edges of the copied part, exactly.
        if (w > 0 && h > 0 && w < 640) {
            EXPECT_EQ(picture.Index(w - 1, h - 1), SurfacePixel(after.data(), c.orientation, w - 1, h - 1));
            EXPECT_EQ(picture.Index(w, h - 1), SurfacePixel(before.data(), c.orientation, w, h - 1));
        }
    }
}

TEST(DesktopWindowPicture, LinesLieOnTopUntilACopyCoversThem) {
    WindowPicture picture;
    const auto surface = ShowPattern(picture, kTopDown, 3);
    const PaletteColors palette = GreyPalette();
    picture.DrawBlackLine(600, 300, 639, 300);  // crosses the 632 edge
    picture.DrawBlackLine(10, 435, 10, 445);    // crosses the 440 edge
    for (const auto& [x, y] : {std::pair{600, 300}, {620, 300}, {635, 300}, {10, 435}, {10, 444}}) {
        EXPECT_TRUE(picture.IsLine(x, y)) << x << "," << y;
        EXPECT_EQ(picture.Color(palette, x, y), Rgb{}) << "a line is black whatever index lies below";
        EXPECT_EQ(picture.Index(x, y), surface[y * 640 + x]) << "the surface's index stays below the line";
    }
    EXPECT_FALSE(picture.IsLine(639, 300)) << "the end point is not drawn";

    // A 632 x 440 copy removes the lines inside it, not those beyond it.
    picture.Show(surface.data(), kTopDown, 632, 440);
    EXPECT_FALSE(picture.IsLine(620, 300));
    EXPECT_FALSE(picture.IsLine(10, 435));
    EXPECT_TRUE(picture.IsLine(635, 300));
    EXPECT_TRUE(picture.IsLine(10, 444));
    EXPECT_EQ(picture.Color(palette, 620, 300), palette[surface[300 * 640 + 620]]);
    // A full copy removes them all.
    picture.Show(surface.data(), kTopDown, 640, 480);
    EXPECT_FALSE(picture.IsLine(635, 300));
    EXPECT_FALSE(picture.IsLine(10, 444));
}

// Lines drawn and shows of several sizes in turn, against the mask kept
// pixel by pixel: a show removes exactly the line pixels inside it, keeps
// those beyond it for a later, larger show, and marks changed exactly the
// rows and columns it cleared.
TEST(DesktopWindowPicture, ShowsOfAnySizeRemoveExactlyTheLinesInside) {
    WindowPicture picture;
    const auto surface = ShowPattern(picture, kTopDown, 1);
    std::vector<bool> lit(640 * 480);
    const std::pair<int, int> sizes[] = {{632, 440}, {640, 480}, {300, 200}, {639, 1}, {1, 479}};
    ClassicRand rand;
    for (int round = 0; round < 40; ++round) {
        for (int n = rand.Next() % 4; n >= 0; --n) {
            WindowPicture alone;  // which pixels this line lights
            const int x0 = rand.Next() % 700 - 30, y0 = rand.Next() % 520 - 20;
            const int x1 = rand.Next() % 700 - 30, y1 = rand.Next() % 520 - 20;
            alone.DrawBlackLine(x0, y0, x1, y1);
            picture.DrawBlackLine(x0, y0, x1, y1);
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) lit[y * 640 + x] = lit[y * 640 + x] || alone.IsLine(x, y);
        }
        picture.TakeDirty();
        const auto [w, h] = sizes[rand.Next() % std::size(sizes)];
        picture.Show(surface.data(), kTopDown, w, h);
        PictureRect cleared;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (!lit[y * 640 + x]) continue;
                lit[y * 640 + x] = false;
                cleared = cleared.empty() ? PictureRect{x, y, x + 1, y + 1}
                                          : PictureRect{std::min(cleared.x0, x), std::min(cleared.y0, y),
                                                        std::max(cleared.x1, x + 1), std::max(cleared.y1, y + 1)};
            }
        }
        int wrong = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) wrong += picture.IsLine(x, y) != lit[y * 640 + x];
        ASSERT_EQ(wrong, 0) << "round " << round << ", show " << w << " x " << h;
        ASSERT_EQ(picture.TakeDirty(), cleared) << "round " << round << ", show " << w << " x " << h;
    }
}

TEST(DesktopWindowPicture, LinesLightTheSamePixelsAsTheHeadlessWindow) {
    // The headless host is what replays and golden pictures are made with:
    // the desktop window must light exactly the same pixels.
    struct Line {
        int x0, y0, x1, y1;
    };
    // clang-format off
    const Line lines[] = {
        {  0,   0, 631, 439},  {631, 439,   0,   0},   // the two directions differ at halves
        { 10, 200, 600, 205},  {600, 205,  10, 200},
        {316,  10, 317, 430},  {100, 100, 100, 100},   // steep; a point (nothing)
        {-500, 220, 1200, 260},                       // both ends outside
        {300, -100000, 320, 100000},                  // far above and below
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX},          // the widest differences there are
        {INT_MAX, 0, INT_MIN, 479},
        {-3000000, 5, 3000000, 6},
        {639, 0, 0, 479}, {5, 479, 6, -479},
    };
    // clang-format on
    for (const Line& l : lines) {
        SCOPED_TRACE(testing::Message() << l.x0 << "," << l.y0 << " -> " << l.x1 << "," << l.y1);
        WindowPicture picture;
        HeadlessHost headless;
        std::vector<uint8_t> white(kSurfaceWidth * kSurfaceHeight, 255);
        headless.ShowSurface(white.data(), kTopDown, 640, 480);
        picture.DrawBlackLine(l.x0, l.y0, l.x1, l.y1);
        headless.DrawBlackLine(l.x0, l.y0, l.x1, l.y1);
        int lit = 0;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                ASSERT_EQ(picture.IsLine(x, y), headless.WindowPixel(x, y) == 0) << x << "," << y;
                lit += picture.IsLine(x, y);
            }
        }
        if (l.x0 == 0 && l.y0 == 0) {
            EXPECT_EQ(lit, 631);
        }
    }
}

TEST(DesktopWindowPicture, MapsThroughThePaletteIntoPaddedRows) {
    WindowPicture picture;
    ShowPattern(picture, kBottomUp, 9);
    picture.DrawBlackLine(0, 1, 5, 1);
    const PaletteColors palette = GreyPalette();
    const int width = 632, height = 440, pitch = (width + 3) * 4;
    std::vector<uint32_t> out(static_cast<size_t>(pitch / 4) * height, 0x12345678u);
    picture.ToArgb(palette, width, height, out.data(), pitch);
    for (const auto& [x, y] : {std::pair{0, 0}, {631, 0}, {0, 439}, {631, 439}, {300, 200}, {3, 1}}) {
        const Rgb c = picture.Color(palette, x, y);
        const uint32_t expect = 0xFF000000u | (uint32_t{c.red} << 16) | (uint32_t{c.green} << 8) | c.blue;
        EXPECT_EQ(out[static_cast<size_t>(y) * (pitch / 4) + x], expect) << x << "," << y;
    }
    EXPECT_EQ(out[1 * (pitch / 4) + 3], 0xFF000000u) << "a line";
    EXPECT_EQ(out[0 * (pitch / 4) + 632], 0x12345678u) << "row padding untouched";
}

TEST(DesktopWindowPicture, ReportsChangesOnce) {
    WindowPicture picture;
    EXPECT_TRUE(picture.TakeChanged()) << "a new window has never been shown";
    EXPECT_FALSE(picture.TakeChanged());
    picture.DrawBlackLine(-10, -10, -5, -5);  // entirely outside: nothing changes
    EXPECT_FALSE(picture.TakeChanged());
    picture.DrawBlackLine(0, 0, 3, 0);
    EXPECT_TRUE(picture.TakeChanged());
    const auto surface = PatternSurface(kTopDown, 0);
    picture.Show(surface.data(), kTopDown, 632, 440);
    EXPECT_TRUE(picture.TakeChanged());
    EXPECT_FALSE(picture.TakeChanged());
}

// The game shows one picture many times a tick: only a difference, in the
// copy or in the lines, asks the window for a redraw.
TEST(DesktopWindowPicture, ShowingTheSamePictureAgainIsNoChange) {
    WindowPicture picture;
    const auto surface = PatternSurface(kTopDown, 0);
    picture.Show(surface.data(), kTopDown, 632, 440);
    picture.TakeChanged();
    picture.Show(surface.data(), kTopDown, 632, 440);
    EXPECT_FALSE(picture.TakeChanged()) << "the same picture";
    picture.DrawBlackLine(5, 5, 50, 5);
    EXPECT_TRUE(picture.TakeChanged());
    picture.DrawBlackLine(5, 5, 50, 5);
    EXPECT_FALSE(picture.TakeChanged()) << "the same line again";
    picture.Show(surface.data(), kTopDown, 632, 440);
    EXPECT_TRUE(picture.TakeChanged()) << "the copy covers the line";
    auto other = surface;
    SurfacePixel(other.data(), kTopDown, 631, 439) ^= 1;
    picture.Show(other.data(), kTopDown, 632, 440);
    EXPECT_TRUE(picture.TakeChanged()) << "one pixel differs";
    EXPECT_EQ(picture.Index(631, 439), SurfacePixel(other.data(), kTopDown, 631, 439));
}

// Showing an unchanged surface again leaves the window as a full copy would:
// the same pixels, the same lines removed, the same rectangle to redraw; a
// show from another surface, order or size is a full copy whatever it is
// called. The changed spans are found at any place in a row.
TEST(DesktopWindowPicture, AnUnchangedShowEndsAsAFullOne) {
    const auto first = PatternSurface(kTopDown, 0), second = PatternSurface(kTopDown, 9);
    const auto upsideDown = PatternSurface(kBottomUp, 0);
    struct Case {
        const char* what;
        const std::vector<uint8_t>* surface;
        int orientation, width, height;
        bool lines;
    };
    const Case cases[] = {
        {"again, no line", &first, kTopDown, 632, 440, false},
        {"again, over lines", &first, kTopDown, 632, 440, true},
        {"another surface", &second, kTopDown, 632, 440, true},
        {"the other row order", &upsideDown, kBottomUp, 632, 440, false},
        {"a larger size", &first, kTopDown, 640, 480, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowPicture full, unchanged;
        for (WindowPicture* p : {&full, &unchanged}) {
            p->Show(first.data(), kTopDown, 632, 440);
            p->TakeDirty();
            if (c.lines) {
                p->DrawBlackLine(3, 7, 600, 400);
                p->DrawBlackLine(639, 0, 0, 479);
            }
        }
        full.Show(c.surface->data(), c.orientation, c.width, c.height);
        unchanged.ShowUnchanged(c.surface->data(), c.orientation, c.width, c.height);
        EXPECT_TRUE(full == unchanged);
        EXPECT_EQ(full.TakeDirty(), unchanged.TakeDirty());
    }
    // Single changed pixels at each place in a word, a chunk and a row.
    for (const int x : {0, 1, 7, 8, 9, 31, 32, 300, 599, 600, 623, 624, 630, 631}) {
        WindowPicture p;
        p.Show(first.data(), kTopDown, 632, 440);
        p.TakeDirty();
        auto one = first;
        SurfacePixel(one.data(), kTopDown, x, 20) ^= 0x40;
        p.Show(one.data(), kTopDown, 632, 440);
        EXPECT_EQ(p.TakeDirty(), (PictureRect{x, 20, x + 1, 21})) << "pixel " << x;
    }
}

TEST(DesktopWindowPicture, ScreenshotHoldsTheColoursShown) {
    WindowPicture picture;
    ShowPattern(picture, kTopDown, 5);
    picture.DrawBlackLine(100, 50, 200, 50);
    const PaletteColors palette = GreyPalette();
    const std::string path = MakeTempDir() + "/shot.png";
    std::string error;
    ASSERT_TRUE(WritePicturePng(picture, palette, 632, 440, path, error)) << error;

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0);
    ASSERT_EQ(image.width, 632u);
    ASSERT_EQ(image.height, 440u);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0);
    for (const auto& [x, y] : {std::pair{0, 0}, {631, 439}, {150, 50}, {150, 51}, {400, 300}}) {
        const Rgb c = picture.Color(palette, x, y);
        const uint8_t* px = &rgb[(static_cast<size_t>(y) * 632 + x) * 3];
        EXPECT_EQ((Rgb{px[0], px[1], px[2]}), c) << x << "," << y;
    }

    EXPECT_FALSE(WritePicturePng(picture, palette, 632, 440, "/nonexistent-folder/x/shot.png", error));
    EXPECT_NE(error.find("/nonexistent-folder/x/shot.png"), std::string::npos) << error;
}

#endif  // AVELUNE_HAS_DESKTOP
