#include "platform/sdl/DesktopKeys.h"

#include "platform/sdl/DesktopLayout.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct KeyName {
    SDL_Keycode code;
    const char* name;
};
// clang-format off
constexpr KeyName kKeyCodes[] = {
    {SDLK_UP, "Up"}, {SDLK_DOWN, "Down"}, {SDLK_LEFT, "Left"}, {SDLK_RIGHT, "Right"},
    {SDLK_HOME, "Home"}, {SDLK_END, "End"}, {SDLK_PAGEUP, "PageUp"}, {SDLK_PAGEDOWN, "PageDown"},
    {SDLK_INSERT, "Insert"}, {SDLK_DELETE, "Delete"}, {SDLK_RETURN, "Return"}, {SDLK_SPACE, "Space"},
    {SDLK_ESCAPE, "Escape"}, {SDLK_BACKSPACE, "Backspace"}, {SDLK_TAB, "Tab"},
    {SDLK_KP_0, "KP_0"}, {SDLK_KP_1, "KP_1"}, {SDLK_KP_2, "KP_2"}, {SDLK_KP_3, "KP_3"}, {SDLK_KP_4, "KP_4"},
    {SDLK_KP_5, "KP_5"}, {SDLK_KP_6, "KP_6"}, {SDLK_KP_7, "KP_7"}, {SDLK_KP_8, "KP_8"}, {SDLK_KP_9, "KP_9"},
    {SDLK_KP_PLUS, "KP_Plus"}, {SDLK_KP_MINUS, "KP_Minus"}, {SDLK_KP_MULTIPLY, "KP_Multiply"},
    {SDLK_KP_DIVIDE, "KP_Divide"}, {SDLK_KP_ENTER, "KP_Enter"}, {SDLK_KP_PERIOD, "KP_Period"},
    {SDLK_COMMA, "Comma"}, {SDLK_PERIOD, "Period"}, {SDLK_SLASH, "Slash"}, {SDLK_SEMICOLON, "Semicolon"},
    {SDLK_MINUS, "Minus"}, {SDLK_EQUALS, "Equals"}, {SDLK_LEFTBRACKET, "LeftBracket"},
    {SDLK_RIGHTBRACKET, "RightBracket"},
    {SDLK_F1, "F1"}, {SDLK_F2, "F2"}, {SDLK_F3, "F3"}, {SDLK_F4, "F4"}, {SDLK_F5, "F5"}, {SDLK_F6, "F6"},
    {SDLK_F7, "F7"}, {SDLK_F8, "F8"}, {SDLK_F9, "F9"}, {SDLK_F10, "F10"}, {SDLK_F11, "F11"}, {SDLK_F12, "F12"},
    {SDLK_PAUSE, "Pause"},
};
struct ButtonName {
    SDL_GameControllerButton button;
    const char* name;
};
constexpr ButtonName kButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, "A"}, {SDL_CONTROLLER_BUTTON_B, "B"}, {SDL_CONTROLLER_BUTTON_X, "X"},
    {SDL_CONTROLLER_BUTTON_Y, "Y"}, {SDL_CONTROLLER_BUTTON_BACK, "Back"}, {SDL_CONTROLLER_BUTTON_GUIDE, "Guide"},
    {SDL_CONTROLLER_BUTTON_START, "Start"}, {SDL_CONTROLLER_BUTTON_LEFTSTICK, "LeftStick"},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, "RightStick"}, {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, "LeftShoulder"},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, "RightShoulder"}, {SDL_CONTROLLER_BUTTON_DPAD_UP, "DpadUp"},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "DpadDown"}, {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "DpadLeft"},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "DpadRight"},
};
// clang-format on

std::string Listed(const std::vector<std::string>& inputs) {
    std::string text;
    for (const std::string& input : inputs) text += (text.empty() ? "" : ", ") + input;
    return text;
}

const char* ScreenName(uint32_t mode) {
    switch (mode) {
    case kModeTitle: return "Title";
    case kModeInformationPage: return "Guide pages";
    default: return "Cockpit";
    }
}

}  // namespace

std::optional<std::string_view> MapKeyName(SDL_Keycode key) {
    // Letters and digits are their own names.
    static const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static const std::string kDigits = "0123456789";
    if (key >= SDLK_a && key <= SDLK_z) return std::string_view(kLetters).substr(key - SDLK_a, 1);
    if (key >= SDLK_0 && key <= SDLK_9) return std::string_view(kDigits).substr(key - SDLK_0, 1);
    for (const KeyName& k : kKeyCodes) {
        if (k.code == key) return k.name;
    }
    return std::nullopt;
}

