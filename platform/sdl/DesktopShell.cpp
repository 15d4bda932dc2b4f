#include "platform/sdl/DesktopShell.h"

#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string_view>

#include "gfx/AtlasCatalogue.h"
#include "platform/sdl/IconFile.h"
#include "platform/sdl/RendererChoice.h"
#include "platform/sdl/StartupTrace.h"
#include "platform/sdl/WindowManager.h"

namespace {

constexpr int kBusyFrameMs = 33;  // frames while a flight window is open
// How long the window system has to grant full screen before the window
// falls back to its own size.
constexpr uint64_t kFullscreenGrantMs = 700;

// Fonts from the distribution: a sans-serif for the menu bar, a serif like
// the About box's Times New Roman. The first that exists is used.
constexpr const char* kMenuFonts[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};
constexpr const char* kDialogFonts[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
};
// Menu text height at scale 1; with the frame padding it makes the menu bar
// kMenuBarHeight tall.
constexpr float kMenuFontPixels = 13.0f;
// 11 points at 96 dots per inch.
constexpr float kDialogFontPixels = kAboutFontPoints * 96.0f / 72.0f;

ImFont* LoadFont(const char* const* paths, size_t count, float pixels) {
    ImGuiIO& io = ImGui::GetIO();
    for (size_t i = 0; i < count; ++i) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(paths[i], ec)) {
            if (ImFont* font = io.Fonts->AddFontFromFileTTF(paths[i], pixels)) return font;
        }
    }
    ImFontConfig config;
    config.SizePixels = pixels;
    return io.Fonts->AddFontDefault(&config);
}

ImVec4 Colour(int r, int g, int b, int a = 255) { return ImVec4(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f); }

// Underlines character `index` of `text` drawn with its top-left at `at`.
void UnderlineMnemonic(const Mnemonic& m, ImVec2 at) {
    if (m.index < 0) return;
    const char* text = m.text.c_str();
    const float x0 = at.x + ImGui::CalcTextSize(text, text + m.index).x;
    const float x1 = at.x + ImGui::CalcTextSize(text, text + m.index + 1).x;
    const float y = std::floor(at.y + ImGui::GetFontSize() * 0.92f);
    ImGui::GetWindowDrawList()->AddLine(ImVec2(x0, y), ImVec2(x1, y), ImGui::GetColorU32(ImGuiCol_Text),
                                        std::max(1.0f, std::floor(ImGui::GetFontSize() / 13.0f)));
}

}  // namespace

DesktopShell::DesktopShell(int scale, DesktopSettings settings, std::string settingsText, std::string settingsPath,
                           std::string assetFolder)
    : scale_(std::clamp(scale, 1, kMaxScale)),
      settings_(settings),
      savedSettings_(settings),
      settingsText_(std::move(settingsText)),
      settingsPath_(std::move(settingsPath)),
      assetFolder_(std::move(assetFolder)) {}

DesktopShell::~DesktopShell() {
    // The window goes: the session stops timer 1 before anything of the view
    // is released, so no tick can reach a half-destroyed game.
    view_ = nullptr;
    flights_.reset();
    host_.reset();
    if (imguiReady_) {
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
    }
    if (icon_) SDL_DestroyTexture(icon_);
    if (picture_) SDL_DestroyTexture(picture_);
    drawer_.Release();  // its texture goes with the renderer, not after it
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
}

bool DesktopShell::Open(std::string& error) {
    const WindowSize size = WindowSizeForScale(scale_);
    // Fixed size (unless the picture fills it): no sizing border, no
    // maximise box. Hidden until the view
    // exists, as the frame is shown only after the view is created.
    const WindowAndRenderer made = CreateWindowAndRenderer(WindowCaption(), size.width, size.height,
                                                           SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI |
                                                               (settings_.fillWindow ? SDL_WINDOW_RESIZABLE : 0),
                                                           settings_.renderer, error);
    if (made.window == nullptr) return false;
    window_ = made.window;
    renderer_ = made.renderer;
    rendererWhy_ = made.why;
    picture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kClientWidth,
                                 kClientHeight);
    if (picture_ == nullptr) {
        error = std::string("cannot make the picture texture: ") + SDL_GetError();
        return false;
    }
    SDL_SetTextureScaleMode(picture_, SDL_ScaleModeNearest);

    // The icon lies beside the atlas; without it the window has none.
    IconImage iconImage;
    std::string iconError;
    const std::string iconPath = (std::filesystem::path(assetFolder_) / "avelune.png").string();
    if (LoadIconPng(iconPath, iconImage, iconError)) {
        if (SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(iconImage.argb.data(), iconImage.width,
                                                                  iconImage.height, 32, iconImage.width * 4,
                                                                  SDL_PIXELFORMAT_ARGB8888)) {
            SDL_SetWindowIcon(window_, icon);
            icon_ = SDL_CreateTextureFromSurface(renderer_, icon);
            if (icon_) SDL_SetTextureScaleMode(icon_, SDL_ScaleModeNearest);
            iconSize_ = iconImage.width;
            SDL_FreeSurface(icon);
        }
    }
    SetUpImGui();
    return true;
}

