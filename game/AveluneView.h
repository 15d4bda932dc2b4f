// CAveluneView: the whole game.
//
// The view owns the sprite atlas, the game palette, the 640 x 480 off-screen
// surface (in a SurfaceCache, gfx/SurfaceCache.h) and the flight state record (its public base, so every routine
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
#include "gfx/SurfaceCache.h"

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
    const uint8_t* surfaceBits() const { return cache_.bits(); }
    // Whoever takes the bits to write may change the picture.
    uint8_t* surfaceBits() { return cache_.writableBits(); }
    int surfaceOrientation() const { return cache_.orientation(); }
    const PaletteColors& gamePalette() const { return gamePalette_; }
    const CDibImage& atlas() const { return *atlas_; }
    GameHost& host() { return host_; }

    // Surface pixel (x, y), whatever the row order.
    uint8_t PixelAt(int x, int y) const { return cache_.PixelAt(x, y); }

    // A keyed (or, for kOpaque, opaque) copy of a catalogue sprite to (x, y).
    void Draw(const Sprite& s, int32_t x, int32_t y);
    void Draw(const Placed& p) { Draw(p.sprite, p.x, p.y); }
    // The raw blits, for rectangles computed at run time. They go through the
    // picture cache, which makes them when the surface is read or shown.
    void BlitKeyed(int32_t destX, int32_t destY, int32_t srcX, int32_t srcY, uint32_t width,
                   uint32_t height, int32_t key) {
        cache_.CopyKeyed(destX, destY, srcX, srcY, width, height, key);
    }
    void BlitKeyedRuns(std::span<const BlitRun> runs, int32_t destY, uint32_t height, int32_t key) {
        cache_.CopyRuns(runs, destY, height, key);
    }
    void BlitOpaque(int32_t destX, int32_t destY, int32_t srcX, int32_t srcY, uint32_t width,
                    uint32_t height) {
        cache_.CopyOpaque(destX, destY, srcX, srcY, width, height);
    }

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
    GameHost& host_;
    std::unique_ptr<CDibImage> atlas_;
    // The surface and the copies that make it (after atlas_, which it copies from).
    SurfaceCache cache_;
    PaletteColors gamePalette_{};
};
