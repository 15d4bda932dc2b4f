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

#include <memory>
#include <string>

#include "game/AveluneView.h"
#include "platform/sdl/DesktopFlights.h"
#include "platform/sdl/DesktopKeys.h"
#include "platform/sdl/DesktopLayout.h"
#include "platform/sdl/DesktopResources.h"
#include "platform/sdl/DesktopSettings.h"
#include "platform/sdl/PresentSchedule.h"
#include "platform/sdl/SdlHost.h"

struct ImFont;

class DesktopShell {
public:
    // `scale` is the window scale to open at; `settings` were read from
    // `settingsPath` (empty: remember nothing), and are written back there
    // when they change. The start sound and the icon are looked for in
    // `assetFolder`, beside the atlas.
    DesktopShell(int scale, DesktopSettings settings, std::string settingsPath, std::string assetFolder);
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
    // Handles one event; true when the menu bar or About box may look
    // different because of it.
    bool HandleEvent(const SDL_Event& event);
    void HandleKey(const SDL_KeyboardEvent& key);
    // Keys and gamepad buttons that play (platform/sdl/DesktopKeys.cpp).
    bool HandleGameInput(const SDL_Event& event);
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
    void SaveScreenshot();
    void RememberSettings();
    void FitWindowToMenuBar();
    int WindowedHeight() const;

    int scale_;
    DesktopSettings settings_;       // as they are now
    DesktopSettings savedSettings_;  // as the file holds them
    std::string settingsPath_;
    std::string assetFolder_;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    std::string rendererWhy_;       // how the renderer was chosen
    PresentSchedule schedule_;
    SDL_Texture* picture_ = nullptr;
    SDL_Texture* icon_ = nullptr;
    int iconSize_ = 0;
    bool imguiReady_ = false;
    ImFont* menuFont_ = nullptr;
    ImFont* dialogFont_ = nullptr;

    std::unique_ptr<SdlHost> host_;
    std::unique_ptr<CAveluneView> view_;
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
    int openMenuRequest_ = -1;     // a pop-up to open by its mnemonic
    char menuKey_ = 0;             // an item mnemonic typed while a pop-up is open
    bool closeMenus_ = false;
    bool menuOpen_ = false;        // a pop-up was open in the last frame
    bool aboutRequest_ = false;
    bool aboutOpen_ = false;
    bool closeAbout_ = false;
};

// The desktop program's entry: options, atlas, window, game.
int RunDesktop(int argc, char** argv);
