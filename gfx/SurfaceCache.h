// SurfaceCache: the 640 x 480 off-screen surface, and the copies that make
// its pictures, remade at a show only where the picture can differ from the
// one shown.
//
// A picture is composed from scratch each tick, mostly with the copies that
// made the last ones. Copies onto a surface from a fixed atlas, made in
// order, leave each pixel as the last copy covering it with a colour left it,
// or as it was. So where the copies since a show and the copies that made the
// picture shown (the lists of the last few shows, newest last) are the same
// copies in the same order, or where none of the new ones lie, the picture
// shown stands. The copies asked for wait until the show, and are then made
// only where it may not stand; a read or a write of the surface makes them
// all at once, so no reader ever sees a picture other than making each copy
// at once would have left.
//
// The cache never shows anything itself: Show says what the window needs
// (the whole surface, nothing new, or some rows' columns) and its owner
// passes the surface on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "gfx/Blit.h"

class CDibImage;

// What a show of the surface has to copy to the window.
struct SurfaceShow {
    enum Kind {
        kWhole,      // all of it: compare it in full
        kUnchanged,  // nothing drawn since the last show at this size: it stands as then
        kRows,       // it can differ from the last show at this size only in `rows`
    };
    Kind kind;
    // kRows: the columns of each row that can differ (row y as seen, from the
    // top); the cache's own, valid until the next show.
    const SurfaceRows* rows;
};

class SurfaceCache {
public:
    // Copies from `atlas`, which must outlive the cache and never change.
    // `orientation` kTopDown keeps the rows top-down, any other value bottom-up.
    SurfaceCache(const CDibImage& atlas, int orientation);

    SurfaceCache(const SurfaceCache&) = delete;
    SurfaceCache& operator=(const SurfaceCache&) = delete;

    int orientation() const { return orientation_; }
    // The surface, 640 x 480 bytes, stride 640, in its row order. A read makes
    // the waiting copies first.
    const uint8_t* bits() const {
        MakeWaitingCopies();
        return surface_.data();
    }
    // Whoever takes the bits to write may change the picture: it is no longer
    // the copies' own, and the next show is compared in full.
    uint8_t* writableBits() {
        MakeWaitingCopies();
        waiting_ = false;
        surfaceDrawn_ = true;
        repeatable_ = false;
        return surface_.data();
    }
    // Surface pixel (x, y), whatever the row order.
    uint8_t PixelAt(int x, int y) const {
        MakeWaitingCopies();
        return SurfacePixel(surface_.data(), orientation_, x, y);
    }

    // The blitter's copies (gfx/Blit.h), asked for: each waits for the show,
    // or is made now. A key outside 0..255 is no key: the copy is opaque.
    void CopyKeyed(int32_t destX, int32_t destY, int32_t srcX, int32_t srcY, uint32_t width, uint32_t height,
                   int32_t key) {
        Copy({destX, destY, srcX, srcY, width, height, (key >= 0 && key <= 255) ? key : kOpaqueKey});
    }
    void CopyOpaque(int32_t destX, int32_t destY, int32_t srcX, int32_t srcY, uint32_t width, uint32_t height) {
        Copy({destX, destY, srcX, srcY, width, height, kOpaqueKey});
    }
    void CopyRuns(std::span<const BlitRun> runs, int32_t destY, uint32_t height, int32_t key);

    // The surface is shown at width x height (its top-left part): makes what
    // waits where the picture can differ from the one last shown, and says
    // what the window has to take. The copies since the last show become
    // those the next picture is compared with.
    SurfaceShow Show(int width, int height);

private:
    // One keyed or opaque copy into the surface, as asked for. A run copy
    // (key kRunsKey) names its runs in runs_ and its key in srcX; destX and
    // width are the surface columns its runs cover.
    struct SurfaceCopy {
        int32_t destX, destY, srcX, srcY;
        uint32_t width, height;
        int32_t key;  // kOpaqueKey: an opaque copy; kRunsKey: sheared runs over these rows
        uint32_t firstRun = 0, runCount = 0;
        uint32_t area = 0;  // surface pixels it covers, found when it is asked for
        friend bool operator==(const SurfaceCopy&, const SurfaceCopy&) = default;
    };
    static constexpr int32_t kOpaqueKey = -1;
    static constexpr int32_t kRunsKey = -2;
    // A rectangle of the surface, clipped to it.
    struct Covered {
        int64_t left, top, right, bottom;
        bool empty() const { return left >= right || top >= bottom; }
    };
    static Covered CoveredBy(const SurfaceCopy& c);
    template <typename See>
    bool DifferingCopies(size_t lists, See&& see) const;
    void FindDamage();                       // at a show: where the new picture can differ from the shown one
    void AddDamage(Covered r);               // it may differ
    template <typename Cells, typename Visit>
    static void ForCellsOf(const Covered& r, Cells& cells, Visit&& visit);  // the damage cells it reaches into
    // Asks for it: it waits for the show, or is made now (a run copy from `runs`).
    void Copy(SurfaceCopy c, std::span<const BlitRun> runs = {});
    void Make(const SurfaceCopy& c) const;
    // Only inside the damage, and outside `hidden` (a later copy writes all of it) if given.
    void MakeWithinDamage(const SurfaceCopy& c, const Covered* hidden) const;
    void MakeWaitingCopies() const;          // before a read or a write: makes the waiting copies

    const CDibImage& atlas_;
    int orientation_;
    // Every row starts on a 64-byte line (640 is ten of them), so the
    // blitter's wide stores meet whole lines wherever a picture starts on one.
    // (Mutable: a read of it makes the waiting copies first.)
    alignas(64) mutable std::array<uint8_t, kSurfaceWidth * kSurfaceHeight> surface_{};
    // Something was drawn into the surface since it was last shown, and the
    // size it was shown at (none yet).
    mutable bool surfaceDrawn_ = true;
    int shownWidth_ = -1, shownHeight_ = -1;
    // copies_ are those since the last show; shownCopies_ those of the last
    // shows that were all the surface's changes (repeatable_) and changed it.
    static constexpr size_t kShowsKept = 3;
    static constexpr size_t kCopiesMost = 4096;  // past this, a list is made at once and not kept
    static constexpr size_t kRunsMost = 65536;   // past this, waiting copies are made
    std::vector<SurfaceCopy> copies_;
    std::array<std::vector<SurfaceCopy>, kShowsKept> shownCopies_;  // [0] the latest
    size_t showsKept_ = 0;
    std::vector<BlitRun> runs_;
    // The last waiting run copy that writes every pixel of its rectangle
    // (the outside view over its band): the copies before it, copies_[0,
    // coverIndex_), need not be made in cover_. 0: there is none.
    size_t coverIndex_ = 0;
    Covered cover_{};
    // Rectangles that may differ from the picture last shown (no one inside
    // another), and their rows.
    std::vector<Covered> damage_;
    bool damageIsAllNew_ = false;  // compared with no list: every copy differs
    SurfaceRows damageRows_;
    // For each cell of an 8 x 8 grid over the surface, the first 64 damaged
    // rectangles that reach into it (bit i: damage_[i]).
    static constexpr int64_t kCellsAcross = 8, kCellWidth = kSurfaceWidth / 8, kCellHeight = kSurfaceHeight / 8;
    std::array<uint64_t, 64> damageCells_{};
    bool repeatable_ = true;
    mutable bool waiting_ = true;
};
