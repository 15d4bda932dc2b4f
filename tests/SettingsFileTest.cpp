// The desktop settings file: what is written is read back, a bad file is
// ignored with a warning, a missing folder is made.
#ifdef AVELUNE_HAS_DESKTOP

#include <gtest/gtest.h>
#include <utility>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <csignal>
#include <cstdlib>
#include <iterator>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/sdl/DesktopSettings.h"
#include "tests/TestAtlas.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    ASSERT_TRUE(out.good());
}

}  // namespace

TEST(SettingsFile, WhatIsSavedIsReadBack) {
    const std::string dir = MakeTempDir();
    // clang-format off
    const DesktopSettings cases[] = {
        {0, false}, {1, false}, {2, true}, {8, true}, {3, false},
        {2, false, 200, RendererSetting::kSoftware}, {1, true, 50, RendererSetting::kAccelerated},
        {.scale = 2, .laterLines = {"volume=11", "theme=night"}},  // a later version's keys survive a save
    };
    // clang-format on
    for (const DesktopSettings& s : cases) {
        const std::string path = dir + "/settings.ini";
        std::string error, warning;
        ASSERT_TRUE(SaveSettings(path, s, error)) << error;
        EXPECT_EQ(LoadSettings(path, warning), s) << s.scale << " " << s.fullscreen;
        EXPECT_EQ(warning, "");
    }
    // Nothing but the file is left in the folder: the temporary is renamed.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        ++files;
        EXPECT_EQ(entry.path().filename(), "settings.ini");
    }
    EXPECT_EQ(files, 1);
}

TEST(SettingsFile, ReadsWhatAPersonMightWrite) {
    struct Case {
        const char* text;
        DesktopSettings expected;
    };
    // clang-format off
    const Case cases[] = {
        {"",                                        {0, false}},
        {"scale=3\n",                               {3, false}},
        {"  fullscreen = 1 \r\n# note\n\nscale=2",  {2, true}},
        {"scale=4\nvolume=11\n",                    {.scale = 4, .laterLines = {"volume=11"}}},   // a later version's key, kept
        {"scale=2\nscale=5\n",                      {5, false}},   // the last word counts
        {"renderer = Software\n",                   {0, false, 200, RendererSetting::kSoftware}},
        {"renderer=auto\n",                          {0, false}},
    };
    // clang-format on
    for (const Case& c : cases) {
        DesktopSettings s;
        std::string problem;
        EXPECT_TRUE(ParseSettings(c.text, s, problem)) << c.text << ": " << problem;
        EXPECT_EQ(s, c.expected) << c.text;
    }
}

