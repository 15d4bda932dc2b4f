// Keys and gamepad buttons that act as the mouse.
//
// Every named control is one press area of one input mode; a key bound to it
// presses the left button at the centre of that area and releases it there,
// through the same handlers as a click, so the effect, the pressed picture
// and the flight record are exactly a click's. The centres are read from the
// hit tables themselves (input/ControlTables.h), never typed again here.
//
// Keys and buttons are named by the map's own words ("Up", "KP_8", "A",
// "DpadUp"); each host turns its own key codes into these names. The same
// key may act on different controls in different modes (Return starts on
// the title and continues on the pages), never on two of one mode.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/ControlTables.h"

namespace keymap {

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Control {
    const char* name;     // the settings file's word for it
    uint32_t mode;        // the press mode it lives in
    const char* row;      // its press row's name in that mode's table
};

// clang-format off
inline constexpr Control kControls[] = {
    {"Start",          kModeTitle,           "start"},
    {"Guide",          kModeTitle,           "page"},
    {"Quit",           kModeTitle,           "quit"},
    {"Back",           kModeInformationPage, "back"},
    {"Middle",         kModeInformationPage, "middle"},
    {"Continue",       kModeInformationPage, "continue"},
    {"PadUpperLeft",   kModeCockpit,         "pad upper left"},
    {"PadUp",          kModeCockpit,         "pad up"},
    {"PadUpperRight",  kModeCockpit,         "pad upper right"},
    {"PadLeft",        kModeCockpit,         "pad left"},
    {"PadCentre",      kModeCockpit,         "pad centre"},
    {"PadRight",       kModeCockpit,         "pad right"},
    {"PadLowerLeft",   kModeCockpit,         "pad lower left"},
    {"PadDown",        kModeCockpit,         "pad down"},
    {"PadLowerRight",  kModeCockpit,         "pad lower right"},
    {"LeftPedal",      kModeCockpit,         "left pedal"},
    {"RightPedal",     kModeCockpit,         "right pedal"},
    {"FullPower",      kModeCockpit,         "full power"},
    {"PowerUp",        kModeCockpit,         "power up"},
    {"PowerDown",      kModeCockpit,         "power down"},
    {"IdlePower",      kModeCockpit,         "idle power"},
    {"DragOn",         kModeCockpit,         "drag on"},
    {"DragOff",        kModeCockpit,         "drag off"},
    {"LiftOn",         kModeCockpit,         "lift on"},
    {"LiftOff",        kModeCockpit,         "lift off"},
    {"TurbulenceOn",   kModeCockpit,         "turbulence on"},
    {"TurbulenceOff",  kModeCockpit,         "turbulence off"},
    {"OutsideViewOff", kModeCockpit,         "outside view off"},
    {"OutsideViewOn",  kModeCockpit,         "outside view on"},
    {"PageSwitchOn",   kModeCockpit,         "page switch on"},
    {"PageSwitchOff",  kModeCockpit,         "page switch off"},
    {"Restart",        kModeCockpit,         "restart"},
    {"QuitLever",      kModeCockpit,         "quit"},
};
// clang-format on
inline constexpr size_t kControlCount = std::size(kControls);

namespace detail {
constexpr bool SameText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}
// The press row a control stands for; null when its table has no such row.
constexpr const controls::PressRow* FindRow(const Control& c) {
    for (const controls::PressRow& row : controls::PressAreas(c.mode)) {
        if (SameText(row.name, c.row)) return &row;
    }
    return nullptr;
}
constexpr bool EveryRowFound() {
    for (const Control& c : kControls) {
        if (FindRow(c) == nullptr) return false;
    }
    return true;
}
}  // namespace detail
static_assert(detail::EveryRowFound(), "every control names a press row of its mode");

// The centre of a control's hit area (rounded toward the upper left).
constexpr Point Centre(const Control& c) {
    const controls::InclusiveArea& a = detail::FindRow(c)->area;
    return {(a.left + a.right) / 2, (a.top + a.bottom) / 2};
}

enum class Device : uint8_t { kKey, kButton };

// The names a map may use for each device, and the keys the desktop keeps
// for itself (pause, mute, full screen, screenshot), which no control may take.
std::span<const std::string_view> KeyNames();
std::span<const std::string_view> ButtonNames();
std::span<const std::string_view> ReservedKeys();

class Keymap {
public:
    // The map a player gets without a settings file.
    static Keymap Defaults();

    // The inputs bound to control `index` of kControls.
    const std::vector<std::string>& Bound(Device device, size_t index) const;
    void Bind(Device device, size_t index, std::vector<std::string> inputs);

    // The control of press mode `mode` that `input` acts on, if any.
    std::optional<size_t> Find(Device device, std::string_view input, uint32_t mode) const;
    // The control `input` stands for with the view in these press and release
    // modes: the press mode's, else the release mode's. A button only its
    // release makes live (BACK on the second guide page, where the press
    // mode is already the cockpit's) is then pressed and let go at its
    // centre, exactly as a click there would.
    std::optional<size_t> FindLive(Device device, std::string_view input, uint32_t pressMode,
                                   uint32_t releaseMode) const;

    friend bool operator==(const Keymap&, const Keymap&) = default;

private:
    std::array<std::vector<std::string>, kControlCount> keys_, buttons_;
};

// The settings file's lines for a map: "key.PadUp = Up, KP_8" and
// "button.PadUp = DpadUp" (an empty right side unbinds the control).
// IsMapLine tells whether a trimmed line is one of them. ApplyMapLine binds
// what a line says, or returns false with `problem` saying why and leaves the
// map as it was for that control.
bool IsMapLine(std::string_view line);
bool ApplyMapLine(std::string_view line, Keymap& map, std::string& problem);

// The lines that make `map` from the defaults (only what differs from them).
std::string FormatMapLines(const Keymap& map);

// Keys held down now: the point each one pressed, so that its release comes
// where its press went whatever the mode is by then. A key that is already
// down presses nothing more (keys never repeat).
class HeldInputs {
public:
    // The point to press for `input` going down in press mode `mode`, if it acts.
    std::optional<Point> Down(const Keymap& map, Device device, std::string_view input, uint32_t mode);
    // The same with the view's release mode too (Keymap::FindLive).
    std::optional<Point> Down(const Keymap& map, Device device, std::string_view input, uint32_t pressMode,
                              uint32_t releaseMode);
    // The point to release for `input` coming up, if its press acted.
    std::optional<Point> Up(Device device, std::string_view input);
    // Forgets every held key (the window lost the keyboard), returning the
    // points to release so that no button stays pressed.
    std::vector<Point> ReleaseAll();

private:
    struct Held {
        Device device;
        std::string input;
        Point at;
    };
    std::vector<Held> held_;
};

// Whether a control quits the game (the title's QUIT, the cockpit's quit
// lever): a key or button for one is easily hit by mistake, so the hosts
// ask first.
inline bool IsQuitControl(size_t control) {
    if (control >= kControlCount) return false;
    const std::string_view name = kControls[control].name;
    return name == "Quit" || name == "QuitLever";
}

}  // namespace keymap
