#include "game/AveluneView.h"

#include "gfx/Palette.h"

CAveluneView::CAveluneView(GameHost& host, std::unique_ptr<CDibImage> atlas)
    : host_(host), atlas_(std::move(atlas)), cache_(*atlas_, host_.RecommendedSurfaceOrientation()) {
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

void CAveluneView::RealizeGamePalette() { host_.RealizePalette(gamePalette_); }

void CAveluneView::ShowSurface(int width, int height) {
    // The cache makes what waits and says how much of the surface can have
    // changed since the window last took it.
    const SurfaceShow show = cache_.Show(width, height);
    const uint8_t* bits = cache_.bits();
    const int orientation = cache_.orientation();
    switch (show.kind) {
    case SurfaceShow::kUnchanged:
        host_.ShowSurfaceUnchanged(bits, orientation, width, height);
        break;
    case SurfaceShow::kRows:
        host_.ShowSurfaceRows(bits, orientation, width, height, *show.rows);
        break;
    case SurfaceShow::kWhole:
        host_.ShowSurface(bits, orientation, width, height);
        break;
    }
}

void CAveluneView::Present(int width, int height) {
    RealizeGamePalette();
    ShowSurface(width, height);
}
