// The shell's side of keys and gamepads: where a key goes, Escape, the
// question before quitting, pause and mute.
//
// A key goes to exactly one place, the topmost of: a text field being typed
// in, an open menu or dialog, the window's own keys, the game. Escape closes
// the topmost menu, dialog or window and nothing else; on the title screen,
// the key that stands for QUIT asks first.
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/common/BarText.h"
#include "platform/sdl/DesktopShell.h"

namespace {

// Which of the accelerator table's keys an SDL key is.
std::optional<AccelKey> ToAccelKey(SDL_Keycode key) {
    switch (key) {
    case SDLK_n: return AccelKey::kN;
    case SDLK_o: return AccelKey::kO;
    case SDLK_s: return AccelKey::kS;
    case SDLK_z: return AccelKey::kZ;
    case SDLK_x: return AccelKey::kX;
    case SDLK_c: return AccelKey::kC;
    case SDLK_v: return AccelKey::kV;
    case SDLK_BACKSPACE: return AccelKey::kBackspace;
    case SDLK_DELETE: return AccelKey::kDelete;
    case SDLK_INSERT: return AccelKey::kInsert;
    case SDLK_F6: return AccelKey::kF6;
    default: return std::nullopt;
    }
}

unsigned AccelModifiers(Uint16 mod) {
    unsigned m = 0;
    if (mod & KMOD_CTRL) m |= kCtrl;
    if (mod & KMOD_SHIFT) m |= kShift;
    if (mod & KMOD_ALT) m |= kAlt;
    return m;
}

bool IsConfirmKey(SDL_Keycode code) { return code == SDLK_RETURN || code == SDLK_KP_ENTER; }

// The menus the Alt key opens, by letter: the bar's own two, then Flight,
// Game and Help (drawn by the flights and the keys).
constexpr char kFlightMenuKey = 'l', kGameMenuKey = 'g', kHelpMenuKey = 'h';

// What ImGui drew over the picture in the last frame: its windows, menus
// and dialogs, but the menu bar itself and ImGui's own debug window.
bool OverPicture(const ImGuiWindow& w) {
    if (!w.Active || w.Hidden || (w.Flags & ImGuiWindowFlags_ChildWindow) != 0) return false;
    const std::string_view name(w.Name);
    return name != "##MainMenuBar" && name != "Debug##Default";
}

bool IsMenuLetter(char letter) {
    for (const MenuPopupDef& popup : kMainMenu) {
        if (ParseMnemonic(popup.label).key == letter) return true;
    }
    return letter == kFlightMenuKey || letter == kGameMenuKey || letter == kHelpMenuKey;
}

// Whether a table in the window, drawn in the last frame, has a column of
// fixed width narrower than what it holds.
bool HasCutColumn(const ImGuiWindow& window) {
    ImGuiContext& g = *GImGui;
    for (int n = 0; n < g.Tables.GetMapSize(); ++n) {
        const ImGuiTable* table = g.Tables.TryGetMapData(n);
        if (table == nullptr || table->OuterWindow != &window || table->LastFrameActive < g.FrameCount - 1) continue;
        for (int c = 0; c < table->ColumnsCount; ++c) {
            const ImGuiTableColumn& column = table->Columns[c];
            if (column.IsEnabled && (column.Flags & ImGuiTableColumnFlags_WidthFixed) != 0 &&
                column.WidthGiven + 1.0f < column.WidthAuto) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

DesktopShell::UiLayers DesktopShell::ReadUiLayers() const {
    UiLayers ui;
    if (!imguiReady_) return ui;
    const ImGuiContext& g = *GImGui;
    ui.textField = ImGui::GetIO().WantTextInput;
    // A menu or dialog asked for opens at the next frame: keys typed before
    // it are its own already.
    ui.menuOrDialog = g.OpenPopupStack.Size > 0 || quitConfirmOpen_ || aboutOpen_ || (keys_ && keys_->keysWindowOpen()) ||
                      (flights_ && flights_->WindowOpen()) || openMenuRequest_ >= 0 || aboutRequest_ ||
                      quitConfirmRequest_;
    return ui;
}

bool DesktopShell::RouteKey(const SDL_KeyboardEvent& key) {
    const SDL_Keycode code = key.keysym.sym;
    const UiLayers ui = ReadUiLayers();
    if (ui.textField) {
        // The field takes the key; Escape leaves it and closes its dialog,
        // Tab leaves it for the buttons.
        if (code == SDLK_ESCAPE) escapeRequest_ = true;
        if (code == SDLK_TAB && (AccelModifiers(key.keysym.mod) & (kCtrl | kAlt)) == 0) {
            leaveField_ = (key.keysym.mod & KMOD_SHIFT) != 0 ? -1 : 1;
            return false;
        }
        return true;
    }
    // F6 takes the keyboard into the watching panel, to its buttons, and
    // back to the game.
    if (code == SDLK_F6 && AccelModifiers(key.keysym.mod) == 0 && flights_ && flights_->WatchingPanelOpen()) {
        if (key.repeat == 0) flights_->FocusWatchingPanel(!flights_->WatchingPanelFocused());
        return false;
    }
    // The watching panel is not a dialog (keys still reach the game), but
    // Escape closes it as its close box does.
    if (!ui.menuOrDialog && code == SDLK_ESCAPE && flights_ && flights_->WatchingPanelOpen()) {
        if (key.repeat == 0) escapeRequest_ = true;
        return false;
    }
    if (ui.menuOrDialog) {
        const unsigned mods = AccelModifiers(key.keysym.mod);
        if (code == SDLK_ESCAPE) {
            if (key.repeat == 0) escapeRequest_ = true;
            return false;  // ImGui's own Escape would close a second thing
        }
        if (quitConfirmOpen_) {
            if (IsConfirmKey(code) || code == SDLK_y) quitAnswer_ = 1;
            if (code == SDLK_n) quitAnswer_ = -1;
            return false;
        }
        if (aboutOpen_) {
            // The About box is modal: Enter and Space close it as its OK does.
            if (IsConfirmKey(code) || code == SDLK_SPACE) closeAbout_ = true;
            return false;
        }
        if ((mods == 0 || mods == kAlt) && code >= SDLK_a && code <= SDLK_z) {
            // Alt and a menu's letter go from menu to menu; in an open menu,
            // any other letter (Alt or not) chooses the item it underlines.
            if (mods == kAlt && IsMenuLetter(static_cast<char>(code))) {
                HandleShellKey(key);
                return false;
            }
            if (menuOpen_) {
                menuKey_ = static_cast<char>(code);
                return false;
            }
        }
        // Right and Left in an open menu go on to the next and the previous
        // menu of the bar, round its ends; but Right opens a submenu, and
        // Left in a submenu goes back to its menu.
        if (menuOpen_ && mods == 0 && (code == SDLK_RIGHT || code == SDLK_LEFT) && openTopMenu_ >= 0) {
            const ImGuiContext& g = *GImGui;
            const bool inSubmenu = g.OpenPopupStack.Size > 1;
            const bool onSubmenu = !inSubmenu && keys_ && keys_->OnSubmenu(g.NavId);
            if (code == SDLK_RIGHT ? !onSubmenu : !inSubmenu) {
                openMenuRequest_ = NeighbourMenu(openTopMenu_, code == SDLK_RIGHT ? 1 : -1);
                return false;
            }
        }
        // Arrows, Return and Space move in the menu or dialog, from the
        // item shown chosen: ImGui shows (and acts on) its keyboard choice
        // only once the keyboard has been used there.
        GImGui->NavDisableHighlight = false;
        GImGui->NavDisableMouseHover = true;
        return true;
    }
    HandleShellKey(key);
    return false;
}

void DesktopShell::HandleShellKey(const SDL_KeyboardEvent& key) {
    const SDL_Keycode code = key.keysym.sym;
    const unsigned mods = AccelModifiers(key.keysym.mod);
    if (code == SDLK_F11 || (code == SDLK_RETURN && mods == kAlt)) {
        if (key.repeat == 0) ToggleFullscreen();
        return;
    }
    if (code == SDLK_F12) {
        if (key.repeat == 0) SaveScreenshot();
        return;
    }
    if (code == SDLK_F4 && mods == kAlt) {  // the window manager's, where there is none
        quit_ = true;
        return;
    }
    if (mods == kAlt && code >= SDLK_a && code <= SDLK_z) {
        const char letter = static_cast<char>(code);
        for (size_t i = 0; i < kMainMenu.size(); ++i) {
            if (ParseMnemonic(kMainMenu[i].label).key == letter) openMenuRequest_ = static_cast<int>(i);
        }
        if (letter == kFlightMenuKey) openMenuRequest_ = kFlightMenu;
        if (letter == kGameMenuKey) openMenuRequest_ = kGameMenu;
        if (letter == kHelpMenuKey) openMenuRequest_ = kHelpMenu;
        menuKey_ = 0;
        return;
    }
    if (code == SDLK_d && mods == kCtrl) {  // Flight > Debrief...
        if (flights_ && key.repeat == 0) flights_->OpenDebrief();
        return;
    }
    if ((code == SDLK_p && mods == 0) || code == SDLK_PAUSE) {
        if (key.repeat == 0) SetPaused(!host_->timer().paused());
        return;
    }
    if (code == SDLK_m && mods == 0) {
        if (key.repeat == 0) SetMuted(!settings_.muted);
        return;
    }
    // A key of the map presses its control, unless Ctrl or Alt makes it a command.
    if ((mods & (kCtrl | kAlt)) == 0) {
        if (const auto name = MapKeyName(code)) {
            if (key.repeat == 0 && !host_->timer().paused()) GameInputDown(keymap::Device::kKey, *name);
            return;
        }
    }
    if (const auto accelKey = ToAccelKey(code)) {
        if (const auto command = FindAccelerator(*accelKey, mods)) Execute(*command);
    }
}

void DesktopShell::GameInputDown(keymap::Device device, std::string_view name) {
    const auto deliver = [this](flightfile::InputKind kind, int x, int y) { DeliverToGame(kind, x, y); };
    const auto control = keys_->ControlFor(device, name, view_->pressMode, view_->releaseMode);
    if (control && keymap::IsQuitControl(*control)) {
        // A key is easily hit by mistake: the title's QUIT and the cockpit's
        // quit lever, by key or button, ask first.
        quitConfirmRequest_ = true;
        quitControl_ = *control;
        return;
    }
    keys_->Down(device, name, view_->pressMode, view_->releaseMode, deliver);
}

void DesktopShell::AnswerQuit(bool quit) {
    quitAnswer_ = 0;
    if (!quit) return;
    // As the control's own click: pressed, let go, and the game ends.
    const keymap::Point at = keymap::Centre(keymap::kControls[quitControl_]);
    DeliverToGame(flightfile::InputKind::kPress, at.x, at.y);
    DeliverToGame(flightfile::InputKind::kRelease, at.x, at.y);
    quit_ = true;
}

void DesktopShell::ResumeAfterQuestion() {
    if (!heldForQuestion_) return;
    heldForQuestion_ = false;
    host_->timer().Resume(SDL_GetTicks64());
}

void DesktopShell::DrawQuitConfirm() {
    if (quitConfirmRequest_) {
        ImGui::OpenPopup("Avelune###quit");
        quitConfirmRequest_ = false;
    }
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 255, 255, 255));  // the title on the navy caption
    const bool open = ImGui::BeginPopupModal("Avelune###quit", nullptr,
                                             ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoCollapse |
                                                 ImGuiWindowFlags_NoSavedSettings);
    ImGui::PopStyleColor();
    quitConfirmOpen_ = open;
    // The game holds while it asks, as in a pause: staying loses nothing.
    if (open && !heldForQuestion_ && !host_->timer().paused()) {
        host_->timer().Pause();
        heldForQuestion_ = true;
    }
    if (!open) {
        ResumeAfterQuestion();
        return;
    }
    ImGui::TextUnformatted("Quit Avelune?");
    ImGui::Spacing();
    const float width = ImGui::GetFontSize() * 5;
    if (ImGui::Button("Quit (Y)", ImVec2(width, 0))) quitAnswer_ = 1;
    ImGui::SameLine();
    if (ImGui::Button("Stay (N)", ImVec2(width, 0))) quitAnswer_ = -1;
    if (quitAnswer_ != 0) {
        ImGui::CloseCurrentPopup();
        quitConfirmOpen_ = false;
        ResumeAfterQuestion();
        AnswerQuit(quitAnswer_ > 0);
    }
    ImGui::EndPopup();
}

void DesktopShell::CloseTopmost() {
    ImGuiContext& g = *GImGui;
    if (g.OpenPopupStack.Size > 0) {
        // A menu, or a modal dialog: the last opened is on top.
        ImGui::ClosePopupToLevel(g.OpenPopupStack.Size - 1, true);
        return;
    }
    // Else the window drawn in front of the others, of those Escape closes.
    struct Closable {
        const char* name;
        std::function<void()> close;
    };
    const Closable closables[] = {
        {"Keys", [this] { keys_->CloseKeysWindow(); }},
        {"###logbook", [this] { flights_->CloseLogbook(); }},
        {"###debrief", [this] { flights_->CloseDebrief(); }},
        {"###watch", [this] { flights_->CloseWatching(); }},
    };
    int front = -1;
    const Closable* chosen = nullptr;
    for (const Closable& c : closables) {
        ImGuiWindow* w = ImGui::FindWindowByName(c.name);
        if (w == nullptr || !w->WasActive) continue;
        const int order = g.Windows.index_from_ptr(g.Windows.find(w));
        if (order > front) {
            front = order;
            chosen = &c;
        }
    }
    if (chosen) chosen->close();
}

void DesktopShell::DeliverToGame(flightfile::InputKind kind, int x, int y) { flights_->Input(kind, x, y); }

bool DesktopShell::HandleGameInput(const SDL_Event& event) {
    const DesktopKeys::Deliver deliver = [this](flightfile::InputKind kind, int x, int y) { DeliverToGame(kind, x, y); };
    switch (event.type) {
    case SDL_KEYUP:
        // A key comes up wherever the pointer and the menus are: its press went in.
        if (const auto name = MapKeyName(event.key.keysym.sym)) keys_->Up(keymap::Device::kKey, *name, deliver);
        return false;
    case SDL_CONTROLLERBUTTONDOWN: {
        const auto name = MapButtonName(static_cast<SDL_GameControllerButton>(event.cbutton.button));
        if (!name) return false;
        if (quitConfirmOpen_) {
            // A to quit, B or Back to stay, as Return and Escape.
            if (*name == "A" || *name == "Start") quitAnswer_ = 1;
            if (*name == "B" || *name == "Back") quitAnswer_ = -1;
            return true;
        }
        if (host_->timer().paused() || ReadUiLayers().menuOrDialog) return false;
        GameInputDown(keymap::Device::kButton, *name);
        return quitConfirmRequest_;
    }
    case SDL_CONTROLLERBUTTONUP:
        if (const auto name = MapButtonName(static_cast<SDL_GameControllerButton>(event.cbutton.button))) {
            keys_->Up(keymap::Device::kButton, *name, deliver);
        }
        return false;
    case SDL_CONTROLLERDEVICEADDED:
        keys_->ControllerAdded(event.cdevice.which);
        return false;
    case SDL_CONTROLLERDEVICEREMOVED:
        keys_->ControllerRemoved(event.cdevice.which, deliver);
        return false;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            // Keys let go in another window never come up here.
            keys_->ReleaseAll(deliver);
            if (settings_.pauseOnFocusLoss && !host_->timer().paused()) {
                SetPaused(true);
                pausedByFocus_ = true;
                return true;
            }
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && pausedByFocus_) {
            SetPaused(false);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void DesktopShell::SetPaused(bool paused) {
    pausedByFocus_ = false;
    if (paused == host_->timer().paused()) return;
    if (paused) {
        // Nothing stays pressed through a pause.
        keys_->ReleaseAll([this](flightfile::InputKind kind, int x, int y) { DeliverToGame(kind, x, y); });
        host_->timer().Pause();
    } else {
        host_->timer().Resume(SDL_GetTicks64());
    }
    const std::string caption = WindowCaption() + (paused ? " - Paused" : "");
    SDL_SetWindowTitle(window_, caption.c_str());
}

void DesktopShell::SetMuted(bool muted) {
    settings_.muted = muted;
    host_->SetMuted(muted);
    RememberSettings();
}

void DesktopShell::ChooseFromGameMenu(GameMenuChoice choice) {
    switch (choice) {
    case GameMenuChoice::kNone: break;
    case GameMenuChoice::kPause: SetPaused(!host_->timer().paused()); break;
    case GameMenuChoice::kMute: SetMuted(!settings_.muted); break;
    case GameMenuChoice::kPauseOnFocusLoss:
        settings_.pauseOnFocusLoss = !settings_.pauseOnFocusLoss;
        RememberSettings();
        break;
    case GameMenuChoice::kShowPowerPitch:
        settings_.showPowerPitch = !settings_.showPowerPitch;
        RememberSettings();
        break;
    case GameMenuChoice::kSoundCues:
        settings_.soundCues = !settings_.soundCues;
        host_->SetSoundCues(settings_.soundCues);
        RememberSettings();
        break;
    case GameMenuChoice::kFillWindow:
        SetFillWindow(!settings_.fillWindow);
        break;
    case GameMenuChoice::kScale: SetScale(keys_->chosenScale()); break;
    case GameMenuChoice::kKeys: keys_->ShowKeysWindow(); break;
    }
}

bool DesktopShell::UiCoversPicture() const {
    if (!imguiReady_) return false;
    if (ReadUiLayers().menuOrDialog) return true;
    // Any other window ImGui drew (watching, a tool window) lies over it too.
    const ImGuiContext& g = *GImGui;
    for (const ImGuiWindow* w : g.Windows) {
        if (OverPicture(*w)) return true;
    }
    return false;
}

void DesktopShell::ShowStatus(std::string text) {
    constexpr uint64_t kStatusMs = 2000;
    status_ = std::move(text);
    statusUntil_ = SDL_GetTicks64() + kStatusMs;
    schedule_.NoteUiInput();
}

void DesktopShell::DrawBarRight() {
    // At the bar's right end, in the chrome: the game's picture is untouched.
    // A passing note ("Saved ...png"), "Paused", and in the cockpit the power
    // and the pitch step the controls have set.
    std::string text;
    if (!status_.empty()) text = status_;
    shownNumbers_ = settings_.showPowerPitch && view_ && ShowsPowerPitch(*view_);
    if (shownNumbers_) {
        shownPower_ = static_cast<int>(view_->power);
        shownPitch_ = view_->pitch;
        if (!text.empty()) text += "   ";
        text += PowerPitchText(shownPower_, shownPitch_);
    }
    const bool paused = host_ && host_->timer().paused();
    if (paused) text += text.empty() ? "Paused" : "   Paused";
    if (text.empty()) return;
    const float width = ImGui::CalcTextSize(text.c_str()).x + ImGui::GetStyle().FramePadding.x * 2;
    ImGui::SetCursorPosX(std::max(ImGui::GetCursorPosX(), ImGui::GetWindowWidth() - width));
    if (paused) ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(160, 0, 0, 255));
    ImGui::TextUnformatted(text.c_str());
    if (paused) ImGui::PopStyleColor();
}

bool DesktopShell::BarRightChanged() const {
    if (!view_) return false;
    const bool numbers = settings_.showPowerPitch && ShowsPowerPitch(*view_);
    if (numbers != shownNumbers_) return true;
    return numbers && (static_cast<int>(view_->power) != shownPower_ || view_->pitch != shownPitch_);
}

void DesktopShell::CheckFullscreenGranted() {
    if (fullscreenCheckAt_ == 0 || SDL_GetTicks64() < fullscreenCheckAt_) return;
    fullscreenCheckAt_ = 0;
    if (!settings_.fullscreen) return;
    // Without a window manager to grant it, the window keeps its size while
    // SDL believes it full screen: back to the window, and not remembered.
    SDL_Rect bounds{};
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window_)), &bounds) != 0 ||
        (w >= bounds.w && h >= bounds.h)) {
        RememberSettings();  // granted: the next start opens full screen
        return;
    }
    settings_.fullscreen = false;
    RememberSettings();  // so the next start opens a window that works
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowSize(window_, kClientWidth * scale_, WindowedHeight());
    schedule_.NoteWindowLost();
    ShowStatus("Full screen is not available here");
}

