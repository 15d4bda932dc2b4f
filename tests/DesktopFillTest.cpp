// Fill mode: the picture as large as the window allows, sharp-bilinear, and
// every game pixel's middle still exactly its own colour; whole scales stay
// exact. Drawn with SDL's software renderer into memory, no display needed.
#ifdef AVELUNE_HAS_DESKTOP

#include <gtest/gtest.h>

#include <SDL.h>

#include <random>
#include <vector>

#include "platform/sdl/DesktopLayout.h"
#include "platform/sdl/PictureDrawing.h"

namespace {

TEST(DesktopFill, LayoutsFillTheAreaKeepTheShapeAndMapTheMouseBack) {
    struct Case {
        int width, height, menu;
        int pictureWidth, pictureHeight;  // expected
    };
    // clang-format off
    const Case cases[] = {
        {1366,  768, 20,  1074,  748},   // a laptop: 1x was all a whole scale gave
        {1920, 1080, 20,  1523, 1060},
        { 844,  390, 20,   531,  370},   // too small for 1x: the whole scale's 632 x 440 at the top left
        {1264,  900, 20,  1264,  880},   // exactly 2x: whole
        {1000,  720,  0,  1000,  696},
    };
    // clang-format on
    for (const Case& c : cases) {
        const PictureLayout l = FitPictureFill(c.width, c.height, c.menu);
        if (c.pictureWidth < kClientWidth) {
            EXPECT_EQ(l, FitPicture(c.width, c.height, c.menu)) << c.width << "x" << c.height;
            continue;
        }
        EXPECT_EQ(l.Width(), c.pictureWidth) << c.width << "x" << c.height;
        EXPECT_EQ(l.Height(), c.pictureHeight) << c.width << "x" << c.height;
        EXPECT_GE(l.originY, c.menu);
        EXPECT_LE(l.originX + l.Width(), c.width);
        EXPECT_LE(l.originY + l.Height(), c.height);
        EXPECT_LE(l.scale, kMaxScale);
        // The middle of every game pixel maps back to that pixel.
        for (const auto& [gx, gy] : {std::pair{0, 0}, {631, 439}, {316, 220}, {17, 400}}) {
            const int x = l.originX + static_cast<int>((gx + 0.5) * l.Width() / kClientWidth);
            const int y = l.originY + static_cast<int>((gy + 0.5) * l.Height() / kClientHeight);
            EXPECT_EQ(MapToGame(l, 1.0, 1.0, x, y), (GamePoint{gx, gy})) << c.width << "x" << c.height;
        }
    }
}

// The menus' scale: the window's own whole scale, or the filled picture's
// rounded to the nearest whole, measured the same below any menu bar.
TEST(DesktopFill, MenusTakeTheWholeOrTheNearestFilledScale) {
    struct Case {
        bool filled;
        int whole, width, height;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {false, 1, 5000, 5000, 1},  // windowed: the window's scale, whatever its size
        {false, 3,  632,  460, 3},
        {false, 0,  632,  460, 1},  // out of range: clamped
        {false, 12, 632,  460, kMaxScale},
        {true,  1, 1366,  768, 2},  // 1.70
        {true,  3, 1920, 1080, 2},  // 2.41: the window's scale does not count
        {true,  1, 2560, 1440, 3},  // 3.18
        {true,  1, 3840, 2160, 5},  // 4.86
        {true,  1,  800,  500, 1},  // 1.09
        {true,  2,  844,  390, 1},  // too small even for 1x
        {true,  1, 1264,  900, 2},  // exactly 2x
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(UiScaleFor(c.filled, c.whole, c.width, c.height), c.expected)
            << (c.filled ? "filled " : "window ") << c.whole << " " << c.width << "x" << c.height;
    }
}

// A dialog larger than the window is made to fit it, whole and in view; one
// that fits stays as it was asked for.
TEST(DesktopFill, DialogsFitTheWindow) {
    struct Case {
        DialogBox wanted;
        float width, height, top;
        DialogBox expected;
    };
    // clang-format off
    const Case cases[] = {
        {{ 60,  60,  520, 364},  632,  460, 20, { 60,  60,  520, 364}},  // the keys at 1x: as they were
        {{ 26,  39,  754, 260},  632,  460, 20, {  8,  39,  616, 260}},  // the logbook at 1x: narrower
        {{ 52,  78, 1508, 520}, 1366,  768, 40, {  8,  78, 1350, 520}},  // filled at 2x
        {{120, 120, 1040, 728}, 1366,  768, 40, {120,  48, 1040, 712}},  // too tall: lower and moved up
        {{ 10,   0,  100, 100},  632,  460, 20, { 10,  28,  100, 100}},  // never under the menu bar
        {{  0,   0,  500, 500},   10,   10, 20, {  8,  28,    1,   1}},  // no room at all: still a box
    };
    // clang-format on
    for (const Case& c : cases) {
        const DialogBox got = FitDialog(c.wanted, c.width, c.height, c.top, 8);
        EXPECT_EQ(got, c.expected) << c.wanted.width << "x" << c.wanted.height << " in " << c.width << "x" << c.height
                                   << ": " << got.x << "," << got.y << " " << got.width << "x" << got.height;
    }
}

// The middle of each game pixel's area, drawn, is that game pixel, at three
// filled sizes; at a whole scale every output pixel is.
TEST(DesktopFill, EachGamePixelsMiddleKeepsItsColour) {
    std::mt19937 random(28);
    std::vector<uint32_t> picture(static_cast<size_t>(kClientWidth) * kClientHeight);
    for (uint32_t& p : picture) p = 0xff000000u | (random() & 0xffffffu);  // neighbours differ
    for (const auto& [width, height] : {std::pair{1366, 768}, {1920, 1080}, {1000, 720}, {1264, 880}}) {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        ASSERT_NE(surface, nullptr) << SDL_GetError();
        SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(surface);
        ASSERT_NE(renderer, nullptr) << SDL_GetError();
        SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                                 kClientWidth, kClientHeight);
        ASSERT_NE(texture, nullptr) << SDL_GetError();
        SDL_UpdateTexture(texture, nullptr, picture.data(), kClientWidth * 4);
        const PictureLayout layout = FitPictureFill(width, height, 0);
        {
            PictureDrawer drawer;
            ASSERT_TRUE(drawer.Draw(renderer, texture, layout)) << SDL_GetError();
            SDL_RenderPresent(renderer);
        }
        const auto* pixels = static_cast<const uint32_t*>(surface->pixels);
        const int pitch = surface->pitch / 4;
        int wrong = 0;
        for (int gy = 0; gy < kClientHeight; ++gy) {
            for (int gx = 0; gx < kClientWidth; ++gx) {
                const int x = layout.originX + static_cast<int>((gx + 0.5) * layout.Width() / kClientWidth);
                const int y = layout.originY + static_cast<int>((gy + 0.5) * layout.Height() / kClientHeight);
                const uint32_t got = pixels[static_cast<size_t>(y) * pitch + x] | 0xff000000u;
                if (got != picture[static_cast<size_t>(gy) * kClientWidth + gx]) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << width << "x" << height << " (fractional: " << layout.Fractional() << ")";
        SDL_DestroyTexture(texture);
        SDL_DestroyRenderer(renderer);
        SDL_FreeSurface(surface);
    }
}

}  // namespace

#endif  // AVELUNE_HAS_DESKTOP
