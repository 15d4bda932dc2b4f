#include "session/FlightSession.h"

#include "debrief/Assessment.h"
#include "game/ClassicRand.h"

namespace session {

// The session as the replayer drives it: what it delivers goes through the
// same path as the player's own input, so a watched flight that is taken
// over can be saved whole.
class FlightSession::Target : public flightfile::ReplayTarget {
public:
    explicit Target(FlightSession& s) : s_(s) {}
    void Restore(const FlightState& record, uint32_t randState, bool timerRunning) override {
        static_cast<FlightState&>(*s_.view_) = record;
        s_.host_.SetRandState(randState);
        if (timerRunning) {
            s_.host_.RearmTimer(kTickMs);
        } else {
            s_.host_.KillTimer();
        }
    }
    bool TimerRunning() const override { return s_.host_.TimerRunning(); }
    void DeliverTick() override {
        s_.view_->OnTimer();
        s_.AfterTick();
    }
    void DeliverInput(const flightfile::Input& in) override {
        s_.Deliver(in.kind, in.x, in.y);
        if (s_.replayedInput_) s_.replayedInput_(in);
    }
    const FlightState& Record() const override { return *s_.view_; }

private:
    FlightSession& s_;
};

FlightSession::FlightSession(SessionHost& host, std::unique_ptr<CDibImage> atlas)
    : host_(host), view_(std::make_unique<CAveluneView>(host, std::move(atlas))) {
    view_->OnCreate();
}

FlightSession::~FlightSession() { view_->OnDestroy(); }

void FlightSession::Deliver(InputKind kind, int x, int y) {
    switch (kind) {
    case InputKind::kPress: view_->OnLButtonDown(x, y); break;
    case InputKind::kRelease: view_->OnLButtonUp(x, y); break;
    case InputKind::kMove: view_->OnMouseMove(x, y); break;
    }
    taker_.OnInput(kind, x, y, *view_, host_.RandState(), host_.TimerRunning());
    recorder_.OnInput(kind, x, y, *view_);
}

void FlightSession::AfterTick() {
    taker_.AfterTick(*view_);
    recorder_.AfterTick(*view_);
    if (taker_.approachesEnded() == endedSeen_) return;
    endedSeen_ = taker_.approachesEnded();
    // Only approaches the player flew go to the logbook; the recorder ends an
    // approach on the same tick as the taker.
    if (taker_.latestEndedReplayed() || taker_.latestEnded() == nullptr || !approachEnded_) return;
    approachEnded_(*taker_.latestEnded(), recorder_.latestEnded());
}

void FlightSession::Tick() {
    if (Watching()) {
        Step();
        return;
    }
    if (!host_.TimerRunning()) return;
    view_->OnTimer();
    AfterTick();
}

void FlightSession::Input(InputKind kind, int x, int y) {
    if (Watching()) return;  // the flight has the controls until taken over
    Deliver(kind, x, y);
}

std::optional<size_t> FlightSession::ControlFor(keymap::Device device, std::string_view name) const {
    return keys_.FindLive(device, name, view_->pressMode, view_->releaseMode);
}

bool FlightSession::KeyDown(keymap::Device device, std::string_view name) {
    if (Watching()) return false;
    const auto at = held_.Down(keys_, device, name, view_->pressMode, view_->releaseMode);
    if (!at) return false;
    Input(InputKind::kPress, at->x, at->y);
    return true;
}

bool FlightSession::KeyUp(keymap::Device device, std::string_view name) {
    const auto at = held_.Up(device, name);
    if (!at) return false;
    Input(InputKind::kRelease, at->x, at->y);
    return true;
}

void FlightSession::ReleaseKeys() {
    for (const keymap::Point& p : held_.ReleaseAll()) Input(InputKind::kRelease, p.x, p.y);
}

void FlightSession::Watch(flightfile::Flight flight) {
    target_ = std::make_unique<Target>(*this);
    replayer_ = std::make_unique<flightfile::Replayer>(std::move(flight));
    watching_ = true;
    replayer_->Begin(*target_);
    taker_.BeginFromSnapshot(replayer_->flight());
    recorder_.BeginFromSnapshot(*view_);
    ShowRestored();
}

void FlightSession::ShowRestored() {
    // Every flight state is reached through a picture presented with the
    // game palette; a game just made has realised none, so its window shows
    // black through an empty palette until the flight next presents (its
    // first press, often a second or more in).
    view_->OnDraw();
    // The snapshot's cockpit at once rather than the window as it was; the
    // record and the generator (the gauges shake by it) stay as restored.
    const uint32_t state = view_->gameState;
    if (state != kStateCockpit && state != kStateJudgement && state != kStateFlightStep && state != kStateWarning &&
        state != kStateFailure) {
        return;
    }
    const FlightState restored = *view_;
    const uint32_t randState = host_.RandState();
    view_->ComposeCockpit();
    static_cast<FlightState&>(*view_) = restored;
    host_.SetRandState(randState);
}

flightfile::Replayer::Status FlightSession::Replay(flightfile::Replayer& replayer) {
    if (target_ == nullptr) target_ = std::make_unique<Target>(*this);
    replayer.Begin(*target_);
    taker_.BeginFromSnapshot(replayer.flight());
    recorder_.BeginFromSnapshot(*view_);
    ShowRestored();
    return replayer.Run(*target_);
}

flightfile::Replayer::Status FlightSession::Step() {
    if (replayer_ == nullptr) return flightfile::Replayer::Status::kDiverged;
    const auto status = replayer_->Step(*target_);
    if (status != flightfile::Replayer::Status::kPlaying) watching_ = false;
    return status;
}

flightfile::Replayer::Status FlightSession::Run() {
    if (replayer_ == nullptr) return flightfile::Replayer::Status::kDiverged;
    const auto status = replayer_->Run(*target_);
    watching_ = false;
    return status;
}

void FlightSession::StopWatching() {
    watching_ = false;
    replayer_.reset();
    target_.reset();
}

namespace {

// A host for a view nobody sees: the timer is a flag, the generator the
// runtime's, and pictures and sounds go nowhere.
class QuietHost : public SessionHost {
public:
    void RearmTimer(uint32_t) override { running_ = true; }
    void KillTimer() override { running_ = false; }
    int RecommendedSurfaceOrientation() override { return -1; }
    std::array<Rgb, 20> SystemColors() override { return {}; }
    void RealizePalette(const PaletteColors&) override {}
    void ShowSurface(const uint8_t*, int, int, int) override {}
    void DrawBlackLine(int, int, int, int) override {}
    void PostQuit() override {}
    void StartSound(const std::string&) override {}
    int Rand() override { return rand_.Next(); }
    bool TimerRunning() const override { return running_; }
    uint32_t RandState() const override { return rand_.state(); }
    void SetRandState(uint32_t state) override { rand_.SetState(state); }

private:
    bool running_ = false;
    ClassicRand rand_;
};

}  // namespace

logbook::Figures LogbookFigures(const recorder::Recording& recording) {
    logbook::Figures figures;
    const recorder::Summary& sum = recording.summary;
    figures.airspeedMargin = sum.of(recorder::Limit::kAirspeed).failMargin;
    figures.needleMargin = sum.of(recorder::Limit::kLocalizer).failMargin;
    figures.glideSlopeMargin = sum.of(recorder::Limit::kGlideSlope).failMargin;
    figures.secondsWarned = sum.secondsWarned;
    // The verdict the debrief gives, so the two never disagree.
    const debrief::Assessment assessment = debrief::Assess(recording);
    const debrief::Verdict verdict = debrief::VerdictOf(sum, assessment);
    figures.stable = verdict.stable;
    figures.stabilityFeet = verdict.feet;
    figures.score = assessment.score.points;
    figures.grade = assessment.score.grade;
    return figures;
}

bool RecordFlight(const flightfile::Flight& flight, std::unique_ptr<CDibImage> atlas, recorder::Recording& out,
                  std::string& error) {
    QuietHost host;
    FlightSession quiet(host, std::move(atlas));
    quiet.Watch(flight);
    if (quiet.Run() != flightfile::Replayer::Status::kMatched) {
        error = "the flight went its own way at tick " + std::to_string(quiet.replayer()->divergedTick()) + ": " +
                quiet.replayer()->divergence();
        return false;
    }
    const recorder::Recording* r = quiet.recorder().Latest();
    if (r == nullptr) {
        error = "the flight holds no approach";
        return false;
    }
    out = *r;
    return true;
}

}  // namespace session