void DesktopShell::TraceUi() {
    // AVELUNE_TRACE_UI=1: one line on standard error whenever the menus and
    // windows over the picture change, each with its place and size in
    // window pixels (the desktop's end-to-end tests find dialogs by it).
    static const bool trace = [] {
        const char* value = std::getenv("AVELUNE_TRACE_UI");
        return value != nullptr && *value != '\0' && std::string_view(value) != "0";
    }();
    if (!trace) return;
    std::string line;
    const ImGuiContext& g = *GImGui;
    for (const ImGuiWindow* w : g.Windows) {
        if (!OverPicture(*w)) continue;  // " cut" after one whose table cuts a column's text off
        const std::string_view name(w->Name);
        const auto px = [](float v, double ratio) { return static_cast<long>(std::lround(v * ratio)); };
        char rect[96];
        std::snprintf(rect, sizeof rect, "%ld,%ld %ldx%ld", px(w->Pos.x, pixelRatioX_), px(w->Pos.y, pixelRatioY_),
                      px(w->Size.x, pixelRatioX_), px(w->Size.y, pixelRatioY_));
        line += std::string(line.empty() ? "" : "; ") + std::string(name.substr(0, name.find("##"))) + " " + rect;
        if (HasCutColumn(*w)) line += " cut";
    }
    if (line == tracedUi_) return;
    tracedUi_ = line;
    std::fprintf(stderr, "avelune: ui: %s\n", line.empty() ? "none" : line.c_str());
}
