#include "gfx/SurfaceCache.h"

#include <algorithm>
#include <bit>
#include <climits>

SurfaceCache::SurfaceCache(const CDibImage& atlas, int orientation)
    : atlas_(atlas), orientation_((orientation == kTopDown) ? kTopDown : kBottomUp) {}

void SurfaceCache::CopyRuns(std::span<const BlitRun> runs, int32_t destY, uint32_t height, int32_t key) {
    // Listed by the columns and rows its runs cover, as a copy that matches
    // no other: the outside view changes with every picture.
    int64_t left = kSurfaceWidth, right = 0;
    for (const BlitRun& r : runs) {
        left = std::min(left, std::clamp<int64_t>(r.destX, 0, kSurfaceWidth));
        right = std::max(right, std::clamp<int64_t>(int64_t{r.destX} + r.width, 0, kSurfaceWidth));
    }
    if (right < left) right = left = 0;
    SurfaceCopy c{static_cast<int32_t>(left), destY, key, 0, static_cast<uint32_t>(right - left), height, kRunsKey};
    if (waiting_ && runs_.size() + runs.size() > kRunsMost) MakeWaitingCopies();
    if (waiting_) {
        c.firstRun = static_cast<uint32_t>(runs_.size());
        c.runCount = static_cast<uint32_t>(runs.size());
        runs_.insert(runs_.end(), runs.begin(), runs.end());
    }
    Copy(c, runs);
    SurfaceRect covered;
    if (waiting_ && RunsCoverWholly(atlas_, runs, destY, height, key, covered)) {
        coverIndex_ = copies_.size() - 1;
        cover_ = {covered.left, covered.top, covered.right, covered.bottom};
    }
}

void SurfaceCache::Copy(SurfaceCopy c, std::span<const BlitRun> runs) {
    const Covered r = CoveredBy(c);
    c.area = r.empty() ? 0 : static_cast<uint32_t>((r.right - r.left) * (r.bottom - r.top));
    if (repeatable_ && copies_.size() == kCopiesMost) {
        // So many copies between two shows are no page drawn again each
        // tick: they are made, and no longer listed.
        MakeWaitingCopies();
        waiting_ = false;
        repeatable_ = false;
        copies_.clear();
    }
    if (repeatable_) copies_.push_back(c);
    if (waiting_) return;
    if (c.key == kRunsKey) {
        surfaceDrawn_ = true;
        ::BlitKeyedRuns(surface_.data(), orientation_, c.destY, atlas_, runs, c.height, c.srcX);
    } else {
        Make(c);
    }
}

void SurfaceCache::Make(const SurfaceCopy& c) const {
    surfaceDrawn_ = true;
    uint8_t* bits = surface_.data();
    if (c.key == kRunsKey) {
        const std::span<const BlitRun> runs(runs_.data() + c.firstRun, c.runCount);
        ::BlitKeyedRuns(bits, orientation_, c.destY, atlas_, runs, c.height, c.srcX);
    } else if (c.key == kOpaqueKey) {
        ::BlitOpaque(bits, orientation_, c.destX, c.destY, atlas_, c.srcX, c.srcY, c.width, c.height);
    } else {
        ::BlitKeyed(bits, orientation_, c.destX, c.destY, atlas_, c.srcX, c.srcY, c.width, c.height, c.key);
    }
}

SurfaceCache::Covered SurfaceCache::CoveredBy(const SurfaceCopy& c) {
    return {std::clamp<int64_t>(c.destX, 0, kSurfaceWidth), std::clamp<int64_t>(c.destY, 0, kSurfaceHeight),
            std::clamp<int64_t>(int64_t{c.destX} + c.width, 0, kSurfaceWidth),
            std::clamp<int64_t>(int64_t{c.destY} + c.height, 0, kSurfaceHeight)};
}

