// Drawing the game's picture into the window at its layout: a whole scale
// straight from the picture's texture with nearest-neighbour; fill mode
// through an enlarged copy (the whole factor, nearest-neighbour) drawn to
// the filled size with linear filtering.
#pragma once

#include <SDL.h>

#include "platform/sdl/DesktopLayout.h"

class PictureDrawer {
public:
    PictureDrawer() = default;
    ~PictureDrawer();
    PictureDrawer(const PictureDrawer&) = delete;
    PictureDrawer& operator=(const PictureDrawer&) = delete;

    // Draws `picture` (kClientWidth x kClientHeight) at `layout` on the
    // renderer's target. False when the renderer cannot make the enlarged
    // copy (no target textures): the caller then falls back to a whole scale.
    bool Draw(SDL_Renderer* renderer, SDL_Texture* picture, const PictureLayout& layout);
    // Lets the enlarged copy go; call it before its renderer is destroyed
    // (which destroys the texture with it).
    void Release();

private:
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* enlarged_ = nullptr;
    int enlargedScale_ = 0;
};
