#include "platform/web/WebSession.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <utility>

#include "debrief/Assessment.h"
#include "gfx/Palette.h"
#include "platform/common/BarText.h"
#include "platform/common/StateJson.h"
#include "platform/web/WebTrainer.h"
#include "recorder/FlightCsv.h"

std::optional<GamePoint> MapCanvasPoint(double cssX, double cssY, double devicePixelRatio, PictureLayout picture) {
    // The canvas's corner is the picture's.
    picture.originX = picture.originY = 0;
    return MapToGame(picture, devicePixelRatio, devicePixelRatio, cssX, cssY);
}

WebSession::WebSession(std::unique_ptr<CDibImage> atlas, WebPageHooks hooks)
    : host_(std::move(hooks)), session_(host_, std::move(atlas)) {
    session_.OnApproachEnded([this](const flightfile::Flight& flight, const recorder::Recording* r) {
        ended_ = Ended{flight, r != nullptr ? std::optional(web::FiguresOf(*r)) : std::nullopt};
    });
}

std::string WebSession::TakeEnded(const std::string& when) {
    if (!ended_) return "";
    const std::string name = web::FlightName(when, ended_->flight);
    const logbook::Entry entry =
        logbook::EntryFor(ended_->flight, when, name, ended_->figures ? &*ended_->figures : nullptr);
    std::string json = "{\"line\":" + web::Quoted(logbook::FormatEntry(entry)) + ",\"name\":" + web::Quoted(name) +
                       ",\"flight\":" + web::Quoted(flightfile::FormatFlight(ended_->flight)) + "}";
    ended_.reset();
    return json;
}

namespace {
const recorder::Recording* Debriefed(const session::FlightSession& session) {
    const recorder::Recording* r = session.recorder().latestEnded();
    return r != nullptr && (r->summary.outcome == recorder::Outcome::kArrived ||
                            r->summary.outcome == recorder::Outcome::kFailed)
               ? r
               : nullptr;
}
}  // namespace

std::string WebSession::DebriefJson() const {
    const recorder::Recording* r = Debriefed(session_);
    return r != nullptr ? web::DebriefJson(*r) : "";
}

std::string WebSession::SamplesCsv() const {
    const recorder::Recording* r = Debriefed(session_);
    return r != nullptr ? recorder::FormatCsv(*r) : "";
}

bool WebSession::RunDueTick() {
    if (host_.quitRequested() || !host_.timer().TakeDue(host_.Now())) return false;
    if (!session_.Watching()) {
        session_.Tick();
    } else if (!watchHeld_) {
        for (int i = 0; i < watchSpeed_ && session_.Watching(); ++i) session_.Step();
    }
    return true;
}

void WebSession::SetAtlasHash(uint64_t hash) {
    atlasHash_ = hash;
    session_.flights().SetAtlasHash(hash);
}

std::string WebSession::FlightText() const {
    const flightfile::Flight* flight = session_.flights().ToSave();
    return flight != nullptr ? flightfile::FormatFlight(*flight) : "";
}

std::string WebSession::Watch(const std::string& text, const std::string& fileName) {
    flightfile::Flight flight;
    std::string error;
    if (!flightfile::ParseFlight(text, fileName, flight, error)) return error;
    if (flight.atlasHash != atlasHash_) {
        char line[160];
        std::snprintf(line, sizeof line, " line %d: the flight was flown with another atlas (fnv1a64:%016" PRIx64 ")",
                      flight.atlasLine, flight.atlasHash);
        return fileName + line;
    }
    watchHeld_ = false;
    session_.Watch(std::move(flight));
    return "";
}

void WebSession::StepWatch() {
    watchHeld_ = true;
    if (session_.Watching()) session_.Step();
}

std::string WebSession::WatchJson() const {
    const flightfile::Replayer* replayer = session_.replayer();
    if (replayer == nullptr) return "{\"watching\":false,\"replay\":false}";
    const char* status = session_.Watching() ? "playing"
                         : replayer->status() == flightfile::Replayer::Status::kMatched  ? "matched"
                         : replayer->status() == flightfile::Replayer::Status::kDiverged ? "diverged"
                                                                                          : "taken-over";
    std::string divergence;
    for (const char c : replayer->divergence()) {
        if (c == '"' || c == '\\') divergence += '\\';
        if (static_cast<unsigned char>(c) >= 0x20) divergence += c;
    }
    char head[200];
    std::snprintf(head, sizeof head,
                  "{\"watching\":%s,\"replay\":true,\"status\":\"%s\",\"tick\":%u,\"ticks\":%u,\"ending\":\"%s\","
                  "\"speed\":%d,\"held\":%s,\"divergedTick\":%u,",
                  session_.Watching() ? "true" : "false", status, replayer->tick(), replayer->flight().ticks,
                  flightfile::EndingName(replayer->flight().ending), watchSpeed_, watchHeld_ ? "true" : "false",
                  replayer->divergedTick());
    return std::string(head) + "\"divergence\":\"" + divergence + "\"}";
}

void WebSession::Tick(int n) {
    for (int i = 0; i < n && !host_.quitRequested() && !paused(); ++i) session_.Tick();
}

std::string WebSession::KeyForControl(std::string_view control) const {
    for (size_t i = 0; i < keymap::kControlCount; ++i) {
        if (control != keymap::kControls[i].name) continue;
        const auto& keys = session_.keymap().Bound(keymap::Device::kKey, i);
        return keys.empty() ? "" : keys.front();
    }
    return "";
}