std::optional<std::string_view> MapButtonName(SDL_GameControllerButton button) {
    for (const ButtonName& b : kButtons) {
        if (b.button == button) return b.name;
    }
    return std::nullopt;
}

DesktopKeys::DesktopKeys(const keymap::Keymap& map) : map_(map) {
    // Without the controller subsystem the keyboard still plays.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {
        controllersReady_ = true;
    } else {
        std::fprintf(stderr, "avelune: note: no gamepads (%s); the keys and the mouse still play\n", SDL_GetError());
    }
}

DesktopKeys::~DesktopKeys() {
    for (SDL_GameController* c : controllers_) SDL_GameControllerClose(c);
    if (controllersReady_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool DesktopKeys::Down(keymap::Device device, std::string_view name, uint32_t pressMode, uint32_t releaseMode,
                       const Deliver& deliver) {
    const auto at = held_.Down(map_, device, name, pressMode, releaseMode);
    if (!at) return false;
    deliver(flightfile::InputKind::kPress, at->x, at->y);
    return true;
}

bool DesktopKeys::Up(keymap::Device device, std::string_view name, const Deliver& deliver) {
    const auto at = held_.Up(device, name);
    if (!at) return false;
    deliver(flightfile::InputKind::kRelease, at->x, at->y);
    return true;
}

void DesktopKeys::ReleaseAll(const Deliver& deliver) {
    for (const keymap::Point& p : held_.ReleaseAll()) deliver(flightfile::InputKind::kRelease, p.x, p.y);
}

void DesktopKeys::ControllerAdded(int deviceIndex) {
    if (!controllersReady_ || !SDL_IsGameController(deviceIndex)) return;
    if (SDL_GameController* c = SDL_GameControllerOpen(deviceIndex)) {
        // SDL reports a controller present at the start as added, too.
        const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
        for (SDL_GameController* open : controllers_) {
            if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(open)) == id) {
                SDL_GameControllerClose(c);
                return;
            }
        }
        controllers_.push_back(c);
    }
}

void DesktopKeys::ControllerRemoved(SDL_JoystickID instance, const Deliver& deliver) {
    for (auto it = controllers_.begin(); it != controllers_.end(); ++it) {
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(*it)) == instance) {
            SDL_GameControllerClose(*it);
            controllers_.erase(it);
            // Its held buttons can no longer come up.
            for (const ButtonName& b : kButtons) Up(keymap::Device::kButton, b.name, deliver);
            return;
        }
    }
}

void ScrollByKeys() {
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const auto pressed = [](ImGuiKey key) { return ImGui::IsKeyPressed(ImGui::GetKeyIndex(key)); };
    float y = ImGui::GetScrollY();
    if (pressed(ImGuiKey_DownArrow)) y += line;
    if (pressed(ImGuiKey_UpArrow)) y -= line;
    if (pressed(ImGuiKey_PageDown)) y += ImGui::GetWindowHeight() - 2 * line;
    if (pressed(ImGuiKey_PageUp)) y -= ImGui::GetWindowHeight() - 2 * line;
    if (pressed(ImGuiKey_Home)) y = 0;
    if (pressed(ImGuiKey_End)) y = ImGui::GetScrollMaxY();
    if (y != ImGui::GetScrollY()) ImGui::SetScrollY(std::clamp(y, 0.0f, ImGui::GetScrollMaxY()));
    float x = ImGui::GetScrollX();
    if (pressed(ImGuiKey_RightArrow)) x += 4 * line;
    if (pressed(ImGuiKey_LeftArrow)) x -= 4 * line;
    if (x != ImGui::GetScrollX()) ImGui::SetScrollX(std::clamp(x, 0.0f, ImGui::GetScrollMaxX()));
}

