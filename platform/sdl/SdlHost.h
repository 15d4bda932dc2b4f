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

#include "platform/common/TimedWindowHost.h"

class SdlHost : public TimedWindowHost {
public:
    // Sounds are looked for in `soundFolder` (beside the atlas).
    explicit SdlHost(std::string soundFolder);
    ~SdlHost() override;

    SdlHost(const SdlHost&) = delete;
    SdlHost& operator=(const SdlHost&) = delete;

    // The window message boxes belong to (none before it exists).
    void SetWindow(SDL_Window* window) { window_ = window; }

    // GameHost
    void RearmTimer(uint32_t periodMs) override { timer().Rearm(SDL_GetTicks64(), periodMs); }
    void StartSound(const std::string& fileName) override;

    // A muted host plays no sound; muting stops one playing.
    void SetMuted(bool muted);
    bool muted() const { return muted_; }

    // Whether the start sound's audio device is still open.
    bool soundOpen() const { return audio_ != 0; }
    // Closes the audio device (and SDL's audio) once the sound has played
    // out, so that a finished chime holds no device, thread or sound server
    // for the rest of the game. Call it now and then while soundOpen().
    void CloseFinishedSound(uint64_t nowMs);

private:
    std::string soundFolder_;
    SDL_Window* window_ = nullptr;
    SDL_AudioDeviceID audio_ = 0;
    bool muted_ = false;
    uint64_t drainedSinceMs_ = 0;  // when the queue was first seen empty; 0 while it holds samples
};
