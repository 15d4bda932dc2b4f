// The desktop program's own small memory between runs: the window scale,
// whether it was full screen, how many flights to keep, the renderer, the
// start sound muted, pausing when the window loses the keyboard, and the
// player's changes to the key map. Kept as "key=value" lines in a file in
// the user's preference folder; a file that cannot be read or makes no sense
// is ignored with a warning, never fatal.
#pragma once

#include <string>
#include <vector>

#include "keymap/Keymap.h"

#include "platform/sdl/RendererChoice.h"

struct DesktopSettings {
    int scale = 0;            // 0: none chosen yet, fit the screen
    bool fullscreen = false;
    int flightsKept = 200;    // flight files the logbook keeps, the oldest removed first
    RendererSetting renderer = RendererSetting::kAuto;  // which SDL renderer draws the window
    bool muted = false;       // the start sound stays silent
    bool pauseOnFocusLoss = false;
    keymap::Keymap keys = keymap::Keymap::Defaults();
    // Lines of keys this version does not know (a later version's), written
    // back as they were so that saving here never drops them.
    std::vector<std::string> laterLines = {};
    friend bool operator==(const DesktopSettings&, const DesktopSettings&) = default;
};

// The settings file's name inside the preference folder.
constexpr const char* kSettingsFileName = "settings.ini";

// Reads the file at `path`. A missing file gives the defaults quietly; an
// unreadable or corrupt one gives the defaults and sets `warning`. A bad
// key-map line only keeps the default for its control: `warning` then holds
// one line for each, naming the file and the line number.
DesktopSettings LoadSettings(const std::string& path, std::string& warning);

// Writes the settings so that a reader never sees half a file and a failed
// save keeps the old one (ReplaceFile). Creates the folder if it is missing.
// False (with `error` naming the file and the reason) when it cannot.
bool SaveSettings(const std::string& path, const DesktopSettings& settings, std::string& error);

// The text SaveSettings writes, and the parser LoadSettings uses.
std::string FormatSettings(const DesktopSettings& settings);
// Bad key-map lines go to `mapProblems` ("line N: why"), if given.
bool ParseSettings(const std::string& text, DesktopSettings& settings, std::string& problem,
                   std::vector<std::string>* mapProblems = nullptr);