void DesktopShell::SetUpImGui() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // the shell keeps its own settings
    io.LogFilename = nullptr;
    // A steady caret: a text field then asks for no pictures of its own
    // while the game stands still, and blinks at no one.
    io.ConfigInputTextCursorBlink = false;
    // Menus and dialogs work from the keyboard: arrows move, Return and
    // Space choose (the shell gives ImGui keys only while one is open).
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard | ImGuiConfigFlags_NavNoCaptureKeyboard;
    int w = 0, h = 0, outW = 0, outH = 0;
    SDL_GetWindowSize(window_, &w, &h);
    SDL_GetRendererOutputSize(renderer_, &outW, &outH);
    ApplyUiScale(scale_, w > 0 && outW > 0 ? static_cast<float>(outW) / static_cast<float>(w) : 1.0f);

    ImGui_ImplSDL2_InitForSDLRenderer(window_);
    ImGui_ImplSDLRenderer_Init(renderer_);
    imguiReady_ = true;
}

void DesktopShell::ApplyUiScale(int uiScale, float pixelRatio) {
    ImGuiIO& io = ImGui::GetIO();
    const float s = static_cast<float>(uiScale);
    // Fonts are baked at the output pixels they are drawn at, and drawn at
    // their logical size: crisp wherever the display has more pixels than
    // logical units.
    const float bake = s * pixelRatio;
    const long key = std::lround(bake * 100.0f);
    auto fonts = uiFonts_.find(key);
    if (fonts == uiFonts_.end()) {
        UiFonts made;
        made.menu = LoadFont(kMenuFonts, std::size(kMenuFonts), std::round(kMenuFontPixels * bake));
        made.dialog = LoadFont(kDialogFonts, std::size(kDialogFonts), std::round(kDialogFontPixels * bake));
        fonts = uiFonts_.emplace(key, made).first;
        // The atlas gained them: its texture is made anew by the next frame.
        if (imguiReady_) ImGui_ImplSDLRenderer_DestroyFontsTexture();
    }
    menuFont_ = fonts->second.menu;
    dialogFont_ = fonts->second.dialog;
    io.FontDefault = menuFont_;  // the flight and keys windows' text
    io.FontGlobalScale = 1.0f / pixelRatio;

    // What is open keeps its place and size in proportion.
    if (uiScale_ > 0 && uiScale_ != uiScale) {
        const float by = s / static_cast<float>(uiScale_);
        for (ImGuiWindow* window : GImGui->Windows) {
            window->Pos = ImVec2(std::floor(window->Pos.x * by), std::floor(window->Pos.y * by));
            window->Size = ImVec2(std::floor(window->Size.x * by), std::floor(window->Size.y * by));
            window->SizeFull = ImVec2(std::floor(window->SizeFull.x * by), std::floor(window->SizeFull.y * by));
        }
    }
    uiScale_ = uiScale;
    uiRatio_ = pixelRatio;
    if (flights_) flights_->SetUiScale(s);
    if (keys_) keys_->SetUiScale(s);

    // The look of a classic desktop: a white menu bar with black text, grey
    // dialogs with a navy caption, square corners. Sizes are scaled on a
    // fresh style each time, never on a scaled one.
    ImGuiStyle style;
    ImGui::StyleColorsLight(&style);
    style.WindowRounding = style.PopupRounding = style.FrameRounding = style.GrabRounding = 0;
    style.WindowBorderSize = style.PopupBorderSize = 1;
    style.FrameBorderSize = 1;
    style.ScaleAllSizes(s);
    style.DisplaySafeAreaPadding = ImVec2(0, 0);
    style.FramePadding = ImVec2(6.0f * s, (kMenuBarHeight - kMenuFontPixels) * 0.5f * s);
    ImVec4* c = style.Colors;
    c[ImGuiCol_Text] = Colour(0, 0, 0);
    c[ImGuiCol_MenuBarBg] = Colour(255, 255, 255);
    c[ImGuiCol_PopupBg] = Colour(255, 255, 255);
    c[ImGuiCol_WindowBg] = Colour(192, 192, 192);
    c[ImGuiCol_Border] = Colour(0, 0, 0);
    c[ImGuiCol_Header] = c[ImGuiCol_HeaderHovered] = c[ImGuiCol_HeaderActive] = Colour(166, 202, 240);
    c[ImGuiCol_TitleBg] = c[ImGuiCol_TitleBgActive] = c[ImGuiCol_TitleBgCollapsed] = Colour(0, 0, 128);
    c[ImGuiCol_Button] = Colour(192, 192, 192);
    c[ImGuiCol_ButtonHovered] = Colour(208, 208, 208);
    c[ImGuiCol_ButtonActive] = Colour(160, 160, 160);
    c[ImGuiCol_ModalWindowDimBg] = Colour(0, 0, 0, 0);  // the game stays in full view
    ImGui::GetStyle() = style;
}

bool DesktopShell::FitUiToWindow() {
    int w = 0, h = 0, outW = 0, outH = 0;
    SDL_GetWindowSize(window_, &w, &h);
    SDL_GetRendererOutputSize(renderer_, &outW, &outH);
    const float ratio = w > 0 && outW > 0 ? static_cast<float>(outW) / static_cast<float>(w) : 1.0f;
    const int wanted = UiScaleFor(Filled(), scale_, w, h);
    if (wanted == uiScale_ && ratio == uiRatio_) return false;
    ApplyUiScale(wanted, ratio);
    return true;
}

