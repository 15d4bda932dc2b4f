#include "platform/headless/HeadlessSession.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
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

std::unique_ptr<CDibImage> LoadAtlas(const std::string& path, std::string& error) {
    auto atlas = std::make_unique<CDibImage>(path);
    const std::string problem = AtlasProblem(*atlas);
    if (!problem.empty()) {
        error = "the atlas " + path + " cannot be used: " + problem;
        return nullptr;
    }
    return atlas;
}

std::string FindAtlas(const char* argv0) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_regular_file("prop.bmp", ec)) return "prop.bmp";
    // Beside the program: the build writes the generated atlas there.
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec && argv0 != nullptr) program = fs::path(argv0);
    if (!program.empty()) {
        const fs::path beside = program.parent_path() / "prop.bmp";
        if (fs::is_regular_file(beside, ec)) return beside.string();
#ifdef AVELUNE_DATA_FROM_BIN
        // Installed: the data folder, found from the program's own place so
        // that the installed tree can be moved as a whole.
        const fs::path installed = (program.parent_path() / AVELUNE_DATA_FROM_BIN / "prop.bmp").lexically_normal();
        if (fs::is_regular_file(installed, ec)) return installed.string();
#endif
    }
    return "prop.bmp";
}
