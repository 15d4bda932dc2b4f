#include "platform/headless/HeadlessSession.h"

#include "platform/common/StateJson.h"

HeadlessSession::HeadlessSession(std::unique_ptr<CDibImage> atlas, int surfaceOrientation)
    : host_(surfaceOrientation), session_(host_, std::move(atlas)) {}

void HeadlessSession::Tick(int n) {
    for (int i = 0; i < n; ++i) session_.Tick();
}

std::string HeadlessSession::StateJson() const {
    return FlightStateJson(session_.view(), host_.timerRunning(), host_.quitRequested());
}
