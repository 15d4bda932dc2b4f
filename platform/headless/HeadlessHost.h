// The headless host: the game core with its window kept in memory.
//
// Tests, replays and screenshots run the very same core as the desktop
// program. The window picture is held as palette indices, exactly as a
// player would see it: surface copies of the sizes the game shows, with the
// black lines drawn over them, until the next copy covers them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/ClassicRand.h"
#include "game/GameHost.h"
#include "session/FlightSession.h"
#include "gfx/Blit.h"
#include "platform/common/WindowPicture.h"

class HeadlessHost : public session::SessionHost {
public:
    explicit HeadlessHost(int surfaceOrientation = kTopDown) : orientation_(surfaceOrientation) {}

    // GameHost
    void RearmTimer(uint32_t periodMs) override;
    void KillTimer() override;
    int RecommendedSurfaceOrientation() override { return orientation_; }
    std::array<Rgb, 20> SystemColors() override;
    void RealizePalette(const PaletteColors& palette) override;
    void ShowSurface(const uint8_t* surfaceBits, int orientation, int width, int height) override;
    void ShowSurfaceUnchanged(const uint8_t* surfaceBits, int orientation, int width, int height) override;
    void ShowSurfaceRows(const uint8_t* surfaceBits, int orientation, int width, int height,
                         const SurfaceRows& rows) override;
    void DrawBlackLine(int x0, int y0, int x1, int y1) override;
    void PostQuit() override { quitRequested_ = true; }
    void StartSound(const std::string& fileName) override { soundsStarted_.push_back(fileName); }
    int Rand() override { return rand_.Next(); }
    // SessionHost
    bool TimerRunning() const override { return timerRunning_; }
    uint32_t RandState() const override { return rand_.state(); }
    void SetRandState(uint32_t state) override { rand_.SetState(state); }

    // What the player would see and what the game asked for.
    bool timerRunning() const { return timerRunning_; }
    uint32_t timerPeriodMs() const { return timerPeriodMs_; }
    bool quitRequested() const { return quitRequested_; }
    const std::vector<std::string>& soundsStarted() const { return soundsStarted_; }
    int surfaceShows() const { return surfaceShows_; }
    // The runtime generator, for saving and restoring flights.
    ClassicRand& rand() { return rand_; }

    // The window picture: 640 x 480 palette indices, top-down, a black line
    // reading as index 0; what a player sees of it is the top-left
    // kClientWidth x kClientHeight.
    static constexpr int kWindowWidth = WindowPicture::kWidth;
    static constexpr int kWindowHeight = WindowPicture::kHeight;
    uint8_t WindowPixel(int x, int y) const { return window_.IsLine(x, y) ? 0 : window_.Index(x, y); }
    const WindowPicture& window() const { return window_; }
    // The whole window picture as WindowPixel reads it, row after row.
    std::vector<uint8_t> WindowPixels() const;
    // The palette last realised (all black until the game realises one).
    const PaletteColors& palette() const { return palette_; }

    // Writes the client area as an RGB PNG through the realised palette;
    // false (with `error` set) when the file cannot be written.
    bool WriteScreenshot(const std::string& path, std::string& error) const;

private:
    int orientation_;
    bool timerRunning_ = false;
    uint32_t timerPeriodMs_ = 0;
    bool quitRequested_ = false;
    std::vector<std::string> soundsStarted_;
    int surfaceShows_ = 0;
    ClassicRand rand_;
    PaletteColors palette_{};
    WindowPicture window_;
};
