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
    // The outside view changes with every picture: never held, and listed
    // by the rows it covers only, as a copy that matches no other.
    StopHolding();
    surfaceDrawn_ = true;
    copies_.push_back({0, destY, 0, 0, 0, height, kRunsCopy});
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
    const bool sameSize = width == shownWidth_ && height == shownHeight_;
    if (!surfaceDrawn_ && sameSize) {
        host_.ShowSurfaceUnchanged(surface_.data(), surfaceOrientation_, width, height);
    } else if (sameSize && repeatable_) {
        host_.ShowSurfaceRows(surface_.data(), surfaceOrientation_, width, height, RowsThatMayDiffer());
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

SurfaceRows CAveluneView::RowsThatMayDiffer() const {
    // The copies since the last show were all the changes. Each pixel ends
    // as the last copy covering it left it, so where the same copies cover a
    // pixel, in the same order, as those that made the picture shown
    // (lastCopies_, or none), it is as shown: only the rows of copies that
    // differ, in either list, can have changed.
    SurfaceRows rows;
    const auto mark = [&rows](const SurfaceCopy& c) {
        const int64_t top = std::max<int64_t>(0, c.destY);
        const int64_t end = std::min<int64_t>(kSurfaceHeight, int64_t{c.destY} + c.height);
        for (int64_t y = top; y < end; ++y) rows.set(static_cast<size_t>(y));
    };
    const size_t both = std::min(copies_.size(), lastCopies_.size());
    for (size_t i = 0; i < both; ++i) {
        if (copies_[i] == lastCopies_[i] && copies_[i].key != kRunsCopy) continue;
        mark(copies_[i]);
        mark(lastCopies_[i]);
    }
    for (size_t i = both; i < copies_.size(); ++i) mark(copies_[i]);
    for (size_t i = both; i < lastCopies_.size(); ++i) mark(lastCopies_[i]);
    return rows;
}

void CAveluneView::Present(int width, int height) {
    RealizeGamePalette();
    ShowSurface(width, height);
}
