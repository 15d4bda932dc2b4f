// The desktop program's own small memory between runs: the window scale,
// whether it was full screen, how many flights to keep and the renderer.
// Kept as "key=value" lines in a file in the user's preference folder; a
// file that cannot be read or makes no sense is ignored with a warning,
// never fatal.
#pragma once

#include <string>

#include "platform/sdl/RendererChoice.h"

struct DesktopSettings {
    int scale = 0;            // 0: none chosen yet, fit the screen
    bool fullscreen = false;
    int flightsKept = 200;    // flight files the logbook keeps, the oldest removed first
    RendererSetting renderer = RendererSetting::kAuto;  // which SDL renderer draws the window
    friend bool operator==(const DesktopSettings&, const DesktopSettings&) = default;
};

// The settings file's name inside the preference folder.
constexpr const char* kSettingsFileName = "settings.ini";

// Reads the file at `path`. A missing file gives the defaults quietly; an
// unreadable or corrupt one gives the defaults and sets `warning`.
DesktopSettings LoadSettings(const std::string& path, std::string& warning);

// Writes the settings so that a reader never sees half a file and a failed
// save keeps the old one (ReplaceFile). Creates the folder if it is missing.
// False (with `error` naming the file and the reason) when it cannot.
bool SaveSettings(const std::string& path, const DesktopSettings& settings, std::string& error);

// The text SaveSettings writes, and the parser LoadSettings uses.
std::string FormatSettings(const DesktopSettings& settings);
bool ParseSettings(const std::string& text, DesktopSettings& settings, std::string& problem);
