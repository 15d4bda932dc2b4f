#include "logbook/Logbook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <string_view>

#include "files/Files.h"
#include "game/Limits.h"

namespace logbook {

namespace fs = std::filesystem;

int Entry::Closest() const { return std::min({airspeedMargin, needleMargin, glideSlopeMargin}); }

namespace {
bool Version2(const std::string& verdict) { return verdict == "stable" || verdict == "unstable"; }
}  // namespace

Entry EntryFor(const flightfile::Flight& flight, const std::string& when, const std::string& flightName,
               const Figures* figures) {
    Entry e;
    e.when = when;
    e.outcome = flight.ending;
    e.seconds = flight.secondsFlown;
    e.airspeedMargin = static_cast<int>(limits::kAirspeedFailAbove) -
                       static_cast<int>(std::min<uint32_t>(flight.maxAirspeed, INT_MAX / 2));
    e.needleMargin = limits::kNeedleFailOffset - flight.maxNeedleOffset;
    e.glideSlopeMargin = limits::kDeviationFailAbove - flight.maxGlideSlopeDeviation;
    e.secondsWarned = flight.cyclesWarned;
    e.verdict = flight.ending == flightfile::Ending::kFailed ? "failed" : flight.cyclesWarned > 0 ? "warned" : "clean";
    e.flight = flightName;
    if (figures != nullptr) {
        e.airspeedMargin = figures->airspeedMargin;
        e.needleMargin = figures->needleMargin;
        e.glideSlopeMargin = figures->glideSlopeMargin;
        e.secondsWarned = figures->secondsWarned;
        e.verdict = figures->stable ? "stable" : "unstable";
        e.stabilityFeet = figures->stabilityFeet;
        e.score = figures->score;
        e.grade = figures->score >= 0 ? figures->grade : 0;
    }
    return e;
}

std::string FormatEntry(const Entry& e) {
    // The recorder's verdicts need version 2, a score version 3; the others are written as before.
    const bool v2 = Version2(e.verdict);
    const bool v3 = v2 && e.score >= 0 && e.grade != 0;
    return std::string(kLineTag) + " " + (v3 ? "3" : v2 ? "2" : "1") + " when=" + e.when +
           " outcome=" + flightfile::EndingName(e.outcome) + " seconds=" + std::to_string(e.seconds) +
           " airspeed-margin=" + std::to_string(e.airspeedMargin) + " needle-margin=" +
           std::to_string(e.needleMargin) + " glide-slope-margin=" + std::to_string(e.glideSlopeMargin) +
           " warned=" + std::to_string(e.secondsWarned) + " verdict=" + e.verdict + (v2 ? " stability-ft=" + std::to_string(e.stabilityFeet) : std::string()) +
           (v3 ? " score=" + std::to_string(e.score) + " grade=" + std::string(1, e.grade) : std::string()) +
           " flight=" + e.flight;
}

namespace {

bool SafeName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != ".." &&
           name.size() < 200;
}

}  // namespace

