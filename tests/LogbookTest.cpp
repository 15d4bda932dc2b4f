// The logbook: entries read back as written, damaged lines are skipped with
// a note and kept, a write cut off by a kill loses at most that entry, and
// the flight files beyond the number kept go oldest first.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <fstream>
#include <sstream>

#include "logbook/Logbook.h"
#include "tests/TestAtlas.h"

namespace {

namespace fs = std::filesystem;
using logbook::Entry;

Entry SampleEntry(int i) {
    Entry e;
    e.when = "2026-12-09T07:0" + std::to_string(i % 10) + ":00";
    e.outcome = i % 3 == 0 ? flightfile::Ending::kFailed : flightfile::Ending::kArrived;
    e.seconds = 200u + static_cast<uint32_t>(i);
    e.airspeedMargin = 40 - i;
    e.needleMargin = 20 + i;
    e.glideSlopeMargin = i % 3 == 0 ? -3 : 10 + i;
    e.secondsWarned = static_cast<uint32_t>(i % 4);
    e.verdict = i % 3 == 0 ? "failed" : e.secondsWarned ? "warned" : "clean";
    e.flight = "2026120907" + std::to_string(i) + "-x.avflight";
    return e;
}

TEST(Logbook, EntriesReadBackAsWrittenAndDamagedLinesAreKept) {
    const std::string dir = MakeTempDir();
    const std::string path = dir + "/logbook.txt";
    std::string error;
    ASSERT_TRUE(logbook::AppendEntry(path, SampleEntry(1), error)) << error;
    const std::string good = logbook::FormatEntry(SampleEntry(4));  // arrived, clean
    const std::string damaged[] = {
        "avlog 4 " + good.substr(8),                                   // a later version
        good.substr(0, good.size() / 2),                               // torn
        "hello",                                                       // not an entry
        std::string(good).replace(good.find("outcome=arrived"), 15, "outcome=crashed"),
        std::string(good).replace(good.find("seconds="), 8, "secs="),
        std::string(good).replace(good.find("flight="), 7, "flight=../"),
        std::string(good).replace(good.find("verdict=clean"), 13, "verdict=great"),
    };
    {
        std::ofstream out(path, std::ios::app);
        for (const std::string& line : damaged) out << line << "\n";
    }
    ASSERT_TRUE(logbook::AppendEntry(path, SampleEntry(2), error)) << error;
    const std::string before = Slurp(path);

    logbook::Contents contents;
    ASSERT_TRUE(logbook::ReadLogbook(path, contents, error)) << error;
    ASSERT_EQ(contents.entries.size(), 2u);
    EXPECT_EQ(contents.entries[0], SampleEntry(1));
    EXPECT_EQ(contents.entries[1], SampleEntry(2));
    ASSERT_EQ(contents.notes.size(), std::size(damaged));
    const char* expected[] = {"version 4 by a later program", "fields where", "does not begin with 'avlog'",
                              "outcome 'crashed'", "where seconds= was expected", "not a plain file name",
                              "verdict 'great'"};
    for (size_t i = 0; i < std::size(damaged); ++i) {
        EXPECT_NE(contents.notes[i].find(path + " line " + std::to_string(i + 2)), std::string::npos) << contents.notes[i];
        EXPECT_NE(contents.notes[i].find(expected[i]), std::string::npos) << contents.notes[i];
    }
    EXPECT_EQ(Slurp(path), before) << "reading leaves the file alone";
    fs::remove_all(dir);
}

TEST(Logbook, AKilledWriterLosesAtMostTheEntryItWasWriting) {
    const std::string dir = MakeTempDir();
    const std::string path = dir + "/logbook.txt";
    // A writer killed while it appends, over and over.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        for (int i = 0;; ++i) logbook::AppendEntry(path, SampleEntry(i % 50), error);
    }
    usleep(150000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    // And a write torn off half way, as a crash of the machine could leave it.
    const std::string torn = logbook::FormatEntry(SampleEntry(7)).substr(0, 30);
    { std::ofstream(path, std::ios::app) << torn; }
    std::string error;
    ASSERT_TRUE(logbook::AppendEntry(path, SampleEntry(3), error)) << error;

    logbook::Contents contents;
    ASSERT_TRUE(logbook::ReadLogbook(path, contents, error)) << error;
    ASSERT_GT(contents.entries.size(), 2u);
    ASSERT_EQ(contents.notes.size(), 1u) << "only the torn line is skipped";
    EXPECT_EQ(contents.entries.back(), SampleEntry(3)) << "the entry after the torn line is whole";
    for (size_t i = 0; i + 1 < contents.entries.size(); ++i) {
        EXPECT_EQ(contents.entries[i], SampleEntry(static_cast<int>(i % 50))) << "entry " << i;
    }
    EXPECT_NE(Slurp(path).find(torn + "\n"), std::string::npos) << "the torn line stays in the file";
    fs::remove_all(dir);
}

TEST(Logbook, TheBestIsTheHighestScoreElseTheArrivalFurthestFromEveryLimit) {
    std::vector<Entry> entries;
    EXPECT_EQ(logbook::BestEntry(entries), -1);
    for (int i = 0; i < 6; ++i) entries.push_back(SampleEntry(i));
    // The arrivals 1, 2, 4 and 5 came within 11, 12, 14 and 15 of a limit.
    EXPECT_EQ(logbook::BestEntry(entries), 5);
    entries[5].outcome = flightfile::Ending::kFailed;
    EXPECT_EQ(logbook::BestEntry(entries), 4);
    // Scored arrivals: the highest score, as the debrief's "Best", whatever
    // the margins.
    entries[2].score = 79;
    entries[4].score = 78;
    EXPECT_EQ(logbook::BestEntry(entries), 2);
}

TEST(Logbook, RecordingKeepsTheFlightAndPrunesTheOldest) {
    const std::string dir = MakeTempDir();
    flightfile::Flight flight;
    flight.ending = flightfile::Ending::kArrived;
    flight.secondsFlown = 215;
    flight.maxAirspeed = 262;
    flight.maxNeedleOffset = 12;
    flight.maxGlideSlopeDeviation = 80;
    std::string error;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(logbook::RecordApproach(dir, flight, "2026-12-09T07:00:0" + std::to_string(i), 3, error)) << error;
    }
    // Twice in one second: the second gets its own name.
    ASSERT_TRUE(logbook::RecordApproach(dir, flight, "2026-12-09T07:00:04", 3, error)) << error;
    logbook::Contents contents;
    ASSERT_TRUE(logbook::ReadLogbook(logbook::LogbookPath(dir), contents, error));
    ASSERT_EQ(contents.entries.size(), 6u);
    const Entry& e = contents.entries[0];
    EXPECT_EQ(e.flight, "20261209-070000-arrived.avflight");
    EXPECT_EQ(e.seconds, 215u);
    EXPECT_EQ(e.airspeedMargin, 38);
    EXPECT_EQ(e.needleMargin, 33);
    EXPECT_EQ(e.glideSlopeMargin, 20);
    EXPECT_EQ(e.verdict, "clean");
    EXPECT_EQ(contents.entries[5].flight, "20261209-070004-arrived-2.avflight");
    std::vector<std::string> left;
    for (const auto& f : fs::directory_iterator(logbook::FlightsFolder(dir))) left.push_back(f.path().filename());
    std::sort(left.begin(), left.end());
    const std::vector<std::string> expected = {"20261209-070003-arrived.avflight", "20261209-070004-arrived-2.avflight",
                                               "20261209-070004-arrived.avflight"};
    EXPECT_EQ(left, expected);
    flightfile::Flight back;
    EXPECT_TRUE(flightfile::LoadFlight(logbook::FlightsFolder(dir) + "/" + left[0], back, error)) << error;
    fs::remove_all(dir);
}

