#include "platform/sdl/PictureDrawing.h"

PictureDrawer::~PictureDrawer() { Release(); }

void PictureDrawer::Release() {
    if (enlarged_) SDL_DestroyTexture(enlarged_);
    enlarged_ = nullptr;
    renderer_ = nullptr;
    enlargedScale_ = 0;
}

bool PictureDrawer::Draw(SDL_Renderer* renderer, SDL_Texture* picture, const PictureLayout& layout) {
    const SDL_Rect dest{layout.originX, layout.originY, layout.Width(), layout.Height()};
    if (!layout.Fractional()) {
        SDL_SetTextureScaleMode(picture, SDL_ScaleModeNearest);
        return SDL_RenderCopy(renderer, picture, nullptr, &dest) == 0;
    }
    if (enlarged_ == nullptr || renderer_ != renderer || enlargedScale_ != layout.scale) {
        if (enlarged_) SDL_DestroyTexture(enlarged_);
        enlarged_ = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                      kClientWidth * layout.scale, kClientHeight * layout.scale);
        renderer_ = renderer;
        enlargedScale_ = layout.scale;
        if (enlarged_ == nullptr) return false;
        SDL_SetTextureScaleMode(enlarged_, SDL_ScaleModeLinear);
    }
    // The whole factor first, every game pixel a k x k block ...
    SDL_Texture* const target = SDL_GetRenderTarget(renderer);
    SDL_SetTextureScaleMode(picture, SDL_ScaleModeNearest);
    if (SDL_SetRenderTarget(renderer, enlarged_) != 0 || SDL_RenderCopy(renderer, picture, nullptr, nullptr) != 0) {
        SDL_SetRenderTarget(renderer, target);
        return false;
    }
    SDL_SetRenderTarget(renderer, target);
    // ... then the rest of the way with linear filtering.
    return SDL_RenderCopy(renderer, enlarged_, nullptr, &dest) == 0;
}
