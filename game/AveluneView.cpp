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
    // A key outside 0..255 is no key: the copy is opaque, as the blitter makes it.
    Copy({destX, destY, srcX, srcY, width, height, (key >= 0 && key <= 255) ? key : kOpaque});
}

void CAveluneView::BlitKeyedRuns(std::span<const BlitRun> runs, int32_t destY, uint32_t height, int32_t key) {
    // The outside view changes with every picture: never held.
    StopHolding();
    surfaceDrawn_ = true;
    repeatable_ = false;
    ::BlitKeyedRuns(surface_.data(), surfaceOrientation_, destY, *atlas_, runs, height, key);
}

void CAveluneView::BlitOpaque(int32_t destX, int32_t destY, int32_t srcX, int32_t srcY,
                              uint32_t width, uint32_t height) {
    Copy({destX, destY, srcX, srcY, width, height, kOpaque});
}

void CAveluneView::Copy(const SurfaceCopy& c) {
    copies_.push_back(c);
    if (holding_) {
        if (held_ < lastCopies_.size() && lastCopies_[held_] == c) {
            ++held_;
            return;
        }
        StopHolding();
    }
    Make(c);
}

void CAveluneView::Make(const SurfaceCopy& c) const {
    surfaceDrawn_ = true;
    uint8_t* bits = surface_.data();
    if (c.key == kOpaque) {
        ::BlitOpaque(bits, surfaceOrientation_, c.destX, c.destY, *atlas_, c.srcX, c.srcY, c.width, c.height);
    } else {
        ::BlitKeyed(bits, surfaceOrientation_, c.destX, c.destY, *atlas_, c.srcX, c.srcY, c.width, c.height, c.key);
    }
}

void CAveluneView::MakeHeldCopies() const {
    // With none held yet the surface is the picture shown: a reader may
    // look, and holding goes on.
    if (!holding_ || held_ == 0) return;
    StopHolding();
}

void CAveluneView::StopHolding() const {
    if (!holding_) return;
    holding_ = false;
    for (size_t i = 0; i < held_; ++i) Make(lastCopies_[i]);
    held_ = 0;
}

void CAveluneView::RealizeGamePalette() { host_.RealizePalette(gamePalette_); }

void CAveluneView::ShowSurface(int width, int height) {
    // Every copy that made the picture shown was asked for again: the
    // surface holds that picture still. Only some of them: they are made.
    if (held_ != lastCopies_.size()) StopHolding();
    holding_ = false;
    held_ = 0;
    // Some pages are shown many times over without a change between.
    if (!surfaceDrawn_ && width == shownWidth_ && height == shownHeight_) {
        host_.ShowSurfaceUnchanged(surface_.data(), surfaceOrientation_, width, height);
    } else {
        host_.ShowSurface(surface_.data(), surfaceOrientation_, width, height);
    }
    surfaceDrawn_ = false;
    shownWidth_ = width;
    shownHeight_ = height;
    // The copies since the last show, if they were all the changes, may be
    // held the next time round. Nothing asked for changes nothing: the
    // copies before stay the ones to repeat.
    if (!copies_.empty() || !repeatable_) {
        lastCopies_.swap(copies_);
        if (!repeatable_) lastCopies_.clear();
    }
    copies_.clear();
    repeatable_ = true;
    holding_ = !lastCopies_.empty();
}

void CAveluneView::Present(int width, int height) {
    RealizeGamePalette();
    ShowSurface(width, height);
}
