#include "game/AveluneView.h"

#include "gfx/Palette.h"

CAveluneView::CAveluneView(GameHost& host, std::unique_ptr<CDibImage> atlas)
    : host_(host), atlas_(std::move(atlas)) {
    surfaceOrientation_ = (host_.RecommendedSurfaceOrientation() == kTopDown) ? kTopDown : kBottomUp;
    // The start sound begins while the palette is built, before the window shows.
    const auto systemColors = host_.SystemColors();
    host_.StartSound("AV1.wav");
    gamePalette_ = BuildGamePalette(systemColors, *atlas_);
}

CAveluneView::~CAveluneView() = default;

void CAveluneView::OnCreate() { RearmTimer(); }

void CAveluneView::OnDestroy() { KillTimer(); }

void CAveluneView::OnDraw() { RealizeGamePalette(); }

void CAveluneView::Draw(const Sprite& s, int32_t x, int32_t y) {
    if (s.key == kOpaque) {
        BlitOpaque(x, y, s.x, s.y, static_cast<uint32_t>(s.width), static_cast<uint32_t>(s.height));
    } else {
        BlitKeyed(x, y, s.x, s.y, static_cast<uint32_t>(s.width), static_cast<uint32_t>(s.height), s.key);
    }
}

void CAveluneView::BlitKeyed(int32_t destX, int32_t destY, int32_t srcX, int32_t srcY,
                             uint32_t width, uint32_t height, int32_t key) {
    surfaceDrawn_ = true;
    ::BlitKeyed(surface_.data(), surfaceOrientation_, destX, destY, *atlas_, srcX, srcY, width, height, key);
}

void CAveluneView::BlitKeyedRuns(std::span<const BlitRun> runs, int32_t destY, uint32_t height, int32_t key) {
    surfaceDrawn_ = true;
    ::BlitKeyedRuns(surface_.data(), surfaceOrientation_, destY, *atlas_, runs, height, key);
}

void CAveluneView::BlitOpaque(int32_t destX, int32_t destY, int32_t srcX, int32_t srcY,
                              uint32_t width, uint32_t height) {
    surfaceDrawn_ = true;
    ::BlitOpaque(surface_.data(), surfaceOrientation_, destX, destY, *atlas_, srcX, srcY, width, height);
}

void CAveluneView::RealizeGamePalette() { host_.RealizePalette(gamePalette_); }

void CAveluneView::ShowSurface(int width, int height) {
    // Some pages are shown many times over without a change between.
    if (!surfaceDrawn_ && width == shownWidth_ && height == shownHeight_) {
        host_.ShowSurfaceUnchanged(surface_.data(), surfaceOrientation_, width, height);
    } else {
        host_.ShowSurface(surface_.data(), surfaceOrientation_, width, height);
    }
    surfaceDrawn_ = false;
    shownWidth_ = width;
    shownHeight_ = height;
}

void CAveluneView::Present(int width, int height) {
    RealizeGamePalette();
    ShowSurface(width, height);
}
