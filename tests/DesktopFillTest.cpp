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
        for (const auto [gx, gy] : {std::pair{0, 0}, {631, 439}, {316, 220}, {17, 400}}) {
            const int x = l.originX + static_cast<int>((gx + 0.5) * l.Width() / kClientWidth);
            const int y = l.originY + static_cast<int>((gy + 0.5) * l.Height() / kClientHeight);
            EXPECT_EQ(MapToGame(l, 1.0, 1.0, x, y), (GamePoint{gx, gy})) << c.width << "x" << c.height;
        }
    }
}

// The middle of each game pixel's area, drawn, is that game pixel, at three
// filled sizes; at a whole scale every output pixel is.
TEST(DesktopFill, EachGamePixelsMiddleKeepsItsColour) {
    std::mt19937 random(28);
    std::vector<uint32_t> picture(static_cast<size_t>(kClientWidth) * kClientHeight);
    for (uint32_t& p : picture) p = 0xff000000u | (random() & 0xffffffu);  // neighbours differ
    for (const auto [width, height] : {std::pair{1366, 768}, {1920, 1080}, {1000, 720}, {1264, 880}}) {
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
