#include "platform/sdl/MessageBox.h"

#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include "platform/sdl/DesktopResources.h"
#include "platform/sdl/MessageSignals.h"

namespace {

// A message box's own sans-serif, the first that exists.
constexpr const char* kBoxFonts[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};
// Sizes at scale 1, in pixels.
constexpr float kFontPixels = 15.0f;
constexpr float kPadding = 12.0f;
constexpr float kWrapWidth = 360.0f;
constexpr float kMinTextWidth = 200.0f;
constexpr float kButtonWidth = 75.0f, kButtonHeight = 23.0f;

ImVec4 Colour(int r, int g, int b) { return ImVec4(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f); }

// The box's size for `text` in `font` at `scale`, title bar included.
ImVec2 BoxSize(const std::string& text, ImFont* font, int scale) {
    const float s = static_cast<float>(scale);
    const ImVec2 textSize = font->CalcTextSizeA(font->FontSize, FLT_MAX, kWrapWidth * s, text.c_str());
    const float title = font->FontSize + 2.0f * ImGui::GetStyle().FramePadding.y;
    const float width = std::ceil(std::max(textSize.x, kMinTextWidth * s) + 2.0f * kPadding * s);
    const float height = std::ceil(title + textSize.y + kButtonHeight * s + 3.0f * kPadding * s);
    return ImVec2(width, height);
}

bool IsDismissKey(SDL_Keycode key) {
    return key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_SPACE || key == SDLK_ESCAPE;
}

// One frame of the box at `at`, `size`; true when OK was pressed.
bool DrawBox(const std::string& text, ImFont* font, int scale, ImVec2 at, ImVec2 size, bool open) {
    const float s = static_cast<float>(scale);
    const char* id = "Avelune###message";
    if (open) ImGui::OpenPopup(id);
    ImGui::PushFont(font);
    ImGui::SetNextWindowPos(at);
    ImGui::SetNextWindowSize(size);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(kPadding * s, kPadding * s));
    ImGui::PushStyleColor(ImGuiCol_PopupBg, Colour(192, 192, 192));
    ImGui::PushStyleColor(ImGuiCol_TitleBg, Colour(0, 0, 128));
    ImGui::PushStyleColor(ImGuiCol_TitleBgActive, Colour(0, 0, 128));
    ImGui::PushStyleColor(ImGuiCol_ModalWindowDimBg, ImVec4(0, 0, 0, 0));
    ImGui::PushStyleColor(ImGuiCol_Text, Colour(255, 255, 255));  // the caption, drawn by the Begin below
    const bool shown = ImGui::BeginPopupModal(id, nullptr,
                                              ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                                  ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoScrollbar |
                                                  ImGuiWindowFlags_NoSavedSettings);
    ImGui::PopStyleColor();
    bool ok = false;
    if (shown) {
        ImGui::PushStyleColor(ImGuiCol_Text, Colour(0, 0, 0));
        ImGui::PushStyleColor(ImGuiCol_Button, Colour(192, 192, 192));
        ImGui::PushStyleColor(ImGuiCol_ButtonHovered, Colour(208, 208, 208));
        ImGui::PushStyleColor(ImGuiCol_ButtonActive, Colour(160, 160, 160));
        ImGui::PushStyleColor(ImGuiCol_Border, Colour(0, 0, 0));
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + kWrapWidth * s);
        ImGui::TextUnformatted(text.c_str());
        ImGui::PopTextWrapPos();
        const ImVec2 button(kButtonWidth * s, kButtonHeight * s);
        ImGui::SetCursorPos(ImVec2(std::floor((size.x - button.x) * 0.5f), size.y - kPadding * s - button.y));
        ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, std::max(1.0f, s));
        ok = ImGui::Button("OK", button);
        ImGui::PopStyleVar();
        ImGui::PopStyleColor(5);
        if (ok) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
    }
    ImGui::PopStyleColor(4);
    ImGui::PopStyleVar();
    ImGui::PopFont();
    return ok;
}

