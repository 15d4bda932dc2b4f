// Flight files: saving an approach and replaying it lands on the very same
// record, a moved input is caught at the tick it first shows, and every kind
// of damaged file is refused with the line and the reason.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "flightfile/FlightFile.h"
#include "flightfile/Replayer.h"
#include "tests/TestAtlas.h"

namespace {

namespace fs = std::filesystem;
using flightfile::Flight;
using flightfile::Replayer;

// Plays the tick, press, release and move lines of an events text; `state`
// lines record the state JSON of the session at the moment an approach ends.
void PlayEvents(HeadlessSession& session, const std::string& events) {
    std::istringstream in(events);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string verb;
        if (!(words >> verb)) continue;
        if (session.host().quitRequested()) return;
        if (verb == "tick") {
            int n = 1;
            words >> n;
            for (int i = 0; i < n && !session.host().quitRequested(); ++i) session.Tick(1);
        } else if (verb == "press" || verb == "release" || verb == "move") {
            int x = 0, y = 0;
            words >> x >> y;
            if (verb == "press") session.Press(x, y);
            else if (verb == "release") session.Release(x, y);
            else session.Move(x, y);
        }
    }
}

// Replays a flight's text in a fresh session; the replayed approach, saved
// again, must be the same text.
void ExpectRoundTrip(const std::string& text, const std::string& what) {
    Flight flight;
    std::string error;
    ASSERT_TRUE(flightfile::ParseFlight(text, what, flight, error)) << error;
    HeadlessSession replay(MakeTestAtlas());
    Replayer replayer(flight);
    EXPECT_EQ(replay.Replay(replayer), Replayer::Status::kMatched)
        << what << ": diverged at tick " << replayer.divergedTick() << ": " << replayer.divergence();
    EXPECT_EQ(flightfile::RecordHash(replay.view()), flight.finalHash) << what;
    const Flight* again = replay.flights().ToSave();
    ASSERT_NE(again, nullptr) << what;
    EXPECT_EQ(flightfile::FormatFlight(*again), text) << what << ": saved again, the flight reads differently";
}

TEST(FlightFile, TheRecordedApproachesReplayToTheirEnd) {
    const fs::path dir = fs::path(AVELUNE_SOURCE_DIR) / "tests" / "replays";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".events") continue;
        ++files;
        HeadlessSession session(MakeTestAtlas());
        session.flights().SetAtlasHash(0x1234);
        PlayEvents(session, Slurp(entry.path()));
        const Flight* flight = session.flights().ToSave();
        ASSERT_NE(flight, nullptr) << entry.path();
        EXPECT_NE(flight->ending, flightfile::Ending::kFlying) << entry.path() << ": every replay ends its approach";
        EXPECT_GT(flight->ticks, 10u) << entry.path();
        ExpectRoundTrip(flightfile::FormatFlight(*flight), entry.path().filename().string());
    }
    EXPECT_EQ(files, 6);  // the five approaches and the README's steps
}

// Random sessions: start, then clicks anywhere on the panel among ticks.
TEST(FlightFile, RandomSessionsReplayToTheSameRecord) {
    std::mt19937 random(15);
    int flown = 0;
    for (int round = 0; round < 12; ++round) {
        HeadlessSession session(MakeTestAtlas());
        std::ostringstream events;
        events << "tick 3\npress 330 230\nrelease 330 230\n";
        const int steps = 20 + static_cast<int>(random() % 80);
        for (int i = 0; i < steps; ++i) {
            const int x = static_cast<int>(random() % 632), y = 250 + static_cast<int>(random() % 190);
            switch (random() % 4) {
            case 0: events << "tick " << random() % 12 << "\n"; break;
            case 1: events << "move " << x << " " << y << "\n"; break;
            default: events << "press " << x << " " << y << "\nrelease " << x << " " << y << "\ntick\n"; break;
            }
        }
        PlayEvents(session, events.str());
        const Flight* flight = session.flights().ToSave();
        if (flight == nullptr) continue;  // the clicks left before anything was flown
        ++flown;
        ExpectRoundTrip(flightfile::FormatFlight(*flight), "random session " + std::to_string(round));
    }
    EXPECT_GE(flown, 8);
}

Flight ArrivalFlight() {
    HeadlessSession session(MakeTestAtlas());
    PlayEvents(session, Slurp(fs::path(AVELUNE_SOURCE_DIR) / "tests" / "replays" / "arrival.events"));
    return *session.flights().ToSave();
}

