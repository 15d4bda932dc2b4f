// Which SDL renderer draws the window.
//
// Where OpenGL runs on the processor (Mesa's llvmpipe or softpipe, as under
// Xvfb or on a machine without a graphics driver), SDL's own software
// renderer is several times cheaper: it scales the picture straight into
// the window's shared-memory image, with no GL library, shader compiler or
// second copy of every frame, and the process stays small. Where a real GPU
// draws, the accelerated renderer is kept.
//
// The player chooses with the settings file's `renderer` key (auto, software,
// accelerated); SDL_RENDER_DRIVER in the environment names a driver outright
// and wins over both.
#pragma once

#include <SDL.h>

#include <optional>
#include <string>
#include <string_view>

enum class RendererSetting { kAuto, kSoftware, kAccelerated };

std::optional<RendererSetting> ParseRendererSetting(std::string_view text);
const char* RendererSettingName(RendererSetting setting);

// What the machine tells before any GL library is loaded.
struct RendererClues {
    const char* envDriver = nullptr;  // SDL_RENDER_DRIVER, if set
    bool gpuRenderNode = false;       // a /dev/dri/renderD* device exists
    bool glForcedSoftware = false;    // LIBGL_ALWAYS_SOFTWARE or GALLIUM_DRIVER asks for a rasteriser
};

enum class RendererPlan {
    kSoftware,         // SDL's software renderer, no GL loaded
    kAccelerated,      // the accelerated renderer, whatever GL draws
    kProbeAccelerated, // the accelerated renderer unless its GL is a software rasteriser
    kEnvironment,      // the driver SDL_RENDER_DRIVER names
};

RendererPlan PlanRenderer(RendererSetting setting, const RendererClues& clues);

// Whether a GL_RENDERER string names a rasteriser that runs on the processor.
bool IsSoftwareRasteriser(std::string_view glRenderer);

// The clues of this machine and environment.
RendererClues ReadRendererClues();

struct WindowAndRenderer {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    std::string why;  // how the renderer was chosen, for the startup trace
};

// Creates the (hidden) window with `flags` and its renderer as planned.
// On failure both are null and `error` says why.
WindowAndRenderer CreateWindowAndRenderer(const std::string& caption, int width, int height, Uint32 flags,
                                          RendererSetting setting, std::string& error);