int DesktopShell::Run(std::unique_ptr<CDibImage> atlas) {
    host_ = std::make_unique<SdlHost>(assetFolder_);
    host_->SetWindow(window_);
    host_->SetMuted(settings_.muted);  // before the view starts the sound
    host_->SetSoundCues(settings_.soundCues);
    keys_ = std::make_unique<DesktopKeys>(settings_.keys);
    keys_->SetUiScale(static_cast<float>(uiScale_));
    largestScale_ = LargestScale();
    // The window shows first, then the session builds the view on the
    // given atlas (palette, start sound, surface) and creates it, which
    // starts the game.
    SDL_ShowWindow(window_);
    if (settings_.fullscreen && !WindowManagerRuns(window_)) {
        // Remembered from a desktop that had a window manager: not here.
        settings_.fullscreen = false;
        RememberSettings();
    }
    if (settings_.fullscreen) {
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        fullscreenCheckAt_ = SDL_GetTicks64() + kFullscreenGrantMs;
    }
    const std::string dataFolder =
        settingsPath_.empty() ? std::string() : std::filesystem::path(settingsPath_).parent_path().string();
    flights_ = std::make_unique<DesktopFlights>(*host_, std::move(atlas), dataFolder, atlasHash_, settings_.flightsKept);
    flights_->SetAtlasPath(atlasPath_);
    flights_->SetUiScale(static_cast<float>(uiScale_));
    view_ = &flights_->view();

    SDL_RendererInfo info{};
    schedule_.SetWindowKeepsPixels(SDL_GetRendererInfo(renderer_, &info) == 0 &&
                                   std::string_view(info.name) == "software");
    schedule_.NoteUiInput();
    RenderFrame(schedule_.Take());
    while (!quit_) {
        // Sleep in the event queue until an event arrives or the tick is due.
        int wait = host_->timer().WaitMs(SDL_GetTicks64());
        // A flight window or dialog keeps frames coming (ImGui drains queued
        // keys and clicks one frame at a time; the rings fade), even while
        // the game's timer stands still.
        if (flights_->busy()) wait = wait < 0 ? kBusyFrameMs : std::min(wait, kBusyFrameMs);
        // While the start sound plays, look in now and then to close its
        // device once it has played out.
        constexpr int kSoundCheckMs = 100;
        if (host_->soundOpen()) wait = wait < 0 ? kSoundCheckMs : std::min(wait, kSoundCheckMs);
        // The sound cues' queue is topped up a little ahead of the device.
        if (host_->feeding()) wait = wait < 0 ? SdlHost::kFeedMs : std::min(wait, SdlHost::kFeedMs);
        // A note at the bar's end goes when its time is up; full screen is
        // looked at once the window system had time to grant it.
        for (const uint64_t at : {statusUntil_, fullscreenCheckAt_}) {
            if (at == 0) continue;
            const int left = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(at - std::min(at, SDL_GetTicks64())), 0, 1000));
            wait = wait < 0 ? left : std::min(wait, left);
        }
        // Keys let go late are shown to ImGui in a frame of their own, at
        // once; so are keys that waited for the menus and dialogs.
        bool input = DrainKeyQueue();
        if (uiKeyBusy_) input = true;
        if (keysReleasedLate_ || uiKeyBusy_ || !keyQueue_.empty()) {
            wait = 0;
            schedule_.NoteUiInput();
        }
        SDL_Event event;
        const bool got = (wait < 0) ? SDL_WaitEvent(&event) != 0 : SDL_WaitEventTimeout(&event, wait) != 0;
        if (got) {
            input = HandleEvent(event) || input;
            while (!quit_ && SDL_PollEvent(&event)) input = HandleEvent(event) || input;
        }
        if (!quit_ && host_->timer().TakeDue(SDL_GetTicks64())) flights_->Tick();
        host_->FeedSound(*view_);
        if (host_->soundOpen()) host_->CloseFinishedSound(SDL_GetTicks64());
        if (host_->quitRequested()) quit_ = true;
        if (quit_) break;
        CheckFullscreenGranted();
        if (statusUntil_ != 0 && SDL_GetTicks64() >= statusUntil_) {
            status_.clear();
            statusUntil_ = 0;
            input = true;
        }
        if (BarRightChanged()) input = true;
        if (std::string note = flights_->TakeNote(); !note.empty()) ShowStatus(std::move(note));
        // Whatever this pass did (a tick may show its picture a dozen
        // times), the window is updated once at most, and not at all when
        // nothing in it changed.
        if (input) schedule_.NoteUiInput();
        if (host_->picture().changed() || host_->paletteChanged()) schedule_.NotePictureChanged();
        if (flights_->busy()) schedule_.NoteWindowsOpen();
        // Anything ImGui draws over the picture (a menu, a dialog, a window)
        // goes out with every update, whole: never a part of the picture
        // sent over it.
        if (UiCoversPicture()) schedule_.NoteOverlay();
        if (const FramePlan plan = schedule_.Take(); plan.present) RenderFrame(plan);
        keysDownThisPass_.clear();
        for (const SDL_Event& up : deferredKeyUps_) ImGui_ImplSDL2_ProcessEvent(&up);
        keysReleasedLate_ = !deferredKeyUps_.empty();
        deferredKeyUps_.clear();
    }
    settings_.flightsKept = flights_->flightsKept();
    RememberSettings();
    return 0;
}

