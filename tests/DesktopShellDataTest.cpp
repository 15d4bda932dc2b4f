// The desktop shell's data and its small rules: the caption, the menu's
// mnemonics, the accelerators, the command line and timer 1.
#ifdef AVELUNE_HAS_DESKTOP

#include <gtest/gtest.h>

#include <vector>

#include "platform/sdl/DesktopOptions.h"
#include "platform/sdl/DesktopResources.h"
#include "platform/common/TickTimer.h"

TEST(DesktopResources, CaptionIsTheDocumentStringsFirstField) {
    EXPECT_EQ(WindowCaption(), "... Avelune V1.07AC ... Instrument Landing Simulator Game");
    EXPECT_EQ(ResourceField(kDocumentString, 1), "");
    EXPECT_EQ(ResourceField(kDocumentString, 2), "Avelun");
    EXPECT_EQ(ResourceField(kDocumentString, 5), "Avelune.Document");
    EXPECT_EQ(ResourceField(kDocumentString, 6), "Avelun Document");
    EXPECT_EQ(ResourceField(kDocumentString, 7), "");
}

TEST(DesktopResources, MnemonicsAreTheCharacterAfterTheAmpersand) {
    struct Case {
        const char* label;
        const char* text;
        int index;
        char key;
    };
    // clang-format off
    const Case cases[] = {
        {"&File",             "File",             0, 'f'},
        {"E&xit",             "Exit",             1, 'x'},
        {"&About Avelune...", "About Avelune...", 0, 'a'},
        {"Save && &Quit",     "Save & Quit",      7, 'q'},
        {"None",              "None",            -1,  0 },
        {"Trailing&",         "Trailing&",       -1,  0 },
    };
    // clang-format on
    for (const Case& c : cases) {
        const Mnemonic m = ParseMnemonic(c.label);
        EXPECT_EQ(m.text, c.text) << c.label;
        EXPECT_EQ(m.index, c.index) << c.label;
        EXPECT_EQ(m.key, c.key) << c.label;
    }
    // The menu's pop-ups and items each have a distinct key.
    EXPECT_NE(ParseMnemonic(kMainMenu[0].label).key, ParseMnemonic(kMainMenu[1].label).key);
}

