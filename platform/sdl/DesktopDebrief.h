// The debrief on the desktop: the plot drawn with Dear ImGui's draw list in a
// window of its own, and the debrief of a saved flight worked out by
// replaying it quietly, off the screen.
#pragma once

#include <string>
#include <vector>

#include <imgui.h>

#include "debrief/DebriefPlot.h"
#include "flightfile/FlightFile.h"
#include "recorder/FlightRecorder.h"

#include <map>

// Fonts baked at exactly the pixel sizes a plot's text is drawn at, so that
// small text stays crisp: a glyph drawn far below the size it was baked at
// loses strokes. Sizes are wanted while a frame is built and baked between
// frames (ImGui's font atlas cannot change inside one).
class PlotFonts {
public:
    // The face to bake (DejaVu Sans where the system has it, as in the PNG).
    PlotFonts();
    // The font for text of `pixels`: the baked one, else the nearest baked
    // (or ImGui's current) for now, with the size noted as wanted.
    ImFont* For(float pixels);
    // Between frames: bakes the wanted sizes; true when the atlas changed
    // (the renderer's font texture must then be made again).
    bool BakeWanted();

private:
    std::string face_;
    std::map<int, ImFont*> baked_;
    std::vector<int> wanted_;
};

// Draws `plot` with its top-left corner at `origin`, `scale` ImGui units to
// a logical unit; text in `fonts` where given, else in the current font.
void DrawDebriefPlot(ImDrawList* draw, const debrief::Plot& plot, ImVec2 origin, float scale,
                     PlotFonts* fonts = nullptr);

// Replays `flight` in a view of its own (the atlas read from `atlasPath`)
// with a recorder following it. False with `error` when the atlas cannot be
// read or the replay does not reach the flight's end.
bool RecordFlight(const flightfile::Flight& flight, const std::string& atlasPath, recorder::Recording& out,
                  std::string& error);

// The plot's scale in a window that fits it `fit` times: that in steps of a
// sixteenth, but never below 1x, where its text reads (the window scrolls).
float DebriefPlotScale(float fit);

class DesktopDebrief {
public:
    // Opens the window on this approach (its plot is worked out now), with
    // `ghost`, if given, drawn faintly behind it.
    void Open(const recorder::Recording& recording, std::string title, const recorder::Recording* ghost = nullptr);
    // `top`: where the window may begin, below the menu bar (ImGui units);
    // `uiScale`: the menus' scale, the plot's least.
    void Draw(float top, float uiScale);
    void Close() { open_ = false; }
    bool open() const { return open_; }
    PlotFonts& fonts() { return fonts_; }

private:
    PlotFonts fonts_;
    bool open_ = false;
    bool appearing_ = false;
    bool scrollHome_ = false;
    debrief::Plot plot_;
    std::string title_;
};
