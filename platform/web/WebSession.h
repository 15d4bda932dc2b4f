// The game on a web page, with nothing of the browser in it.
//
// The page's script owns the clock, the canvas, the pointer and the sound;
// it drives a WebSession with plain calls, so the same calls serve the page,
// the browser tests and the native unit tests:
//   real time   the script sleeps WaitMs(), then calls RunDueTick(); like the
//               desktop's window timer, a tick that comes late (a hidden tab
//               wakes up after seconds) is delivered once, never as a burst
//   scripted    Tick() delivers one tick per period while the timer runs,
//               exactly as the headless host does, so replays match it
// Pointer positions arrive in CSS pixels over the canvas and are mapped to
// game pixels as the desktop maps its window points; the picture leaves as
// RGBA bytes for an ImageData.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cues/SoundCues.h"
#include "game/AveluneView.h"
#include "gfx/Color.h"
#include "keymap/Keymap.h"
#include "logbook/Logbook.h"
#include "platform/common/PictureFit.h"
#include "platform/common/TimedWindowHost.h"
#include "session/FlightSession.h"

// What the page does for the game.
struct WebPageHooks {
    std::function<uint64_t()> nowMs;                        // a monotonic clock
    std::function<void(const std::string&)> startSound;     // a file name: "AV1.wav"
};

class WebHost : public TimedWindowHost {
public:
    explicit WebHost(WebPageHooks hooks) : hooks_(std::move(hooks)) {}

    // GameHost
    void RearmTimer(uint32_t periodMs) override { timer().Rearm(Now(), periodMs); }
    void StartSound(const std::string& fileName) override {
        if (hooks_.startSound) hooks_.startSound(fileName);
    }

    uint64_t Now() const { return hooks_.nowMs ? hooks_.nowMs() : 0; }

private:
    WebPageHooks hooks_;
};

// The game pixel under a point of the canvas, given in CSS pixels from its
// top-left corner, when the canvas shows the picture as `picture` lays it
// out (a whole scale, or fill mode's size) and a CSS pixel is
// devicePixelRatio device pixels; nothing when the point lies outside it.
std::optional<GamePoint> MapCanvasPoint(double cssX, double cssY, double devicePixelRatio, PictureLayout picture);

class WebSession {
public:
    // Takes an atlas that can serve; builds the view (palette, start sound,
    // surface) and creates it, which starts the timer.
    WebSession(std::unique_ptr<CDibImage> atlas, WebPageHooks hooks);

    WebSession(const WebSession&) = delete;
    WebSession& operator=(const WebSession&) = delete;

    // Real time: how long the page may sleep before the next tick (-1: until
    // something happens), and one tick if it is due now.
    int WaitMs() const { return host_.timer().WaitMs(host_.Now()); }
    bool RunDueTick();

    // Scripted: n timer periods pass; each delivers one tick if the timer
    // runs then, and nothing runs after the game asked to quit.
    void Tick(int n = 1);

    // Game pixels, as the headless events give them.
    void Press(int x, int y) { session_.Input(session::InputKind::kPress, x, y); }
    void Release(int x, int y) { session_.Input(session::InputKind::kRelease, x, y); }
    void Move(int x, int y) { session_.Input(session::InputKind::kMove, x, y); }

    // A key or gamepad button of the map, by the map's name ("Up", "KP_8",
    // "DpadUp"): a press or release at its control's centre, as the desktop
    // delivers it. False when it acts on nothing here.
    bool KeyDown(keymap::Device device, std::string_view name) { return session_.KeyDown(device, name); }
    bool KeyUp(keymap::Device device, std::string_view name) { return session_.KeyUp(device, name); }
    // The page lost the keyboard: every held key and button lets go.
    void ReleaseKeys() { session_.ReleaseKeys(); }
    // The first key of the map that stands for the control under a game
    // pixel in the view's present modes; "" when none does.
    std::string KeyForPoint(int x, int y) const;
    // The first key of the map bound to a control, by the control's name
    // ("PadUp", "FullPower"); "" for an unknown control or one with no key.
    std::string KeyForControl(std::string_view control) const;
    // Whether a key or button of the map stands for a quitting control in
    // the view's present modes (the page asks before it).
    bool IsQuitInput(keymap::Device device, std::string_view name) const {
        const auto control = session_.ControlFor(device, name);
        return control && keymap::IsQuitControl(*control);
    }

