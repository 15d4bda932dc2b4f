// Keys that act as the mouse: a key is a click at its control's centre, the
// default map is unambiguous, and the settings lines that change it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

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

}  // namespace