TEST(FlightFile, AMovedInputIsCaughtAtTheTickAfterIt) {
    const Flight original = ArrivalFlight();
    // Every click in the flight, moved one tick later in turn.
    int moved = 0;
    for (size_t i = 0; i < original.inputs.size() && moved < 6; ++i) {
        const uint32_t tick = original.inputs[i].tick;
        if (original.inputs[i].kind != flightfile::InputKind::kPress || tick == 0 || tick >= original.ticks) continue;
        if (i > 0 && original.inputs[i - 1].tick == tick) continue;  // the first click of its tick
        Flight flight = original;
        for (auto& in : flight.inputs) {
            if (in.tick == tick) ++in.tick;
        }
        HeadlessSession session(MakeTestAtlas());
        Replayer replayer(flight);
        ASSERT_EQ(session.Replay(replayer), Replayer::Status::kDiverged) << "input at tick " << tick;
        EXPECT_EQ(replayer.divergedTick(), tick + 1) << "input at tick " << tick << ": " << replayer.divergence();
        ++moved;
    }
    EXPECT_GT(moved, 2);
}

TEST(FlightFile, AWrongFinalHashIsCaughtAtTheEnd) {
    Flight flight = ArrivalFlight();
    flight.finalHash ^= 1;
    HeadlessSession session(MakeTestAtlas());
    Replayer replayer(flight);
    EXPECT_EQ(session.Replay(replayer), Replayer::Status::kDiverged);
    EXPECT_EQ(replayer.divergedTick(), flight.ticks);
    EXPECT_NE(replayer.divergence().find("final record"), std::string::npos);
}

// ---- Damaged files -----------------------------------------------------------------

// Replaces the first line beginning with `prefix` by `by` (or removes it).
std::string ReplaceWord(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string LoneCr(std::string text) {
    std::replace(text.begin(), text.end(), '\n', '\r');
    return text;
}

std::string Member(std::string record, const std::string& name, const std::string& value) {
    const size_t at = record.find(" " + name + "=") + name.size() + 2;
    return record.replace(at, record.find(' ', at) - at, value);
}

std::string ReplaceLine(std::string text, const std::string& prefix, const std::string& by) {
    const size_t at = text.find("\n" + prefix) + 1;
    const size_t end = text.find('\n', at);
    return text.replace(at, end + 1 - at, by.empty() ? "" : by + "\n");
}

TEST(FlightFile, DamagedFilesAreRefusedNamingTheLineAndTheFault) {
    const std::string good = flightfile::FormatFlight(ArrivalFlight());
    const long lines = std::count(good.begin(), good.end(), '\n');
    const size_t checkAt = good.find("\ncheck 16 ") + 1;
    const std::string checkLine = good.substr(checkAt, good.find('\n', checkAt) - checkAt);
    struct Case {
        const char* name;
        std::string text;
        std::string expected;  // in the message
    };
    const std::string record = good.substr(good.find("record "), good.find('\n', good.find("record ")) - good.find("record "));
    std::string badMember = record;
    badMember.replace(badMember.find("pitch="), 6, "pitsch=");
    std::string wideValue = record;
    wideValue.replace(wideValue.find(" bank=0"), 7, " bank=40000");
    const Case cases[] = {
        {"empty", "", "the file is empty"},
        {"foreign", "P6\n640 480\n", "line 1: not a flight file"},
        {"future version", ReplaceLine(good, "avflight", "avflight 2"), "line 1: written in format version 2"},
        {"no version", ReplaceLine(good, "avflight", "avflight one"), "line 1: the 'avflight' line takes"},
        {"cut in the record", good.substr(0, good.find("record ") + 300), "the file is cut short"},
        {"cut in the checks", good.substr(0, good.find("\ncheck 32 ")), "(it is cut short)"},
        {"cut in the last line", good.substr(0, good.size() - 3), "the file is cut short"},
        {"cut after the end line", good.substr(0, good.find("final ")), "where the 'final' line was expected (it is cut short)"},
        {"atlas hash", ReplaceLine(good, "atlas", "atlas sha:123"), "line 3: the atlas hash is not fnv1a64"},
        {"start", ReplaceLine(good, "start", "start somewhere"), "line 4: the start is not title or restart"},
        {"generator", ReplaceLine(good, "rand", "rand -4"), "line 5: the generator's state"},
        {"member name", ReplaceLine(good, "record", badMember), "line 7: the record has 'pitsch=-10' where the member pitch"},
        {"member width", ReplaceLine(good, "record", wideValue), "line 7: the record's member bank has no value of its type"},
        {"member extra", ReplaceLine(good, "record", record + " extra=1"), "line 7: the record has more than its members"},
        {"input kind", ReplaceLine(good, "input 3 press", "input 3 click 315 335"), "line 8: the input 'click' is not press, release or move"},
        {"input order", ReplaceLine(good, "input 6 press", "input 2 press 370 340"), "comes before the tick of the input above it"},
        {"input late", ReplaceLine(good, "ticks", "ticks 2"), "after the last tick 2"},
        {"ticks", ReplaceLine(good, "ticks", "ticks many"), "the number of ticks is not a whole number"},
        {"missing checks", ReplaceLine(good, "check 16 ", ""), "the checkpoints jump from 16 to 32"},
        {"extra checks", ReplaceLine(good, "check 16 ", checkLine + " 00000000"), "the checkpoints jump"},
        {"bad check", ReplaceLine(good, "check 0 ", "check 0 0000000g"), "the checkpoint '0000000g' is not 8 hexadecimal digits"},
        {"ending", ReplaceLine(good, "end ", "end landed distance=0 altitude=0 airspeed=0"), "the ending 'landed'"},
        {"trailing", good + "input 1 press 1 1\n", "line " + std::to_string(lines + 1) + ": 'input' after the final line"},
        {"final hash", ReplaceLine(good, "final", "final fnv1a64:12"), "the final record hash is not fnv1a64"},
        {"escape in a line", ReplaceLine(good, "game", "game \x1b]0;x\a"), "line 2: a control byte '\\x1b' at column 6"},
        {"lone CR line ends", LoneCr(good), "line 1: a carriage return at column 11"},
        {"float too large", ReplaceLine(good, "record", Member(record, "sceneryRowStep", "1e39")),
         "line 7: the record's member sceneryRowStep has no value of its type: '1e39'"},
        {"float too small", ReplaceLine(good, "record", Member(record, "sceneryRowStep", "1e-60")), "sceneryRowStep has no value"},
        {"long tick", ReplaceLine(good, "input 6 press", "input " + std::string(10000, '0') + "2 press 370 340"),
         "the input's tick '0000000000000000000000000000000000000000'..."},
        {"long line", ReplaceLine(good, "game", "game " + std::string(20000, 'v')), "line 2: the line is 20005 bytes long"},
    };
    for (const Case& c : cases) {
        Flight flight;
        flight.ticks = 77;
        std::string error;
        EXPECT_FALSE(flightfile::ParseFlight(c.text, "f.avflight", flight, error)) << c.name;
        EXPECT_EQ(error.rfind("f.avflight", 0), 0u) << c.name << ": " << error;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(flight.ticks, 77u) << c.name << ": a refused file leaves the flight alone";
        // Short, said once, and nothing of the file raw.
        EXPECT_LT(error.size(), 300u) << c.name;
        EXPECT_EQ(error.find("line end"), error.rfind("line end")) << c.name << ": " << error;
        EXPECT_EQ(std::count_if(error.begin(), error.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x20; }), 0)
            << c.name;
    }
    // A comment is skipped unread, however long.
    {
        Flight flight;
        std::string error;
        const std::string comment = "# " + std::string(1 << 20, ' ') + "\n";
        EXPECT_TRUE(flightfile::ParseFlight(comment + good, "f.avflight", flight, error)) << error;
    }
    // Comments and blank lines are allowed between lines.
    Flight flight;
    std::string error;
    EXPECT_TRUE(flightfile::ParseFlight("# saved by hand\n\n" + good, "f.avflight", flight, error)) << error;
}

