#include "platform/headless/HeadlessSession.h"

#include "platform/common/StateJson.h"

HeadlessSession::HeadlessSession(std::unique_ptr<CDibImage> atlas, int surfaceOrientation)
    : host_(surfaceOrientation), view_(std::make_unique<CAveluneView>(host_, std::move(atlas))) {
    view_->OnCreate();
}

HeadlessSession::~HeadlessSession() { view_->OnDestroy(); }

void HeadlessSession::Tick(int n) {
    for (int i = 0; i < n; ++i) {
        if (!host_.timerRunning()) continue;
        view_->OnTimer();
        flights_.AfterTick(*view_);
        recorder_.AfterTick(*view_);
    }
}

void HeadlessSession::Input(flightfile::InputKind kind, int x, int y) {
    switch (kind) {
    case flightfile::InputKind::kPress: view_->OnLButtonDown(x, y); break;
    case flightfile::InputKind::kRelease: view_->OnLButtonUp(x, y); break;
    case flightfile::InputKind::kMove: view_->OnMouseMove(x, y); break;
    }
    flights_.OnInput(kind, x, y, *view_, host_.rand().state(), host_.timerRunning());
    const recorder::InputKind seen = kind == flightfile::InputKind::kPress     ? recorder::InputKind::kPress
                                     : kind == flightfile::InputKind::kRelease ? recorder::InputKind::kRelease
                                                                               : recorder::InputKind::kMove;
    recorder_.OnInput(seen, x, y, *view_);
}

void HeadlessSession::Press(int x, int y) { Input(flightfile::InputKind::kPress, x, y); }
void HeadlessSession::Release(int x, int y) { Input(flightfile::InputKind::kRelease, x, y); }
void HeadlessSession::Move(int x, int y) { Input(flightfile::InputKind::kMove, x, y); }

void HeadlessSession::KeyDown(std::string_view name) {
    if (const auto at = held_.Down(keys_, keymap::Device::kKey, name, view_->pressMode, view_->releaseMode)) Press(at->x, at->y);
}

void HeadlessSession::KeyUp(std::string_view name) {
    if (const auto at = held_.Up(keymap::Device::kKey, name)) Release(at->x, at->y);
}

void HeadlessSession::Key(std::string_view name) {
    KeyDown(name);
    KeyUp(name);
}

// The session as the replayer drives it.
class HeadlessSession::ReplayAdapter : public flightfile::ReplayTarget {
public:
    explicit ReplayAdapter(HeadlessSession& session) : session_(session) {}
    void Restore(const FlightState& record, uint32_t randState, bool timerRunning) override {
        static_cast<FlightState&>(*session_.view_) = record;
        session_.host_.rand().SetState(randState);
        if (timerRunning) session_.host_.RearmTimer(kTickMs);
        else session_.host_.KillTimer();
    }
    bool TimerRunning() const override { return session_.host_.timerRunning(); }
    void DeliverTick() override { session_.Tick(1); }
    void DeliverInput(const flightfile::Input& in) override { session_.Input(in.kind, in.x, in.y); }
    const FlightState& Record() const override { return *session_.view_; }

private:
    HeadlessSession& session_;
};

flightfile::Replayer::Status HeadlessSession::Replay(flightfile::Replayer& replayer) {
    ReplayAdapter target(*this);
    replayer.Begin(target);
    flights_.BeginFromSnapshot(replayer.flight());
    recorder_.BeginFromSnapshot(*view_);
    return replayer.Run(target);
}

std::string HeadlessSession::StateJson() const {
    return FlightStateJson(*view_, host_.timerRunning(), host_.quitRequested());
}
