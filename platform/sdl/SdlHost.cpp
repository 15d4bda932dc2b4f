#include "platform/sdl/SdlHost.h"

#include <filesystem>

#include "gfx/Palette.h"
#include "platform/sdl/DesktopResources.h"

SdlHost::SdlHost(std::string soundFolder) : soundFolder_(std::move(soundFolder)) {}

SdlHost::~SdlHost() {
    if (audio_ != 0) SDL_CloseAudioDevice(audio_);
}

void SdlHost::SetMuted(bool muted) {
    muted_ = muted;
    if (muted_ && audio_ != 0) {
        SDL_CloseAudioDevice(audio_);
        audio_ = 0;
        drainedSinceMs_ = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void SdlHost::CloseFinishedSound(uint64_t nowMs) {
    if (audio_ == 0) return;
    if (SDL_GetQueuedAudioSize(audio_) > 0) {
        drainedSinceMs_ = 0;
        return;
    }
    // The queue empties when its last samples reach the device's own buffer:
    // a moment more lets them be heard before the device goes.
    constexpr uint64_t kTailMs = 250;
    if (drainedSinceMs_ == 0) drainedSinceMs_ = nowMs == 0 ? 1 : nowMs;
    if (nowMs - drainedSinceMs_ < kTailMs) return;
    SDL_CloseAudioDevice(audio_);
    audio_ = 0;
    drainedSinceMs_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlHost::StartSound(const std::string& fileName) {
    // Whatever goes wrong here, the game goes on in silence.
    if (muted_) return;
    const std::string path = (std::filesystem::path(soundFolder_) / fileName).string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return;
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    SDL_AudioSpec spec;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &spec, &samples, &length) == nullptr) return;
    spec.callback = nullptr;  // queued, not pulled by a callback
    spec.userdata = nullptr;
    if (audio_ != 0) SDL_CloseAudioDevice(audio_);
    // No changes allowed: SDL converts the file's format to the device's.
    audio_ = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
    if (audio_ != 0) {
        SDL_QueueAudio(audio_, samples, length);
        SDL_PauseAudioDevice(audio_, 0);  // plays on SDL's audio thread
        drainedSinceMs_ = 0;
    }
    SDL_FreeWAV(samples);
}
