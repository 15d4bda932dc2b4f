// Keys that act as the mouse: a key is a click at its control's centre, the
// default map is unambiguous, and the settings lines that change it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "input/ControlTables.h"
#include "keymap/Keymap.h"
#include "tests/TestAtlas.h"

namespace {

using keymap::Device;
using keymap::kControls;

// Brings a fresh session to a control's screen with clicks only.
void ReachMode(HeadlessSession& s, uint32_t mode) {
    const auto click = [&](const char* control) {
        for (const keymap::Control& c : kControls) {
            if (std::string_view(c.name) != control) continue;
            const keymap::Point p = keymap::Centre(c);
            s.Press(p.x, p.y);
            s.Release(p.x, p.y);
        }
    };
    s.Tick(3);
    if (mode == kModeInformationPage) click("Guide");
    if (mode == kModeCockpit) click("Start");
    s.Tick(6);
}

struct Seen {
    std::string state;
    std::vector<uint8_t> picture;
    bool operator==(const Seen&) const = default;
};
Seen Look(HeadlessSession& s) { return {s.StateJson(), s.host().WindowPixels()}; }

TEST(Keymap, AKeyIsAClickAtTheCentreOfItsControl) {
    const keymap::Keymap map = keymap::Keymap::Defaults();
    int checked = 0;
    for (size_t i = 0; i < keymap::kControlCount; ++i) {
        const keymap::Control& c = kControls[i];
        for (const std::string& key : map.Bound(Device::kKey, i)) {
            auto byKey = MakeTestSession();
            auto byClick = MakeTestSession();
            ReachMode(*byKey, c.mode);
            ReachMode(*byClick, c.mode);
            ASSERT_EQ(byKey->view().pressMode, c.mode) << c.name;
            const keymap::Point p = keymap::Centre(c);

            byKey->KeyDown(key);
            byKey->KeyDown(key);  // held: no second press
            byClick->Press(p.x, p.y);
            EXPECT_EQ(Look(*byKey), Look(*byClick)) << key << " held, for " << c.name;
            byKey->KeyUp(key);
            byClick->Release(p.x, p.y);
            byKey->Tick(2);
            byClick->Tick(2);
            EXPECT_EQ(Look(*byKey), Look(*byClick)) << key << " let go, for " << c.name;
            // A key of the whole stroke records as the click it stands for.
            const auto* kf = byKey->flights().ToSave();
            const auto* cf = byClick->flights().ToSave();
            ASSERT_EQ(kf != nullptr, cf != nullptr) << c.name;
            if (kf) {
                EXPECT_EQ(kf->inputs, cf->inputs) << c.name;
            }
            ++checked;
        }
    }
    EXPECT_GE(checked, 40);
}

TEST(Keymap, TheDefaultMapGivesEachKeyOneControlPerScreenAndLeavesTheWindowsKeys) {
    const keymap::Keymap map = keymap::Keymap::Defaults();
    const auto reserved = keymap::ReservedKeys();
    for (const Device device : {Device::kKey, Device::kButton}) {
        const auto names = device == Device::kKey ? keymap::KeyNames() : keymap::ButtonNames();
        std::set<std::pair<uint32_t, std::string>> taken;
        for (size_t i = 0; i < keymap::kControlCount; ++i) {
            for (const std::string& input : map.Bound(device, i)) {
                EXPECT_TRUE(taken.emplace(kControls[i].mode, input).second) << input << " twice on one screen";
                EXPECT_NE(std::find(names.begin(), names.end(), input), names.end()) << input;
                if (device == Device::kKey) {
                    EXPECT_EQ(std::find(reserved.begin(), reserved.end(), input), reserved.end()) << input;
                }
                EXPECT_EQ(map.Find(device, input, kControls[i].mode), i) << input;
            }
        }
    }
}

TEST(Keymap, SettingsLinesChangeTheMapAndBadOnesKeepTheDefault) {
    const auto index = [](std::string_view name) {
        for (size_t i = 0; i < keymap::kControlCount; ++i)
            if (name == kControls[i].name) return i;
        return keymap::kControlCount;
    };
    using V = std::vector<std::string>;
    // clang-format off
    const struct { const char* line; bool ok; const char* why; Device device; const char* control; V bound; } cases[] = {
        {"key.PadUp = W, KP_8",        true,  "",                   Device::kKey,    "PadUp",     {"W", "KP_8"}},
        {"  key.PadUp=Up,Up  ",        true,  "",                   Device::kKey,    "PadUp",     {"Up"}},
        {"key.Restart =",              true,  "",                   Device::kKey,    "Restart",   {}},
        {"button.PowerUp = DpadUp",    true,  "",                   Device::kButton, "PowerUp",   {"DpadUp"}},
        {"key.PadUp = Uup",            false, "no key is called 'Uup'; PadUp keeps Up, KP_8", Device::kKey, "PadUp", {"Up", "KP_8"}},
        {"key.PadUp = Up,,KP_8",       false, "an empty name",      Device::kKey,    "PadUp",     {"Up", "KP_8"}},
        {"key.PadUp = P",              false, "belongs to the window", Device::kKey, "PadUp",     {"Up", "KP_8"}},
        {"key.PadUp = F11",            false, "belongs to the window", Device::kKey, "PadUp",     {"Up", "KP_8"}},
        {"key.Nowhere = Up",           false, "no control is called 'Nowhere'", Device::kKey, "PadUp", {"Up", "KP_8"}},
        {"button.PadUp = Up",          false, "no button is called 'Up'", Device::kButton, "PadUp", {"DpadUp"}},
        {"key.PadUp Up",               false, "expected",           Device::kKey,    "PadUp",     {"Up", "KP_8"}},
        {"key.Now\x1b]0;x\a = Up",      false, "no control is called 'Now\\x1b]0;x\\x07'", Device::kKey, "PadUp", {"Up", "KP_8"}},
        {"key.PadUp = U\x1b[2J\xff",    false, "no key is called 'U\\x1b[2J\\xff'; PadUp keeps", Device::kKey, "PadUp", {"Up", "KP_8"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        keymap::Keymap map = keymap::Keymap::Defaults();
        std::string problem;
        EXPECT_EQ(keymap::ApplyMapLine(c.line, map, problem), c.ok) << c.line;
        EXPECT_NE(problem.find(c.why), std::string::npos) << c.line << ": " << problem;
        EXPECT_EQ(map.Bound(c.device, index(c.control)), c.bound) << c.line;
    }
}

TEST(Keymap, AKeyTakenForAnotherControlLeavesItsOldOneAndTheLinesComeBack) {
    keymap::Keymap map = keymap::Keymap::Defaults();
    std::string problem;
    ASSERT_TRUE(keymap::ApplyMapLine("key.PowerUp = Up", map, problem)) << problem;
    EXPECT_EQ(map.Find(Device::kKey, "Up", kModeCockpit), std::optional<size_t>(18));
    EXPECT_EQ(std::string(kControls[18].name), "PowerUp");
    // Another screen's use of the key is its own.
    ASSERT_TRUE(keymap::ApplyMapLine("key.Start = Up", map, problem)) << problem;
    EXPECT_EQ(map.Find(Device::kKey, "Up", kModeCockpit), std::optional<size_t>(18));

    keymap::Keymap back = keymap::Keymap::Defaults();
    const std::string lines = keymap::FormatMapLines(map);
    size_t from = 0;
    while (from < lines.size()) {
        const size_t end = lines.find('\n', from);
        ASSERT_TRUE(keymap::ApplyMapLine(lines.substr(from, end - from), back, problem)) << problem;
        from = end + 1;
    }
    EXPECT_EQ(back, map) << lines;
    EXPECT_EQ(keymap::FormatMapLines(keymap::Keymap::Defaults()), "");
}

TEST(Keymap, AHeldKeyIsReleasedWhereItPressedWhateverTheScreenBecame) {
    const keymap::Keymap map = keymap::Keymap::Defaults();
    keymap::HeldInputs held;
    const auto start = held.Down(map, Device::kKey, "Return", kModeTitle);
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, keymap::Centre(kControls[0]));
    EXPECT_FALSE(held.Down(map, Device::kKey, "Return", kModeCockpit));  // no repeat
    EXPECT_FALSE(held.Down(map, Device::kKey, "Up", kModeTitle));        // not a title key
    EXPECT_FALSE(held.Up(Device::kKey, "Up"));
    ASSERT_TRUE(held.Down(map, Device::kButton, "DpadUp", kModeCockpit));
    EXPECT_EQ(held.Up(Device::kKey, "Return"), start);
    EXPECT_EQ(held.ReleaseAll().size(), 1u);
    EXPECT_FALSE(held.Up(Device::kButton, "DpadUp"));
}

// The screen the player is on, as far as leaving it goes: the mouse's
// modes, whether the tick runs (the result panels stand still) and whether
// the game has ended.
std::string Screen(HeadlessSession& s) {
    return std::to_string(s.view().pressMode) + "/" + std::to_string(s.view().releaseMode) +
           (s.host().timerRunning() ? " running" : " still") + (s.host().quitRequested() ? " quit" : "");
}

// Every screen a mouse can leave, a key can leave, as the click it stands
// for: from each screen, every click at the centre of a live press or
// release area that takes the player to another screen is matched by a
// default key that leaves the same way (same record, same picture).
TEST(Keymap, EveryScreenAMouseCanLeaveAKeyCanLeave) {
    const auto click = [](HeadlessSession& s, keymap::Point p) {
        s.Press(p.x, p.y);
        s.Release(p.x, p.y);
        s.Tick(2);
    };
    const auto control = [](const char* name) {
        for (const keymap::Control& c : kControls) {
            if (std::string_view(c.name) == name) return keymap::Centre(c);
        }
        return keymap::Point{};
    };
    struct Start {
        const char* name;
        void (*reach)(HeadlessSession&, keymap::Point (*)(const char*));
    };
    // clang-format off
    const Start starts[] = {
        {"title",        [](HeadlessSession& s, auto) { s.Tick(3); }},
        {"guide",        [](HeadlessSession& s, auto at) { s.Tick(3); const auto p = at("Guide"); s.Press(p.x, p.y); s.Release(p.x, p.y); s.Tick(2); }},
        {"second page",  [](HeadlessSession& s, auto at) {
            s.Tick(3);
            for (const char* name : {"Guide", "Continue"}) { const auto p = at(name); s.Press(p.x, p.y); s.Release(p.x, p.y); s.Tick(2); }
        }},
        {"flight",       [](HeadlessSession& s, auto at) { s.Tick(3); const auto p = at("Start"); s.Press(p.x, p.y); s.Release(p.x, p.y); s.Tick(6); }},
        {"failure",      [](HeadlessSession& s, auto at) {
            s.Tick(3);
            for (const char* name : {"Start", "FullPower", "PadUp", "PadUp", "PadUp"}) { const auto p = at(name); s.Press(p.x, p.y); s.Release(p.x, p.y); }
            for (int i = 0; i < 3000 && s.host().timerRunning(); ++i) s.Tick();
        }},
    };
    // clang-format on
    const keymap::Keymap map = keymap::Keymap::Defaults();
    int leaving = 0;
    for (const Start& start : starts) {
        const auto reached = [&] {
            auto s = MakeTestSession();
            start.reach(*s, +control);
            return s;
        };
        auto first = reached();
        const std::string screen = Screen(*first);
        // Where a default key presses from here.
        std::vector<keymap::Point> keyPoints;
        for (size_t i = 0; i < keymap::kControlCount; ++i) {
            if (map.Bound(Device::kKey, i).empty()) continue;
            const auto found = map.FindLive(Device::kKey, map.Bound(Device::kKey, i).front(), first->view().pressMode,
                                            first->view().releaseMode);
            if (found == i) keyPoints.push_back(keymap::Centre(kControls[i]));
        }
        std::vector<Seen> byKeys;
        for (const keymap::Point p : keyPoints) {
            auto s = reached();
            click(*s, p);
            byKeys.push_back(Look(*s));
        }
        // Every button the mouse can use here: each press area, and each
        // release area that is a button of its own screen (the title tests
        // the guide page's release areas too, where it shows no button).
        std::vector<controls::InclusiveArea> areas;
        for (const auto& row : controls::PressAreas(first->view().pressMode)) areas.push_back(row.area);
        const uint32_t releaseMode = first->view().releaseMode;
        for (const auto& row : controls::ReleaseAreas(releaseMode)) {
            const auto presses = controls::PressAreas(releaseMode);
            if (std::any_of(presses.begin(), presses.end(),
                            [&](const controls::PressRow& p) { return std::string_view(p.name) == row.name; })) {
                areas.push_back(row.area);
            }
        }
        for (const controls::InclusiveArea& a : areas) {
            auto s = reached();
            click(*s, {(a.left + a.right) / 2, (a.top + a.bottom) / 2});
            if (Screen(*s) == screen) continue;
            ++leaving;
            EXPECT_NE(std::find(byKeys.begin(), byKeys.end(), Look(*s)), byKeys.end())
                << start.name << ": no key leaves as the click at (" << (a.left + a.right) / 2 << ", "
                << (a.top + a.bottom) / 2 << ") does";
        }
    }
    EXPECT_GE(leaving, 8);
}

}  // namespace