TEST(DesktopResources, RightAndLeftGoRoundTheMenuBar) {
    struct Case {
        int menu, step, next;
    };
    const Case cases[] = {
        {0, 1, 1},          {1, 1, kFlightMenu}, {kGameMenu, 1, kHelpMenu}, {kHelpMenu, 1, 0},
        {0, -1, kHelpMenu}, {kFlightMenu, -1, 1}, {kHelpMenu, -1, kGameMenu}, {42, 1, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(NeighbourMenu(c.menu, c.step), c.next) << c.menu << " by " << c.step;
}

TEST(DesktopResources, AcceleratorsMatchTheirModifiersExactly) {
    struct Case {
        AccelKey key;
        unsigned modifiers;
        std::optional<Command> command;
    };
    // clang-format off
    const Case cases[] = {
        {AccelKey::kN,         kCtrl,          Command::kFileNew},
        {AccelKey::kO,         kCtrl,          Command::kFileOpen},
        {AccelKey::kS,         kCtrl,          Command::kFileSave},
        {AccelKey::kS,         kCtrl | kShift, std::nullopt},
        {AccelKey::kN,         0,              std::nullopt},
        {AccelKey::kBackspace, kAlt,           Command::kEditUndo},
        {AccelKey::kInsert,    kCtrl,          Command::kEditCopy},
        {AccelKey::kInsert,    kShift,         Command::kEditPaste},
        {AccelKey::kDelete,    kShift,         Command::kEditCut},
        {AccelKey::kF6,        0,              Command::kNextPane},
        {AccelKey::kF6,        kShift,         Command::kPrevPane},
        {AccelKey::kF6,        kCtrl,          std::nullopt},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(FindAccelerator(c.key, c.modifiers), c.command)
            << static_cast<int>(c.key) << " mods " << c.modifiers;
    }
}

TEST(DesktopOptions, CommandLine) {
    struct Case {
        std::vector<const char*> args;
        int scale;
        bool help, version, error;
    };
    // clang-format off
    const Case cases[] = {
        {{},                          0, false, false, false},
        {{"--scale", "3"},            3, false, false, false},
        {{"--scale=2"},               2, false, false, false},
        {{"flight.dat"},              0, false, false, false},   // a file name is ignored
        {{"--help"},                  0, true,  false, false},
        {{"-h"},                      0, true,  false, false},
        {{"--version"},               0, false, true,  false},
        {{"--scale"},                 0, false, false, true},
        {{"--scale", "0"},            0, false, false, true},
        {{"--scale", "9"},            0, false, false, true},
        {{"--scale", "2.5"},          0, false, false, true},
        {{"--scale=-1"},              0, false, false, true},
        {{"--scale", "99999999999"},  0, false, false, true},
        {{"--fly"},                   0, false, false, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"avelune"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const DesktopOptions o = ParseDesktopOptions(static_cast<int>(argv.size()), argv.data());
        const std::string shown = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(o.error.empty(), !c.error) << shown << ": " << o.error;
        if (!c.error) {
            EXPECT_EQ(o.scale, c.scale) << shown;
            EXPECT_EQ(o.help, c.help) << shown;
            EXPECT_EQ(o.version, c.version) << shown;
        }
    }
    EXPECT_NE(DesktopUsage("avelune").find("--scale N"), std::string::npos);
}

TEST(DesktopTimer, SleepsUntilTheTickAndNeverBursts) {
    TickTimer timer;
    EXPECT_EQ(timer.WaitMs(1000), -1) << "stopped: sleep until something happens";
    EXPECT_FALSE(timer.TakeDue(1000));

    timer.Rearm(1000, 100);
    EXPECT_EQ(timer.WaitMs(1000), 100);
    EXPECT_EQ(timer.WaitMs(1060), 40) << "the time left is recomputed after a wake-up";
    EXPECT_FALSE(timer.TakeDue(1099));
    EXPECT_TRUE(timer.TakeDue(1100));
    EXPECT_FALSE(timer.TakeDue(1100)) << "one tick per period";
    EXPECT_EQ(timer.WaitMs(1130), 70) << "periodic: the next falls a period after the last was due";
    EXPECT_TRUE(timer.TakeDue(1203));  // a little late
    EXPECT_EQ(timer.WaitMs(1203), 97);

    // Far behind (the loop was held up): one tick, then a period from now.
    EXPECT_TRUE(timer.TakeDue(1950));
    EXPECT_FALSE(timer.TakeDue(1950));
    EXPECT_EQ(timer.WaitMs(1950), 100);

    // Re-arming puts the next tick a full period from the call.
    timer.Rearm(1990, 100);
    EXPECT_FALSE(timer.TakeDue(2050));
    EXPECT_TRUE(timer.TakeDue(2090));

    timer.Kill();
    EXPECT_FALSE(timer.TakeDue(5000));
    EXPECT_EQ(timer.WaitMs(5000), -1);
    EXPECT_FALSE(timer.running());
}

TEST(DesktopTimer, APauseHoldsTheTicksAndResumingRearmsOnlyARunningTimer) {
    enum class During { kNothing, kKill, kRearm };
    // clang-format off
    const struct { bool runningBefore; During during; bool runningAfter; int waitAfter; } cases[] = {
        {true,  During::kNothing, true,  100},  // a full period from the resume, not what was left
        {false, During::kNothing, false, -1},   // a stopped timer stays stopped
        {true,  During::kKill,    false, -1},
        {false, During::kRearm,   true,  100},
    };
    // clang-format on
    for (const auto& c : cases) {
        TickTimer timer;
        if (c.runningBefore) timer.Rearm(1000, 100);
        timer.Pause();
        EXPECT_EQ(timer.WaitMs(1050), -1);
        EXPECT_FALSE(timer.TakeDue(5000)) << "no tick while paused";
        if (c.during == During::kKill) timer.Kill();
        if (c.during == During::kRearm) timer.Rearm(5000, 100);
        EXPECT_FALSE(timer.TakeDue(9000));
        timer.Resume(9000);
        EXPECT_FALSE(timer.paused());
        EXPECT_EQ(timer.running(), c.runningAfter);
        EXPECT_EQ(timer.WaitMs(9000), c.waitAfter);
        EXPECT_EQ(timer.TakeDue(9100), c.runningAfter);
        timer.Resume(9150);  // not paused: nothing moves
        EXPECT_EQ(timer.WaitMs(9150), c.runningAfter ? 50 : -1);
    }
}

#endif  // AVELUNE_HAS_DESKTOP
