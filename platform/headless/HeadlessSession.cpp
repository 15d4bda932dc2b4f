#include "platform/headless/HeadlessSession.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

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

namespace {

template <typename T>
void AppendValue(std::string& out, T value) {
    char text[40];
    if constexpr (std::is_floating_point_v<T>) {
        // JSON has no NaN or infinity.
        if (!std::isfinite(value)) {
            out += "null";
            return;
        }
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    } else if constexpr (std::is_signed_v<T>) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    } else {
        std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
    }
    out += text;
}

}  // namespace

std::string HeadlessSession::StateJson() const {
    const FlightState& s = *view_;
    std::string out = "{";
#define AVELUNE_JSON_MEMBER(type, name) \
    out += "\"" #name "\":";            \
    AppendValue<type>(out, s.name);     \
    out += ",";
    AVELUNE_FLIGHT_STATE_MEMBERS(AVELUNE_JSON_MEMBER)
#undef AVELUNE_JSON_MEMBER
    out += "\"timerRunning\":";
    out += host_.timerRunning() ? "true" : "false";
    out += ",\"quit\":";
    out += host_.quitRequested() ? "true" : "false";
    out += "}";
    return out;
}
