// Whole approaches played through the headless command line: each file in
// tests/replays is a player's session (ticks, clicks, mouse moves) whose
// `state` lines carry the values the game must have reached there:
//
//   state    # expect gameState=7 timerRunning=false airspeed=329
//   state    # expect skipped        (the game has quit: nothing is printed)
//
// The runner ignores everything after '#', so the expectations ride along
// in the same file as the events.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/TestAtlas.h"

namespace {

namespace fs = std::filesystem;

struct Expectation {
    int line = 0;
    bool skipped = false;
    std::vector<std::pair<std::string, std::string>> values;
};

std::vector<Expectation> ReadExpectations(const fs::path& file) {
    std::vector<Expectation> out;
    std::ifstream in(file);
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        std::istringstream words(text);
        std::string verb;
        if (!(words >> verb) || verb != "state") continue;
        Expectation e;
        e.line = number;
        std::string word;
        words >> word;
        EXPECT_EQ(word, "#") << file << ":" << number << ": a state line says what it expects";
        words >> word;
        EXPECT_EQ(word, "expect") << file << ":" << number;
        while (words >> word) {
            if (word == "skipped") {
                e.skipped = true;
                continue;
            }
            const auto eq = word.find('=');
            if (eq == std::string::npos) {
                ADD_FAILURE() << file << ":" << number << ": '" << word << "' is not name=value";
                continue;
            }
            e.values.emplace_back(word.substr(0, eq), word.substr(eq + 1));
        }
        EXPECT_TRUE(e.skipped || !e.values.empty()) << file << ":" << number;
        out.push_back(e);
    }
    return out;
}

// The value of one member in a state line, as printed; empty if absent.
std::string JsonValue(const std::string& json, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const auto at = json.find(key);
    if (at == std::string::npos) return {};
    const auto begin = at + key.size();
    return json.substr(begin, json.find_first_of(",}", begin) - begin);
}

struct ReplayRun {
    int status = -1;
    std::vector<std::string> lines;
};

ReplayRun RunReplay(const std::string& atlas, const fs::path& events) {
    const std::string command = std::string("'") + AVELUNE_BINARY + "' --headless --atlas '" + atlas +
                                "' --events '" + events.string() + "'";
    ReplayRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::string current;
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
        current += buffer;
        if (!current.empty() && current.back() == '\n') {
            current.pop_back();
            run.lines.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) run.lines.push_back(current);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::vector<fs::path> ReplayFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(AVELUNE_SOURCE_DIR) / "tests" / "replays")) {
        if (entry.path().extension() == ".events") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(Replay, ScriptedApproachesReachTheirStates) {
    const auto files = ReplayFiles();
    // An arrival, a failure on each limit, and a warning flown through.
    for (const char* name : {"arrival", "localizer-failure", "glide-slope-failure", "overspeed-failure",
                             "warning-recovered"}) {
        EXPECT_TRUE(std::any_of(files.begin(), files.end(), [&](const fs::path& f) { return f.stem() == name; }))
            << name;
    }

    const std::string atlas = MakeTempDir() + "/prop.bmp";
    WriteTestAtlasFile(atlas);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const auto expectations = ReadExpectations(file);
        const ReplayRun run = RunReplay(atlas, file);
        ASSERT_EQ(run.status, 0);

        size_t printed = 0;
        for (const Expectation& e : expectations) printed += e.skipped ? 0 : 1;
        ASSERT_EQ(run.lines.size(), printed) << "one JSON line per state event the game lived to see";

        size_t next = 0;
        for (const Expectation& e : expectations) {
            if (e.skipped) continue;
            const std::string& json = run.lines[next++];
            for (const auto& [name, want] : e.values) {
                EXPECT_EQ(JsonValue(json, name), want) << "line " << e.line << ": " << name;
            }
        }
    }
}

}  // namespace
