// The desktop's window updates and renderer choice: one update per loop
// pass at most and none for an unchanged picture; the software renderer
// wherever GL would run on the processor; the start-up trace's clock.
#ifdef AVELUNE_HAS_DESKTOP

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "gfx/AtlasCatalogue.h"
#include "platform/common/WindowPicture.h"
#include "platform/sdl/PresentSchedule.h"
#include "platform/sdl/RendererChoice.h"
#include "platform/sdl/StartupTrace.h"

TEST(PresentSchedule, OnePassBecomesOneUpdateAtMost) {
    enum Note { kUi, kShowSame, kShowNew, kWindows, kOverlay, kLost };
    struct Case {
        bool keepsPixels;
        std::vector<Note> pass;
        FramePlan expected;
    };
    // clang-format off
    const Case cases[] = {
        {false, {},                                {0, false, true}},   // a wake-up that changed nothing
        {true,  {kShowSame, kShowSame, kShowSame}, {0, false, false}},  // a still page shown again and again
        {false, {kShowNew, kShowSame, kShowSame},  {0, true,  true}},   // the second page: twelve shows, one present
        {true,  {kShowSame, kShowNew},             {0, true,  false}},  // only the changed part
        {false, {kUi},                             {2, true,  true}},
        {true,  {kShowNew, kUi, kShowNew},         {2, true,  true}},   // ImGui draws over the picture
        {true,  {kWindows},                        {1, true,  true}},
        {true,  {kWindows, kUi},                   {2, true,  true}},
        {true,  {kShowNew, kOverlay},              {1, true,  true}},   // the About box over the picture
        {true,  {kShowSame, kOverlay},             {0, false, true}},   // nothing changed under it
        {true,  {kLost},                           {0, true,  true}},   // pixels lost: all again
    };
    // clang-format on
    std::vector<uint8_t> surface(kSurfaceWidth * kSurfaceHeight, 7);
    for (const Case& c : cases) {
        WindowPicture picture;
        picture.Show(surface.data(), kTopDown, kClientWidth, kClientHeight);
        PresentSchedule schedule;
        schedule.SetWindowKeepsPixels(c.keepsPixels);
        if (picture.TakeChanged()) schedule.NotePictureChanged();
        EXPECT_EQ(schedule.Take(), (FramePlan{0, true, true})) << "the first picture goes out whole";
        uint8_t colour = 7;
        for (const Note note : c.pass) {
            if (note == kUi) schedule.NoteUiInput();
            if (note == kWindows) schedule.NoteWindowsOpen();
            if (note == kOverlay) schedule.NoteOverlay();
            if (note == kLost) schedule.NoteWindowLost();
            if (note == kShowNew) ++colour;
            if (note == kShowNew || note == kShowSame) {
                std::fill(surface.begin(), surface.end(), colour);
                picture.Show(surface.data(), kTopDown, kClientWidth, kClientHeight);
            }
        }
        if (picture.TakeChanged()) schedule.NotePictureChanged();
        EXPECT_EQ(schedule.Take(), c.expected) << "case " << (&c - cases);
        EXPECT_FALSE(schedule.Take().present) << "the next pass starts empty";
        std::fill(surface.begin(), surface.end(), 7);
    }
}

TEST(WindowPicture, DirtyRectangleHoldsExactlyWhatChanged) {
    struct Case {
        PictureRect painted;  // pixels given a new colour before the show
        std::vector<std::array<int, 4>> lines;  // black lines drawn after it
        PictureRect expected;
    };
    // clang-format off
    const Case cases[] = {
        {{0, 0, 0, 0},       {},                    {0, 0, 0, 0}},
        {{10, 20, 11, 21},   {},                    {10, 20, 11, 21}},
        {{100, 5, 300, 7},   {},                    {100, 5, 300, 7}},
        {{0, 0, 0, 0},       {{5, 9, 50, 9}},       {5, 9, 50, 10}},
        {{600, 400, 632, 440}, {{0, 0, 3, 3}},      {0, 0, 632, 440}},
        {{630, 470, 640, 480}, {},                  {630, 470, 640, 480}},  // beyond the client part
    };
    // clang-format on
    std::vector<uint8_t> surface(kSurfaceWidth * kSurfaceHeight, 7);
    for (const Case& c : cases) {
        std::fill(surface.begin(), surface.end(), 7);
        WindowPicture picture;
        picture.Show(surface.data(), kTopDown, kSurfaceWidth, kSurfaceHeight);
        EXPECT_EQ(picture.TakeDirty(), (PictureRect{0, 0, kSurfaceWidth, kSurfaceHeight})) << "a new picture";
        for (int y = c.painted.y0; y < c.painted.y1; ++y)
            for (int x = c.painted.x0; x < c.painted.x1; ++x) surface[static_cast<size_t>(y) * kSurfaceWidth + x] = 9;
        picture.Show(surface.data(), kTopDown, kSurfaceWidth, kSurfaceHeight);
        for (const auto& l : c.lines) picture.DrawBlackLine(l[0], l[1], l[2], l[3]);
        const PictureRect got = picture.TakeDirty();
        EXPECT_EQ(got.empty(), c.expected.empty()) << "case " << (&c - cases);
        if (!c.expected.empty()) {
            EXPECT_EQ(got, c.expected) << "case " << (&c - cases);
        }
        EXPECT_TRUE(picture.TakeDirty().empty());
        // Showing the surface again removes the lines: exactly their pixels change back.
        if (!c.lines.empty()) {
            picture.Show(surface.data(), kTopDown, kSurfaceWidth, kSurfaceHeight);
            const PictureRect back = picture.TakeDirty();
            EXPECT_EQ(back.y0, std::min(c.lines[0][1], c.lines[0][3])) << "case " << (&c - cases);
        }
    }
}

