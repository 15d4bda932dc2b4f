#include "platform/sdl/SdlHost.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "debrief/Assessment.h"
#include "gfx/Palette.h"
#include "platform/sdl/DesktopResources.h"

namespace {

constexpr int kCueRate = 44100;
constexpr int kCueChannels = 2;
constexpr Uint32 kCueFrameBytes = kCueChannels * sizeof(int16_t);
// How far ahead of the device the queue is kept: the loop comes back every
// SdlHost::kFeedMs, so a pause or a change is heard within about this.
constexpr Uint32 kLeadFrames = kCueRate * 80 / 1000;

// alsa-lib writes each failed probe to stderr (eight lines a start on a
// machine without a sound card) through a handler a program may replace.
void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// The audio subsystem, with ALSA's own messages dropped: where no sound can
// be had the program says so once, in one line, and plays on in silence.
bool InitAudio() {
    static bool quieted = false;
    if (!quieted) {
        quieted = true;
        // The library SDL loads by this name, so the handler is the one it uses.
        if (void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_GLOBAL)) {
            using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
            if (auto set = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"))) {
                set(DropAlsaMessage);
            }
        }
    }
    return SDL_WasInit(SDL_INIT_AUDIO) != 0 || SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

}  // namespace

SdlHost::SdlHost(std::string soundFolder) : soundFolder_(std::move(soundFolder)) {}

SdlHost::~SdlHost() {
    if (audio_ != 0) SDL_CloseAudioDevice(audio_);
}

void SdlHost::CloseSound() {
    SDL_CloseAudioDevice(audio_);
    audio_ = 0;
    cueDevice_ = false;
    drainedSinceMs_ = 0;
    chime_.clear();
    chimeAt_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlHost::NoSound() {
    static bool said = false;  // once a run, however often sound is asked for again
    if (!said) std::fprintf(stderr, "avelune: no sound (%s); the game goes on in silence\n", SDL_GetError());
    said = true;
    soundUnavailable_ = true;
    chime_.clear();
    chimeAt_ = 0;
}

void SdlHost::SetMuted(bool muted) {
    if (!muted) soundUnavailable_ = false;  // unmuting asks for sound again
    muted_ = muted;
    if (muted_ && audio_ != 0) CloseSound();
}

void SdlHost::SetSoundCues(bool on) {
    if (!on && cues_ && feeding()) {
        // The tone fades out after what is queued, rather than stopping dead.
        cues_->Observe(FlightState{}, false);
        mix_.assign(static_cast<size_t>(kCueRate / 50) * kCueChannels, 0);
        cues_->Render(mix_.data(), kCueRate / 50);
        SDL_QueueAudio(audio_, mix_.data(), static_cast<Uint32>(mix_.size() * sizeof(int16_t)));
    }
    cuesOn_ = on;
    if (on) soundUnavailable_ = false;  // asks for sound again
    // Turned on, the tone begins with the next flight record; turned off, it
    // stops being fed (what is queued plays out, the start sound goes on).
    cues_ = on ? std::make_unique<cues::CueGenerator>(kCueRate, debrief::kGateHeights) : nullptr;
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
    CloseSound();
}

void SdlHost::StartSound(const std::string& fileName) {
    // Whatever goes wrong here, the game goes on in silence.
    if (muted_) return;
    const std::string path = (std::filesystem::path(soundFolder_) / fileName).string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return;
    if (soundUnavailable_) return;
    if (!InitAudio()) return NoSound();
    SDL_AudioSpec spec;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &spec, &samples, &length) == nullptr) return;
    if (cuesOn_) {
        // Converted once to the cues' format, and mixed into them as the
        // queue is topped up.
        SDL_AudioCVT cvt;
        if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, kCueChannels, kCueRate) >= 0) {
            std::vector<Uint8> buffer(static_cast<size_t>(length) * static_cast<size_t>(std::max(cvt.len_mult, 1)));
            std::memcpy(buffer.data(), samples, length);
            cvt.buf = buffer.data();
            cvt.len = static_cast<int>(length);
            if (cvt.needed == 0 || SDL_ConvertAudio(&cvt) == 0) {
                const size_t bytes = cvt.needed == 0 ? length : static_cast<size_t>(cvt.len_cvt);
                if (audio_ != 0 && !cueDevice_) CloseSound();
                chime_.assign(bytes / sizeof(int16_t), 0);
                std::memcpy(chime_.data(), buffer.data(), chime_.size() * sizeof(int16_t));
                chimeAt_ = 0;
                if (OpenCueDevice()) TopUp();
            }
        }
        SDL_FreeWAV(samples);
        return;
    }
    spec.callback = nullptr;  // queued, not pulled by a callback
    spec.userdata = nullptr;
    if (audio_ != 0) SDL_CloseAudioDevice(audio_);
    // No changes allowed: SDL converts the file's format to the device's.
    audio_ = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
    cueDevice_ = false;
    if (audio_ == 0) {
        NoSound();
    } else {
        SDL_QueueAudio(audio_, samples, length);
        SDL_PauseAudioDevice(audio_, 0);  // plays on SDL's audio thread
        drainedSinceMs_ = 0;
    }
    SDL_FreeWAV(samples);
}

bool SdlHost::OpenCueDevice() {
    if (audio_ != 0) return cueDevice_;
    if (soundUnavailable_) return false;
    if (!InitAudio()) {
        NoSound();
        return false;
    }
    SDL_AudioSpec spec{};
    spec.freq = kCueRate;
    spec.format = AUDIO_S16SYS;
    spec.channels = kCueChannels;
    spec.samples = 1024;
    spec.callback = nullptr;  // queued
    // No changes allowed: SDL converts to whatever the device plays.
    audio_ = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
    if (audio_ == 0) {
        NoSound();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    cueDevice_ = true;
    drainedSinceMs_ = 0;
    SDL_PauseAudioDevice(audio_, 0);
    return true;
}

void SdlHost::FeedSound(const FlightState& record) {
    if (muted_) return;
    if (cues_) {
        const bool running = timer().running() && !timer().paused();
        cues_->Observe(record, running);
    }
    const bool tone = cues_ && cues_->audible();
    const bool chime = chimeAt_ < chime_.size();
    if (!tone && !chime) return;  // what is queued plays out, then the device closes
    if (!OpenCueDevice()) return;
    TopUp();
}

void SdlHost::TopUp() {
    const Uint32 queued = SDL_GetQueuedAudioSize(audio_) / kCueFrameBytes;
    if (queued >= kLeadFrames) return;
    const size_t frames = kLeadFrames - queued;
    mix_.assign(frames * kCueChannels, 0);
    if (cues_) cues_->Render(mix_.data(), frames);
    const size_t chimeSamples = std::min(mix_.size(), chime_.size() - chimeAt_);
    cues::MixInto(mix_.data(), chime_.data() + chimeAt_, chimeSamples);
    chimeAt_ += chimeSamples;
    SDL_QueueAudio(audio_, mix_.data(), static_cast<Uint32>(mix_.size() * sizeof(int16_t)));
    drainedSinceMs_ = 0;
}
