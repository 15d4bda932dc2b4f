// The game's host on a desktop, over SDL2.
//
// It keeps what the game asks of its window (the window picture, the palette
// last realised, timer 1, a quit request) for the shell's event loop to act
// on: the loop sleeps until the timer's next tick or the next event, delivers
// ticks and mouse input to the view, and presents the picture whenever it
// changed. Message boxes and the start sound go straight to SDL.
#pragma once

#include <SDL.h>

#include <string>

#include "game/ClassicRand.h"
#include "game/GameHost.h"
#include "platform/common/TickTimer.h"
#include "platform/common/WindowPicture.h"

class SdlHost : public GameHost {
public:
    // Sounds are looked for in `soundFolder` (beside the atlas).
    explicit SdlHost(std::string soundFolder);
    ~SdlHost() override;

    SdlHost(const SdlHost&) = delete;
    SdlHost& operator=(const SdlHost&) = delete;

    // The window message boxes belong to (none before it exists).
    void SetWindow(SDL_Window* window) { window_ = window; }

    // GameHost
    void RearmTimer(uint32_t periodMs) override { timer_.Rearm(SDL_GetTicks64(), periodMs); }
    void KillTimer() override { timer_.Kill(); }
    int RecommendedSurfaceOrientation() override { return kTopDown; }
    std::array<Rgb, 20> SystemColors() override;
    void RealizePalette(const PaletteColors& palette) override;
    void ShowSurface(const uint8_t* surfaceBits, int orientation, int width, int height) override {
        picture_.Show(surfaceBits, orientation, width, height);
    }
    void DrawBlackLine(int x0, int y0, int x1, int y1) override { picture_.DrawBlackLine(x0, y0, x1, y1); }
    void PostQuit() override { quitRequested_ = true; }
    void StartSound(const std::string& fileName) override;
    int Rand() override { return rand_.Next(); }

    // A muted host plays no sound; muting stops one playing.
    void SetMuted(bool muted);
    bool muted() const { return muted_; }

    // Whether the start sound's audio device is still open.
    bool soundOpen() const { return audio_ != 0; }
    // Closes the audio device (and SDL's audio) once the sound has played
    // out, so that a finished chime holds no device, thread or sound server
    // for the rest of the game. Call it now and then while soundOpen().
    void CloseFinishedSound(uint64_t nowMs);

    TickTimer& timer() { return timer_; }
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
    std::string soundFolder_;
    SDL_Window* window_ = nullptr;
    TickTimer timer_;
    WindowPicture picture_;
    PaletteColors palette_{};
    bool paletteChanged_ = true;
    bool quitRequested_ = false;
    ClassicRand rand_;
    SDL_AudioDeviceID audio_ = 0;
    bool muted_ = false;
    uint64_t drainedSinceMs_ = 0;  // when the queue was first seen empty; 0 while it holds samples
};
