#include "platform/sdl/RendererChoice.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

bool EnvSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0 && Lower(value) != "false";
}

int DriverIndex(const char* name) {
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, name) == 0) return i;
    }
    return -1;
}

// The software renderer draws into the window's own image. Without this
// hint SDL 2 would put an accelerated renderer (and GL) under that image as
// well, paying for both; a player's SDL_FRAMEBUFFER_ACCELERATION still wins.
SDL_Renderer* CreateSoftware(SDL_Window* window) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    return SDL_CreateRenderer(window, DriverIndex("software"), SDL_RENDERER_SOFTWARE);
}

// The GL_RENDERER string of the renderer's current context; empty when the
// renderer draws through no OpenGL.
std::string GlRendererName(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) return {};
    if (SDL_GL_GetCurrentContext() == nullptr) return {};
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (getString == nullptr) return {};
    constexpr unsigned kGlRenderer = 0x1F01;
    const unsigned char* name = getString(kGlRenderer);
    return name ? reinterpret_cast<const char*>(name) : std::string();
}

}  // namespace

std::optional<RendererSetting> ParseRendererSetting(std::string_view text) {
    const std::string word = Lower(text);
    if (word == "auto") return RendererSetting::kAuto;
    if (word == "software") return RendererSetting::kSoftware;
    if (word == "accelerated") return RendererSetting::kAccelerated;
    return std::nullopt;
}

const char* RendererSettingName(RendererSetting setting) {
    switch (setting) {
    case RendererSetting::kSoftware: return "software";
    case RendererSetting::kAccelerated: return "accelerated";
    case RendererSetting::kAuto: break;
    }
    return "auto";
}

RendererPlan PlanRenderer(RendererSetting setting, const RendererClues& clues) {
    if (clues.envDriver != nullptr && *clues.envDriver != '\0') return RendererPlan::kEnvironment;
    switch (setting) {
    case RendererSetting::kSoftware: return RendererPlan::kSoftware;
    case RendererSetting::kAccelerated: return RendererPlan::kAccelerated;
    case RendererSetting::kAuto: break;
    }
    // Without a GPU's render node, or with Mesa told to rasterise, GL can
    // only run on the processor: no need to load it to find out.
    if (!clues.gpuRenderNode || clues.glForcedSoftware) return RendererPlan::kSoftware;
    return RendererPlan::kProbeAccelerated;
}

bool IsSoftwareRasteriser(std::string_view glRenderer) {
    const std::string name = Lower(glRenderer);
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swiftshader"}) {
        if (name.find(word) != std::string::npos) return true;
    }
    return false;
}

RendererClues ReadRendererClues() {
    RendererClues clues;
    clues.envDriver = std::getenv("SDL_RENDER_DRIVER");
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/dev/dri", ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename().string().rfind("renderD", 0) == 0) clues.gpuRenderNode = true;
    }
    const char* gallium = std::getenv("GALLIUM_DRIVER");
    const std::string galliumDriver = gallium ? Lower(gallium) : std::string();
    clues.glForcedSoftware = EnvSet("LIBGL_ALWAYS_SOFTWARE") || galliumDriver == "llvmpipe" ||
                             galliumDriver == "softpipe" || galliumDriver == "swr";
    return clues;
}

WindowAndRenderer CreateWindowAndRenderer(const std::string& caption, int width, int height, Uint32 flags,
                                          RendererSetting setting, std::string& error) {
    WindowAndRenderer out;
    auto openWindow = [&]() {
        out.window = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                      flags);
        if (out.window == nullptr) error = std::string("cannot open a window: ") + SDL_GetError();
        return out.window != nullptr;
    };
    if (!openWindow()) return {};

    const RendererClues clues = ReadRendererClues();
    switch (PlanRenderer(setting, clues)) {
    case RendererPlan::kSoftware:
        out.renderer = CreateSoftware(out.window);
        out.why = setting == RendererSetting::kSoftware ? "software, as the settings ask"
                                                        : "software: OpenGL here would run on the processor";
        break;
    case RendererPlan::kEnvironment:
        if (Lower(clues.envDriver) == "software") SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        out.renderer = SDL_CreateRenderer(out.window, -1, 0);
        out.why = std::string("as SDL_RENDER_DRIVER=") + clues.envDriver + " asks";
        break;
    case RendererPlan::kAccelerated:
        out.renderer = SDL_CreateRenderer(out.window, -1, SDL_RENDERER_ACCELERATED);
        out.why = "accelerated, as the settings ask";
        break;
    case RendererPlan::kProbeAccelerated: {
        out.renderer = SDL_CreateRenderer(out.window, -1, SDL_RENDERER_ACCELERATED);
        const std::string glName = out.renderer ? GlRendererName(out.renderer) : std::string();
        out.why = "accelerated: a GPU draws (" + (glName.empty() ? std::string("not OpenGL") : glName) + ")";
        if (!glName.empty() && IsSoftwareRasteriser(glName)) {
            // The window now carries GL; a fresh one lets the libraries go.
            SDL_DestroyRenderer(out.renderer);
            SDL_DestroyWindow(out.window);
            out = {};
            if (!openWindow()) return {};
            out.renderer = CreateSoftware(out.window);
            out.why = "software: OpenGL here is " + glName;
        }
        break;
    }
    }
    if (out.renderer == nullptr) {
        out.renderer = CreateSoftware(out.window);
        out.why += "; fell back to software";
    }
    if (out.renderer == nullptr) {
        error = std::string("cannot draw in the window: ") + SDL_GetError();
        SDL_DestroyWindow(out.window);
        return {};
    }
    return out;
}
