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
    bool showPowerPitch = true;  // the menu bar shows power and the pitch step in flight
    bool soundCues = false;      // a tone and ticks in flight following G/S and the needle (cues/)
    bool fillWindow = false;     // a resizable window the picture fills (sharp-bilinear), not a whole scale
    keymap::Keymap keys = keymap::Keymap::Defaults();
    // Lines of keys this version does not know (a later version's), written
    // back as they were so that saving here never drops them.
    std::vector<std::string> laterLines = {};
    friend bool operator==(const DesktopSettings&, const DesktopSettings&) = default;
};

// The settings file's name inside the preference folder.
constexpr const char* kSettingsFileName = "settings.ini";

// Reads the file at `path`. A missing file gives the defaults quietly; one
// that cannot be read gives the defaults and sets `warning`. Each bad line
// is ignored alone and keeps the default of what it would set: `warning`
// then holds one line for each, naming the file, the line number and why.
// `fileText`, if given, receives the file's text as read (for
// UpdateSettingsText).
DesktopSettings LoadSettings(const std::string& path, std::string& warning, std::string* fileText = nullptr);

// Writes the settings so that a reader never sees half a file and a failed
// save keeps the old one (ReplaceFile). Creates the folder if it is missing.
// False (with `error` naming the file and the reason) when it cannot.
bool SaveSettings(const std::string& path, const DesktopSettings& settings, std::string& error);
// The same for a text made by UpdateSettingsText.
bool SaveSettingsText(const std::string& path, const std::string& text, std::string& error);

// A whole new file's text for the settings, and the parser LoadSettings uses:
// it reads every good line; `problem` holds the first bad line that is not
// a key-map line ("line N: why"), and every bad line goes to `lineProblems`
// in order, if given. False when `problem` is set.
std::string FormatSettings(const DesktopSettings& settings);
bool ParseSettings(const std::string& text, DesktopSettings& settings, std::string& problem,
                   std::vector<std::string>* lineProblems = nullptr);

// The player's file `text` (read as `before`) with only the values that
// differ in `now` rewritten, in place (the last line of a key, which is the
// one that counts), or added at its end: every other line, bad ones, comments
// and later versions' keys included, stays as it was, in its order.
std::string UpdateSettingsText(const std::string& text, const DesktopSettings& before, const DesktopSettings& now);
