// The floors of docs/ARCHITECTURE.md, kept by a test: every #include of every
// source in the tree is checked against the table below (the same table as
// the document's), no source may lie outside a room of it, no files may
// include one another in a ring, and a system library's headers are included
// only where its floor allows. One include root means the compiler would let
// any of these through.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Room {
    const char* folder;
    int floor;
    std::vector<std::string> also;    // rooms it may include besides those on lower floors
    std::vector<std::string> except;  // rooms on lower floors it may not include
    bool onlyAlso = false;            // nothing but itself and `also`
};

// clang-format off
const std::vector<Room> kRooms = {
    {"files",             1, {}, {}, true},
    {"gfx",               1, {}, {}, true},
    {"game",              2, {"cockpit", "gauges", "input"}, {"files"}},
    {"cockpit",           2, {"game", "gauges", "input"},    {"files"}},
    {"gauges",            2, {"game", "cockpit", "input"},   {"files"}},
    {"input",             2, {"game", "cockpit", "gauges"},  {"files"}},
    {"flightfile",        3, {}, {}},
    {"logbook",           3, {"flightfile"}, {}},
    {"keymap",            3, {}, {}},
    {"recorder",          3, {"flightfile"}, {}},
    {"session",           3, {"flightfile", "recorder", "keymap", "logbook", "debrief"}, {}},
    {"debrief",           3, {"recorder"}, {}},
    {"cues",              3, {}, {"files"}},
    {"platform/common",   4, {}, {}},
    {"platform/cairo",    4, {}, {}},
    {"platform/headless", 5, {}, {}},
    {"platform/sdl",      5, {}, {}},
    {"platform/web",      5, {}, {}},
    {"app",               6, {}, {}},
    {"tools/atlasgen",    6, {}, {}},
    {"tests",             6, {"tests/support"}, {}},
    {"bench",             6, {"tests/support"}, {}},
    {"fuzz",              6, {"tests/support"}, {}},
    {"tests/support",     6, {"gfx"}, {}, true},
};

// A system library's headers: the rooms below the programs that may use it.
struct Library {
    const char* prefix;                 // the start of the include's name
    std::vector<std::string> rooms;
    int fromFloor = 6;                  // and every room from this floor up
};
const std::vector<Library> kLibraries = {
    {"SDL", {"platform/sdl"}},
    {"X11", {"platform/sdl"}},
    {"imgui", {"platform/sdl"}},
    {"emscripten", {"platform/web"}},
    {"wasm_simd128", {"platform/web"}},
    {"cairo", {"platform/cairo"}},
    {"fontconfig", {"platform/cairo"}},
    {"ft2build", {}},
    {"freetype", {}},
    {"png.h", {}, 4},
    {"zlib.h", {}, 4},
    {"gtest", {}},
    {"gmock", {}},
    {"benchmark", {}},
    {"fuzzer", {}},
};
// clang-format on

const Room* RoomOf(const std::string& path) {
    const Room* best = nullptr;
    size_t bestLength = 0;
    for (const Room& r : kRooms) {
        const std::string f = std::string(r.folder) + "/";
        if (path.compare(0, f.size(), f) == 0 && f.size() > bestLength) {
            best = &r;
            bestLength = f.size();
        }
    }
    return best;
}

bool Listed(const std::vector<std::string>& rooms, const char* folder) {
    return std::find(rooms.begin(), rooms.end(), folder) != rooms.end();
}

// Empty when a source in `from` may include the project file `target`, else why not.
std::string Refusal(const std::string& from, const std::string& target) {
    const Room* a = RoomOf(from);
    const Room* b = RoomOf(target);
    if (a == nullptr) return from + " lies in no room of the floors table";
    if (b == nullptr) return target + " lies in no room of the floors table";
    if (a == b || Listed(a->also, b->folder)) return "";
    if (!a->onlyAlso && b->floor < a->floor && !Listed(a->except, b->folder)) return "";
    return std::string(a->folder) + "/ (floor " + std::to_string(a->floor) + ") may not include " + b->folder +
           "/ (floor " + std::to_string(b->floor) + ")";
}

std::string LibraryRefusal(const std::string& from, const std::string& header) {
    const Room* a = RoomOf(from);
    if (a == nullptr) return from + " lies in no room of the floors table";
    for (const Library& l : kLibraries) {
        if (header.rfind(l.prefix, 0) != 0) continue;
        if (a->floor >= l.fromFloor || Listed(l.rooms, a->folder)) return "";
        return std::string(a->folder) + "/ may not include the library header <" + header + ">";
    }
    return "";
}

struct Source {
    std::vector<std::string> local;    // the project files it includes, from the root
    std::vector<std::string> library;  // <...> includes
};

bool IsSource(const fs::path& p) {
    const std::string e = p.extension().string();
    return e == ".h" || e == ".hpp" || e == ".cpp" || e == ".cc" || e == ".c";
}

bool Skipped(const std::string& name) {
    return name.empty() || name[0] == '.' || name.rfind("build", 0) == 0 || name == "node_modules";
}