    // ---- Flights, as the desktop keeps and watches them ----
    // The atlas's file hash, written into every flight and checked against a
    // flight to watch.
    void SetAtlasHash(uint64_t hash);
    // The flight a save takes (the latest ended approach, else the one in
    // flight) as a flight file's text; "" when none was flown.
    std::string FlightText() const;
    // Watches a flight file's text from its snapshot; "" when it plays, else
    // the message that says why not (the desktop's words), the game left as
    // it was.
    std::string Watch(const std::string& text, const std::string& fileName);
    // Watching: real-time ticks move the flight `speed` ticks (1, 4 or 16),
    // none while the watch is held; Step moves it one tick and holds it.
    void SetWatchSpeed(int speed) { watchSpeed_ = speed == 4 || speed == 16 ? speed : 1; }
    void HoldWatch(bool hold) { watchHeld_ = hold; }
    void StepWatch();
    void TakeOver() { session_.TakeOver(); }
    void StopWatching() { session_.StopWatching(); }
    // The watch as one JSON object: none, or where it is and how it stands.
    std::string WatchJson() const;

    // ---- The logbook and the debrief ----
    // The approach the player last finished, not yet taken, as the logbook
    // keeps it: {"line": its entry (ended at `when`, local
    // YYYY-MM-DDTHH:MM:SS), "name": its flight file's name, "flight": the
    // file's text}; "" when none waits.
    std::string TakeEnded(const std::string& when);
    bool EndedWaiting() const { return ended_.has_value(); }
    // The debrief (web::DebriefJson: the plot and its lines) and the
    // samples (CSV) of the latest approach that arrived or failed, flown or
    // watched; "" when there is none.
    std::string DebriefJson() const;
    std::string SamplesCsv() const;

    // The player's pause, outside the game (the desktop's P): no tick comes,
    // real time or scripted, until Resume; the game's own timer state is kept.
    void Pause() { host_.timer().Pause(); }
    void Resume() { host_.timer().Resume(host_.Now()); }
    bool paused() const { return host_.timer().paused(); }

    // The window was uncovered (the tab shown again): show the last picture.
    void Redraw() { session_.view().OnDraw(); }

    bool quitRequested() const { return host_.quitRequested(); }
    // An approach is being flown (the page asks before throwing it away).
    bool InFlight() const { return session_.flights().current() != nullptr; }
    bool timerRunning() const { return host_.timer().running(); }

    // The visible picture (kClientWidth x kClientHeight) as RGBA bytes, lines
    // black; brought up to date only where the picture changed since the last
    // call (all over when the palette did), which then returns true and
    // names that rectangle in changed(), the one the page must put.
    bool RefreshFrame();
    const uint8_t* frame() const { return frame_.data(); }
    const PictureRect& changed() const { return changed_; }
    // Something waits to be shown (the page asks before it asks for a frame).
    bool FramePending() { return host_.picture().changed() || host_.paletteChanged(); }
    static constexpr size_t kFrameBytes = static_cast<size_t>(kClientWidth) * kClientHeight * 4;

    // ---- What the page tells beside the picture ----
    // The news since the last call, for the page's live region and title:
    // {"say": [one sentence for each mark the recorder made since, "Warning:
    // airspeed.", "Failed: localizer, glide slope.", "Arrived."], "state":
    // how the approach stands: "" before one, "flying" ("watching" while a
    // flight is watched), "warning: airspeed", or the outcome of the last,
    // "failed: glide slope", "arrived"}.
    std::string NewsJson();
    // The desktop's bar text in the cockpit ("Power 17  Pitch -8"), else "".
    std::string PowerPitch() const;

    // ---- The sound cues (cues/), made here, played by the page ----
    // On: a generator at the page's sample rate (a new one each time); off: none.
    void SetSoundCues(bool on, int sampleRate);
    bool soundCues() const { return cues_ != nullptr; }
    // The next `frames` stereo frames (left, right interleaved, 16-bit),
    // valid until the next call; null without cues, or for more than
    // kMaxCueFrames (the caller reads frames * 2 samples). `audible` false
    // (muted, unseen) fades the tone out as a pause does.
    const int16_t* RenderCues(size_t frames, bool audible);
    static constexpr size_t kMaxCueFrames = 16384;

    // The flight state record as one JSON line, with timerRunning and quit,
    // exactly as the headless `state` event prints it.
    std::string StateJson() const;

    CAveluneView& view() { return session_.view(); }
    WebHost& host() { return host_; }
    // The flight session: the flight taker, the recorder and replay.
    session::FlightSession& session() { return session_; }

private:
    WebHost host_;
    session::FlightSession session_;
    uint64_t atlasHash_ = 0;
    struct Ended {
        flightfile::Flight flight;
        std::optional<logbook::Figures> figures;
    };
    std::optional<Ended> ended_;
    int watchSpeed_ = 1;
    bool watchHeld_ = false;
    uint32_t endedTold_ = 0;   // approaches ended whose marks were told
    size_t marksTold_ = 0;     // marks of the approach in flight told
    std::unique_ptr<cues::CueGenerator> cues_;
    std::vector<int16_t> cueSamples_;
    alignas(4) std::array<uint8_t, kFrameBytes> frame_{};
    PictureRect changed_{};
};
