// avelune's desktop program: reads the command line and the remembered
// settings, finds and checks the atlas, opens the window and runs the game.
#include <cstdlib>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "flightfile/FlightFile.h"
#include "platform/common/AtlasFiles.h"
#include "platform/sdl/DesktopLayout.h"
#include "platform/sdl/DesktopOptions.h"
#include "platform/sdl/DesktopResources.h"
#include "platform/sdl/DesktopSettings.h"
#include "platform/sdl/DesktopShell.h"
#include "platform/sdl/MessageBox.h"
#include "platform/sdl/XErrors.h"

#ifndef AVELUNE_VERSION
#define AVELUNE_VERSION "1.0.7"
#endif

namespace {

// Where the settings file lives: the user's preference folder for the
// program, created by SDL; empty when there is none.
std::string SettingsPath() {
    // An XDG_DATA_HOME that is set but empty means the default
    // (~/.local/share), as the XDG base directories say; SDL would take it
    // for the root folder and keep the logbook in /avelune.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '\0') unsetenv("XDG_DATA_HOME");
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

// The scale asked for this run, else the remembered one, else the largest
// that fits; one that would not fit the usable screen is cut down to the
// largest that does, with a warning, before any window opens.
int ChooseScale(int asked, int remembered) {
    SDL_Rect usable{};
    const bool known = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0;
    const int fits = known ? DefaultScale(usable.w, usable.h) : 1;
    const int wanted = asked > 0 ? asked : remembered > 0 ? remembered : fits;
    if (!known || wanted <= fits) return wanted;
    const WindowSize size = WindowSizeForScale(wanted);
    std::fprintf(stderr, "avelune: warning: scale %d needs a %d x %d window, more than the %d x %d the screen has free; "
                         "using scale %d\n", wanted, size.width, size.height, usable.w, usable.h, fits);
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
        // The program and its version first, as version lines go; then the game's
        // own words and its licence (LICENSE, /usr/share/doc/avelune/copyright).
        std::printf("avelune %s\n%s\nLicense: MIT\n", AVELUNE_VERSION, kVersionText);
        return 0;
    }

    // Before SDL opens the display: a quit must never end in an X error.
    ForgiveEventsToClosedWindows();
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
    std::string settingsText;
    DesktopSettings settings =
        settingsPath.empty() ? DesktopSettings{} : LoadSettings(settingsPath, warning, &settingsText);
    // One warning a line: a bad key-map line names its own number.
    for (size_t from = 0; from < warning.size();) {
        const size_t end = std::min(warning.find('\n', from), warning.size());
        std::fprintf(stderr, "avelune: warning: %s\n", warning.substr(from, end - from).c_str());
        from = end + 1;
    }

    // The start sound and the icon lie beside the atlas.
    const std::string assetFolder = std::filesystem::path(atlasPath).parent_path().string();
    const int scale = ChooseScale(options.scale, settings.scale);
    DesktopShell shell(scale, settings, settingsText, settingsPath, assetFolder);
    // The scale in use is the one remembered, so the next start opens the same window.
    if (options.scale > 0) shell.RememberScale(scale);
    uint64_t atlasHash = 0;
    if (flightfile::HashFile(atlasPath, atlasHash, error)) shell.SetAtlasHash(atlasHash);
    shell.SetAtlasPath(atlasPath);
    if (!shell.Open(error)) {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        return 1;
    }
    return shell.Run(std::move(atlas));
}