void DesktopShell::ToImGui(const SDL_Event& event) {
    // ImGui sees the keys held at each frame, not the presses between: a key
    // that went down and up within one pass would never be seen pressed, so
    // its release waits for the frame after.
    if (event.type == SDL_KEYDOWN) keysDownThisPass_.push_back(event.key.keysym.scancode);
    if (event.type == SDL_KEYUP && std::find(keysDownThisPass_.begin(), keysDownThisPass_.end(),
                                             event.key.keysym.scancode) != keysDownThisPass_.end()) {
        deferredKeyUps_.push_back(event);
        return;
    }
    ImGui_ImplSDL2_ProcessEvent(&event);
}

bool DesktopShell::HandleEvent(const SDL_Event& event) {
    // Keys (and the text they type) wait behind a key for the menus and
    // dialogs until a frame has shown what it did (DrainKeyQueue).
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP || event.type == SDL_TEXTINPUT ||
        event.type == SDL_TEXTEDITING) {
        if (uiKeyBusy_ || !keyQueue_.empty()) {
            keyQueue_.push_back(event);
            return true;
        }
        return HandleKeyEvent(event);
    }
    ImGui_ImplSDL2_ProcessEvent(&event);
    // The pointer moving over the game is the game's business: the menu bar
    // and the About box need a new frame only when it concerns them. (A
    // player steers with the mouse; redrawing the whole window for every
    // motion would cost far more than the game.)
    bool uiFrame = true;
    if (event.type == SDL_MOUSEMOTION) {
        const float menuBottom = menuBarHeight_ > 0 ? menuBarHeight_ : static_cast<float>(kMenuBarHeight * scale_);
        uiFrame = menuOpen_ || aboutOpen_ || ImGui::GetIO().WantCaptureMouse ||
                  static_cast<float>(event.motion.y) < menuBottom;
    }
    switch (event.type) {
    case SDL_QUIT:
        quit_ = true;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) quit_ = true;
        // A window uncovered shows its last picture again.
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) view_->OnDraw();
        // A window made larger or smaller is laid out and drawn anew.
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) schedule_.NoteWindowLost();
        // Moved, perhaps to another screen: the scales Game > Scale offers.
        if (event.window.event == SDL_WINDOWEVENT_MOVED || event.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) {
            largestScale_ = LargestScale();
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEMOTION:
        HandleMouse(event);
        break;
    default:
        break;
    }
    if (HandleGameInput(event)) uiFrame = true;
    if (host_->quitRequested()) quit_ = true;
    return uiFrame;
}

bool DesktopShell::HandleKeyEvent(const SDL_Event& event) {
    // A key goes to ImGui only when it is for a text field, a menu or a
    // dialog (RouteKey); everything else ImGui sees as it comes.
    // A key comes up in ImGui as it went down there: Return chose in a menu
    // or dialog as Space (ImGui's keyboard navigation presses only with
    // Space), and its release must be Space's too, whatever opened or
    // closed in between, or ImGui would hold a key down for ever.
    if (event.type == SDL_KEYUP) {
        SDL_Event up = event;
        const auto sent = keysSentAs_.find(event.key.keysym.scancode);
        if (sent != keysSentAs_.end()) {
            up.key.keysym.scancode = sent->second;
            up.key.keysym.sym = SDL_GetKeyFromScancode(sent->second);
            keysSentAs_.erase(sent);
            // ImGui sees which keys are held at each frame: the same key
            // pressed again before a frame has seen it up would be no press.
            uiKeyBusy_ = true;
        }
        ToImGui(up);
    } else if (event.type == SDL_KEYDOWN) {
        const bool isReturn = event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER;
        const bool textField = ReadUiLayers().textField;
        const bool windowsBefore = flights_->WindowOpen() || keys_->keysWindowOpen();
        if (RouteKey(event.key)) {
            uiKeyBusy_ = true;
            if (const auto held = keysSentAs_.find(event.key.keysym.scancode); held != keysSentAs_.end()) {
                // Down again while ImGui holds it (a repeat, or a release the
                // window system folded into one): let it go up first, and
                // press it again after a frame, so that ImGui sees a press.
                SDL_Event up = event;
                up.type = SDL_KEYUP;
                up.key.state = SDL_RELEASED;
                up.key.keysym.scancode = held->second;
                up.key.keysym.sym = SDL_GetKeyFromScancode(held->second);
                keysSentAs_.erase(held);
                ToImGui(up);
                keyQueue_.push_front(event);
                return true;
            }
            SDL_Event down = event;
            if (isReturn && !textField) {
                down.key.keysym.scancode = SDL_SCANCODE_SPACE;
                down.key.keysym.sym = SDLK_SPACE;
            }
            keysSentAs_[event.key.keysym.scancode] = down.key.keysym.scancode;
            ToImGui(down);
        }
        // A key that opened or closed something: the keys after it are for
        // what the next frame shows.
        if (openMenuRequest_ >= 0 || escapeRequest_ || aboutRequest_ || quitConfirmRequest_ || leaveField_ != 0 ||
            menuKey_ != 0 || quitAnswer_ != 0 || closeAbout_ ||
            windowsBefore != (flights_->WindowOpen() || keys_->keysWindowOpen())) {
            uiKeyBusy_ = true;
        }
    } else {
        ImGui_ImplSDL2_ProcessEvent(&event);
    }
    HandleGameInput(event);
    if (host_->quitRequested()) quit_ = true;
    return true;
}

