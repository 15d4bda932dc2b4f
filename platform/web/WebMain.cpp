// The web page's entry points: what the page's script (platform/web/page/)
// calls, and the few things the game asks of the page.
//
// One game at a time: avelune_start builds it on an atlas the page has read
// into memory, avelune_stop ends it. Strings returned stay valid until the
// next call that returns one.
#include <emscripten/emscripten.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "flightfile/FlightFile.h"
#include "platform/common/FlightCycle.h"
#include "platform/common/AtlasFiles.h"
#include "platform/web/WebSession.h"
#include "platform/web/WebTrainer.h"
#include "platform/web/WebTexts.h"

// clang-format off
EM_JS(void, avelune_page_sound, (const char* name), {
    Module.aveluneStartSound(UTF8ToString(name));
});
// clang-format on

namespace {

std::unique_ptr<WebSession> g_session;
std::string g_text;

WebPageHooks PageHooks() {
    WebPageHooks hooks;
    hooks.nowMs = [] { return static_cast<uint64_t>(emscripten_get_now()); };
    hooks.startSound = [](const std::string& name) { avelune_page_sound(name.c_str()); };
    return hooks;
}

const char* Keep(std::string text) {
    g_text = std::move(text);
    return g_text.c_str();
}

}  // namespace

extern "C" {

// Builds a new game on the bitmap file in `bytes` (malloc'ed by the page,
// taken and freed here), named
// `name` in messages. Returns "" when the game runs, else the message the
// desktop gives for that atlas, or, when a game runs already, the message
// that says it goes on with the atlas it has.
EMSCRIPTEN_KEEPALIVE const char* avelune_start(uint8_t* bytes, size_t size, const char* name) {
    std::string error;
    std::unique_ptr<CDibImage> atlas = LoadAtlasBytes(bytes, size, name, error);
    const uint64_t atlasHash = flightfile::Fnv1a64(bytes, size);
    std::free(bytes);
    if (!atlas) return Keep((g_session ? kKeepsAtlas : kCannotStart) + error);
    g_session.reset();  // the old game is destroyed before the new one is created
    g_session = std::make_unique<WebSession>(std::move(atlas), PageHooks());
    g_session->SetAtlasHash(atlasHash);
    return Keep("");
}

// Whether the bitmap file in `bytes` (taken and freed here) can serve as an
// atlas: "" when it can, else the desktop's words for its problem.
EMSCRIPTEN_KEEPALIVE const char* avelune_check_atlas(uint8_t* bytes, size_t size, const char* name) {
    std::string error;
    const bool usable = LoadAtlasBytes(bytes, size, name, error) != nullptr;
    std::free(bytes);
    return Keep(usable ? "" : error);
}

EMSCRIPTEN_KEEPALIVE void avelune_stop() { g_session.reset(); }
EMSCRIPTEN_KEEPALIVE int avelune_running() { return g_session ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE int avelune_wait_ms() { return g_session ? g_session->WaitMs() : -1; }
EMSCRIPTEN_KEEPALIVE int avelune_run_due_tick() { return g_session && g_session->RunDueTick() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE void avelune_tick(int n) {
    if (g_session) g_session->Tick(n);
}
EMSCRIPTEN_KEEPALIVE void avelune_redraw() {
    if (g_session) g_session->Redraw();
}

// Game pixels, as the headless events give them.
EMSCRIPTEN_KEEPALIVE void avelune_press(int x, int y) {
    if (g_session) g_session->Press(x, y);
}
EMSCRIPTEN_KEEPALIVE void avelune_release(int x, int y) {
    if (g_session) g_session->Release(x, y);
}
EMSCRIPTEN_KEEPALIVE void avelune_move(int x, int y) {
    if (g_session) g_session->Move(x, y);
}

// A pointer event over the canvas: kind 0 press, 1 release, 2 move, at CSS
// pixels from the canvas's corner, the canvas showing the picture
// deviceWidth x deviceHeight device pixels large (a whole scale's size, or
// fill mode's). Returns 1 when it reached the game.
EMSCRIPTEN_KEEPALIVE int avelune_pointer_sized(int kind, double cssX, double cssY, double devicePixelRatio,
                                               int deviceWidth, int deviceHeight) {
    if (!g_session || deviceWidth < 1 || deviceHeight < 1) return 0;
    PictureLayout picture;
    picture.scale = 1;
    picture.width = deviceWidth;
    picture.height = deviceHeight;
    const auto p = MapCanvasPoint(cssX, cssY, devicePixelRatio, picture);
    if (!p) return 0;
    if (kind == 0) g_session->Press(p->x, p->y);
    else if (kind == 1) g_session->Release(p->x, p->y);
    else g_session->Move(p->x, p->y);
    return 1;
}

// The picture's layout in an area of width x height device pixels, as the
// desktop's: fill mode (fill 1) or the largest whole scale that fits (0).
// i = 0 the whole factor, 1 and 2 the corner, 3 and 4 the size. A whole
// factor with the whole size means a whole scale.
EMSCRIPTEN_KEEPALIVE int avelune_picture_layout(int width, int height, int fill, int i) {
    const PictureLayout l = fill ? FitPictureFill(width, height, 0) : FitPicture(width, height, 0);
    const int values[5] = {l.scale, l.originX, l.originY, l.Width(), l.Height()};
    return i >= 0 && i < 5 ? values[i] : 0;
}

// A key (device 0) or gamepad button (1) of the map going down or up, by the
// map's name. Returns 1 when it acted on a control.
EMSCRIPTEN_KEEPALIVE int avelune_key(int down, int device, const char* name) {
    if (!g_session) return 0;
    const auto d = device == 0 ? keymap::Device::kKey : keymap::Device::kButton;
    return (down ? g_session->KeyDown(d, name) : g_session->KeyUp(d, name)) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void avelune_release_keys() {
    if (g_session) g_session->ReleaseKeys();
}
// The first key of the map bound to a control by its name ("" for none).
// Whether a key (device 0) or gamepad button (1) of the map stands for a
// quitting control on the screen shown.
EMSCRIPTEN_KEEPALIVE int avelune_is_quit_input(int device, const char* name) {
    if (!g_session) return 0;
    return g_session->IsQuitInput(device == 0 ? keymap::Device::kKey : keymap::Device::kButton, name) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* avelune_key_for_control(const char* control) {
    return Keep(g_session ? g_session->KeyForControl(control) : "");
}
// The key of the map for the control under a game pixel now ("" for none).
EMSCRIPTEN_KEEPALIVE const char* avelune_key_for_point(int x, int y) {
    return Keep(g_session ? g_session->KeyForPoint(x, y) : "");
}

// The player's pause: 1 pauses, 0 resumes; returns whether it is paused.
EMSCRIPTEN_KEEPALIVE int avelune_pause(int on) {
    if (!g_session) return 0;
    if (on) g_session->Pause();
    else g_session->Resume();
    return g_session->paused() ? 1 : 0;
}

// ---- Flights ----
// The flight a save takes, as a flight file's text; "" when none was flown.
EMSCRIPTEN_KEEPALIVE const char* avelune_flight_text() { return Keep(g_session ? g_session->FlightText() : ""); }
// Watches the flight file `text` (named `name` in messages): "" when it plays,
// else why not.
EMSCRIPTEN_KEEPALIVE const char* avelune_watch(const char* text, const char* name) {
    return Keep(g_session ? g_session->Watch(text, name) : "");
}
// 1, 4 or 16 ticks of the flight a real-time tick.
EMSCRIPTEN_KEEPALIVE void avelune_watch_speed(int speed) {
    if (g_session) g_session->SetWatchSpeed(speed);
}
EMSCRIPTEN_KEEPALIVE void avelune_watch_hold(int hold) {
    if (g_session) g_session->HoldWatch(hold != 0);
}
EMSCRIPTEN_KEEPALIVE void avelune_watch_step() {
    if (g_session) g_session->StepWatch();
}
EMSCRIPTEN_KEEPALIVE void avelune_take_over() {
    if (g_session) g_session->TakeOver();
}
EMSCRIPTEN_KEEPALIVE void avelune_stop_watching() {
    if (g_session) g_session->StopWatching();
}
EMSCRIPTEN_KEEPALIVE const char* avelune_watch_state() {
    return Keep(g_session ? g_session->WatchJson() : "{\"watching\":false,\"replay\":false}");
}

// ---- The logbook and the debrief ----
// The approach the player last finished, for the logbook, ended at `when`
// (local YYYY-MM-DDTHH:MM:SS): {"line", "name", "flight"}, or "".
EMSCRIPTEN_KEEPALIVE const char* avelune_take_ended(const char* when) {
    return Keep(g_session ? g_session->TakeEnded(when) : "");
}
EMSCRIPTEN_KEEPALIVE int avelune_ended_waiting() { return g_session && g_session->EndedWaiting() ? 1 : 0; }
// The latest approach's debrief as web::DebriefJson's, and its samples as CSV; "" for none.
EMSCRIPTEN_KEEPALIVE const char* avelune_debrief() { return Keep(g_session ? g_session->DebriefJson() : ""); }
EMSCRIPTEN_KEEPALIVE const char* avelune_samples_csv() { return Keep(g_session ? g_session->SamplesCsv() : ""); }
// A logbook's text read for its window (web::LogbookJson).
EMSCRIPTEN_KEEPALIVE const char* avelune_logbook(const char* text) { return Keep(web::LogbookJson(text)); }
// The debrief of a saved flight, replayed out of sight on the atlas in
// `bytes` (taken and freed here): web::DebriefJson's or {"error": why}.
EMSCRIPTEN_KEEPALIVE const char* avelune_debrief_flight(const char* text, const char* name, uint8_t* bytes,
                                                        size_t size) {
    std::string error;
    std::unique_ptr<CDibImage> atlas = LoadAtlasBytes(bytes, size, "prop.bmp", error);
    std::free(bytes);
    flightfile::Flight flight;
    recorder::Recording recording;
    if (atlas && flightfile::ParseFlight(text, name, flight, error) &&
        session::RecordFlight(flight, std::move(atlas), recording, error)) {
        return Keep(web::DebriefJson(recording));
    }
    return Keep("{\"error\":" + web::Quoted(error) + "}");
}

EMSCRIPTEN_KEEPALIVE int avelune_in_flight() { return g_session && g_session->InFlight() ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE int avelune_quit_requested() { return g_session && g_session->quitRequested() ? 1 : 0; }

// The RGBA picture when it changed since the last call, else null; the
// rectangle that changed is then avelune_frame_rect(0..3): x, y, width, height.
EMSCRIPTEN_KEEPALIVE const uint8_t* avelune_frame() {
    return g_session && g_session->RefreshFrame() ? g_session->frame() : nullptr;
}
EMSCRIPTEN_KEEPALIVE int avelune_frame_rect(int i) {
    if (!g_session) return 0;
    const PictureRect& r = g_session->changed();
    const int values[4] = {r.x0, r.y0, r.width(), r.height()};
    return i >= 0 && i < 4 ? values[i] : 0;
}
// Whether a frame waits to be shown: the page asks for an animation frame
// only then.
EMSCRIPTEN_KEEPALIVE int avelune_frame_pending() { return g_session && g_session->FramePending() ? 1 : 0; }
// The picture as it is, changed or not.
EMSCRIPTEN_KEEPALIVE const uint8_t* avelune_frame_now() {
    if (!g_session) return nullptr;
    g_session->RefreshFrame();
    return g_session->frame();
}

EMSCRIPTEN_KEEPALIVE const char* avelune_state() { return Keep(g_session ? g_session->StateJson() : "null"); }

// What the page tells beside the picture: the news since the last call
// (WebSession::NewsJson) and the desktop's power and pitch text ("" but in
// the cockpit).
EMSCRIPTEN_KEEPALIVE const char* avelune_news() { return Keep(g_session ? g_session->NewsJson() : ""); }
EMSCRIPTEN_KEEPALIVE const char* avelune_power_pitch() { return Keep(g_session ? g_session->PowerPitch() : ""); }

// The sound cues: on (at the page's sample rate) or off; then the page asks
// for `frames` stereo 16-bit frames as its audio wants them (null without
// cues). `audible` 0 (muted, unseen) fades them out.
EMSCRIPTEN_KEEPALIVE void avelune_sound_cues(int on, int sampleRate) {
    if (g_session) g_session->SetSoundCues(on != 0, sampleRate);
}
EMSCRIPTEN_KEEPALIVE const int16_t* avelune_render_cues(int frames, int audible) {
    return g_session && frames > 0 ? g_session->RenderCues(static_cast<size_t>(frames), audible != 0) : nullptr;
}

// The About box's lines, from 0; "" past the last.
EMSCRIPTEN_KEEPALIVE const char* avelune_about_line(int i) {
    return i >= 0 && static_cast<size_t>(i) < kAboutLines.size() ? kAboutLines[static_cast<size_t>(i)] : "";
}

// Times `cycles` flight cycles of a game on the current atlas (the running
// game is left alone) and returns the milliseconds they took.
EMSCRIPTEN_KEEPALIVE double avelune_bench_cycles(uint8_t* bytes, size_t size, int cycles) {
    std::string error;
    std::unique_ptr<CDibImage> atlas = LoadAtlasBytes(bytes, size, "prop.bmp", error);
    std::free(bytes);
    if (!atlas) return -1;
    WebHost host(WebPageHooks{});
    CAveluneView view(host, std::move(atlas));
    view.OnCreate();
    FlightState start;
    MidApproach(start);
    FlyCycle(view, start);  // warm
    const double begin = emscripten_get_now();
    for (int i = 0; i < cycles; ++i) FlyCycle(view, start);
    const double took = emscripten_get_now() - begin;
    view.OnDestroy();
    return took;
}

}  // extern "C"