// Runs the box until it is dismissed (OK, Return, Escape, Space, its window
// closed) or a signal arrives.
MessageEnd RunBox(const std::string& text, SDL_Window* window, SDL_Renderer* renderer, ImFont* font, int scale,
                  const MessageSignalGuard& guard) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    const ImVec2 size = BoxSize(text, font, scale);
    const ImVec2 at(std::floor(std::max(0.0f, (w - size.x) * 0.5f)), std::floor(std::max(0.0f, (h - size.y) * 0.5f)));
    // ImGui settles a new pop-up over two frames.
    int framesDue = 2;
    bool first = true;
    for (;;) {
        SDL_Event event;
        bool got = SDL_WaitEventTimeout(&event, framesDue > 0 ? 0 : 50) != 0;
        bool dismissed = false;
        while (got) {
            ImGui_ImplSDL2_ProcessEvent(&event);
            framesDue = std::max(framesDue, 2);
            if (event.type == SDL_QUIT ||
                (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
                dismissed = true;
            } else if (event.type == SDL_KEYDOWN && IsDismissKey(event.key.keysym.sym)) {
                dismissed = true;
            }
            got = SDL_PollEvent(&event) != 0;
        }
        if (guard.signalled()) return MessageEnd::kQuit;
        if (dismissed) return MessageEnd::kDismissed;
        if (framesDue == 0) continue;
        --framesDue;
        ImGui_ImplSDLRenderer_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGuiIO& io = ImGui::GetIO();
        io.DeltaTime = std::max(io.DeltaTime, 1.0f / 10000.0f);
        ImGui::NewFrame();
        const bool ok = DrawBox(text, font, scale, at, size, first);
        first = false;
        ImGui::Render();
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
        SDL_RenderPresent(renderer);
        if (ok) return MessageEnd::kDismissed;
    }
}

// The box in a window of its own, just its size, when the game has none.
MessageEnd ShowInOwnWindow(const std::string& text, const MessageSignalGuard& guard) {
    IMGUI_CHECKVERSION();
    ImGuiContext* context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImFont* font = nullptr;
    for (const char* path : kBoxFonts) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec) && (font = io.Fonts->AddFontFromFileTTF(path, kFontPixels))) {
            break;
        }
    }
    if (font == nullptr) {
        ImFontConfig config;
        config.SizePixels = kFontPixels;
        font = io.Fonts->AddFontDefault(&config);
    }
    io.Fonts->Build();
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = style.PopupRounding = style.FrameRounding = 0;
    style.WindowBorderSize = style.PopupBorderSize = 1;

    MessageEnd end = MessageEnd::kDismissed;
    const ImVec2 size = BoxSize(text, font, 1);
    SDL_Window* window = SDL_CreateWindow(kAppTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          static_cast<int>(size.x), static_cast<int>(size.y), 0);
    SDL_Renderer* renderer = nullptr;
    if (window != nullptr) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
        if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (renderer != nullptr) {
        ImGui_ImplSDL2_InitForSDLRenderer(window);
        ImGui_ImplSDLRenderer_Init(renderer);
        SDL_RaiseWindow(window);
        end = RunBox(text, window, renderer, font, 1, guard);
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
    } else {
        std::fprintf(stderr, "avelune: cannot open a window for the message either: %s\n", SDL_GetError());
    }
    ImGui::DestroyContext(context);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    return end;
}

bool NativeBoxSwitchedOff() {
    const char* value = SDL_getenv(kNoNativeMessageBoxVariable);
    return value != nullptr && value[0] != '\0' && std::string(value) != "0";
}

}  // namespace

MessageEnd ShowMessageBox(MessageKind kind, const std::string& text, const std::string& logText) {
    std::fprintf(stderr, "avelune: %s\n", logText.empty() ? text.c_str() : logText.c_str());
    std::fflush(stderr);

    const MessageSignalGuard guard;
    const Uint32 flags = kind == MessageKind::kError ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    std::string why;
    if (NativeBoxSwitchedOff()) {
        why = std::string(kNoNativeMessageBoxVariable) + " is set";
    } else if (SDL_ShowSimpleMessageBox(flags, kAppTitle, text.c_str(), nullptr) == 0) {
        return guard.signalled() ? MessageEnd::kQuit : MessageEnd::kDismissed;
    } else {
        why = SDL_GetError();
    }
    // A signal ended SDL's box: the program ends without another.
    if (guard.signalled()) return MessageEnd::kQuit;
    std::fprintf(stderr, "avelune: the system's message box cannot be shown (%s); the message is shown in a window of "
                         "the program's own\n", why.c_str());
    return ShowInOwnWindow(text, guard);
}
