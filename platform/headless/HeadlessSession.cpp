#include "platform/headless/HeadlessSession.h"

#include "platform/common/StateJson.h"

HeadlessSession::HeadlessSession(std::unique_ptr<CDibImage> atlas, int surfaceOrientation)
    : host_(surfaceOrientation), view_(std::make_unique<CAveluneView>(host_, std::move(atlas))) {
    view_->OnCreate();
}

HeadlessSession::~HeadlessSession() { view_->OnDestroy(); }

void HeadlessSession::Tick(int n) {
    for (int i = 0; i < n; ++i) {
        if (host_.timerRunning()) view_->OnTimer();
    }
}

std::string HeadlessSession::StateJson() const {
    return FlightStateJson(*view_, host_.timerRunning(), host_.quitRequested());
}
