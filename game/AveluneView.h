// CAveluneView: the whole game.
//
// The view owns the sprite atlas, the game palette, the 640 x 480 off-screen
// surface and the flight state record (its public base, so every routine
// reads and writes `gameState`, `airspeed`, ... directly). It reaches the
// outside only through its GameHost. The handlers are the game:
//   OnTimer        one tick of the state machine (game/StateMachine.cpp)
//   OnLButtonDown  presses, OnLButtonUp releases (input/MouseHandlers.cpp)
//   OnMouseMove    the information page's hover labels (input/HoverLabels.cpp)
// The work of each state lives with its subsystem: the title and information
// screens and the result screens in game/, the cockpit picture in cockpit/
// and gauges/.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "game/FlightState.h"
#include "game/GameHost.h"
#include "gfx/AtlasCatalogue.h"
#include "gfx/Blit.h"
#include "gfx/DibImage.h"

// The tick's period, and the only period the game ever sets.
constexpr uint32_t kTickMs = 100;

class CAveluneView : public FlightState {
public:
    // Takes an atlas that can serve (AtlasProblem() is empty); builds the
    // game palette (starting the start sound) and the surface.
    CAveluneView(GameHost& host, std::unique_ptr<CDibImage> atlas);
    ~CAveluneView();

    CAveluneView(const CAveluneView&) = delete;
    CAveluneView& operator=(const CAveluneView&) = delete;

    // ---- Life cycle and handlers ------------------------------------------
    void OnCreate();    // the window exists: timer 1 starts at 100 ms
    void OnDestroy();   // the window goes: timer 1 stops before anything is released
    void OnDraw();      // the window is repainted: realise the palette
    void OnTimer();     // one tick: the state in gameState does its work
    void OnLButtonDown(int x, int y);
    void OnLButtonUp(int x, int y);
    void OnMouseMove(int x, int y);

    // ---- Graphics ----------------------------------------------------------
    const uint8_t* surfaceBits() const {
        MakeWaitingCopies();
        return surface_.data();
    }
    // Whoever takes the bits to write may change the picture.
    uint8_t* surfaceBits() {
        MakeWaitingCopies();
        waiting_ = false;
        surfaceDrawn_ = true;
        repeatable_ = false;
        return surface_.data();
    }
    int surfaceOrientation() const { return surfaceOrientation_; }
    const PaletteColors& gamePalette() const { return gamePalette_; }
    const CDibImage& atlas() const { return *atlas_; }
    GameHost& host() { return host_; }

    // Surface pixel (x, y), whatever the row order.
    uint8_t PixelAt(int x, int y) const {
        MakeWaitingCopies();
        return SurfacePixel(surface_.data(), surfaceOrientation_, x, y);
    }

    // A keyed (or, for kOpaque, opaque) copy of a catalogue sprite to (x, y).
    void Draw(const Sprite& s, int32_t x, int32_t y);
    void Draw(const Placed& p) { Draw(p.sprite, p.x, p.y); }
    // The raw blits, for rectangles computed at run time.
    void BlitKeyed(int32_t destX, int32_t destY, int32_t srcX, int32_t srcY, uint32_t width,
                   uint32_t height, int32_t key);
    void BlitKeyedRuns(std::span<const BlitRun> runs, int32_t destY, uint32_t height, int32_t key);
    void BlitOpaque(int32_t destX, int32_t destY, int32_t srcX, int32_t srcY, uint32_t width,
                    uint32_t height);

    // Select the game palette for the window.
    void RealizeGamePalette();
    // Copy the top-left width x height of the surface to the window.
    void ShowSurface(int width, int height);
    // RealizeGamePalette, then ShowSurface.
    void Present(int width = kSurfaceWidth, int height = kSurfaceHeight);

    // One value of the runtime library's rand() counted in ten thousands:
    // 0..3, and 3 only for 30000..32767. The gauges shake by it, the title's
    // aircraft bobs by it and the turbulence jolts by it.
    int32_t RandTenThousands() { return host_.Rand() / 10000; }

    // ---- Timer control -----------------------------------------------------
    void RearmTimer() { host_.RearmTimer(kTickMs); }
    void KillTimer() { host_.KillTimer(); }

    // ---- Game core (game/) ---------------------------------------------------
    void NewFlightSetUp();            // every title-animation tick
    void RestartApproach();           // the cockpit's restart switch
    void FlyOneSecond();              // state 10: the flight step
    void JudgeApproach();             // state 6: switch lamps, their effects, the limits
    void ShowWarningScreen();         // state 8
    void ShowFailureScreen();         // state 7
    void ShowArrivalScreen();         // inside the flight step, on arrival
    void DrawTitlePicture();          // state 0, before the timer re-arm
    void DrawTitleBackground();       // state 0, after it
    void DrawTitleFrame();            // state 3, for the new titleFrame
    void DrawInformationPage();       // state 1
    void DrawSecondPage();            // state 9

    // ---- Cockpit picture (cockpit/, gauges/) --------------------------------
    void ComposeCockpit();            // state 4: the whole picture, shown
    void DrawAirspeedIndicator();
    void DrawReadouts();              // readouts 1 to 5
    void DrawIlsReadouts();           // readouts 6 and 7; stores glideSlopeDeviation
    void DrawPanelGauges();           // the six gauges, in order
    void DrawNeedleGauge(int32_t ox, int32_t oy, int32_t value);
    void DrawOutsideView();           // limits bank, draws the 590 columns
    void ComputeRunwayCorners();
    void DrawRunwayOutline();         // on the window only

private:
    // One keyed or opaque copy into the surface, as asked for. A run copy
    // (key kRunsCopy) names its runs in runs_ and its key in srcX; destX and
    // width are the surface columns its runs cover.
    struct SurfaceCopy {
        int32_t destX, destY, srcX, srcY;
        uint32_t width, height;
        int32_t key;  // kOpaque: an opaque copy; kRunsCopy: sheared runs over these rows
        uint32_t firstRun = 0, runCount = 0;
        uint32_t area = 0;  // surface pixels it covers, found when it is asked for
        friend bool operator==(const SurfaceCopy&, const SurfaceCopy&) = default;
    };
    static constexpr int32_t kRunsCopy = -2;
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

    GameHost& host_;
    std::unique_ptr<CDibImage> atlas_;
    int surfaceOrientation_ = kTopDown;
    PaletteColors gamePalette_{};
    // Every row starts on a 64-byte line (640 is ten of them), so the
    // blitter's wide stores meet whole lines wherever a picture starts on one.
    // (Mutable: a read of it makes the waiting copies first.)
    alignas(64) mutable std::array<uint8_t, kSurfaceWidth * kSurfaceHeight> surface_{};
    // Something was drawn into the surface since it was last shown, and the
    // size it was shown at (none yet).
    mutable bool surfaceDrawn_ = true;
    int shownWidth_ = -1, shownHeight_ = -1;
    // The game composes most pictures from scratch each tick, mostly with the
    // copies that made the last ones. Copies onto a surface from a fixed
    // atlas, made in order, leave each pixel as the last copy covering it
    // with a colour left it, or as it was. So where the copies since a show
    // and the copies that made the picture shown (the lists of the last few
    // shows, newest last) are the same copies in the same order, or where
    // none of the new ones lie, the picture shown stands. The copies asked
    // for wait until the show (waiting_), and are then made only where it
    // may not stand; a read or a write of the surface makes them all at once.
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
