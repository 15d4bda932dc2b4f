// The debrief on the desktop: the plot drawn with Dear ImGui's draw list in a
// window of its own, and the debrief of a saved flight worked out by
// replaying it quietly, off the screen.
#pragma once

#include <string>

#include <imgui.h>

#include "debrief/DebriefPlot.h"
#include "flightfile/FlightFile.h"
#include "recorder/FlightRecorder.h"

// Draws `plot` with its top-left corner at `origin`, `scale` ImGui units to
// a logical unit.
void DrawDebriefPlot(ImDrawList* draw, const debrief::Plot& plot, ImVec2 origin, float scale);

// Replays `flight` in a view of its own (the atlas read from `atlasPath`)
// with a recorder following it. False with `error` when the atlas cannot be
// read or the replay does not reach the flight's end.
bool RecordFlight(const flightfile::Flight& flight, const std::string& atlasPath, recorder::Recording& out,
                  std::string& error);

class DesktopDebrief {
public:
    // Opens the window on this approach (its plot is worked out now).
    void Open(const recorder::Recording& recording, std::string title);
    void Draw();
    bool open() const { return open_; }

private:
    bool open_ = false;
    bool appearing_ = false;
    debrief::Plot plot_;
    std::string title_;
};