bool ParseEntry(const std::string& line, Entry& entry, std::string& why) {
    if (line.size() > kMaxLineBytes) {
        why = "it is " + std::to_string(line.size()) + " bytes long, more than a logbook line may be (" +
              std::to_string(kMaxLineBytes) + ")";
        return false;
    }
    std::string_view body = line;
    if (!body.empty() && body.back() == '\r') body.remove_suffix(1);  // a line may end in CR LF
    if (const size_t i = files::FirstControl(body); i != std::string_view::npos) {
        why = "a control byte " + files::Quote(body.substr(i, 1)) + " at column " + std::to_string(i + 1);
        return false;
    }
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string word; in >> word;) w.push_back(word);
    if (w.empty() || w[0] != kLineTag) {
        why = std::string("it does not begin with '") + kLineTag + "'";
        return false;
    }
    long long version = 0;
    if (w.size() < 2 || !files::ParseInteger(w[1], 1, 1000000, version)) {
        why = "it has no line version";
        return false;
    }
    if (version > kLineVersion) {
        why = "it was written in version " + std::to_string(version) + " by a later program";
        return false;
    }
    // Version 2 adds stability-ft before the flight, version 3 the score and
    // the grade after it; v[] holds each value at its key's place in `keys`.
    const char* keys[] = {"when", "outcome", "seconds", "airspeed-margin", "needle-margin", "glide-slope-margin",
                          "warned", "verdict", "flight", "stability-ft", "score", "grade"};
    static constexpr size_t kOrder1[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    static constexpr size_t kOrder2[] = {0, 1, 2, 3, 4, 5, 6, 7, 9, 8};
    static constexpr size_t kOrder3[] = {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 8};
    const size_t* order = version >= 3 ? kOrder3 : version == 2 ? kOrder2 : kOrder1;
    const size_t kKeys = version >= 3 ? 12 : version == 2 ? 10 : 9;
    if (w.size() != 2 + kKeys) {
        why = "it has " + std::to_string(w.size() - 2) + " fields where " + std::to_string(kKeys) + " were expected";
        return false;
    }
    std::string v[12];
    for (size_t word = 0; word < kKeys; ++word) {
        const size_t i = order[word];
        const std::string prefix = std::string(keys[i]) + "=";
        if (w[2 + word].rfind(prefix, 0) != 0) {
            why = files::Quote(w[2 + word]) + " where " + keys[i] + "= was expected";
            return false;
        }
        v[i] = w[2 + word].substr(prefix.size());
    }
    Entry e;
    e.when = v[0];
    if (e.when.size() != 19 || e.when[4] != '-' || e.when[10] != 'T') {
        why = "the time " + files::Quote(e.when) + " is not YYYY-MM-DDTHH:MM:SS";
        return false;
    }
    if (v[1] == "arrived") e.outcome = flightfile::Ending::kArrived;
    else if (v[1] == "failed") e.outcome = flightfile::Ending::kFailed;
    else {
        why = "the outcome " + files::Quote(v[1]) + " is not arrived or failed";
        return false;
    }
    long long n[5];
    const long long low[5] = {0, -1000000000, -1000000000, -1000000000, 0};
    for (int i = 0; i < 5; ++i) {
        if (!files::ParseInteger(v[2 + i], low[i], 1000000000, n[i])) {
            why = std::string("the ") + keys[2 + i] + " " + files::Quote(v[2 + i]) + " is not a whole number";
            return false;
        }
    }
    e.seconds = static_cast<uint32_t>(n[0]);
    e.airspeedMargin = static_cast<int>(n[1]);
    e.needleMargin = static_cast<int>(n[2]);
    e.glideSlopeMargin = static_cast<int>(n[3]);
    e.secondsWarned = static_cast<uint32_t>(n[4]);
    e.verdict = v[7];
    if (version >= 2) {
        if (!Version2(e.verdict)) {
            why = "the verdict " + files::Quote(e.verdict) + " is not stable or unstable";
            return false;
        }
        long long feet = 0;
        if (!files::ParseInteger(v[9], -1000000000, 1000000000, feet)) {
            why = "the stability-ft " + files::Quote(v[9]) + " is not a whole number";
            return false;
        }
        e.stabilityFeet = static_cast<int>(feet);
        if (version >= 3) {
            long long score = 0;
            if (!files::ParseInteger(v[10], 0, 100, score)) {
                why = "the score " + files::Quote(v[10]) + " is not a whole number from 0 to 100";
                return false;
            }
            if (v[11].size() != 1 || v[11][0] < 'A' || v[11][0] > 'F') {
                why = "the grade " + files::Quote(v[11]) + " is not a letter from A to F";
                return false;
            }
            e.score = static_cast<int>(score);
            e.grade = v[11][0];
        }
    } else if (e.verdict != "clean" && e.verdict != "warned" && e.verdict != "failed") {
        why = "the verdict " + files::Quote(e.verdict) + " is not clean, warned or failed";
        return false;
    }
    e.flight = v[8];
    if (!SafeName(e.flight)) {
        why = "the flight file name " + files::Quote(e.flight) + " is not a plain file name";
        return false;
    }
    entry = std::move(e);
    return true;
}

bool ReadLogbook(const std::string& path, Contents& contents, std::string& error) {
    contents = {};
    std::string text, reason;
    switch (files::ReadFile(path, "a logbook", kMaxFileBytes, text, reason)) {
    case files::ReadStatus::kMissing: return true;
    case files::ReadStatus::kRefused: error = "cannot read the logbook " + path + ": " + reason; return false;
    case files::ReadStatus::kRead: break;
    }
    if (!ParseLogbook(text, path, contents)) {
        error = "cannot read the logbook " + path + ": there is not enough memory for what it holds";
        return false;
    }
    return true;
}

bool ParseLogbook(const std::string& text, const std::string& path, Contents& contents) {
    contents = {};
    try {
        // Room for the entries at once: one for each line that may be one.
        size_t tagged = text.rfind(kLineTag, 0) == 0 ? 1 : 0;
        for (size_t at = text.find(std::string("\n") + kLineTag); at != std::string::npos;
             at = text.find(std::string("\n") + kLineTag, at + 1)) {
            ++tagged;
        }
        contents.entries.reserve(tagged);
        size_t skipped = 0;
        long number = 0;
        for (size_t pos = 0; pos < text.size();) {
            const size_t eol = std::min(text.find('\n', pos), text.size());
            const std::string_view view = std::string_view(text).substr(pos, eol - pos);
            pos = eol + 1;
            ++number;
            if (view.empty()) continue;
            Entry e;
            std::string why;
            // A line too long to be an entry is refused unread.
            if (view.size() <= kMaxLineBytes && ParseEntry(std::string(view), e, why)) {
                contents.entries.push_back(std::move(e));
                continue;
            }
            if (view.size() > kMaxLineBytes) {
                why = "it is " + std::to_string(view.size()) + " bytes long, more than a logbook line may be (" +
                      std::to_string(kMaxLineBytes) + ")";
            }
            if (++skipped <= kMaxNotes) {
                contents.notes.push_back(path + " line " + std::to_string(number) + " is skipped (it stays in the file): " + why);
            }
        }
        if (skipped > kMaxNotes) {
            contents.notes.push_back(path + ": " + std::to_string(skipped - kMaxNotes) + " more lines are skipped (they stay in the file)");
        }
    } catch (const std::bad_alloc&) {
        contents = {};
        return false;
    }
    return true;
}