bool DesktopShell::DrainKeyQueue() {
    bool any = false;
    while (!keyQueue_.empty() && !uiKeyBusy_ && !quit_) {
        const SDL_Event event = keyQueue_.front();
        keyQueue_.pop_front();
        HandleKeyEvent(event);
        any = true;
    }
    return any;
}

bool DesktopShell::GameGetsMouse() const {
    // A click that opens, uses or dismisses a menu or a modal dialog is
    // theirs, never the game's; so is one on a window.
    return !aboutOpen_ && !menuOpen_ && !quitConfirmOpen_ && GImGui->OpenPopupStack.Size == 0 &&
           !ImGui::GetIO().WantCaptureMouse;
}

std::optional<GamePoint> DesktopShell::ToGame(int windowX, int windowY) const {
    return MapToGame(layout_, pixelRatioX_, pixelRatioY_, windowX, windowY);
}

void DesktopShell::HandleMouse(const SDL_Event& event) {
    // A button let go comes up where its press went: a press that closed a
    // menu is the menu's, and so is its release, even once the menu is gone.
    if (event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_LEFT && mouseDownToUi_) {
        mouseDownToUi_ = false;
        return;
    }
    // And a press the game took comes up in the game, even if a menu or a
    // dialog opened in between, so no control stays pressed.
    const bool gameRelease = event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_LEFT && mouseDownToGame_;
    if (!GameGetsMouse() && !gameRelease) {
        if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT) mouseDownToUi_ = true;
        return;
    }
    if (event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_LEFT) mouseDownToGame_ = false;
    // Paused, the game takes no new press or move; a button let go still comes up.
    if (host_->timer().paused() && event.type != SDL_MOUSEBUTTONUP) return;
    if (event.type == SDL_MOUSEMOTION) {
        if (const auto p = ToGame(event.motion.x, event.motion.y)) flights_->Input(flightfile::InputKind::kMove, p->x, p->y);
        return;
    }
    if (event.button.button != SDL_BUTTON_LEFT) return;
    const auto p = ToGame(event.button.x, event.button.y);
    if (!p) return;
    if (event.type == SDL_MOUSEBUTTONDOWN) mouseDownToGame_ = true;
    flights_->Input(event.type == SDL_MOUSEBUTTONDOWN ? flightfile::InputKind::kPress : flightfile::InputKind::kRelease,
                    p->x, p->y);
}

void DesktopShell::Execute(Command command) {
    switch (command) {
    case Command::kAppExit:
        quit_ = true;
        break;
    case Command::kAppAbout:
        aboutRequest_ = true;
        break;
    default:
        // New, Open and Save work on a document that holds nothing; the edit
        // and pane commands have no handler. None of them touches the game.
        break;
    }
}