// Every source of the tree, by its path from the root, with what it includes:
// a quoted name is looked up beside the file first, then at the root.
std::map<std::string, Source> ReadTree(const fs::path& root, std::vector<std::string>& unresolved) {
    std::map<std::string, Source> tree;
    const std::regex include(R"(^\s*#\s*include\s*([<"])([^">]+)[">])");
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_directory() && Skipped(it->path().filename().string())) {
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file() || !IsSource(it->path())) continue;
        const std::string rel = fs::relative(it->path(), root).generic_string();
        Source& s = tree[rel];
        std::ifstream in(it->path());
        std::string line;
        std::smatch m;
        while (std::getline(in, line)) {
            if (!std::regex_search(line, m, include)) continue;
            const std::string name = m[2];
            if (m[1] == "<") {
                s.library.push_back(name);
                continue;
            }
            const fs::path beside = it->path().parent_path() / name;
            if (fs::exists(beside)) {
                s.local.push_back(fs::relative(fs::canonical(beside), fs::canonical(root)).generic_string());
            } else if (fs::exists(root / name)) {
                s.local.push_back(fs::path(name).lexically_normal().generic_string());
            } else {
                unresolved.push_back(rel + ": " + name);
            }
        }
    }
    return tree;
}

// The rings of includes: each one named by the files on it.
std::vector<std::string> Rings(const std::map<std::string, Source>& tree) {
    std::vector<std::string> rings;
    std::map<std::string, int> mark;  // 1 on the path, 2 done
    std::vector<std::string> path;
    std::function<void(const std::string&)> visit = [&](const std::string& f) {
        mark[f] = 1;
        path.push_back(f);
        const auto it = tree.find(f);
        if (it != tree.end()) {
            for (const std::string& next : it->second.local) {
                if (mark[next] == 1) {
                    std::string ring;
                    for (auto p = std::find(path.begin(), path.end(), next); p != path.end(); ++p) ring += *p + " -> ";
                    rings.push_back(ring + next);
                } else if (mark[next] == 0) {
                    visit(next);
                }
            }
        }
        path.pop_back();
        mark[f] = 2;
    };
    for (const auto& [file, source] : tree)
        if (mark[file] == 0) visit(file);
    return rings;
}

TEST(Floors, TheRulesRefuseWhatTheTableForbids) {
    struct Case {
        const char* from;
        const char* target;
        bool allowed;
    } const cases[] = {
        {"platform/web/WebMain.cpp", "bench/FlightCycle.h", false},
        {"platform/web/WebMain.cpp", "platform/common/FlightCycle.h", true},
        {"platform/headless/HeadlessHost.cpp", "platform/sdl/DesktopShell.h", false},
        {"game/Outcome.cpp", "gfx/Blit.h", true},
        {"game/Outcome.cpp", "files/Files.h", false},
        {"gfx/Blit.cpp", "game/FlightState.h", false},
        {"gfx/DibImage.cpp", "files/Files.h", false},
        {"cockpit/Cockpit.cpp", "gauges/Gauge.h", true},
        {"debrief/DebriefPlot.cpp", "recorder/FlightRecorder.h", true},
        {"recorder/FlightRecorder.cpp", "debrief/DebriefPlot.h", false},
        {"logbook/Logbook.cpp", "recorder/FlightRecorder.h", false},
        {"cues/SoundCues.cpp", "game/Limits.h", true},
        {"cues/SoundCues.cpp", "debrief/Assessment.h", false},
        {"cues/SoundCues.cpp", "files/Files.h", false},
        {"keymap/Keymap.cpp", "files/Files.h", true},
        {"platform/common/AtlasFiles.cpp", "platform/cairo/CairoDebrief.h", false},
        {"tests/support/TestBitmap.cpp", "game/AveluneView.h", false},
        {"bench/GameBench.cpp", "tests/support/TestBitmap.h", true},
        {"bench/GameBench.cpp", "tests/TestAtlas.h", false},
        {"data/x.cpp", "game/FlightState.h", false},
    };
    for (const Case& c : cases) EXPECT_EQ(Refusal(c.from, c.target).empty(), c.allowed) << c.from << " " << c.target;
    EXPECT_FALSE(LibraryRefusal("platform/headless/HeadlessMain.cpp", "SDL.h").empty());
    EXPECT_FALSE(LibraryRefusal("game/Outcome.cpp", "png.h").empty());
    EXPECT_TRUE(LibraryRefusal("platform/sdl/DesktopShell.cpp", "png.h").empty());
    EXPECT_TRUE(LibraryRefusal("gfx/Blit.cpp", "immintrin.h").empty());
}

TEST(Floors, EveryIncludeOfTheTreeKeepsToThem) {
    std::vector<std::string> unresolved;
    const std::map<std::string, Source> tree = ReadTree(AVELUNE_SOURCE_DIR, unresolved);
    ASSERT_GT(tree.size(), 100u);
    EXPECT_TRUE(unresolved.empty()) << "quoted includes found nowhere, e.g. " << unresolved.front();
    for (const auto& [file, source] : tree) {
        for (const std::string& target : source.local) {
            const std::string why = Refusal(file, target);
            EXPECT_TRUE(why.empty()) << file << " includes " << target << ": " << why;
        }
        for (const std::string& header : source.library) {
            const std::string why = LibraryRefusal(file, header);
            EXPECT_TRUE(why.empty()) << file << ": " << why;
        }
    }
    for (const std::string& ring : Rings(tree)) ADD_FAILURE() << "files include one another: " << ring;
}

}  // namespace
