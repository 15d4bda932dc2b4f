#include "platform/sdl/DesktopSettings.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>


#include "files/Files.h"
#include "platform/common/ReplaceFile.h"
#include "platform/sdl/DesktopLayout.h"

namespace {

// A settings file is a few dozen bytes; anything far larger is not ours.
constexpr std::uintmax_t kMaxSettingsBytes = 64 * 1024;

std::string Trim(const std::string& s) {
    const auto begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return {};
    const auto end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

bool ParseInt(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

constexpr int kMaxFlightsKept = 100000;

}  // namespace

std::string FormatSettings(const DesktopSettings& settings) {
    std::string text = "# avelune desktop settings\n";
    text += "scale=" + std::to_string(settings.scale) + "\n";
    text += std::string("fullscreen=") + (settings.fullscreen ? "1" : "0") + "\n";
    if (settings.flightsKept != DesktopSettings{}.flightsKept) {
        text += "flights_kept=" + std::to_string(settings.flightsKept) + "\n";
    }
    if (settings.renderer != RendererSetting::kAuto) {
        text += std::string("renderer=") + RendererSettingName(settings.renderer) + "\n";
    }
    if (settings.muted) text += "mute=1\n";
    if (settings.pauseOnFocusLoss) text += "pause_on_focus_loss=1\n";
    text += keymap::FormatMapLines(settings.keys);
    for (const std::string& line : settings.laterLines) text += line + "\n";
    return text;
}

bool ParseSettings(const std::string& text, DesktopSettings& settings, std::string& problem,
                   std::vector<std::string>* mapProblems) {
    DesktopSettings read;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::string at = "line " + std::to_string(number) + ": ";
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r') {
                problem = at + "not a text line";
                return false;
            }
        }
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        if (keymap::IsMapLine(trimmed)) {
            std::string why;
            if (!keymap::ApplyMapLine(trimmed, read.keys, why) && mapProblems) mapProblems->push_back(at + why);
            continue;
        }
        const auto eq = trimmed.find('=');
        if (eq == std::string::npos) {
            problem = at + "expected key=value";
            return false;
        }
        const std::string key = Trim(trimmed.substr(0, eq));
        const std::string value = Trim(trimmed.substr(eq + 1));
        if (key == "scale") {
            int scale = 0;
            if (!ParseInt(value, scale) || scale < 0 || scale > kMaxScale) {
                problem = at + "scale must be 0 to " + std::to_string(kMaxScale);
                return false;
            }
            read.scale = scale;
        } else if (key == "fullscreen") {
            if (value != "0" && value != "1") {
                problem = at + "fullscreen must be 0 or 1";
                return false;
            }
            read.fullscreen = value == "1";
        } else if (key == "flights_kept") {
            int kept = 0;
            if (!ParseInt(value, kept) || kept < 1 || kept > kMaxFlightsKept) {
                problem = at + "flights_kept must be 1 to " + std::to_string(kMaxFlightsKept);
                return false;
            }
            read.flightsKept = kept;
        } else if (key == "renderer") {
            const auto renderer = ParseRendererSetting(value);
            if (!renderer) {
                problem = at + "renderer must be auto, software or accelerated";
                return false;
            }
            read.renderer = *renderer;
        } else if (key == "mute" || key == "pause_on_focus_loss") {
            if (value != "0" && value != "1") {
                problem = at + key + " must be 0 or 1";
                return false;
            }
            (key == "mute" ? read.muted : read.pauseOnFocusLoss) = value == "1";
        } else {
            // A later version's key: kept and written back unchanged, so the
            // versions can share the file.
            read.laterLines.push_back(trimmed);
        }
    }
    settings = read;
    return true;
}

DesktopSettings LoadSettings(const std::string& path, std::string& warning) {
    // The one reader: a regular file within the cap, or nothing is read.
    std::string text, reason;
    const files::ReadStatus read = files::ReadFile(path, "a settings file", kMaxSettingsBytes, text, reason);
    if (read == files::ReadStatus::kMissing) return {};
    if (read == files::ReadStatus::kRefused) {
        warning = "ignoring the settings file " + path + ": " + reason;
        return {};
    }
    DesktopSettings settings;
    std::string problem;
    std::vector<std::string> mapProblems;
    if (!ParseSettings(text, settings, problem, &mapProblems)) {
        warning = ignored + problem;
        return {};
    }
    for (const std::string& p : mapProblems) {
        warning += (warning.empty() ? "" : "\n") + path + " " + p;
    }
    return settings;
}

bool SaveSettings(const std::string& path, const DesktopSettings& settings, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            error = "cannot create the folder " + target.parent_path().string() + ": " + ec.message();
            return false;
        }
    }
    const std::string text = FormatSettings(settings);
    std::string reason;
    if (!ReplaceFile(path, text.data(), text.size(), reason)) {
        error = "cannot write " + path + ": " + reason;
        return false;
    }
    return true;
}
