#include "platform/sdl/DesktopDebrief.h"

#include <algorithm>
#include <filesystem>
#include <cmath>
#include <memory>

#include "platform/common/AtlasFiles.h"
#include "platform/sdl/DesktopKeys.h"
#include "session/FlightSession.h"

namespace {

using debrief::Primitive;

ImU32 ToImGui(const debrief::Colour& c) { return IM_COL32(c.r, c.g, c.b, c.a); }

void DashedLine(ImDrawList* draw, ImVec2 a, ImVec2 b, ImU32 colour, float width, float scale) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0) return;
    const float on = 4 * scale, period = 7 * scale;
    for (float t = 0; t < length; t += period) {
        const float e = std::min(t + on, length);
        draw->AddLine(ImVec2(a.x + dx * t / length, a.y + dy * t / length),
                      ImVec2(a.x + dx * e / length, a.y + dy * e / length), colour, width);
    }
}

}  // namespace

PlotFonts::PlotFonts() {
    for (const char* path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                             "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"}) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) {
            face_ = path;
            break;
        }
    }
}

ImFont* PlotFonts::For(float pixels) {
    const int size = std::max(1, static_cast<int>(std::lround(pixels)));
    if (const auto it = baked_.find(size); it != baked_.end()) return it->second;
    if (!face_.empty() && std::find(wanted_.begin(), wanted_.end(), size) == wanted_.end()) wanted_.push_back(size);
    // Until it is baked: the nearest baked size, else the current font.
    ImFont* nearest = ImGui::GetFont();
    int distance = 1 << 30;
    for (const auto& [baked, font] : baked_) {
        if (std::abs(baked - size) < distance) {
            distance = std::abs(baked - size);
            nearest = font;
        }
    }
    return nearest;
}

bool PlotFonts::BakeWanted() {
    if (wanted_.empty()) return false;
    // Each size once, a few per window size; a cap keeps a player who drags
    // the window about from growing the atlas without end.
    constexpr size_t kMostSizes = 48;
    ImFontAtlas* atlas = ImGui::GetIO().Fonts;
    bool added = false;
    for (const int size : wanted_) {
        if (baked_.size() >= kMostSizes) break;
        ImFontConfig config;
        config.OversampleH = 2;
        if (ImFont* font = atlas->AddFontFromFileTTF(face_.c_str(), static_cast<float>(size), &config)) {
            baked_[size] = font;
            added = true;
        }
    }
    wanted_.clear();
    return added && atlas->Build();
}

void DrawDebriefPlot(ImDrawList* draw, const debrief::Plot& plot, ImVec2 origin, float scale, PlotFonts* fonts) {
    auto at = [&](const debrief::Point& p) { return ImVec2(origin.x + p.x * scale, origin.y + p.y * scale); };
    for (const Primitive& p : plot.items) {
        if (p.points.empty()) continue;
        const ImU32 colour = ToImGui(p.colour);
        switch (p.kind) {
        case Primitive::Kind::kLine:
        case Primitive::Kind::kPolyline:
            if (p.dashed) {
                for (size_t i = 1; i < p.points.size(); ++i)
                    DashedLine(draw, at(p.points[i - 1]), at(p.points[i]), colour, p.width * scale, scale);
            } else if (p.points.size() == 2) {
                draw->AddLine(at(p.points[0]), at(p.points[1]), colour, p.width * scale);
            } else {
                std::vector<ImVec2> points;
                points.reserve(p.points.size());
                for (const auto& q : p.points) points.push_back(at(q));
                draw->AddPolyline(points.data(), static_cast<int>(points.size()), colour, 0, p.width * scale);
            }
            break;
        case Primitive::Kind::kFill: {
            const size_t n = p.points.size();
            if (n >= 6 && n % 2 == 0) {
                // A strip: its upper edge left to right, then its lower edge
                // back. Its quads meet edge to edge: without the soft fringe,
                // so the seams do not show.
                const ImDrawListFlags flags = draw->Flags;
                draw->Flags &= ~ImDrawListFlags_AntiAliasedFill;
                for (size_t i = 0; i + 1 < n / 2; ++i) {
                    draw->AddQuadFilled(at(p.points[i]), at(p.points[i + 1]), at(p.points[n - 2 - i]),
                                        at(p.points[n - 1 - i]), colour);
                }
                draw->Flags = flags;
            } else {
                std::vector<ImVec2> points;
                for (const auto& q : p.points) points.push_back(at(q));
                draw->AddConvexPolyFilled(points.data(), static_cast<int>(points.size()), colour);
            }
            break;
        }
        case Primitive::Kind::kText: {
            const float size = p.size * scale;
            ImFont* font = fonts ? fonts->For(size) : ImGui::GetFont();
            const float width = font->CalcTextSizeA(size, FLT_MAX, 0, p.text.c_str()).x;
            const float shift = p.align == debrief::Align::kLeft ? 0 : p.align == debrief::Align::kCentre ? width / 2 : width;
            const ImVec2 anchor = at(p.points[0]);
            const float ascent = font->Ascent * size / font->FontSize;
            const int first = draw->VtxBuffer.Size;
            const ImVec2 topLeft(anchor.x - shift, anchor.y - ascent);
            draw->AddText(font, size, topLeft, colour, p.text.c_str());
            if (p.bold) draw->AddText(font, size, ImVec2(topLeft.x + 0.6f * scale, topLeft.y), colour, p.text.c_str());
            if (p.vertical) {
                // A quarter turn to the left about the anchor: reading upward.
                for (int i = first; i < draw->VtxBuffer.Size; ++i) {
                    ImVec2& v = draw->VtxBuffer[i].pos;
                    const float dx = v.x - anchor.x, dy = v.y - anchor.y;
                    v = ImVec2(anchor.x + dy, anchor.y - dx);
                }
            }
            break;
        }
        }
    }
}