TEST(SettingsFile, EachBadLineIsIgnoredAloneWithAWarning) {
    const std::string dir = MakeTempDir();
    struct Case {
        const char* text;
        DesktopSettings expected;  // every good line still counts
        const char* warning;       // after the file's name
    };
    // clang-format off
    const Case cases[] = {
        {"scale=9\nmute=1\n",                      {.muted = true},                  " line 1: scale must be 0 to 8; ignored"},
        {"fullscreen=1\nscale=-1\n",                {0, true},                        " line 2: scale must be 0 to 8; ignored"},
        {"scale=2x\nrenderer=software\n",           {.renderer = RendererSetting::kSoftware}, " line 1: scale must be 0 to 8; ignored"},
        {"scale=\n",                                 {},                               " line 1: scale must be 0 to 8; ignored"},
        {"scale=99999999999999999999\nscale=3\n",   {3, false},                       " line 1: scale must be 0 to 8; ignored"},
        {"fullscreen=yes\nscale=2\n",               {2, false},                       " line 1: fullscreen must be 0 or 1; ignored"},
        {"renderer=vulkan\nmute=1\n",               {.muted = true},                  " line 1: renderer must be auto, software or accelerated; ignored"},
        {"scale=two\nkey.PowerUp = W\nmute=1\n",   {.muted = true},                  " line 1: scale must be 0 to 8; ignored"},
        {"just some words\nscale=2\n",              {2, false},                       " line 1: expected key=value; ignored"},
        {"scale=2\n\x01\x02\x03 binary\n",       {2, false},                       " line 2: not a text line; ignored"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::string path = dir + "/settings.ini";
        WriteText(path, c.text);
        std::string warning;
        DesktopSettings read = LoadSettings(path, warning);
        read.keys = {};  // the key-map line of one case is checked below
        DesktopSettings expected = c.expected;
        expected.keys = {};
        EXPECT_EQ(read, expected) << c.text;
        EXPECT_EQ(warning, path + c.warning) << c.text;
    }
    // Two bad lines: each named, in the file's order.
    {
        const std::string path = dir + "/two.ini";
        WriteText(path, "scale=two\nkey.PadUp = Nope\nrenderer=vulkan\nmute=1\n");
        std::string warning;
        EXPECT_TRUE(LoadSettings(path, warning).muted);
        EXPECT_EQ(warning, path + " line 1: scale must be 0 to 8; ignored\n" + path +
                               " line 2: no key is called 'Nope'; PadUp keeps Up, KP_8\n" + path +
                               " line 3: renderer must be auto, software or accelerated; ignored");
    }
    // Binary junk with a NUL inside, and a file far too large to be ours.
    {
        const std::string path = dir + "/junk.ini";
        WriteText(path, std::string("scale=2\0\xff", 9));
        std::string warning;
        EXPECT_EQ(LoadSettings(path, warning), DesktopSettings{});
        EXPECT_NE(warning.find("line 1"), std::string::npos) << warning;
        WriteText(path, std::string(1 << 20, '#'));
        warning.clear();
        EXPECT_EQ(LoadSettings(path, warning), DesktopSettings{});
        EXPECT_FALSE(warning.empty());
    }
    // A folder where the file should be cannot be read.
    {
        const std::string path = dir + "/folder.ini";
        fs::create_directory(path);
        std::string warning;
        EXPECT_EQ(LoadSettings(path, warning), DesktopSettings{});
        EXPECT_FALSE(warning.empty());
        EXPECT_NE(warning.find("it is a directory"), std::string::npos) << "the warning says why: " << warning;
    }
    // Nor a named pipe or a device: refused with the reason, never waited on.
    for (const auto& [name, reason] : {std::pair{"pipe.ini", "it is a named pipe"}, std::pair{"zero.ini", "it is a character device"}}) {
        const std::string path = dir + "/" + name;
        if (std::string(name) == "pipe.ini") mkfifo(path.c_str(), 0644);
        else fs::create_symlink("/dev/zero", path);
        std::string warning;
        EXPECT_EQ(LoadSettings(path, warning), DesktopSettings{});
        EXPECT_NE(warning.find(reason), std::string::npos) << name << ": " << warning;
    }
}

TEST(SettingsFile, MissingFolderReadsDefaultsAndIsMadeOnSave) {
    const std::string dir = MakeTempDir() + "/not/yet/there";
    const std::string path = dir + "/settings.ini";
    std::string warning, error;
    EXPECT_EQ(LoadSettings(path, warning), DesktopSettings{});
    EXPECT_EQ(warning, "") << "a first start is no reason to warn";
    ASSERT_TRUE(SaveSettings(path, {2, true}, error)) << error;
    EXPECT_EQ(LoadSettings(path, warning), (DesktopSettings{2, true}));
}

TEST(SettingsFile, SaveFailsCleanlyWhereNoFolderCanBe) {
    const std::string dir = MakeTempDir();
    WriteText(dir + "/plain-file", "x");
    std::string error;
    EXPECT_FALSE(SaveSettings(dir + "/plain-file/settings.ini", {2, false}, error));
    EXPECT_NE(error.find("plain-file"), std::string::npos) << error;
    // A save over an existing, good file that fails leaves that file whole.
    const std::string good = dir + "/good.ini";
    ASSERT_TRUE(SaveSettings(good, {3, true}, error)) << error;
    // The disk fills up while the new file is written: a child process
    // limited to one byte of file, which it is told instead of killed.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit oneByte{1, 1};
        std::signal(SIGXFSZ, SIG_IGN);
        std::string childError;
        const bool failed = ::setrlimit(RLIMIT_FSIZE, &oneByte) == 0 && !SaveSettings(good, {1, false}, childError) &&
                            childError == "cannot write " + good + ": File too large";
        std::_Exit(failed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save did not fail as a full disk should";
    // Where a folder stands at the name, nothing is written.
    fs::create_directory(dir + "/folder.ini");
    EXPECT_FALSE(SaveSettings(dir + "/folder.ini", {1, false}, error));
    EXPECT_EQ(error, "cannot write " + dir + "/folder.ini: it is a directory, not a regular file");
    EXPECT_TRUE(fs::is_directory(dir + "/folder.ini"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3) << "a temporary file stayed";
    std::string warning;
    EXPECT_EQ(LoadSettings(good, warning), (DesktopSettings{3, true}));
    EXPECT_EQ(warning, "");
}

// The number of flight files kept rides along, and is written only when set.
TEST(SettingsFile, FlightsKeptReadsBackAndIsChecked) {
    DesktopSettings s;
    EXPECT_EQ(FormatSettings(s).find("flights_kept"), std::string::npos);
    s.flightsKept = 35;
    DesktopSettings back;
    std::string problem;
    ASSERT_TRUE(ParseSettings(FormatSettings(s), back, problem)) << problem;
    EXPECT_EQ(back, s);
    for (const char* bad : {"flights_kept=0\n", "flights_kept=-3\n", "flights_kept=many\n", "flights_kept=100001\n"}) {
        EXPECT_FALSE(ParseSettings(bad, back, problem)) << bad;
        EXPECT_NE(problem.find("flights_kept must be 1 to 100000"), std::string::npos) << problem;
    }
}

// A save changes only the values that changed: the player's own lines, their
// order, comments, bad lines and keys of later versions stay as they were.
TEST(SettingsFile, SavingChangesOnlyWhatChanged) {
    struct Case {
        const char* text;
        void (*change)(DesktopSettings&);
        const char* saved;
    };
    // clang-format off
    const Case cases[] = {
        // M pressed with a bad line above: the bad line and the rest stay.
        {"# mine\nscale=two\nkey.PowerUp = W\nrenderer=software\nvolume=11\n",
         [](DesktopSettings& s) { s.muted = true; },
         "# mine\nscale=two\nkey.PowerUp = W\nrenderer=software\nvolume=11\nmute=1\n"},
        // A value changes in place, on the line that counts (the last).
        {"scale=2\n# note\nscale = 3\nfullscreen=0\n",
         [](DesktopSettings& s) { s.scale = 4; s.fullscreen = true; },
         "scale=2\n# note\nscale=4\nfullscreen=1\n"},
        // A bad line of a value that changes is the one that takes the new value.
        {"mute=maybe\nscale=1\n",
         [](DesktopSettings& s) { s.muted = true; },
         "mute=1\nscale=1\n"},
        // A key-map change rewrites its own line only.
        {"key.PowerUp = W\nscale=1\n",
         [](DesktopSettings& s) { s.keys.Bind(keymap::Device::kKey, 18, {"PageUp"}); },
         "key.PowerUp = PageUp\nscale=1\n"},
        // Nothing changed: the file as it was, comments and blank lines too.
        {"\n# only a comment\n\nscale=2\n", [](DesktopSettings&) {}, "\n# only a comment\n\nscale=2\n"},
        // No file yet: a whole new one.
        {"", [](DesktopSettings& s) { s.scale = 2; }, "# avelune desktop settings\nscale=2\nfullscreen=0\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        DesktopSettings before;
        std::string problem;
        ParseSettings(c.text, before, problem);
        DesktopSettings now = before;
        c.change(now);
        EXPECT_EQ(UpdateSettingsText(c.text, before, now), c.saved) << c.text;
    }
}

#endif  // AVELUNE_HAS_DESKTOP

namespace {

// Mute, pause on focus loss and the key map ride in the same file; a bad
// key-map line is named with its number and keeps only its control's default.
TEST(SettingsFile, KeyMapLinesAreReadEachOnItsOwnAndWrittenBack) {
    const std::string dir = MakeTempDir();
    const std::string path = dir + "/settings.ini";
    WriteText(path, "scale=2\nmute=1\nkey.PadUp = Nope\npause_on_focus_loss=1\nkey.PowerUp = W\nbutton.X = A\n");
    std::string warning;
    const DesktopSettings s = LoadSettings(path, warning);
    EXPECT_EQ(s.scale, 2);
    EXPECT_TRUE(s.muted);
    EXPECT_TRUE(s.pauseOnFocusLoss);
    EXPECT_EQ(warning, path + " line 3: no key is called 'Nope'; PadUp keeps Up, KP_8\n" + path +
                           " line 6: no control is called 'X'")
        << warning;
    // W leaves the lift lever it had by default.
    EXPECT_EQ(keymap::FormatMapLines(s.keys), "key.PowerUp = W\nkey.LiftOff = \n");

    std::string error;
    ASSERT_TRUE(SaveSettings(path, s, error)) << error;
    warning.clear();
    EXPECT_EQ(LoadSettings(path, warning), s);
    EXPECT_EQ(warning, "");
    EXPECT_EQ(FormatSettings(DesktopSettings{}).find("key."), std::string::npos);
    fs::remove_all(dir);
}

}  // namespace
