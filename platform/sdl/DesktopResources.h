// The shell's resources as data: the document string that gives the caption,
// the menu, the accelerator table and the About box's dialog template.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The framework's command identifiers that the menu and accelerators send.
enum class Command {
    kFileNew = 0xE100,
    kFileOpen = 0xE101,
    kFileSave = 0xE103,
    kEditCut = 0xE123,
    kEditCopy = 0xE122,
    kEditPaste = 0xE125,
    kEditUndo = 0xE12B,
    kAppAbout = 0xE140,
    kAppExit = 0xE141,
    kNextPane = 0xE150,
    kPrevPane = 0xE151,
};

// Document string 128: window title, document name, new-document type name,
// filter name, filter extension, registry file type, registry type name.
constexpr std::string_view kDocumentString =
    "... Avelune V1.07AC ... Instrument Landing Simulator Game\n\nAvelun\n\n\nAvelune.Document\nAvelun Document";
// The program's title: the caption of its message boxes.
constexpr const char* kAppTitle = "Avelune";
// The version the About box shows.
constexpr const char* kVersionText = "Avelune Version 1.07AC";

// Field `n` (from 0) of a "\n"-separated resource string; empty past the end.
std::string ResourceField(std::string_view text, int n);
// The window caption: the document string's first field, for the whole run.
inline std::string WindowCaption() { return ResourceField(kDocumentString, 0); }

// A menu label with its "&" mnemonic: "E&xit" is "Exit" with 'x' underlined.
struct Mnemonic {
    std::string text;    // the label as shown
    int index = -1;      // which character is underlined; -1: none
    char key = 0;        // that character in lower case
};
Mnemonic ParseMnemonic(std::string_view label);

// Menu 128: two pop-ups of one item each.
struct MenuItemDef {
    const char* label;
    Command command;
};
struct MenuPopupDef {
    const char* label;
    MenuItemDef item;
};
// clang-format off
constexpr std::array<MenuPopupDef, 2> kMainMenu = {{
    {"&File",  {"E&xit",             Command::kAppExit}},
    {"&About", {"&About Avelune...", Command::kAppAbout}},
}};
// clang-format on

// The menu bar's menus from left to right, as the shell names them:
// kMainMenu's by index, then Flight, Game and Help.
constexpr int kFlightMenu = 100, kGameMenu = 101, kHelpMenu = 102;
constexpr std::array<int, kMainMenu.size() + 3> kBarMenus = {0, 1, kFlightMenu, kGameMenu, kHelpMenu};
// The menu Right (step 1) or Left (-1) goes to from an open one, round the
// bar's ends as a desktop menu bar does; -1 for a menu not on the bar.
int NeighbourMenu(int menu, int step);

// Accelerator table 128. Modifiers must match exactly, as with a window
// system's virtual-key accelerators.
enum AccelModifier : unsigned { kCtrl = 1, kShift = 2, kAlt = 4 };
enum class AccelKey { kN, kO, kS, kZ, kX, kC, kV, kBackspace, kDelete, kInsert, kF6 };
struct Accelerator {
    AccelKey key;
    unsigned modifiers;
    Command command;
};
// clang-format off
constexpr std::array<Accelerator, 13> kAccelerators = {{
    {AccelKey::kN,         kCtrl,  Command::kFileNew},
    {AccelKey::kO,         kCtrl,  Command::kFileOpen},
    {AccelKey::kS,         kCtrl,  Command::kFileSave},
    {AccelKey::kZ,         kCtrl,  Command::kEditUndo},
    {AccelKey::kBackspace, kAlt,   Command::kEditUndo},
    {AccelKey::kX,         kCtrl,  Command::kEditCut},
    {AccelKey::kDelete,    kShift, Command::kEditCut},
    {AccelKey::kC,         kCtrl,  Command::kEditCopy},
    {AccelKey::kInsert,    kCtrl,  Command::kEditCopy},
    {AccelKey::kV,         kCtrl,  Command::kEditPaste},
    {AccelKey::kInsert,    kShift, Command::kEditPaste},
    {AccelKey::kF6,        0,      Command::kNextPane},
    {AccelKey::kF6,        kShift, Command::kPrevPane},
}};
// clang-format on
std::optional<Command> FindAccelerator(AccelKey key, unsigned modifiers);

// Dialog 100, the About box: 195 x 56 dialog units at (34, 22), Times New
// Roman 11 point, its caption "About Avelune" (the shell's). Controls in tab
// order; the licence line is this program's own.
enum class ControlKind { kCentredText, kDefaultButton, kIcon };
struct DialogControl {
    ControlKind kind;
    int x, y, width, height;  // dialog units
    const char* text;         // empty for icons
};
constexpr int kAboutX = 34, kAboutY = 22, kAboutWidth = 195, kAboutHeight = 56;
constexpr int kAboutFontPoints = 11;
// clang-format off
constexpr std::array<DialogControl, 6> kAboutControls = {{
    {ControlKind::kCentredText,   53,  4,  85,  8, "Avelune Version 1.07AC"},
    {ControlKind::kDefaultButton, 48, 36,  95, 14, "OK"},
    {ControlKind::kIcon,         166, 18,  18, 20, ""},
    {ControlKind::kCentredText,   37, 15, 120,  8, "Instrument Landing Simulator Game"},
    {ControlKind::kIcon,           9, 16,  18, 20, ""},
    {ControlKind::kCentredText,   37, 25, 120,  8, "Free software under the MIT licence"},
}};
// clang-format on
