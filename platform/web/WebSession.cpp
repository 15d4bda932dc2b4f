#include "platform/web/WebSession.h"

#include <algorithm>
#include <cmath>
#include <utility>

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
