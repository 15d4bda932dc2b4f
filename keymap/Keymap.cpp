#include "keymap/Keymap.h"

#include "files/Files.h"

#include <algorithm>

namespace keymap {

namespace {

// clang-format off
constexpr std::string_view kKeyNames[] = {
    "Up", "Down", "Left", "Right", "Home", "End", "PageUp", "PageDown", "Insert", "Delete",
    "Return", "Space", "Escape", "Backspace", "Tab",
    "KP_0", "KP_1", "KP_2", "KP_3", "KP_4", "KP_5", "KP_6", "KP_7", "KP_8", "KP_9",
    "KP_Plus", "KP_Minus", "KP_Multiply", "KP_Divide", "KP_Enter", "KP_Period",
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "Comma", "Period", "Slash", "Semicolon", "Minus", "Equals", "LeftBracket", "RightBracket",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "Pause",
};
constexpr std::string_view kButtonNames[] = {
    "A", "B", "X", "Y", "Back", "Guide", "Start", "LeftStick", "RightStick",
    "LeftShoulder", "RightShoulder", "DpadUp", "DpadDown", "DpadLeft", "DpadRight",
};
// Pause, mute, full screen, screenshot.
constexpr std::string_view kReservedKeys[] = {"P", "Pause", "M", "F11", "F12"};

struct DefaultBinding {
    const char* control;
    std::initializer_list<const char*> keys;
    std::initializer_list<const char*> buttons;
};
const DefaultBinding kDefaults[] = {
    {"Start",          {"Return", "KP_Enter", "Space"}, {"A", "Start"}},
    {"Guide",          {"G", "F1"},                     {"Y"}},
    {"Quit",           {"Escape"},                      {"Back"}},
    {"Back",           {"Escape", "Backspace"},         {"B", "Back"}},
    {"Continue",       {"Return", "KP_Enter", "Space"}, {"A", "Start"}},
    {"PadUpperLeft",   {"KP_7"},                        {}},
    {"PadUp",          {"Up", "KP_8"},                  {"DpadUp"}},
    {"PadUpperRight",  {"KP_9"},                        {}},
    {"PadLeft",        {"Left", "KP_4"},                {"DpadLeft"}},
    {"PadRight",       {"Right", "KP_6"},               {"DpadRight"}},
    {"PadLowerLeft",   {"KP_1"},                        {}},
    {"PadDown",        {"Down", "KP_2"},                {"DpadDown"}},
    {"PadLowerRight",  {"KP_3"},                        {}},
    {"LeftPedal",      {"Z", "Comma"},                  {"LeftShoulder"}},
    {"RightPedal",     {"X", "Period"},                 {"RightShoulder"}},
    {"FullPower",      {"Home"},                        {"X"}},
    {"PowerUp",        {"PageUp", "KP_Plus"},           {"Y"}},
    {"PowerDown",      {"PageDown", "KP_Minus"},        {"A"}},
    {"IdlePower",      {"End"},                         {"B"}},
    {"DragOn",         {"1"},                           {}},
    {"DragOff",        {"Q"},                           {}},
    {"LiftOn",         {"2"},                           {}},
    {"LiftOff",        {"W"},                           {}},
    {"TurbulenceOn",   {"3"},                           {}},
    {"TurbulenceOff",  {"E"},                           {}},
    {"OutsideViewOff", {"4"},                           {}},
    {"OutsideViewOn",  {"R"},                           {}},
    {"PageSwitchOn",   {"5"},                           {"Back"}},
    {"PageSwitchOff",  {"T"},                           {}},
    {"Restart",        {"6", "F5"},                     {"Start"}},
    {"QuitLever",      {"Y"},                           {}},
};
// clang-format on

template <size_t N>
bool Contains(const std::string_view (&names)[N], std::string_view name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

std::optional<size_t> ControlIndex(std::string_view name) {
    for (size_t i = 0; i < kControlCount; ++i) {
        if (name == kControls[i].name) return i;
    }
    return std::nullopt;
}

std::string_view Trim(std::string_view s) {
    const auto begin = s.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos) return {};
    const auto end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

std::string Joined(const std::vector<std::string>& inputs) {
    std::string text;
    for (const std::string& input : inputs) text += (text.empty() ? "" : ", ") + input;
    return text;
}

}  // namespace

std::span<const std::string_view> KeyNames() { return kKeyNames; }
std::span<const std::string_view> ButtonNames() { return kButtonNames; }
std::span<const std::string_view> ReservedKeys() { return kReservedKeys; }

Keymap Keymap::Defaults() {
    Keymap map;
    for (const DefaultBinding& d : kDefaults) {
        const size_t i = *ControlIndex(d.control);
        map.keys_[i].assign(d.keys.begin(), d.keys.end());
        map.buttons_[i].assign(d.buttons.begin(), d.buttons.end());
    }
    return map;
}

const std::vector<std::string>& Keymap::Bound(Device device, size_t index) const {
    return (device == Device::kKey ? keys_ : buttons_).at(index);
}

void Keymap::Bind(Device device, size_t index, std::vector<std::string> inputs) {
    (device == Device::kKey ? keys_ : buttons_).at(index) = std::move(inputs);
}

std::optional<size_t> Keymap::Find(Device device, std::string_view input, uint32_t mode) const {
    const auto& bound = device == Device::kKey ? keys_ : buttons_;
    for (size_t i = 0; i < kControlCount; ++i) {
        if (kControls[i].mode != mode) continue;
        if (std::find(bound[i].begin(), bound[i].end(), input) != bound[i].end()) return i;
    }
    return std::nullopt;
}

std::optional<size_t> Keymap::FindLive(Device device, std::string_view input, uint32_t pressMode,
                                       uint32_t releaseMode) const {
    auto index = Find(device, input, pressMode);
    if (!index && releaseMode != pressMode) index = Find(device, input, releaseMode);
    return index;
}

bool IsMapLine(std::string_view line) { return line.starts_with("key.") || line.starts_with("button."); }

bool ApplyMapLine(std::string_view line, Keymap& map, std::string& problem) {
    line = Trim(line);
    const Device device = line.starts_with("key.") ? Device::kKey : Device::kButton;
    const std::string_view kind = device == Device::kKey ? "key" : "button";
    const auto eq = line.find('=');
    if (!IsMapLine(line) || eq == std::string_view::npos) {
        problem = "expected key.CONTROL = KEY, ... or button.CONTROL = BUTTON, ...";
        return false;
    }
    const std::string_view name = Trim(line.substr(kind.size() + 1, eq - kind.size() - 1));
    const auto index = ControlIndex(name);
    if (!index) {
        problem = "no control is called " + files::Quote(name);
        return false;
    }
    const auto keep = [&] { return "; " + std::string(name) + " keeps " + (map.Bound(device, *index).empty() ? "nothing" : Joined(map.Bound(device, *index))); };
    std::vector<std::string> inputs;
    std::string_view rest = Trim(line.substr(eq + 1));
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        const std::string_view word = Trim(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (word.empty()) {
            problem = "an empty name in the list" + keep();
            return false;
        }
        const bool known = device == Device::kKey ? Contains(kKeyNames, word) : Contains(kButtonNames, word);
        if (!known) {
            problem = "no " + std::string(kind) + " is called " + files::Quote(word) + keep();
            return false;
        }
        if (device == Device::kKey && Contains(kReservedKeys, word)) {
            problem = "the key " + std::string(word) + " belongs to the window (pause, mute, full screen, screenshot)" +
                      keep();
            return false;
        }
        if (std::find(inputs.begin(), inputs.end(), word) == inputs.end()) inputs.emplace_back(word);
    }
    // One key acts on one control of a screen: the one it now names wins.
    const uint32_t mode = kControls[*index].mode;
    for (const std::string& input : inputs) {
        for (size_t other = 0; other < kControlCount; ++other) {
            if (other == *index || kControls[other].mode != mode) continue;
            std::vector<std::string> bound = map.Bound(device, other);
            const auto erased = std::erase(bound, input);
            if (erased > 0) map.Bind(device, other, std::move(bound));
        }
    }
    map.Bind(device, *index, std::move(inputs));
    return true;
}

std::string FormatMapLines(const Keymap& map) {
    const Keymap defaults = Keymap::Defaults();
    std::string text;
    for (const Device device : {Device::kKey, Device::kButton}) {
        for (size_t i = 0; i < kControlCount; ++i) {
            const std::vector<std::string>& bound = map.Bound(device, i);
            if (bound == defaults.Bound(device, i)) continue;
            text += std::string(device == Device::kKey ? "key." : "button.") + kControls[i].name + " = " +
                    Joined(bound) + "\n";
        }
    }
    return text;
}

std::optional<Point> HeldInputs::Down(const Keymap& map, Device device, std::string_view input, uint32_t mode) {
    return Down(map, device, input, mode, mode);
}

std::optional<Point> HeldInputs::Down(const Keymap& map, Device device, std::string_view input, uint32_t pressMode,
                                      uint32_t releaseMode) {
    for (const Held& h : held_) {
        if (h.device == device && h.input == input) return std::nullopt;
    }
    const auto index = map.FindLive(device, input, pressMode, releaseMode);
    if (!index) return std::nullopt;
    const Point at = Centre(kControls[*index]);
    held_.push_back({device, std::string(input), at});
    return at;
}

std::optional<Point> HeldInputs::Up(Device device, std::string_view input) {
    for (auto it = held_.begin(); it != held_.end(); ++it) {
        if (it->device == device && it->input == input) {
            const Point at = it->at;
            held_.erase(it);
            return at;
        }
    }
    return std::nullopt;
}

std::vector<Point> HeldInputs::ReleaseAll() {
    std::vector<Point> points;
    for (const Held& h : held_) points.push_back(h.at);
    held_.clear();
    return points;
}

}  // namespace keymap