void DesktopShell::RenderFrame(const FramePlan& asked) {
    FramePlan plan = asked;
    if (FitUiToWindow()) {
        // Menus and dialogs of the new size, settled, over the whole window
        // before anything is shown; a fixed window is fitted to the new bar.
        plan.imguiFrames = std::max(plan.imguiFrames, 2);
        plan.wholeWindow = true;
        if (!Filled()) windowFitted_ = false;
    }
    // Font sizes asked for by the last frame are baked before the next.
    if (plan.imguiFrames > 0 && flights_ && flights_->BakeFonts()) {
        ImGui_ImplSDLRenderer_DestroyFontsTexture();
        ImGui_ImplSDLRenderer_CreateFontsTexture();
    }
    // No new ImGui frame: the last one's draw data is drawn again.
    for (int i = 0; i < plan.imguiFrames; ++i) {
        ImGui_ImplSDLRenderer_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGuiIO& io = ImGui::GetIO();
        io.DeltaTime = std::max(io.DeltaTime, 1.0f / 10000.0f);
        ImGui::NewFrame();
        BuildUi();
        ImGui::Render();
    }
    if (plan.imguiFrames > 0) {
        TraceUi();
        // The frames showed what the last key for the menus did, unless a
        // menu asked for in the last of them opens in the next, or one that
        // opened has not yet settled (shown, its first item chosen).
        if (openMenuRequest_ < 0 && !UiSettling()) uiKeyBusy_ = false;
    }
    FitWindowToMenuBar();

    int outW = 0, outH = 0, winW = 0, winH = 0;
    SDL_GetRendererOutputSize(renderer_, &outW, &outH);
    SDL_GetWindowSize(window_, &winW, &winH);
    pixelRatioX_ = winW > 0 ? static_cast<double>(outW) / winW : 1.0;
    pixelRatioY_ = winH > 0 ? static_cast<double>(outH) / winH : 1.0;
    const int menuPixels = static_cast<int>(std::lround(menuBarHeight_ * pixelRatioY_));
    layout_ = Filled() ? FitPictureFill(outW, outH, menuPixels) : FitPicture(outW, outH, menuPixels);

    // Only what changed is mapped into the texture; a new palette changes
    // every pixel.
    const PictureRect whole{0, 0, kClientWidth, kClientHeight};
    PictureRect changed = host_->picture().TakeDirty();
    if (host_->TakePaletteChanged()) changed = whole;
    changed = PictureRect{changed.x0, changed.y0, std::min(changed.x1, kClientWidth), std::min(changed.y1, kClientHeight)};
    if (!changed.empty()) UpdateTexture(changed);

    const bool moved = layout_ != drawnLayout_;
    drawnLayout_ = layout_;
    const int s = layout_.scale;
    // A filled picture's linear stage reaches across the changed part's
    // edges: it goes out whole.
    if (!plan.wholeWindow && !moved && !layout_.Fractional()) {
        // Only the changed part of the picture, drawn into the window's image
        // and sent to the window system alone.
        if (changed.empty()) return;
        const SDL_Rect from{changed.x0, changed.y0, changed.width(), changed.height()};
        const SDL_Rect to{layout_.originX + changed.x0 * s, layout_.originY + changed.y0 * s, changed.width() * s,
                          changed.height() * s};
        SDL_RenderCopy(renderer_, picture_, &from, &to);
        if (SDL_RenderFlush(renderer_) == 0 && SDL_UpdateWindowSurfaceRects(window_, &to, 1) == 0) return;
        schedule_.NoteWindowLost();  // the whole window goes out next time
        return;
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (!drawer_.Draw(renderer_, picture_, layout_)) {
        // No target textures here: the largest whole scale, in black bars.
        layout_ = drawnLayout_ = FitPicture(outW, outH, menuPixels);
        drawer_.Draw(renderer_, picture_, layout_);
    }
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    SDL_RenderPresent(renderer_);
    TraceFirstPresent(renderer_, rendererWhy_);
}

bool DesktopShell::UiSettling() const {
    const ImGuiContext& g = *GImGui;
    if (g.NavInitRequest) return true;
    for (const ImGuiWindow* w : g.Windows) {
        if (w->Active && (w->Appearing || w->HiddenFramesCanSkipItems > 0 || w->HiddenFramesCannotSkipItems > 0)) return true;
    }
    return false;
}

void DesktopShell::FitWindowToMenuBar() {
    // The window is made exactly as tall as the menu bar ImGui draws plus the
    // picture, once that height is known.
    if (windowFitted_ || menuBarHeight_ <= 0) return;
    windowFitted_ = true;
    const int wanted = WindowedHeight();
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    if (h != wanted && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) {
        SDL_SetWindowSize(window_, kClientWidth * scale_, wanted);
    }
}

int DesktopShell::WindowedHeight() const {
    // The bar as drawn, when it was drawn at the window's own scale.
    const int menu = menuBarHeight_ > 0 && uiScale_ == scale_ ? static_cast<int>(std::ceil(menuBarHeight_))
                                                               : kMenuBarHeight * scale_;
    return menu + kClientHeight * scale_;
}

void DesktopShell::UpdateTexture(const PictureRect& rect) {
    void* pixels = nullptr;
    int pitch = 0;
    const SDL_Rect area{rect.x0, rect.y0, rect.width(), rect.height()};
    if (SDL_LockTexture(picture_, &area, &pixels, &pitch) != 0) return;
    host_->picture().ToArgb(host_->palette(), rect, static_cast<uint32_t*>(pixels), pitch);
    SDL_UnlockTexture(picture_);
}

void DesktopShell::BuildUi() {
    if (escapeRequest_) {
        CloseTopmost();
        escapeRequest_ = false;
    }
    if (leaveField_ != 0) {
        // Tab leaves a text field for the control below it (Shift+Tab: above),
        // as ImGui's own Tab reaches only other fields.
        ImGuiContext& g = *GImGui;
        if (g.ActiveId != 0 && g.NavWindow != nullptr) {
            ImGui::ClearActiveID();
            g.NavDisableHighlight = false;
            g.NavDisableMouseHover = true;
            const ImGuiDir dir = leaveField_ > 0 ? ImGuiDir_Down : ImGuiDir_Up;
            ImGui::NavMoveRequestForward(dir, dir, ImGuiNavMoveFlags_None, ImGuiScrollFlags_None);
        }
        leaveField_ = 0;
    }
    ImGui::PushFont(menuFont_);
    DrawMenuBar();
    ImGui::PopFont();
    DrawAboutBox();
    ImGui::PushFont(menuFont_);
    DrawQuitConfirm();
    ImGui::PopFont();
    if (keys_) keys_->DrawKeysWindow();
    if (flights_) {
        flights_->DrawWindows(static_cast<float>(layout_.originX / pixelRatioX_),
                              static_cast<float>(layout_.originY / pixelRatioY_),
                              static_cast<float>(layout_.Width() / static_cast<double>(kClientWidth) / pixelRatioX_));
    }
}

void DesktopShell::DrawMenuBar() {
    bool anyOpen = false;
    int openTop = -1;  // which of the bar's menus is open
    // A plain white bar with one black line below it, no frame around it.
    // (ImGui's own separator under a menu bar can stray one row into the
    // picture, so it is turned off with the frame border.)
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 0.0f);
    const bool bar = ImGui::BeginMainMenuBar();
    ImGui::PopStyleVar(2);
    if (!bar) return;
    menuBarHeight_ = ImGui::GetWindowSize().y;
    {
        const ImVec2 pos = ImGui::GetWindowPos();
        // A filled rectangle, not a line: exactly the bar's last row, with no
        // anti-aliased fringe on the picture's first.
        const float bottom = pos.y + menuBarHeight_;
        ImDrawList* draw = ImGui::GetWindowDrawList();
        draw->PushClipRectFullScreen();  // the bar clips its own last row
        draw->AddRectFilled(ImVec2(pos.x, bottom - 1.0f), ImVec2(pos.x + ImGui::GetWindowSize().x, bottom),
                            ImGui::GetColorU32(ImGuiCol_Border));
        draw->PopClipRect();
    }
    const float halfSpacing = std::floor(ImGui::GetStyle().ItemSpacing.x * 0.5f);
    for (size_t i = 0; i < kMainMenu.size(); ++i) {
        const Mnemonic popup = ParseMnemonic(kMainMenu[i].label);
        if (openMenuRequest_ == static_cast<int>(i)) {
            ImGui::OpenPopup(popup.text.c_str());
            GImGui->NavDisableHighlight = false;  // opened by key: its item shows chosen
            GImGui->NavDisableMouseHover = true;
            openMenuRequest_ = -1;
        }
        const ImVec2 at = ImGui::GetCursorScreenPos();
        const bool open = ImGui::BeginMenu(popup.text.c_str());
        // The pop-up's own window is current while it is open: underline in
        // the menu bar's.
        if (open) {
            anyOpen = true;
            openTop = static_cast<int>(i);
            const Mnemonic item = ParseMnemonic(kMainMenu[i].item.label);
            const ImVec2 itemAt = ImGui::GetCursorScreenPos();
            bool chosen = ImGui::MenuItem(item.text.c_str());
            UnderlineMnemonic(item, itemAt);
            if (menuKey_ != 0 && menuKey_ == item.key) chosen = true;
            if (chosen) {
                Execute(kMainMenu[i].item.command);
                ImGui::CloseCurrentPopup();
            }
            ImGui::EndMenu();
        }
        // Back in the bar's own window, open or not.
        UnderlineMnemonic(popup, ImVec2(at.x + halfSpacing, at.y + ImGui::GetStyle().FramePadding.y));
    }
    // Flight, Game and Help are drawn by the flights and the keys; the Alt
    // key opens them here, in the bar's own window, as BeginMenu names them.
    const auto openRequested = [&](int which, const char* name) {
        if (openMenuRequest_ == which) {
            ImGui::OpenPopup(name);
            openMenuRequest_ = -1;
            GImGui->NavDisableHighlight = false;  // opened by key: its first item shows chosen
            GImGui->NavDisableMouseHover = true;
        }
    };
    // Each underlines the letter Alt takes it by, as the two above do.
    const auto underlined = [&](const char* label, const auto& draw) {
        const ImVec2 at = ImGui::GetCursorScreenPos();
        draw();
        UnderlineMnemonic(ParseMnemonic(label), ImVec2(at.x + halfSpacing, at.y + ImGui::GetStyle().FramePadding.y));
    };
    openRequested(kFlightMenu, "Flight");
    underlined("F&light", [&] {
        if (flights_ && flights_->DrawMenu()) {
            anyOpen = true;
            openTop = kFlightMenu;
        }
    });
    openRequested(kGameMenu, "Game");
    openRequested(kHelpMenu, "Help");
    if (keys_) {
        const GameMenuState state{host_->timer().paused(), settings_.muted, settings_.pauseOnFocusLoss,
                                  settings_.showPowerPitch, settings_.fillWindow,
                                  settings_.soundCues, scale_, largestScale_, settings_.fullscreen};
        bool before = anyOpen;
        underlined("&Game", [&] { ChooseFromGameMenu(keys_->DrawGameMenu(state, anyOpen)); });
        if (anyOpen && !before) openTop = kGameMenu;
        before = anyOpen;
        underlined("&Help", [&] { ChooseFromGameMenu(keys_->DrawHelpMenu(anyOpen)); });
        if (anyOpen && !before) openTop = kHelpMenu;
    }
    DrawBarRight();
    menuKey_ = 0;
    ImGui::EndMainMenuBar();
    menuOpen_ = anyOpen;
    openTopMenu_ = openTop;
}

