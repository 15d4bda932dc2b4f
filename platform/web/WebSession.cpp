#include "platform/web/WebSession.h"

#include <cmath>

#include "gfx/Palette.h"
#include "platform/common/StateJson.h"

std::optional<WebGamePoint> MapCanvasPoint(double cssX, double cssY, double devicePixelRatio, int scale) {
    if (scale < 1 || !(devicePixelRatio > 0) || !std::isfinite(cssX) || !std::isfinite(cssY)) return std::nullopt;
    // The device pixel under the point, then the game pixel it belongs to;
    // floor, so a point just left of or above the canvas is outside.
    const double deviceX = std::floor(cssX * devicePixelRatio);
    const double deviceY = std::floor(cssY * devicePixelRatio);
    const double gx = std::floor(deviceX / scale);
    const double gy = std::floor(deviceY / scale);
    if (gx < 0 || gy < 0 || gx >= kClientWidth || gy >= kClientHeight) return std::nullopt;
    return WebGamePoint{static_cast<int>(gx), static_cast<int>(gy)};
}

WebSession::WebSession(std::unique_ptr<CDibImage> atlas, WebPageHooks hooks)
    : host_(std::move(hooks)), session_(host_, std::move(atlas)) {}

bool WebSession::RunDueTick() {
    if (host_.quitRequested() || !host_.timer().TakeDue(host_.Now())) return false;
    session_.Tick();
    return true;
}

void WebSession::Tick(int n) {
    for (int i = 0; i < n && !host_.quitRequested() && !paused(); ++i) session_.Tick();
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
    const bool pictureChanged = host_.picture().TakeChanged();
    const bool paletteChanged = host_.TakePaletteChanged();
    if (!pictureChanged && !paletteChanged) return false;
    std::array<std::array<uint8_t, 4>, 256> rgba;
    for (size_t k = 0; k < rgba.size(); ++k) {
        const Rgb& c = host_.palette()[k];
        rgba[k] = {c.red, c.green, c.blue, 255};
    }
    const WindowPicture& picture = host_.picture();
    uint8_t* out = frame_.data();
    for (int y = 0; y < kClientHeight; ++y) {
        for (int x = 0; x < kClientWidth; ++x, out += 4) {
            static constexpr std::array<uint8_t, 4> kBlack = {0, 0, 0, 255};
            const auto& c = picture.IsLine(x, y) ? kBlack : rgba[picture.Index(x, y)];
            out[0] = c[0];
            out[1] = c[1];
            out[2] = c[2];
            out[3] = c[3];
        }
    }
    return true;
}

std::string WebSession::StateJson() const {
    return FlightStateJson(session_.view(), host_.timer().running(), host_.quitRequested());
}
