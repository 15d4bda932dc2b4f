// The game's host on a desktop, over SDL2.
//
// It keeps what the game asks of its window (the window picture, the palette
// last realised, timer 1, a quit request) for the shell's event loop to act
// on: the loop sleeps until the timer's next tick or the next event, delivers
// ticks and mouse input to the view, and presents the picture whenever it
// changed. Message boxes and the start sound go straight to SDL.
//
// With the sound cues on (cues/), one queued device in the cues' format
// plays both: the loop tops its queue up a little ahead of the device, the
// start sound (converted once) mixed into the cues. With them off the start
// sound plays in its own format, as it always has. Either way the device is
// closed while nothing plays.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "cues/SoundCues.h"
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

    // The sound cues: a tone following the G/S readout and the needle, ticks
    // on warnings and gates. Off by default.
    void SetSoundCues(bool on);
    bool soundCues() const { return cuesOn_; }
    // Looks at the flight record and tops the cue device's queue up: call it
    // after every pass of the loop, and come back within kFeedMs while
    // feeding() says so.
    void FeedSound(const FlightState& record);
    bool feeding() const { return cueDevice_ && audio_ != 0; }
    static constexpr int kFeedMs = 20;

private:
    // The cues' device, opened if need be; false while the start sound still
    // plays in a format of its own (the cues wait for it to end).
    bool OpenCueDevice();
    void TopUp();
    void CloseSound();

    std::string soundFolder_;
    SDL_Window* window_ = nullptr;
    SDL_AudioDeviceID audio_ = 0;
    bool muted_ = false;
    uint64_t drainedSinceMs_ = 0;  // when the queue was first seen empty; 0 while it holds samples
    bool cuesOn_ = false;
    bool cueDevice_ = false;       // audio_ was opened in the cues' format
    // No sound could be had: not asked for again until the player unmutes
    // or turns the cues on, rather than on every pass of the loop.
    bool soundUnavailable_ = false;
    void NoSound();
    std::unique_ptr<cues::CueGenerator> cues_;
    std::vector<int16_t> chime_;   // the start sound in the cues' format, stereo
    size_t chimeAt_ = 0;           // samples of it queued
    std::vector<int16_t> mix_;
};