void DesktopShell::DrawAboutBox() {
    if (aboutRequest_) {
        ImGui::OpenPopup("###about");
        aboutRequest_ = false;
    }
    ImGui::PushFont(dialogFont_);
    // Dialog units from the dialog font, as the window system measures them:
    // a quarter of the average character width, an eighth of the height.
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const float unitX = std::round(ImGui::CalcTextSize(alphabet).x / 52.0f) / 4.0f;
    const float unitY = ImGui::GetFontSize() / 8.0f;
    const float titleHeight = ImGui::GetFontSize() + ImGui::GetStyle().FramePadding.y * 2.0f;
    // Placed from the window's top-left corner, as the template places it.
    ImGui::SetNextWindowPos(ImVec2(kAboutX * unitX, kAboutY * unitY), ImGuiCond_Appearing);
    ImGui::SetNextWindowSize(ImVec2(kAboutWidth * unitX, kAboutHeight * unitY + titleHeight));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleColor(ImGuiCol_PopupBg, ImGui::GetStyleColorVec4(ImGuiCol_WindowBg));  // a grey 3-D dialog
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 255, 255, 255));  // the title on the navy caption
    const bool open = ImGui::BeginPopupModal("About Avelune###about", nullptr,
                                             ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoScrollbar |
                                                 ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings);
    ImGui::PopStyleColor(2);
    ImGui::PopStyleVar();
    aboutOpen_ = open;
    if (open) {
        const ImVec2 origin(0, titleHeight);
        for (const DialogControl& control : kAboutControls) {
            const ImVec2 pos(origin.x + control.x * unitX, origin.y + control.y * unitY);
            const ImVec2 size(control.width * unitX, control.height * unitY);
            switch (control.kind) {
            case ControlKind::kCentredText: {
                const float textWidth = ImGui::CalcTextSize(control.text).x;
                ImGui::SetCursorPos(ImVec2(pos.x + std::floor((size.x - textWidth) * 0.5f), pos.y));
                ImGui::TextUnformatted(control.text);
                break;
            }
            case ControlKind::kDefaultButton:
                ImGui::SetCursorPos(pos);
                if (ImGui::Button(control.text, size)) closeAbout_ = true;
                break;
            case ControlKind::kIcon: {
                // A 32 x 32 icon drawn at its own size (times the scale).
                const float side = static_cast<float>(iconSize_ * uiScale_);
                ImGui::SetCursorPos(pos);
                if (icon_) ImGui::Image(static_cast<ImTextureID>(icon_), ImVec2(side, side));
                break;
            }
            }
        }
        if (closeAbout_) {
            ImGui::CloseCurrentPopup();
            aboutOpen_ = false;
        }
        ImGui::EndPopup();
    }
    closeAbout_ = false;
    ImGui::PopFont();
}