TEST(RendererChoice, SoftwareWhereGlWouldRunOnTheProcessor) {
    using S = RendererSetting;
    using P = RendererPlan;
    struct Case {
        S setting;
        RendererClues clues;
        P expected;
    };
    // clang-format off
    const Case cases[] = {
        {S::kAuto,        {nullptr,    false, false}, P::kSoftware},          // Xvfb, a server, a VM
        {S::kAuto,        {nullptr,    true,  false}, P::kProbeAccelerated},  // a GPU: ask GL what it is
        {S::kAuto,        {nullptr,    true,  true},  P::kSoftware},          // Mesa told to rasterise
        {S::kAuto,        {"",         true,  false}, P::kProbeAccelerated},  // an empty variable names nothing
        {S::kSoftware,    {nullptr,    true,  false}, P::kSoftware},
        {S::kAccelerated, {nullptr,    false, true},  P::kAccelerated},       // the player's word
        {S::kAccelerated, {"software", true,  false}, P::kEnvironment},       // the environment wins
        {S::kAuto,        {"opengl",   false, false}, P::kEnvironment},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(PlanRenderer(c.setting, c.clues), c.expected) << "case " << (&c - cases);

    struct Name {
        const char* glRenderer;
        bool software;
    };
    // clang-format off
    const Name names[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true}, {"softpipe", true}, {"Software Rasterizer", true},
        {"Mesa DRI swrast", true}, {"Google SwiftShader", true},
        {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)", false}, {"Mesa Intel(R) UHD Graphics 620", false},
        {"NVIDIA GeForce GTX 1060/PCIe/SSE2", false}, {"", false},
    };
    // clang-format on
    for (const Name& n : names) EXPECT_EQ(IsSoftwareRasteriser(n.glRenderer), n.software) << n.glRenderer;

    for (const char* word : {"auto", "software", "accelerated"}) {
        const auto s = ParseRendererSetting(word);
        ASSERT_TRUE(s) << word;
        EXPECT_STREQ(RendererSettingName(*s), word);
    }
    for (const char* word : {"", "gpu", "soft", "auto "}) EXPECT_FALSE(ParseRendererSetting(word)) << word;
}

TEST(StartupTrace, MillisecondsFromTheKernelsStartTime) {
    struct Case {
        const char* stat;
        int64_t nowMs;
        long hz;
        std::optional<int64_t> expected;
    };
    // Field 22 is the start time in clock ticks since boot: 1234 ticks at 100 Hz is 12340 ms.
    const char* plain = "4242 (avelune) S 1 4242 4242 0 -1 4194304 100 0 0 0 1 2 0 0 20 0 3 0 1234 12345 678";
    const char* odd = "4242 (a) b (c) S 1 4242 4242 0 -1 4194304 100 0 0 0 1 2 0 0 20 0 3 0 1234 12345 678";
    // clang-format off
    const Case cases[] = {
        {plain, 12500, 100,  160},
        {odd,   12500, 100,  160},            // parentheses and spaces in the name
        {plain, 2000,  1000, 766},            // another clock rate
        {"4242 (avelune) S 1 2",   12500, 100, std::nullopt},  // cut short
        {"no parenthesis at all",  12500, 100, std::nullopt},
        {plain, 12500, 0,    std::nullopt},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(MsSinceProcessStart(c.stat, c.nowMs, c.hz), c.expected) << c.stat;
}

#endif  // AVELUNE_HAS_DESKTOP