bool RecordFlight(const flightfile::Flight& flight, const std::string& atlasPath, recorder::Recording& out,
                  std::string& error) {
    std::unique_ptr<CDibImage> atlas = LoadAtlas(atlasPath, error);
    if (!atlas) return false;
    return session::RecordFlight(flight, std::move(atlas), out, error);
}

void DesktopDebrief::Open(const recorder::Recording& recording, std::string title, const recorder::Recording* ghost) {
    plot_ = debrief::BuildDebrief(recording, ghost);
    title_ = std::move(title);
    open_ = true;
    appearing_ = true;
}

float DebriefPlotScale(float fit) {
    // In steps of a sixteenth, so that a window dragged larger asks for a
    // few new font sizes, not one a pixel; never below 1x, where a tick
    // label is 11 px.
    return std::max(1.0f, std::floor(fit * 16.0f) / 16.0f);
}

void DesktopDebrief::Draw(float top, float uiScale) {
    if (!open_) return;
    const ImGuiStyle& style = ImGui::GetStyle();
    if (appearing_) {
        // Below the menu bar, as large as the plot at its scale, within the
        // room the window gives.
        const ImVec2 display = ImGui::GetIO().DisplaySize;
        const float margin = 8 * uiScale;
        const float chrome = ImGui::GetFrameHeight() + style.WindowPadding.y * 2;
        const float roomX = display.x - 2 * margin, roomY = display.y - top - 2 * margin;
        const float fit = std::min((roomX - style.WindowPadding.x * 2) / plot_.width, (roomY - chrome) / plot_.height);
        const float scale = DebriefPlotScale(fit);
        // Room for the scroll bars where the plot is larger than the window.
        const float width = plot_.width * scale + style.WindowPadding.x * 2 + style.ScrollbarSize;
        const float height = plot_.height * scale + chrome + style.ScrollbarSize;
        ImGui::SetNextWindowSize(ImVec2(std::min(width, roomX), std::min(height, roomY)), ImGuiCond_Always);
        ImGui::SetNextWindowPos(ImVec2(display.x / 2, top + margin), ImGuiCond_Always, ImVec2(0.5f, 0));
        ImGui::SetNextWindowFocus();
        appearing_ = false;
        scrollHome_ = true;
    }
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 255, 255, 255));
    const std::string name = title_ + "###debrief";
    const bool shown = ImGui::Begin(name.c_str(), &open_, ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_HorizontalScrollbar);
    ImGui::PopStyleColor();
    if (shown) {
        // A debrief opened again starts at its title.
        if (scrollHome_) {
            ImGui::SetScrollX(0);
            ImGui::SetScrollY(0);
            scrollHome_ = false;
        }
        // The plot fills the window, never below 1x (its text, a tick label
        // 11 units, each size baked exactly); a window too small for it
        // scrolls, by the keys too.
        const ImVec2 avail = ImGui::GetContentRegionAvail();
        const float fit = std::min(avail.x / plot_.width, avail.y / plot_.height);
        const float scale = DebriefPlotScale(fit);
        const ImVec2 origin = ImGui::GetCursorScreenPos();
        DrawDebriefPlot(ImGui::GetWindowDrawList(), plot_, origin, scale, &fonts_);
        ImGui::Dummy(ImVec2(plot_.width * scale, plot_.height * scale));
        if (ImGui::IsWindowFocused()) ScrollByKeys();
    }
    ImGui::End();
}