void DesktopShell::ToggleFullscreen() {
    // The shell's own record decides, not the window's flags: without a
    // window manager to grant it, the flags may never change. Full screen is
    // remembered once it has been seen granted (CheckFullscreenGranted).
    if (!settings_.fullscreen && !WindowManagerRuns(window_)) {
        // Nothing would grant it: SDL would lay the picture out for the
        // screen in a window that keeps its size.
        ShowStatus("Full screen needs a window manager");
        return;
    }
    settings_.fullscreen = !settings_.fullscreen;
    SDL_SetWindowFullscreen(window_, settings_.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (settings_.fullscreen) {
        fullscreenCheckAt_ = SDL_GetTicks64() + kFullscreenGrantMs;
        return;
    }
    fullscreenCheckAt_ = 0;
    // Back to exactly the window's own size, whatever the display did.
    SDL_SetWindowSize(window_, kClientWidth * scale_, WindowedHeight());
    RememberSettings();
}

int DesktopShell::LargestScale() const {
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(std::max(0, SDL_GetWindowDisplayIndex(window_)), &usable) != 0) return scale_;
    return DefaultScale(usable.w, usable.h);
}

void DesktopShell::SetScale(int scale) {
    scale_ = std::clamp(scale, 1, kMaxScale);
    RememberScale(scale_);
    if (settings_.fillWindow && !settings_.fullscreen) {
        SetFillWindow(false);  // sizes the window to the scale
        return;
    }
    // The window at the new size, its bar counted at the new scale, at
    // once: the menus follow it in the same update (FitUiToWindow).
    if (!Filled()) SDL_SetWindowSize(window_, kClientWidth * scale_, WindowedHeight());
    schedule_.NoteWindowLost();
}

void DesktopShell::SetFillWindow(bool fill) {
    settings_.fillWindow = fill;
    SDL_SetWindowResizable(window_, fill ? SDL_TRUE : SDL_FALSE);
    if (!fill && !settings_.fullscreen) {
        // Back to the whole scale's own size.
        SDL_SetWindowSize(window_, kClientWidth * scale_, WindowedHeight());
    }
    schedule_.NoteWindowLost();
    RememberSettings();
}

void DesktopShell::SaveScreenshot() {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string path = std::string("avelune-") + stamp + ".png";
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(path, ec) && n < 1000; ++n) {
        path = std::string("avelune-") + stamp + "-" + std::to_string(n) + ".png";
    }
    std::string error;
    if (WritePicturePng(host_->picture(), host_->palette(), kClientWidth, kClientHeight, path, error)) {
        std::printf("avelune: screenshot saved as %s\n", path.c_str());
        std::fflush(stdout);
        ShowStatus("Saved " + path);
    } else {
        std::fprintf(stderr, "avelune: %s\n", error.c_str());
        ShowStatus("Screenshot not saved: " + error);
    }
}

void DesktopShell::RememberScale(int scale) {
    settings_.scale = scale;
    RememberSettings();
}

void DesktopShell::RememberSettings() {
    if (settingsPath_.empty() || settings_ == savedSettings_) return;
    std::string error;
    const std::string text = UpdateSettingsText(settingsText_, savedSettings_, settings_);
    if (SaveSettingsText(settingsPath_, text, error)) {
        savedSettings_ = settings_;
        settingsText_ = text;
    } else {
        std::fprintf(stderr, "avelune: warning: %s\n", error.c_str());
    }
}
