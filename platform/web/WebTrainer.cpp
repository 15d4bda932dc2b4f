#include "platform/web/WebTrainer.h"

#include <cstdio>

#include "debrief/Assessment.h"
#include "files/Files.h"
#include "session/FlightSession.h"

namespace web {

std::string Quoted(const std::string& text) { return files::JsonString(text); }

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string s = text;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

}  // namespace

std::string PlotJson(const debrief::Plot& plot) {
    std::string out = "{\"width\":" + Number(plot.width) + ",\"height\":" + Number(plot.height) + ",\"items\":[";
    bool first = true;
    for (const debrief::Primitive& p : plot.items) {
        out += first ? "{" : ",{";
        first = false;
        out += "\"k\":" + std::to_string(static_cast<int>(p.kind)) + ",\"p\":[";
        for (size_t i = 0; i < p.points.size(); ++i) {
            out += (i ? "," : "") + Number(p.points[i].x) + "," + Number(p.points[i].y);
        }
        out += "],\"c\":[" + std::to_string(p.colour.r) + "," + std::to_string(p.colour.g) + "," +
               std::to_string(p.colour.b) + "," + std::to_string(p.colour.a) + "],\"w\":" + Number(p.width);
        if (p.dashed) out += ",\"d\":1";
        if (p.kind == debrief::Primitive::Kind::kText) {
            out += ",\"t\":" + Quoted(p.text) + ",\"s\":" + Number(p.size) + ",\"a\":" +
                   std::to_string(static_cast<int>(p.align));
            if (p.bold) out += ",\"b\":1";
            if (p.vertical) out += ",\"v\":1";
        }
        out += ",\"r\":" + Quoted(p.role) + "}";
    }
    return out + "]}";
}

std::string DebriefJson(const recorder::Recording& recording) {
    std::string facts, advice;
    for (const debrief::SummaryLine& line : debrief::SummaryLines(recording, nullptr)) {
        if (line.name == debrief::kAdviceLine) {
            advice += (advice.empty() ? "" : ",") + Quoted(line.text);
        } else {
            facts += (facts.empty() ? "[" : ",[") + Quoted(line.name) + "," + Quoted(line.text) + "]";
        }
    }
    return "{\"plot\":" + PlotJson(debrief::BuildDebrief(recording)) + ",\"facts\":[" + facts + "],\"advice\":[" +
           advice + "]}";
}

logbook::Figures FiguresOf(const recorder::Recording& r) { return session::LogbookFigures(r); }

std::string FlightName(const std::string& when, const flightfile::Flight& flight) {
    std::string stem;
    for (const char c : when) {
        if (c == 'T') stem += '-';
        else if (c != '-' && c != ':') stem += c;
    }
    return stem + "-" + flightfile::EndingName(flight.ending) + flightfile::kExtension;
}

std::string LogbookJson(const std::string& text) {
    logbook::Contents contents;
    logbook::ParseLogbook(text, "logbook", contents);
    const int best = logbook::BestEntry(contents.entries);
    std::string out = "{\"entries\":[";
    for (size_t i = 0; i < contents.entries.size(); ++i) {
        const logbook::Entry& e = contents.entries[i];
        const bool isBest = static_cast<int>(i) == best;
        const logbook::EntryCells c = logbook::CellsOf(e, isBest);
        out += i ? ",{" : "{";
        out += "\"cells\":[" + Quoted(c.when) + "," + Quoted(c.outcome) + "," + Quoted(c.time) + "," + Quoted(c.score) +
               "," + Quoted(c.margins) + "," + Quoted(c.verdict) + "]";
        out += ",\"flight\":" + Quoted(e.flight) + ",\"line\":" + Quoted(logbook::FormatEntry(e)) + "}";
    }
    out += "],\"best\":" + std::to_string(best) + ",\"notes\":[";
    for (size_t i = 0; i < contents.notes.size(); ++i) out += (i ? "," : "") + Quoted(contents.notes[i]);
    return out + "]}";
}

}  // namespace web