std::string WebSession::KeyForPoint(int x, int y) const {
    const CAveluneView& view = session_.view();
    for (const uint32_t mode : {view.pressMode, view.releaseMode}) {
        for (size_t i = 0; i < keymap::kControlCount; ++i) {
            const keymap::Control& c = keymap::kControls[i];
            if (c.mode != mode) continue;
            const controls::InclusiveArea& a = keymap::detail::FindRow(c)->area;
            if (!controls::ContainsInclusive(a, x, y)) continue;
            for (const std::string& key : session_.keymap().Bound(keymap::Device::kKey, i)) {
                // The key must reach this control, not another of the mode.
                if (session_.ControlFor(keymap::Device::kKey, key) == i) return key;
            }
        }
    }
    return "";
}

bool WebSession::RefreshFrame() {
    const bool paletteChanged = host_.TakePaletteChanged();
    PictureRect rect = host_.picture().TakeDirty();
    if (paletteChanged) rect = PictureRect{0, 0, kClientWidth, kClientHeight};
    rect.x1 = std::min(rect.x1, kClientWidth);
    rect.y1 = std::min(rect.y1, kClientHeight);
    if (rect.empty()) {
        changed_ = PictureRect{};
        return false;
    }
    // ImageData wants R, G, B, A in memory: the window's 0xAARRGGBB pixels
    // with red and blue swapped are exactly that on a little-endian machine.
    PaletteColors swapped = host_.palette();
    for (Rgb& c : swapped) std::swap(c.red, c.blue);
    const size_t offset = (static_cast<size_t>(rect.y0) * kClientWidth + static_cast<size_t>(rect.x0)) * 4;
    host_.picture().ToArgb(swapped, rect, reinterpret_cast<uint32_t*>(frame_.data() + offset), kClientWidth * 4);
    changed_ = rect;
    return true;
}

std::string WebSession::StateJson() const {
    return FlightStateJson(session_.view(), host_.timer().running(), host_.quitRequested());
}

namespace {

// One sentence per warning and arrival; the limits failed at one judgement
// in one sentence.
void TellMarks(const recorder::Recording& r, size_t from, std::vector<std::string>& say) {
    std::string failed;
    for (size_t i = from; i < r.marks.size(); ++i) {
        const recorder::Mark& m = r.marks[i];
        switch (m.kind) {
        case recorder::Mark::Kind::kWarningBegan:
            say.push_back(std::string("Warning: ") + recorder::LimitName(m.limit) + ".");
            break;
        case recorder::Mark::Kind::kFailed:
            failed += (failed.empty() ? "" : ", ") + std::string(recorder::LimitName(m.limit));
            break;
        case recorder::Mark::Kind::kArrived: say.push_back("Arrived."); break;
        }
    }
    if (!failed.empty()) say.push_back("Failed: " + failed + ".");
}

std::string LimitsWhere(const recorder::Recording& r, bool failure) {
    std::string names;
    for (int l = 0; l < recorder::kLimits; ++l) {
        const auto limit = static_cast<recorder::Limit>(l);
        const bool holds = failure ? r.summary.failed[l] : recorder::Warns(r.samples.back(), limit);
        if (holds) names += (names.empty() ? "" : ", ") + std::string(recorder::LimitName(limit));
    }
    return names;
}

}  // namespace

std::string WebSession::NewsJson() {
    const recorder::FlightRecorder& rec = session_.recorder();
    std::vector<std::string> say;
    if (rec.approachesEnded() != endedTold_) {
        // The approach followed has ended since (kept as the latest ended).
        if (rec.latestEnded() != nullptr) TellMarks(*rec.latestEnded(), marksTold_, say);
        endedTold_ = rec.approachesEnded();
        marksTold_ = 0;
    }
    const recorder::Recording* now = rec.current();
    if (now == nullptr || now->marks.size() < marksTold_) marksTold_ = 0;  // left, or a new one
    if (now != nullptr) {
        TellMarks(*now, marksTold_, say);
        marksTold_ = now->marks.size();
    }

    std::string state;
    if (now != nullptr) {
        const bool warned = !now->samples.empty() && now->samples.back().judged == recorder::Judged::kWarning;
        state = warned ? "warning: " + LimitsWhere(*now, false) : session_.Watching() ? "watching" : "flying";
    } else if (const recorder::Recording* last = rec.latestEnded()) {
        if (last->summary.outcome == recorder::Outcome::kFailed) state = "failed: " + LimitsWhere(*last, true);
        if (last->summary.outcome == recorder::Outcome::kArrived) state = "arrived";
    }
    std::string json = "{\"say\":[";
    for (size_t i = 0; i < say.size(); ++i) json += (i ? "," : "") + web::Quoted(say[i]);
    return json + "],\"state\":" + web::Quoted(state) + "}";
}

std::string WebSession::PowerPitch() const {
    return ShowsPowerPitch(session_.view()) ? PowerPitchText(session_.view()) : "";
}

void WebSession::SetSoundCues(bool on, int sampleRate) {
    cues_.reset();
    if (on && sampleRate >= 8000 && sampleRate <= 192000) {
        cues_ = std::make_unique<cues::CueGenerator>(sampleRate, debrief::kGateHeights);
    }
}

const int16_t* WebSession::RenderCues(size_t frames, bool audible) {
    if (!cues_ || frames > kMaxCueFrames) return nullptr;
    cues_->Observe(session_.view(), audible && host_.timer().running() && !paused());
    cueSamples_.assign(frames * 2, 0);
    cues_->Render(cueSamples_.data(), frames);
    return cueSamples_.data();
}