// Two programs recording in the same second each keep their own flight file.
TEST(Logbook, TwoRecordersInOneSecondKeepEveryFlight) {
    const std::string dir = MakeTempDir();
    flightfile::Flight flight;
    flight.ending = flightfile::Ending::kArrived;
    constexpr int kEach = 40;
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::string error;
            int kept = 0;
            for (int i = 0; i < kEach; ++i) kept += logbook::RecordApproach(dir, flight, "2026-12-09T07:00:00", 1000, error) ? 1 : 0;
            _exit(kept == kEach ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    logbook::Contents contents;
    std::string error;
    ASSERT_TRUE(logbook::ReadLogbook(logbook::LogbookPath(dir), contents, error)) << error;
    std::set<std::string> named;
    for (const Entry& e : contents.entries) named.insert(e.flight);
    size_t files = 0;
    for ([[maybe_unused]] const auto& f : fs::directory_iterator(logbook::FlightsFolder(dir))) ++files;
    EXPECT_EQ(contents.entries.size(), 2u * kEach);
    EXPECT_EQ(named.size(), 2u * kEach) << "every entry names a flight file of its own";
    EXPECT_EQ(files, 2u * kEach);
    fs::remove_all(dir);
}

// A logbook that is not a plain file is refused with the reason, before a
// byte is read; a line too long or with control bytes is skipped with a
// short note that shows nothing raw.
TEST(Logbook, ReadingRefusesWhatIsNotALogbookAndQuotesNothingRaw) {
    const std::string dir = MakeTempDir();
    const std::string entry = logbook::FormatEntry(SampleEntry(1));
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        bool read;
        std::string expected;  // in the error, or in the one note
    };
    const Case cases[] = {
        {"a directory", [](const std::string& p) { fs::create_directory(p); }, false, "it is a directory"},
        {"a named pipe", [](const std::string& p) { mkfifo(p.c_str(), 0644); }, false, "it is a named pipe"},
        {"a link to a device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }, false, "it is a character device"},
        {"a long line", [&](const std::string& p) { std::ofstream(p) << entry << std::string(200000, 'x') << "\n"; }, true,
         "bytes long, more than a logbook line may be (4096)"},
        {"an escape", [&](const std::string& p) { std::ofstream(p) << entry.substr(0, 20) << "\x1b]0;x\a" << entry.substr(20) << "\n"; },
         true, "a control byte '\\x1b' at column 21"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name;
        c.make(path);
        logbook::Contents contents;
        std::string error;
        EXPECT_EQ(logbook::ReadLogbook(path, contents, error), c.read) << c.name;
        const std::string said = c.read ? (contents.notes.empty() ? "" : contents.notes[0]) : error;
        EXPECT_NE(said.find(c.expected), std::string::npos) << c.name << ": " << said;
        EXPECT_NE(said.find(path), std::string::npos) << c.name << ": " << said;
        EXPECT_LT(said.size(), 400u) << c.name;
        EXPECT_EQ(std::count_if(said.begin(), said.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x20; }), 0)
            << c.name;
    }
    fs::remove_all(dir);
}

// Lines with the recorder's verdict (version 2) read back beside the old
// ones; a version 2 line must carry its verdict and where it was decided.
TEST(Logbook, RecorderVerdictsReadBesideOldLines) {
    Entry v2 = SampleEntry(2);
    v2.verdict = "stable";
    v2.stabilityFeet = 31000;
    const std::string line = logbook::FormatEntry(v2);
    EXPECT_EQ(line.rfind("avlog 2 ", 0), 0u) << line;
    EXPECT_NE(line.find(" verdict=stable stability-ft=31000 flight="), std::string::npos) << line;
    const std::string old = logbook::FormatEntry(SampleEntry(4));
    EXPECT_EQ(old.rfind("avlog 1 ", 0), 0u) << old;
    struct Case {
        std::string line;
        const char* why;  // empty: reads
    } const cases[] = {
        {line, ""},
        {old, ""},
        {std::string(line).replace(line.find("verdict=stable"), 14, "verdict=clean"), "not stable or unstable"},
        {std::string(line).replace(line.find("stability-ft=31000"), 18, "stability-ft=far"), "not a whole number"},
        {std::string(line).erase(line.find(" stability-ft=31000"), 19), "fields where"},
        {std::string(old).replace(old.find("verdict=clean"), 13, "verdict=stable"), "not clean, warned or failed"},
    };
    for (const Case& c : cases) {
        Entry e;
        std::string why;
        const bool read = logbook::ParseEntry(c.line, e, why);
        EXPECT_EQ(read, std::string(c.why).empty()) << c.line << ": " << why;
        if (!read) {
            EXPECT_NE(why.find(c.why), std::string::npos) << why;
        }
    }
    Entry back;
    std::string why;
    ASSERT_TRUE(logbook::ParseEntry(line, back, why)) << why;
    EXPECT_EQ(back, v2);

    // The recorder's figures go into the entry in place of the flight's own.
    flightfile::Flight flight;
    flight.ending = flightfile::Ending::kArrived;
    flight.maxAirspeed = 262;
    const logbook::Figures figures{12, 30, 5, 4, false, 8000};
    const Entry e = logbook::EntryFor(flight, "2026-12-09T07:00:00", "f.avflight", &figures);
    EXPECT_EQ(e.airspeedMargin, 12);
    EXPECT_EQ(e.needleMargin, 30);
    EXPECT_EQ(e.glideSlopeMargin, 5);
    EXPECT_EQ(e.secondsWarned, 4u);
    EXPECT_EQ(e.verdict, "unstable");
    EXPECT_EQ(e.stabilityFeet, 8000);
}

// Version 3 lines keep the debrief's score and grade; versions 1 and 2 still
// read, without one; the ghost is the best scored arrival.
TEST(Logbook, ScoresAreKeptAndTheBestScoredArrivalFound) {
    logbook::Entry scored = SampleEntry(1);
    scored.verdict = "stable";
    scored.outcome = flightfile::Ending::kArrived;
    scored.score = 87;
    scored.grade = 'B';
    const std::string line = logbook::FormatEntry(scored);
    EXPECT_EQ(line.rfind("avlog 3 ", 0), 0u) << line;
    EXPECT_NE(line.find(" score=87 grade=B flight="), std::string::npos) << line;
    struct Case {
        std::string line;
        bool reads;
        int score;
    } const cases[] = {
        {line, true, 87},
        {std::string(line).replace(line.find("score=87 grade=B "), 17, ""), false, -1},  // version 3 needs them
        {std::string(line).replace(line.find("score=87"), 8, "score=101"), false, -1},
        {std::string(line).replace(line.find("grade=B"), 7, "grade=Q"), false, -1},
        {"avlog 2" + std::string(line).replace(line.find(" score=87 grade=B"), 17, "").substr(7), true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        logbook::Entry e;
        std::string why;
        EXPECT_EQ(logbook::ParseEntry(c.line, e, why), c.reads) << why;
        if (c.reads) {
            EXPECT_EQ(e.score, c.score);
        }
    }
    logbook::Entry read;
    std::string why;
    ASSERT_TRUE(logbook::ParseEntry(line, read, why)) << why;
    EXPECT_EQ(read, scored);

    std::vector<logbook::Entry> entries(4, scored);
    entries[0].score = 70;
    entries[1].score = 95;
    entries[1].outcome = flightfile::Ending::kFailed;  // a failure is never the ghost
    entries[2].score = 90;
    entries[3].score = 90;
    EXPECT_EQ(logbook::BestScoredEntry(entries), 2);
    entries[0].score = entries[2].score = entries[3].score = -1;
    EXPECT_EQ(logbook::BestScoredEntry(entries), -1);
}

}  // namespace