TEST(FlightFile, RecordHashSeesEveryMember) {
    FlightState a{};
    const uint64_t zero = flightfile::RecordHash(a);
    a.sceneryRowStep = -0.0f;  // differs from 0 only in its bits
    EXPECT_NE(flightfile::RecordHash(a), zero);
    a = {};
    a.runwayNearRightY = 1;  // the last member
    EXPECT_NE(flightfile::RecordHash(a), zero);
    // FNV-1a 64 of "a", as published.
    EXPECT_EQ(flightfile::Fnv1a64("a", 1), 0xaf63dc4c8601ec8cull);
}

// ---- The command line --------------------------------------------------------------

// `before` goes ahead of the program in the shell's command (a limit, a timeout).
int RunProgram(const std::string& args, std::string& err, const std::string& before = "") {
    static int n = 0;
    const std::string errFile = fs::temp_directory_path() / ("avflight-cli-" + std::to_string(getpid()) + "-" + std::to_string(n++));
    const std::string command = before + "'" + AVELUNE_BINARY + "' --headless --atlas '" AVELUNE_ATLAS "' " + args +
                                " >/dev/null 2>'" + errFile + "'";
    const int raw = std::system(command.c_str());
    err = Slurp(errFile);
    fs::remove(errFile);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(FlightFileCli, SaveReplayAndRefuse) {
    const std::string dir = MakeTempDir();
    const std::string saved = dir + "/a.avflight";
    std::string err;
    ASSERT_EQ(RunProgram("--events '" AVELUNE_SOURCE_DIR "/tests/replays/overspeed-failure.events' --save-flight '" + saved + "'", err), 0) << err;
    EXPECT_EQ(RunProgram("--replay '" + saved + "'", err), 0) << err;

    std::string text = Slurp(saved);
    struct Case {
        const char* name;
        std::string text;
        int status;
        std::string expected;
    };
    std::string moved = text;
    const size_t at = moved.find("\ncheck 0 ") + 9;
    moved.replace(at + 9 * 4, 8, "00000000");  // the fifth checkpoint
    const Case cases[] = {
        {"diverged", moved, 3, "diverges at tick 5 of"},
        {"foreign atlas", ReplaceLine(text, "atlas", "atlas fnv1a64:0000000000000001"), 2, "line 3: the flight was flown with another atlas"},
        {"truncated", text.substr(0, text.size() / 2), 2, "cut short"},
        {"end edited", ReplaceWord(text, "end failed", "end arrived"), 3, "the flight's 'end' line says arrived"},
        {"start edited", ReplaceWord(text, "start title", "start restart"), 3, "the flight's 'start' line says restart"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/case.avflight";
        std::ofstream(path, std::ios::binary) << c.text;
        EXPECT_EQ(RunProgram("--replay '" + path + "'", err), c.status) << c.name << ": " << err;
        EXPECT_NE(err.find(path), std::string::npos) << c.name << ": " << err;
        EXPECT_NE(err.find(c.expected), std::string::npos) << c.name << ": " << err;
        EXPECT_EQ(Slurp(path), c.text) << c.name << ": the file is left as it was";
    }
    // Nothing flown: nothing to save, and no file is made.
    EXPECT_EQ(RunProgram("--events /dev/null --save-flight '" + dir + "/none.avflight'", err), 1);
    EXPECT_NE(err.find("no approach was flown"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir + "/none.avflight"));
    fs::remove_all(dir);
}

// Only regular files are read; an output keeps what is at its name (a
// device, a pipe, a link, a mode), and a full limit is said, not died of.
TEST(FlightFileCli, FilesThatAreNotPlainAreReadAndWrittenSafely) {
    const std::string dir = MakeTempDir();
    const std::string events = "--events '" AVELUNE_SOURCE_DIR "/tests/replays/overspeed-failure.events' ";
    std::string err;
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0644), 0);
    std::ofstream(dir + "/real") << "old";
    fs::create_symlink("real", dir + "/link");
    std::ofstream(dir + "/private") << "old";
    fs::permissions(dir + "/private", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directory(dir + "/folder.avflight");
    fs::create_directory(dir + "/limited");
    struct Case {
        const char* name;
        std::string args, before;
        int status;
        std::string expected;  // in the message ("" for none)
        std::function<bool()> after;
    };
    const std::string longName = dir + "/" + std::string(250, 'n');
    const Case cases[] = {
        {"replay a pipe", "--replay '" + dir + "/pipe'", "timeout 20 ", 2, "it is a named pipe, not a regular file", nullptr},
        {"replay a folder", "--replay '" + dir + "/folder.avflight'", "", 2, "it is a directory, not a regular file", nullptr},
        {"save over a pipe", events + "--save-flight '" + dir + "/pipe'", "timeout 20 ", 1, "named pipe",
         [&] { return fs::is_fifo(dir + "/pipe"); }},
        {"save through a link", events + "--save-flight '" + dir + "/link'", "", 0, "",
         [&] { return fs::is_symlink(dir + "/link") && Slurp(dir + "/real").rfind("avflight 1\n", 0) == 0; }},
        {"save keeps the mode", events + "--save-flight '" + dir + "/private'", "", 0, "",
         [&] { return (fs::status(dir + "/private").permissions() & fs::perms::all) == (fs::perms::owner_read | fs::perms::owner_write); }},
        {"save a long name", events + "--save-flight '" + longName + "'", "", 0, "", [&] { return fs::exists(longName); }},
        {"save under a size limit", events + "--save-flight '" + dir + "/limited/a.avflight'", "ulimit -f 1; ", 1,
         "File too large", [&] { return fs::is_empty(dir + "/limited"); }},
        {"screenshot under a size limit", events + "--screenshot '" + dir + "/limited/a.png'", "ulimit -f 1; ", 1,
         "File too large", [&] { return fs::is_empty(dir + "/limited"); }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunProgram(c.args, err, c.before), c.status) << c.name << ": " << err;
        if (!c.expected.empty()) {
            EXPECT_NE(err.find(c.expected), std::string::npos) << c.name << ": " << err;
        }
        if (c.after) {
            EXPECT_TRUE(c.after()) << c.name;
        }
    }
    fs::remove_all(dir);
}

}  // namespace