bool AppendEntry(const std::string& path, const Entry& entry, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot open the logbook " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string line = FormatEntry(entry) + "\n";
    // A torn last line (no line end) keeps to itself.
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size > 0) {
        char last = '\n';
        if (::pread(fd, &last, 1, size - 1) == 1 && last != '\n') line.insert(line.begin(), '\n');
    }
    const ssize_t n = ::write(fd, line.data(), line.size());
    const int writeErrno = errno;
    const bool ok = n == static_cast<ssize_t>(line.size()) && ::fsync(fd) == 0;
    const int syncErrno = errno;
    ::close(fd);
    if (!ok) {
        error = "cannot add to the logbook " + path + ": " +
                (n < 0 ? std::strerror(writeErrno) : n != static_cast<ssize_t>(line.size()) ? "the disk is full" : std::strerror(syncErrno));
        return false;
    }
    return true;
}

int BestEntry(const std::vector<Entry>& entries) {
    // The debrief's score where the arrivals have one, so the logbook and
    // the debrief name the same best.
    if (const int scored = BestScoredEntry(entries); scored >= 0) return scored;
    int best = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].outcome != flightfile::Ending::kArrived) continue;
        if (best < 0 || entries[i].Closest() > entries[static_cast<size_t>(best)].Closest()) best = static_cast<int>(i);
    }
    return best;
}

int PruneFlights(const std::string& flightsFolder, int keep) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(flightsFolder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == flightfile::kExtension && it->is_regular_file(ec)) files.push_back(it->path());
    }
    if (static_cast<int>(files.size()) <= std::max(keep, 0)) return 0;
    std::sort(files.begin(), files.end());
    const size_t extra = files.size() - static_cast<size_t>(std::max(keep, 0));
    int removed = 0;
    for (size_t i = 0; i < extra; ++i) removed += fs::remove(files[i], ec) ? 1 : 0;
    return removed;
}

std::string LogbookPath(const std::string& folder) { return (fs::path(folder) / "logbook.txt").string(); }
std::string FlightsFolder(const std::string& folder) { return (fs::path(folder) / "flights").string(); }

bool RecordApproach(const std::string& folder, const flightfile::Flight& flight, const std::string& when, int keep,
                    std::string& error, const Figures* figures) {
    std::error_code ec;
    const std::string flights = FlightsFolder(folder);
    fs::create_directories(flights, ec);
    if (ec) {
        error = "cannot make the flights folder " + flights + ": " + ec.message();
        return false;
    }
    // 2026-12-09T07:01:26 -> 20261209-070126-arrived.avflight, one more digit if taken.
    std::string stem;
    for (const char c : when) {
        if (c == 'T') stem += '-';
        else if (c != '-' && c != ':') stem += c;
    }
    stem += std::string("-") + flightfile::EndingName(flight.ending);
    // The name is taken only when it is new (another program recording in
    // the same second gets the next one).
    std::string name = stem + flightfile::kExtension;
    for (int n = 2;; ++n) {
        bool taken = false;
        if (flightfile::SaveNewFlight((fs::path(flights) / name).string(), flight, error, taken)) break;
        if (!taken || n >= 1000) return false;
        name = stem + "-" + std::to_string(n) + flightfile::kExtension;
    }
    if (!AppendEntry(LogbookPath(folder), EntryFor(flight, when, name, figures), error)) return false;
    PruneFlights(flights, keep);
    return true;
}

std::string NowText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

}  // namespace logbook

namespace logbook {

int BestScoredEntry(const std::vector<Entry>& entries) {
    int best = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (e.outcome != flightfile::Ending::kArrived || e.score < 0) continue;
        if (best < 0 || e.score > entries[best].score) best = static_cast<int>(i);
    }
    return best;
}

EntryCells CellsOf(const Entry& e, bool best) {
    EntryCells cells;
    // To the minute: the seconds only widen a list read by the day.
    cells.when = best ? "* " : "  ";
    cells.when.append(e.when, 0, 16);
    std::replace(cells.when.begin(), cells.when.end(), 'T', ' ');
    cells.outcome = flightfile::EndingName(e.outcome);
    char text[64];
    std::snprintf(text, sizeof text, "%u:%02u", e.seconds / 60, e.seconds % 60);
    cells.time = text;
    if (e.score >= 0) {
        std::snprintf(text, sizeof text, "%d %c", e.score, e.grade);
        cells.score = text;
    } else {
        cells.score = "-";
    }
    std::snprintf(text, sizeof text, "%d / %d / %d", e.airspeedMargin, e.needleMargin, e.glideSlopeMargin);
    cells.margins = text;
    if (Version2(e.verdict)) {
        std::snprintf(text, sizeof text, " from %.1f mi", e.stabilityFeet / double{limits::kFeetPerMile});
        cells.verdict = e.verdict + text;
    } else {
        cells.verdict = e.verdict;
    }
    if (best) cells.verdict += " (best)";
    return cells;
}

}  // namespace logbook
