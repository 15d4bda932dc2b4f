// Keys and gamepads on the desktop: SDL's key codes and game-controller
// buttons named as the key map names them, held keys turned into presses and
// releases at their controls' centres (given to the shell to deliver as
// clicks), the Game and Help menus, and the Help > Keys window.
#pragma once

#include <SDL.h>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "flightfile/FlightFile.h"
#include "keymap/Keymap.h"

// The map's name for an SDL key or controller button; nothing for one the
// map does not know.
std::optional<std::string_view> MapKeyName(SDL_Keycode key);
std::optional<std::string_view> MapButtonName(SDL_GameControllerButton button);

// What the player chose from the Game and Help menus this frame.
enum class GameMenuChoice { kNone, kPause, kMute, kPauseOnFocusLoss, kShowPowerPitch, kSoundCues, kFillWindow, kScale, kKeys };

// In the current ImGui window, which has nothing that takes the keyboard:
// the arrows, Page Up and Down, Home and End scroll it.
void ScrollByKeys();

// The ticks the Game menu shows.
struct GameMenuState {
    bool paused = false;
    bool muted = false;
    bool pauseOnFocusLoss = false;
    bool showPowerPitch = true;
    bool fillWindow = false;
    bool soundCues = false;
    int scale = 1;          // the window's whole scale
    int largestScale = 1;   // the largest whose window fits the screen
    bool fullscreen = false;
};

class DesktopKeys {
public:
    // Delivers a press or release at a game pixel, as the mouse would.
    using Deliver = std::function<void(flightfile::InputKind kind, int x, int y)>;

    explicit DesktopKeys(const keymap::Keymap& map);
    ~DesktopKeys();
    DesktopKeys(const DesktopKeys&) = delete;
    DesktopKeys& operator=(const DesktopKeys&) = delete;

    // A key or button went down or up; true when it acted on the game. Held
    // keys never repeat. The modes are the view's press and release modes now.
    bool Down(keymap::Device device, std::string_view name, uint32_t pressMode, uint32_t releaseMode,
              const Deliver& deliver);
    bool Up(keymap::Device device, std::string_view name, const Deliver& deliver);
    // Lets every held key go (the window lost the keyboard, the game paused).
    void ReleaseAll(const Deliver& deliver);

    // Opens a game controller plugged in, closes one pulled out.
    void ControllerAdded(int deviceIndex);
    void ControllerRemoved(SDL_JoystickID instance, const Deliver& deliver);

    // The Game and Help menus (inside the main menu bar). `anyOpen` is set
    // when the menu is open.
    GameMenuChoice DrawGameMenu(const GameMenuState& state, bool& anyOpen);
    GameMenuChoice DrawHelpMenu(bool& anyOpen);
    // The scale chosen from Game > Scale (with GameMenuChoice::kScale).
    int chosenScale() const { return chosenScale_; }
    // Whether the keyboard's choice in the Game menu is Scale, whose
    // submenu Right opens (elsewhere Right goes on to the next menu).
    bool OnSubmenu(unsigned navId) const { return navId != 0 && navId == scaleItem_; }
    void ShowKeysWindow() {
        keysOpen_ = true;
        keysAppearing_ = true;
    }
    void CloseKeysWindow() { keysOpen_ = false; }
    // The control a key or button stands for now, if any (kControls index).
    std::optional<size_t> ControlFor(keymap::Device device, std::string_view name, uint32_t pressMode,
                                     uint32_t releaseMode) const {
        return map_.FindLive(device, name, pressMode, releaseMode);
    }
    // The Help > Keys window, if open: the map in force, screen by screen.
    void DrawKeysWindow();
    bool keysWindowOpen() const { return keysOpen_; }
    // The menus' and dialogs' scale: the Keys window's place grows with it.
    void SetUiScale(float scale) {
        keysAppearing_ = keysAppearing_ || (keysOpen_ && scale != uiScale_);
        uiScale_ = scale;
    }

private:
    keymap::Keymap map_;
    keymap::HeldInputs held_;
    std::vector<SDL_GameController*> controllers_;
    bool controllersReady_ = false;
    bool keysOpen_ = false;
    bool keysAppearing_ = false;
    float uiScale_ = 1.0f;
    int chosenScale_ = 1;
    unsigned scaleItem_ = 0;  // the Scale item's ImGui id, as last drawn
};