template <typename See>
bool SurfaceCache::DifferingCopies(size_t lists, See&& see) const {
    // The new copies against the last `lists` shows' copies, oldest first,
    // place by place: a copy that is not the same as the one in its place is
    // seen with that one, and every copy past the shorter list alone. Stops,
    // false, as soon as `see` says so.
    size_t i = 0;
    for (size_t k = lists; k-- > 0;) {
        for (const SurfaceCopy& old : shownCopies_[k]) {
            if (i < copies_.size()) {
                const SurfaceCopy& now = copies_[i];
                if ((now != old || now.key == kRunsKey) && !see(now, &old)) return false;
            } else if (!see(old, nullptr)) {
                return false;
            }
            ++i;
        }
    }
    for (; i < copies_.size(); ++i) {
        if (!see(copies_[i], nullptr)) return false;
    }
    return true;
}

void SurfaceCache::AddDamage(Covered r) {
    if (r.empty()) return;
    const auto inside = [](const Covered& a, const Covered& b) {
        return a.left >= b.left && a.top >= b.top && a.right <= b.right && a.bottom <= b.bottom;
    };
    for (const Covered& d : damage_) {
        if (inside(r, d)) return;
    }
    std::erase_if(damage_, [&](const Covered& d) { return inside(d, r); });
    damage_.push_back(r);
}

template <typename Cells, typename Visit>
void SurfaceCache::ForCellsOf(const Covered& r, Cells& cells, Visit&& visit) {
    for (int64_t y = r.top / kCellHeight; y <= (r.bottom - 1) / kCellHeight; ++y) {
        for (int64_t x = r.left / kCellWidth; x <= (r.right - 1) / kCellWidth; ++x) {
            visit(cells[static_cast<size_t>(y * kCellsAcross + x)]);
        }
    }
}

void SurfaceCache::FindDamage() {
    // The surface shown was made, from whatever it held before, by the copies
    // of the last one, two or more shows. Each pixel ends as the last copy
    // covering it left it, so where the same copies cover a pixel, in the
    // same order, as in those lists, the picture shown stands. Against no
    // list at all the new copies are all different ones. Whichever choice
    // leaves least to remake is taken.
    size_t best = 0;
    int64_t bestArea = INT64_MAX;
    for (size_t lists = 0; lists <= showsKept_ && bestArea > 0; ++lists) {
        int64_t area = 0;
        const bool whole = DifferingCopies(lists, [&](const SurfaceCopy& c, const SurfaceCopy* other) {
            area += int64_t{c.area} + ((other != nullptr) ? other->area : 0);
            return area < bestArea;
        });
        if (whole) {
            best = lists;
            bestArea = area;
        }
    }
    // The last show's damage is taken back where it lay.
    for (const Covered& d : damage_) {
        damageRows_.Clear(static_cast<int>(d.top), static_cast<int>(d.bottom));
        ForCellsOf(d, damageCells_, [](uint64_t& cell) { cell = 0; });
    }
    damage_.clear();
    damageIsAllNew_ = best == 0;
    if (bestArea == 0) return;
    // A copy and the one it replaces mostly lie over each other (a needle,
    // a digit): one rectangle around both.
    DifferingCopies(best, [this](const SurfaceCopy& c, const SurfaceCopy* other) {
        const Covered a = CoveredBy(c);
        const Covered b = (other != nullptr) ? CoveredBy(*other) : Covered{};
        if (!a.empty() && !b.empty() && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) {
            AddDamage({std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)});
        } else {
            AddDamage(a);
            AddDamage(b);
        }
        return true;
    });
    for (size_t i = 0; i < damage_.size(); ++i) {
        const Covered& d = damage_[i];
        damageRows_.Add(static_cast<int>(d.top), static_cast<int>(d.bottom), static_cast<int>(d.left), static_cast<int>(d.right));
        const uint64_t bit = (i < 64) ? uint64_t{1} << i : 0;
        ForCellsOf(d, damageCells_, [bit](uint64_t& cell) { cell |= bit; });
    }
}

