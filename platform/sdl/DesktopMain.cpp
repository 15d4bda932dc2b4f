// avelune's desktop program: reads the command line and the remembered
// settings, finds and checks the atlas, opens the window and runs the game.
#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "flightfile/FlightFile.h"
#include "platform/common/AtlasFiles.h"
#include "platform/sdl/DesktopLayout.h"
#include "platform/sdl/DesktopOptions.h"
#include "platform/sdl/DesktopResources.h"
#include "platform/sdl/DesktopSettings.h"
#include "flightfile/FlightFile.h"
#include "platform/sdl/DesktopShell.h"
#include "platform/sdl/MessageBox.h"

#ifndef AVELUNE_VERSION
#define AVELUNE_VERSION "1.0.7"
#endif

namespace {

// Where the settings file lives: the user's preference folder for the
// program, created by SDL; empty when there is none.
std::string SettingsPath() {
    char* folder = SDL_GetPrefPath("", "avelune");
    if (folder == nullptr) return {};
    std::string path = std::string(folder) + kSettingsFileName;
    SDL_free(folder);
    return path;
}

// SDL falls back to drivers that draw nowhere when no display answers; a
// window there would be a game nobody sees, running for ever. Only a player
// who asks for such a driver by name gets it.
bool HasDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return false;
    const std::string name = driver;
    if (name != "offscreen" && name != "dummy" && name != "evdev") return true;
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    return asked != nullptr && name == asked;
}

int ChooseScale(int asked, int remembered) {
    SDL_Rect usable{};
    const bool known = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0;
    const int fits = known ? DefaultScale(usable.w, usable.h) : 1;
    if (asked > 0) return asked;  // the player's word for this run
    if (remembered > 0) return std::min(remembered, fits);
    return fits;
}

}  // namespace

int RunDesktop(int argc, char** argv) {
    const char* program = argc > 0 ? argv[0] : "avelune";
    const DesktopOptions options = ParseDesktopOptions(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "avelune: %s\n%s", options.error.c_str(), DesktopUsage(program).c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(DesktopUsage(program).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s (avelune %s)\n", kVersionText, AVELUNE_VERSION);
        return 0;
    }

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "avelune: cannot open a window (no display?): %s\n", SDL_GetError());
        return 1;
    }
    struct SdlQuit {
        ~SdlQuit() { SDL_Quit(); }
    } sdlQuit;
    if (!HasDisplay()) {
        std::fprintf(stderr, "avelune: no display to open a window on (is DISPLAY or WAYLAND_DISPLAY set?); "
                             "run with --headless to play without one\n");
        return 1;
    }

    const std::string atlasPath = FindAtlas(program);
    std::string error;
    std::unique_ptr<CDibImage> atlas = LoadAtlas(atlasPath, error);
    if (!atlas) {
        // OK, or a signal while the box is up, ends the program alike.
        ShowMessageBox(MessageKind::kError, "Avelune cannot start: " + error, error);
        return 1;
    }

    const std::string settingsPath = SettingsPath();
    std::string warning;
    DesktopSettings settings = settingsPath.empty() ? DesktopSettings{} : LoadSettings(settingsPath, warning);
    if (!warning.empty()) std::fprintf(stderr, "avelune: warning: %s\n", warning.c_str());

    // The start sound and the icon lie beside the atlas.
    const std::string assetFolder = std::filesystem::path(atlasPath).parent_path().string();
    DesktopShell shell(ChooseScale(options.scale, settings.scale), settings, settingsPath, assetFolder);
    if (options.scale > 0) shell.RememberScale(options.scale);
    uint64_t atlasHash = 0;
    if (flightfile::HashFile(atlasPath, atlasHash, error)) shell.SetAtlasHash(atlasHash);
    shell.SetAtlasPath(atlasPath);
    if (!shell.Open(error)) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        return 1;
    }
    return shell.Run(std::move(atlas));
}
