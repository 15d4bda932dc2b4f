// What the page's debrief and logbook windows show, made here from the
// platform-free parts (debrief/, recorder/, logbook/) and handed to the page
// as JSON: the page only draws and stores it.
#pragma once

#include <string>

#include "debrief/DebriefPlot.h"
#include "flightfile/FlightFile.h"
#include "logbook/Logbook.h"
#include "recorder/FlightRecorder.h"

namespace web {

// The plot as {"width","height","items":[...]}, each item
// {"k": 0 line, 1 polyline, 2 fill, 3 text, "p":[x,y,...], "c":[r,g,b,a],
//  "w", "d" dashed, "t", "s" size, "b" bold, "a" 0 left 1 centre 2 right,
//  "v" vertical}: everything a canvas needs to draw it as cairo does.
std::string PlotJson(const debrief::Plot& plot);

// An approach's debrief for the page: {"plot": PlotJson, "facts": the
// summary as [name, text] pairs, "advice": its sentences}, the text for a
// screen too narrow to read the plot's own and for screen readers.
std::string DebriefJson(const recorder::Recording& recording);

// The logbook's figures for an approach the recorder followed.
logbook::Figures FiguresOf(const recorder::Recording& recording);

// The name a flight gets in the logbook, from when it ended and its outcome
// (the desktop's: 20261209-070126-arrived.avflight).
std::string FlightName(const std::string& when, const flightfile::Flight& flight);

// A logbook's text as {"entries":[{"cells":[when, outcome, time, score,
// margins, verdict], "flight", "line"}], "best": index or -1, "notes":[...]},
// the cells as the desktop's logbook window shows them.
std::string LogbookJson(const std::string& text);

// A string as a JSON string literal.
std::string Quoted(const std::string& text);

}  // namespace web