void SurfaceCache::MakeWithinDamage(const SurfaceCopy& c, const Covered* hidden) const {
    const Covered r = CoveredBy(c);
    if (r.empty() || damage_.empty()) return;
    // A run copy always differs: all it covers is damaged.
    if (c.key == kRunsKey) return Make(c);
    // The damaged rectangles over the cells the copy covers (all of them
    // past the 64 a cell can name).
    uint64_t near = 0;
    ForCellsOf(r, damageCells_, [&near](uint64_t cell) { near |= cell; });
    const auto makePiece = [&](int64_t left, int64_t top, int64_t right, int64_t bottom) {
        if (left >= right || top >= bottom) return;
        const int64_t srcX = c.srcX + (left - c.destX), srcY = c.srcY + (top - c.destY);
        // A piece whose source starts past any atlas copies nothing.
        if (srcX > INT32_MAX || srcY > INT32_MAX) return;
        Make({static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(srcX),
              static_cast<int32_t>(srcY), static_cast<uint32_t>(right - left), static_cast<uint32_t>(bottom - top), c.key});
    };
    const auto makeOver = [&](const Covered& d) {
        const int64_t left = std::max(r.left, d.left), right = std::min(r.right, d.right);
        const int64_t top = std::max(r.top, d.top), bottom = std::min(r.bottom, d.bottom);
        if (left >= right || top >= bottom) return;
        if (hidden == nullptr || hidden->left >= right || left >= hidden->right || hidden->top >= bottom ||
            top >= hidden->bottom) {
            return makePiece(left, top, right, bottom);
        }
        // Around the hidden part: the rows above and below it, then its rows
        // left and right of it.
        const int64_t hiddenTop = std::max(top, hidden->top), hiddenBottom = std::min(bottom, hidden->bottom);
        makePiece(left, top, right, hiddenTop);
        makePiece(left, hiddenBottom, right, bottom);
        makePiece(left, hiddenTop, std::min(right, hidden->left), hiddenBottom);
        makePiece(std::max(left, hidden->right), hiddenTop, right, hiddenBottom);
    };
    // Where damaged rectangles overlap, the piece is made twice: the second
    // time leaves what the first left.
    for (uint64_t rest = near; rest != 0; rest &= rest - 1) makeOver(damage_[static_cast<size_t>(std::countr_zero(rest))]);
    for (size_t i = 64; i < damage_.size(); ++i) makeOver(damage_[i]);
}

void SurfaceCache::MakeWaitingCopies() const {
    // With none waiting the surface is the picture shown: a reader may look,
    // and copies go on waiting.
    if (!waiting_ || copies_.empty()) return;
    waiting_ = false;
    for (const SurfaceCopy& c : copies_) Make(c);
}

SurfaceShow SurfaceCache::Show(int width, int height) {
    // Some pages are shown many times over without a change between.
    const bool sameSize = width == shownWidth_ && height == shownHeight_;
    SurfaceShow show{SurfaceShow::kWhole, nullptr};
    if (!repeatable_) {
        show.kind = SurfaceShow::kWhole;
    } else if (copies_.empty() && !surfaceDrawn_ && sameSize) {
        show.kind = SurfaceShow::kUnchanged;
    } else {
        // The copies waiting are made where the picture can differ from the
        // one shown; the window compares only there.
        FindDamage();
        if (waiting_) {
            // Against no list, the damage is all the copies cover: each is
            // made whole (in pieces, it would be made twice where the
            // rectangles overlap).
            for (size_t i = 0; i < copies_.size(); ++i) {
                if (damageIsAllNew_) {
                    Make(copies_[i]);
                } else {
                    MakeWithinDamage(copies_[i], (i < coverIndex_) ? &cover_ : nullptr);
                }
            }
        }
        if (!surfaceDrawn_ && sameSize) {
            show.kind = SurfaceShow::kUnchanged;
        } else if (sameSize) {
            show = {SurfaceShow::kRows, &damageRows_};
        } else {
            show.kind = SurfaceShow::kWhole;
        }
    }
    surfaceDrawn_ = false;
    shownWidth_ = width;
    shownHeight_ = height;
    // The copies since the last show, if they were all the changes, join the
    // lists the next picture is compared with. Nothing asked for changes
    // nothing: the lists before stay as they are.
    if (!repeatable_) {
        showsKept_ = 0;
    } else if (!copies_.empty()) {
        std::rotate(shownCopies_.begin(), shownCopies_.end() - 1, shownCopies_.end());
        shownCopies_[0].swap(copies_);
        showsKept_ = std::min(showsKept_ + 1, kShowsKept);
    }
    copies_.clear();
    runs_.clear();
    coverIndex_ = 0;
    repeatable_ = true;
    waiting_ = true;
    return show;
}