GameMenuChoice DesktopKeys::DrawGameMenu(const GameMenuState& state, bool& anyOpen) {
    GameMenuChoice choice = GameMenuChoice::kNone;
    if (ImGui::BeginMenu("Game")) {
        anyOpen = true;
        if (ImGui::MenuItem("Pause", "P", state.paused)) choice = GameMenuChoice::kPause;
        if (ImGui::MenuItem("Mute the start sound", "M", state.muted)) choice = GameMenuChoice::kMute;
        if (ImGui::MenuItem("Pause when the window is left", nullptr, state.pauseOnFocusLoss)) {
            choice = GameMenuChoice::kPauseOnFocusLoss;
        }
        if (ImGui::MenuItem("Show power and pitch", nullptr, state.showPowerPitch)) {
            choice = GameMenuChoice::kShowPowerPitch;
        }
        if (ImGui::MenuItem("Sound cues", nullptr, state.soundCues)) choice = GameMenuChoice::kSoundCues;
        if (ImGui::MenuItem("Fill the window", nullptr, state.fillWindow)) choice = GameMenuChoice::kFillWindow;
        // Full screen fills the screen; a whole scale is a window's size.
        const bool scaleOpen = ImGui::BeginMenu("Scale", !state.fullscreen);
        if (!scaleOpen) scaleItem_ = ImGui::GetItemID();
        if (scaleOpen) {
            for (int s = 1; s <= std::max(state.scale, state.largestScale); ++s) {
                const std::string label = std::to_string(s) + "x";
                // While the window is filled no whole scale shows; choosing
                // one leaves fill mode for a window of that scale.
                if (ImGui::MenuItem(label.c_str(), nullptr, s == state.scale && !state.fillWindow)) {
                    choice = GameMenuChoice::kScale;
                    chosenScale_ = s;
                }
            }
            ImGui::EndMenu();
        }
        ImGui::EndMenu();
    }
    return choice;
}

GameMenuChoice DesktopKeys::DrawHelpMenu(bool& anyOpen) {
    GameMenuChoice choice = GameMenuChoice::kNone;
    if (ImGui::BeginMenu("Help")) {
        anyOpen = true;
        if (ImGui::MenuItem("Keys...")) choice = GameMenuChoice::kKeys;
        ImGui::EndMenu();
    }
    return choice;
}

void DesktopKeys::DrawKeysWindow() {
    if (!keysOpen_) return;
    if (keysAppearing_) {
        // In the window whole, whatever its size.
        const float em = ImGui::GetFontSize();
        const ImVec2 display = ImGui::GetIO().DisplaySize;
        const DialogBox box = FitDialog({60 * uiScale_, 60 * uiScale_, em * 40, em * 28}, display.x, display.y,
                                        ImGui::GetFrameHeight(), 8 * uiScale_);
        ImGui::SetNextWindowPos(ImVec2(box.x, box.y));
        ImGui::SetNextWindowSize(ImVec2(box.width, box.height));
        ImGui::SetNextWindowFocus();  // the keyboard scrolls it at once
        keysAppearing_ = false;
    }
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 255, 255, 255));  // the title on the navy caption
    const bool shown = ImGui::Begin("Keys", &keysOpen_, ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings);
    ImGui::PopStyleColor();
    if (shown) {
        ImGui::TextUnformatted("Each key presses its control as a click at its centre does.");
        // Columns as wide as what they hold; the two lines below stay in view.
        if (ImGui::BeginTable("map", 4,
                              ImGuiTableFlags_Borders | ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY |
                                  ImGuiTableFlags_ScrollX | ImGuiTableFlags_SizingFixedFit,
                              ImVec2(0, -2 * ImGui::GetTextLineHeightWithSpacing()))) {
            ImGui::TableSetupScrollFreeze(0, 1);
            ImGui::TableSetupColumn("Screen");
            ImGui::TableSetupColumn("Control");
            ImGui::TableSetupColumn("Keys");
            ImGui::TableSetupColumn("Gamepad");
            ImGui::TableHeadersRow();
            // Nothing in the table takes the keyboard: the arrows, Page Up
            // and Down, Home and End scroll it.
            if (ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows)) ScrollByKeys();
            for (size_t i = 0; i < keymap::kControlCount; ++i) {
                const std::vector<std::string>& keys = map_.Bound(keymap::Device::kKey, i);
                const std::vector<std::string>& buttons = map_.Bound(keymap::Device::kButton, i);
                if (keys.empty() && buttons.empty()) continue;
                ImGui::TableNextRow();
                ImGui::TableNextColumn();
                ImGui::TextUnformatted(ScreenName(keymap::kControls[i].mode));
                ImGui::TableNextColumn();
                ImGui::TextUnformatted(keymap::kControls[i].name);
                ImGui::TableNextColumn();
                ImGui::TextUnformatted(Listed(keys).c_str());
                ImGui::TableNextColumn();
                ImGui::TextUnformatted(Listed(buttons).c_str());
            }
            ImGui::EndTable();
        }
        ImGui::TextUnformatted("P or Pause: pause   M: mute   F11: full screen   F12: screenshot   Escape: close");
        ImGui::TextUnformatted("Menus: Alt+F File, Alt+L Flight, Alt+G Game, Alt+H Help, Alt+A About"
                               "   F6: watching panel");
    }
    ImGui::End();
}
