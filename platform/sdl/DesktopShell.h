// The desktop shell: the frame window with its menu bar, the About box, the
// event loop that drives the view, and presentation.
//
// Presentation pipeline: the view's surface is copied (with any black lines
// over it) into the host's window picture of palette indices; after each
// pass of the event loop (PresentSchedule), the part of the visible
// 632 x 440 that changed is mapped through the palette into a streaming ARGB
// texture, and the window is drawn once: all of it (cleared to black, the
// texture at a whole-number scale below the menu bar, nearest-neighbour so
// every game pixel stays a crisp square, then Dear ImGui's menu bar and
// dialogs on top), or with the software renderer and nothing over the
// picture, only the changed part, sent to the window system alone. The
// renderer is chosen by RendererChoice.
#pragma once

#include <SDL.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/AveluneView.h"
#include "platform/sdl/DesktopFlights.h"
#include "platform/sdl/DesktopKeys.h"
#include "platform/sdl/DesktopLayout.h"
#include "platform/sdl/DesktopResources.h"
#include "platform/sdl/DesktopSettings.h"
#include "platform/sdl/PictureDrawing.h"
#include "platform/sdl/PresentSchedule.h"
#include "platform/sdl/SdlHost.h"

struct ImFont;

class DesktopShell {
public:
    // `scale` is the window scale to open at; `settings` were read from
    // `settingsPath` (empty: remember nothing), whose text was
    // `settingsText`, and what changes is written back there, the player's
    // other lines as they were. The start sound and the icon are looked for
    // in `assetFolder`, beside the atlas.
    DesktopShell(int scale, DesktopSettings settings, std::string settingsText, std::string settingsPath,
                 std::string assetFolder);
    ~DesktopShell();

    DesktopShell(const DesktopShell&) = delete;
    DesktopShell& operator=(const DesktopShell&) = delete;

    // The player chose this scale: remember it for the next start.
    void RememberScale(int scale);
    // The atlas's hash, written into saved flights and checked on opening them.
    void SetAtlasHash(uint64_t hash) { atlasHash_ = hash; }
    // The atlas file, so a logbook entry's flight can be replayed for its debrief.
    void SetAtlasPath(std::string path) { atlasPath_ = std::move(path); }

    // Opens the window and its renderer; false (with `error`) when it cannot.
    bool Open(std::string& error);
    // Creates the view on the atlas (palette, start sound, surface), shows the
    // window, starts the game and runs until the program ends. Returns the
    // exit status.
    int Run(std::unique_ptr<CDibImage> atlas);

private:
    void SetUpImGui();
    // The menus and dialogs are drawn at the picture's scale (UiScaleFor),
    // their fonts baked at the output pixels they cover (the display's pixel
    // ratio counted), their style sizes scaled from a fresh style. Called
    // before each window update; true when the scale changed, and the open
    // windows were scaled with it.
    bool FitUiToWindow();
    void ApplyUiScale(int uiScale, float pixelRatio);
    // Handles one event; true when the menu bar or About box may look
    // different because of it.
    bool HandleEvent(const SDL_Event& event);
    void ToImGui(const SDL_Event& event);

    // What of the menus and dialogs lies over the game, as the last frame
    // left it. A key goes to exactly one place: the topmost of a text field
    // being typed in, an open menu or dialog, the window's own keys (P, M,
    // F11, F12 ...), the game (platform/sdl/DesktopShellInput.cpp).
    struct UiLayers {
        bool textField = false;  // a text field has the keyboard
        bool menuOrDialog = false;  // a menu, a modal dialog or a closable window is open
    };
    UiLayers ReadUiLayers() const;
    // Whether ImGui drew anything over the picture in the last frame.
    bool UiCoversPicture() const;
    // Whether ImGui should see this key event (it does not see keys meant
    // for the game, nor the Escape the shell uses to close things).
    bool RouteKey(const SDL_KeyboardEvent& key);
    void HandleShellKey(const SDL_KeyboardEvent& key);
    // Inside a frame: closes the topmost menu, dialog or window.
    void CloseTopmost();
    // Keys and gamepad buttons that play.
    bool HandleGameInput(const SDL_Event& event);
    // A key or button goes down for the game; the title's QUIT asks first.
    void GameInputDown(keymap::Device device, std::string_view name);
    void DrawQuitConfirm();
    void ResumeAfterQuestion();
    void AnswerQuit(bool quit);
    // A line at the menu bar's right end for a while ("Saved ...png").
    void ShowStatus(std::string text);
    void DrawBarRight();
    // Whether the bar's right end would show other numbers than it does.
    bool BarRightChanged() const;
    // AVELUNE_TRACE_UI: the windows over the picture, on standard error.
    void TraceUi();
    std::string tracedUi_;
    // Full screen the window system did not grant falls back to the window.
    void CheckFullscreenGranted();
    void DeliverToGame(flightfile::InputKind kind, int x, int y);
    void SetPaused(bool paused);
    void SetMuted(bool muted);
    void ChooseFromGameMenu(GameMenuChoice choice);
    void HandleMouse(const SDL_Event& event);
    void Execute(Command command);
    bool GameGetsMouse() const;
    std::optional<GamePoint> ToGame(int windowX, int windowY) const;
    void RenderFrame(const FramePlan& plan);
    void BuildUi();
    void DrawMenuBar();
    void DrawAboutBox();
    void UpdateTexture(const PictureRect& rect);
    void ToggleFullscreen();
    // Fill mode: a resizable window the picture fills, sharp-bilinear (full
    // screen is always filled); else a fixed window at a whole scale.
    void SetFillWindow(bool fill);
    // Game > Scale: the window at another whole scale, remembered.
    void SetScale(int scale);
    int LargestScale() const;
    int largestScale_ = 1;  // as LargestScale() last found it
    bool Filled() const { return settings_.fillWindow || settings_.fullscreen; }
    void SaveScreenshot();
    void RememberSettings();
    void FitWindowToMenuBar();
    int WindowedHeight() const;

