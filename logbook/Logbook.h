// The logbook: one line for every approach that arrived or failed, with the
// flight file kept beside it so any entry can be watched again.
//
// Each entry is one text line, appended with a single write and synced, so
// a crash loses at most the entry being written; a line that cannot be read
// (a torn write, a hand edit) is skipped with a note and left in the file.
// The format is described in docs/FLIGHT-FILES.md.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "flightfile/FlightFile.h"

namespace logbook {

constexpr const char* kLineTag = "avlog";
constexpr int kLineVersion = 3;  // 2 adds the recorder's verdict and where it was decided; 3 the score and grade
constexpr int kDefaultFlightsKept = 200;

// The margins are measured to the failure limits of game/Limits.h.

struct Entry {
    std::string when;          // local date and time, YYYY-MM-DDTHH:MM:SS
    flightfile::Ending outcome = flightfile::Ending::kArrived;
    uint32_t seconds = 0;      // simulated seconds flown
    int airspeedMargin = 0;    // mph left below the failure limit at the worst (negative: passed)
    int needleMargin = 0;      // needle units left
    int glideSlopeMargin = 0;  // ft left
    uint32_t secondsWarned = 0;
    std::string verdict;       // version 2: stable or unstable; version 1: clean, warned or failed
    int stabilityFeet = 0;     // version 2: feet to go where it became stable, or stopped being so
    std::string flight;        // the flight file's name in the flights folder
    int score = -1;            // version 3: the debrief's score, 0..100; -1 before
    char grade = 0;            // version 3: its letter, A..F; 0 before
    friend bool operator==(const Entry&, const Entry&) = default;

    // The smallest of the three margins: how close the approach came to failing.
    int Closest() const;
};

// What the flight recorder made of an approach: the margins it left to each
// failure limit at its worst, the judgements in warning, and its verdict.
struct Figures {
    int airspeedMargin = 0;
    int needleMargin = 0;
    int glideSlopeMargin = 0;
    uint32_t secondsWarned = 0;
    bool stable = false;
    int stabilityFeet = 0;
    int score = -1;   // the debrief's score (a version 3 line), -1 for none
    char grade = 0;
};

// The entry for a flight that ended, flown at `when`, kept as `flightName`;
// with the recorder's figures when there are any (a version 2 line), else
// from the flight's own (version 1).
Entry EntryFor(const flightfile::Flight& flight, const std::string& when, const std::string& flightName,
               const Figures* figures = nullptr);

std::string FormatEntry(const Entry& entry);  // without the line end
bool ParseEntry(const std::string& line, Entry& entry, std::string& why);

struct Contents {
    std::vector<Entry> entries;      // in the file's order (oldest first)
    std::vector<std::string> notes;  // one for each line skipped: the file, the line, what is wrong
};
// Reads a logbook; a missing file is an empty logbook. False (with `error`)
// only when the file exists but cannot be read at all: it is not a regular
// file, or larger than kMaxFileBytes. A line longer than kMaxLineBytes is
// skipped unread; at most kMaxNotes lines are named, then how many more.
constexpr size_t kMaxFileBytes = 16u << 20;
constexpr size_t kMaxLineBytes = 4096;
constexpr size_t kMaxNotes = 100;
bool ReadLogbook(const std::string& path, Contents& contents, std::string& error);
// The same for a logbook's text already read, named `path` in the notes;
// false only when memory runs out.
bool ParseLogbook(const std::string& text, const std::string& path, Contents& contents);

// Appends one entry: one write of the whole line with O_APPEND, then fsync.
// When the file's last line was torn off unfinished, the entry begins on a
// line of its own and the torn line stays as it is.
bool AppendEntry(const std::string& path, const Entry& entry, std::string& error);

// The index of the best approach: the arrival with the highest score, as
// BestScoredEntry; where no arrival has one (lines written before scores),
// the arrival that stayed furthest from every limit (the earliest of
// equals); -1 when none arrived.
int BestEntry(const std::vector<Entry>& entries);
// The arrival with the highest score (the earliest of equals), for the
// debrief's ghost; -1 when no arrival has a score.
int BestScoredEntry(const std::vector<Entry>& entries);

// An entry as the logbook windows show it, a cell a column: when (to the
// minute, the best marked "* "), outcome, time flown, score and grade,
// margins and verdict ("(best)" after the best's).
struct EntryCells {
    std::string when, outcome, time, score, margins, verdict;
};
EntryCells CellsOf(const Entry& entry, bool best);

// Removes the oldest flight files (by name: they are named by date) of the
// folder beyond `keep`; returns how many went.
int PruneFlights(const std::string& flightsFolder, int keep);

// Where a finished approach goes: the flight file into `folder`/flights,
// named by `when` and its outcome, then the entry into `folder`/logbook.txt,
// then the oldest flight files beyond `keep` are removed.
bool RecordApproach(const std::string& folder, const flightfile::Flight& flight, const std::string& when, int keep,
                    std::string& error, const Figures* figures = nullptr);
std::string LogbookPath(const std::string& folder);
std::string FlightsFolder(const std::string& folder);

// The local time now as YYYY-MM-DDTHH:MM:SS.
std::string NowText();

}  // namespace logbook
