#include "platform/sdl/DesktopSettings.h"

#include <algorithm>
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
    if (!settings.showPowerPitch) text += "show_power_pitch=0\n";
    if (settings.soundCues) text += "sound_cues=1\n";
    if (settings.fillWindow) text += "fill_window=1\n";
    text += keymap::FormatMapLines(settings.keys);
    for (const std::string& line : settings.laterLines) text += line + "\n";
    return text;
}

namespace {

// One "key=value" line read into `read`; false with `why` when its value
// makes no sense (the line is then skipped alone).
bool ApplyValueLine(const std::string& key, const std::string& value, const std::string& trimmed,
                    DesktopSettings& read, std::string& why) {
    const auto flag = [&](bool& member) {
        if (value != "0" && value != "1") {
            why = key + " must be 0 or 1";
            return false;
        }
        member = value == "1";
        return true;
    };
    if (key == "scale") {
        int scale = 0;
        if (!ParseInt(value, scale) || scale < 0 || scale > kMaxScale) {
            why = "scale must be 0 to " + std::to_string(kMaxScale);
            return false;
        }
        read.scale = scale;
    } else if (key == "fullscreen") {
        return flag(read.fullscreen);
    } else if (key == "flights_kept") {
        int kept = 0;
        if (!ParseInt(value, kept) || kept < 1 || kept > kMaxFlightsKept) {
            why = "flights_kept must be 1 to " + std::to_string(kMaxFlightsKept);
            return false;
        }
        read.flightsKept = kept;
    } else if (key == "renderer") {
        const auto renderer = ParseRendererSetting(value);
        if (!renderer) {
            why = "renderer must be auto, software or accelerated";
            return false;
        }
        read.renderer = *renderer;
    } else if (key == "mute") {
        return flag(read.muted);
    } else if (key == "pause_on_focus_loss") {
        return flag(read.pauseOnFocusLoss);
    } else if (key == "show_power_pitch") {
        return flag(read.showPowerPitch);
    } else if (key == "sound_cues") {
        return flag(read.soundCues);
    } else if (key == "fill_window") {
        return flag(read.fillWindow);
    } else {
        // A later version's key: kept and written back unchanged, so the
        // versions can share the file.
        read.laterLines.push_back(trimmed);
    }
    return true;
}

// The text's lines, each without its line end.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The key of a "key = value" line, trimmed; empty for comments, blank lines
// and lines without "=".
std::string LineKey(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') return {};
    const auto eq = trimmed.find('=');
    return eq == std::string::npos ? std::string() : Trim(trimmed.substr(0, eq));
}

}  // namespace

bool ParseSettings(const std::string& text, DesktopSettings& settings, std::string& problem,
                   std::vector<std::string>* lineProblems) {
    DesktopSettings read;
    const std::vector<std::string> lines = SplitLines(text);
    problem.clear();
    // Every bad line goes to `lineProblems` in order; `problem` keeps the
    // first that is not a key-map line's.
    const auto note = [&](const std::string& why, bool mapLine) {
        if (lineProblems) lineProblems->push_back(why);
        if (!mapLine && problem.empty()) problem = why;
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::string at = "line " + std::to_string(i + 1) + ": ";
        const bool text = std::none_of(line.begin(), line.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r';
        });
        if (!text) {
            note(at + "not a text line; ignored", false);
            continue;
        }
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        if (keymap::IsMapLine(trimmed)) {
            std::string why;
            if (!keymap::ApplyMapLine(trimmed, read.keys, why)) note(at + why, true);
            continue;
        }
        const auto eq = trimmed.find('=');
        if (eq == std::string::npos) {
            note(at + "expected key=value; ignored", false);
            continue;
        }
        std::string why;
        if (!ApplyValueLine(Trim(trimmed.substr(0, eq)), Trim(trimmed.substr(eq + 1)), trimmed, read, why)) {
            note(at + why + "; ignored", false);
        }
    }
    settings = read;
    return problem.empty();
}

std::string UpdateSettingsText(const std::string& text, const DesktopSettings& before, const DesktopSettings& now) {
    if (text.empty()) return FormatSettings(now);
    std::vector<std::string> lines = SplitLines(text);
    // The last line of a key counts when the file is read, so that is the
    // one that changes; a key the file lacks is added at its end.
    const auto set = [&](const std::string& key, const std::string& line) {
        for (size_t i = lines.size(); i-- > 0;) {
            if (LineKey(lines[i]) == key) {
                lines[i] = line;
                return;
            }
        }
        lines.push_back(line);
    };
    const auto value = [&](const std::string& key, const std::string& v) { set(key, key + "=" + v); };
    const auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    if (now.scale != before.scale) value("scale", std::to_string(now.scale));
    if (now.fullscreen != before.fullscreen) value("fullscreen", flag(now.fullscreen));
    if (now.flightsKept != before.flightsKept) value("flights_kept", std::to_string(now.flightsKept));
    if (now.renderer != before.renderer) value("renderer", RendererSettingName(now.renderer));
    if (now.muted != before.muted) value("mute", flag(now.muted));
    if (now.pauseOnFocusLoss != before.pauseOnFocusLoss) value("pause_on_focus_loss", flag(now.pauseOnFocusLoss));
    if (now.showPowerPitch != before.showPowerPitch) value("show_power_pitch", flag(now.showPowerPitch));
    if (now.soundCues != before.soundCues) value("sound_cues", flag(now.soundCues));
    if (now.fillWindow != before.fillWindow) value("fill_window", flag(now.fillWindow));
    for (const keymap::Device device : {keymap::Device::kKey, keymap::Device::kButton}) {
        for (size_t i = 0; i < keymap::kControlCount; ++i) {
            const std::vector<std::string>& bound = now.keys.Bound(device, i);
            if (bound == before.keys.Bound(device, i)) continue;
            const std::string key = std::string(device == keymap::Device::kKey ? "key." : "button.") +
                                    keymap::kControls[i].name;
            std::string list;
            for (const std::string& input : bound) list += (list.empty() ? "" : ", ") + input;
            set(key, key + " = " + list);
        }
    }
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

DesktopSettings LoadSettings(const std::string& path, std::string& warning, std::string* fileText) {
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
    std::vector<std::string> problems;
    // Each bad line alone is ignored, with a warning; the others count.
    ParseSettings(text, settings, problem, &problems);
    for (const std::string& p : problems) {
        warning += (warning.empty() ? "" : "\n") + path + " " + p;
    }
    if (fileText) *fileText = text;
    return settings;
}

bool SaveSettings(const std::string& path, const DesktopSettings& settings, std::string& error) {
    return SaveSettingsText(path, FormatSettings(settings), error);
}

bool SaveSettingsText(const std::string& path, const std::string& text, std::string& error) {
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
    std::string reason;
    if (!ReplaceFile(path, text.data(), text.size(), reason)) {
        error = "cannot write " + path + ": " + reason;
        return false;
    }
    return true;
}