    int scale_;
    DesktopSettings settings_;       // as they are now
    DesktopSettings savedSettings_;  // as the file holds them
    std::string settingsText_;       // the file's text
    std::string settingsPath_;
    std::string assetFolder_;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    std::string rendererWhy_;       // how the renderer was chosen
    PresentSchedule schedule_;
    SDL_Texture* picture_ = nullptr;
    PictureDrawer drawer_;
    SDL_Texture* icon_ = nullptr;
    int iconSize_ = 0;
    bool imguiReady_ = false;
    ImFont* menuFont_ = nullptr;
    ImFont* dialogFont_ = nullptr;
    struct UiFonts {
        ImFont* menu = nullptr;
        ImFont* dialog = nullptr;
    };
    std::map<long, UiFonts> uiFonts_;  // baked once per size, by 100 x the bake factor
    int uiScale_ = 0;                  // the menus' scale in logical units (0: none yet)
    float uiRatio_ = 0;                // the pixel ratio their fonts were baked for

    std::unique_ptr<SdlHost> host_;
    CAveluneView* view_ = nullptr;  // the flight session's, in flights_
    std::unique_ptr<DesktopFlights> flights_;
    std::unique_ptr<DesktopKeys> keys_;
    bool pausedByFocus_ = false;   // the pause came with leaving the window
    uint64_t atlasHash_ = 0;
    std::string atlasPath_;
    bool quit_ = false;

    PictureLayout layout_;
    PictureLayout drawnLayout_{-1, -1, 0};  // as the window last showed it
    double pixelRatioX_ = 1.0, pixelRatioY_ = 1.0;
    float menuBarHeight_ = 0;      // logical units, as ImGui last drew it
    bool windowFitted_ = false;

    // Menu and dialog state between frames.
    int openMenuRequest_ = -1;     // a pop-up to open by its mnemonic (kMainMenu index or one of those)
    int openTopMenu_ = -1;         // the bar's menu open in the last frame (as openMenuRequest_ names it)
    char menuKey_ = 0;             // an item mnemonic typed while a pop-up is open
    bool menuOpen_ = false;        // a pop-up was open in the last frame
    bool aboutRequest_ = false;
    bool aboutOpen_ = false;
    bool closeAbout_ = false;
    std::vector<SDL_Scancode> keysDownThisPass_;  // keys ImGui saw go down in this pass
    std::vector<SDL_Event> deferredKeyUps_;       // their releases, for after the frame
    bool keysReleasedLate_ = false;
    // Keys typed faster than frames: once a key went to the menus and
    // dialogs (or opened one), the keys after it wait here, in order, and
    // are routed one by one, each after a frame has shown what the last did.
    std::deque<SDL_Event> keyQueue_;
    bool uiKeyBusy_ = false;       // a key for the menus and dialogs awaits its frame
    bool HandleKeyEvent(const SDL_Event& event);
    bool DrainKeyQueue();
    // Whether a window ImGui opened is still being laid out or given its
    // keyboard choice: keys wait until it has.
    bool UiSettling() const;
    bool mouseDownToUi_ = false;   // the left button went down on a menu or dialog
    bool mouseDownToGame_ = false; // the left button went down in the game
    std::map<SDL_Scancode, SDL_Scancode> keysSentAs_;  // keys down in ImGui, and as what
    bool escapeRequest_ = false;   // Escape: close the topmost thing in the next frame
    int leaveField_ = 0;           // Tab (1) or Shift+Tab (-1) in a text field: leave it in the next frame
    bool quitConfirmRequest_ = false;
    bool quitConfirmOpen_ = false;
    bool heldForQuestion_ = false;  // the game's timer held while the quit question is up
    int quitAnswer_ = 0;           // 1 quit, -1 stay, 0 not yet
    size_t quitControl_ = 0;       // the control (kControls) the question stands for
    std::string status_;           // shown at the bar's right end until statusUntil_
    uint64_t statusUntil_ = 0;
    int shownPower_ = -1, shownPitch_ = 0;  // as the menu bar last showed them
    bool shownNumbers_ = false;
    uint64_t fullscreenCheckAt_ = 0;  // when to see whether full screen was granted
};

// The desktop program's entry: options, atlas, window, game.
int RunDesktop(int argc, char** argv);
