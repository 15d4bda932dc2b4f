// What the desktop and the web hosts keep alike of the game's requests: timer
// 1 (a TickTimer their own clock drives), the window picture, the palette
// last realised, a quit request and the runtime random generator. Each host
// adds its clock (RearmTimer) and its sound (StartSound).
#pragma once

#include <array>
#include <cstdint>

#include "game/ClassicRand.h"
#include "game/GameHost.h"
#include "session/FlightSession.h"
#include "gfx/Palette.h"
#include "platform/common/TickTimer.h"
#include "platform/common/WindowPicture.h"

class TimedWindowHost : public session::SessionHost {
public:
    // GameHost
    void KillTimer() override { timer_.Kill(); }
    int RecommendedSurfaceOrientation() override { return kTopDown; }
    // A true-colour screen has no system palette: the classic reserved
    // colours stand in, and the atlas's pictures use some of them.
    std::array<Rgb, 20> SystemColors() override { return ClassicSystemColors(); }
    void RealizePalette(const PaletteColors& palette) override {
        if (palette != palette_) {
            palette_ = palette;
            paletteChanged_ = true;
        }
    }
    void ShowSurface(const uint8_t* surfaceBits, int orientation, int width, int height) override {
        picture_.Show(surfaceBits, orientation, width, height);
    }
    void ShowSurfaceUnchanged(const uint8_t* surfaceBits, int orientation, int width, int height) override {
        picture_.ShowUnchanged(surfaceBits, orientation, width, height);
    }
    void ShowSurfaceRows(const uint8_t* surfaceBits, int orientation, int width, int height,
                         const SurfaceRows& rows) override {
        picture_.ShowRows(surfaceBits, orientation, width, height, rows);
    }
    void DrawBlackLine(int x0, int y0, int x1, int y1) override { picture_.DrawBlackLine(x0, y0, x1, y1); }
    void PostQuit() override { quitRequested_ = true; }
    int Rand() override { return rand_.Next(); }
    // SessionHost
    bool TimerRunning() const override { return timer_.running(); }
    uint32_t RandState() const override { return rand_.state(); }
    void SetRandState(uint32_t state) override { rand_.SetState(state); }

    TickTimer& timer() { return timer_; }
    const TickTimer& timer() const { return timer_; }
    // The runtime generator, for saving and restoring flights.
    ClassicRand& rand() { return rand_; }
    WindowPicture& picture() { return picture_; }
    const PaletteColors& palette() const { return palette_; }
    bool quitRequested() const { return quitRequested_; }
    // The palette differs from the one last taken.
    bool paletteChanged() const { return paletteChanged_; }
    bool TakePaletteChanged() {
        const bool was = paletteChanged_;
        paletteChanged_ = false;
        return was;
    }

private:
    TickTimer timer_;
    WindowPicture picture_;
    PaletteColors palette_{};
    bool paletteChanged_ = true;
    bool quitRequested_ = false;
    ClassicRand rand_;
};
