// The web host's session, driven as the page drives it: its clock, its
// pointer mapping, its picture and its state line against the headless game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "GeneratedAtlasFixture.h"
#include "platform/common/AtlasFiles.h"
#include "platform/headless/HeadlessSession.h"
#include "platform/web/WebSession.h"
#include "platform/web/WebTexts.h"
#include "platform/web/WebTrainer.h"
#include "tests/support/TestBitmap.h"

#ifdef AVELUNE_HAS_DESKTOP
#include "platform/sdl/DesktopResources.h"
#endif

namespace {

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::unique_ptr<CDibImage> GameAtlas() {
    std::string error;
    auto atlas = LoadAtlas(AVELUNE_ATLAS, error);
    EXPECT_NE(atlas, nullptr) << error;
    return atlas;
}

struct PageClock {
    uint64_t now = 5000;
    std::vector<std::string> sounds;
    WebPageHooks Hooks() {
        WebPageHooks hooks;
        hooks.nowMs = [this] { return now; };
        hooks.startSound = [this](const std::string& name) { sounds.push_back(name); };
        return hooks;
    }
};

// Starts an approach from the title with Return and flies it 40 ticks; the
// flight the page would save.
std::string FlyFortyTicks(WebSession& session) {
    session.Tick(3);
    session.KeyDown(keymap::Device::kKey, "Return");
    session.KeyUp(keymap::Device::kKey, "Return");
    session.Tick(40);
    return session.FlightText();
}

class WebSessionTest : public GeneratedAtlasFixture {};

}  // namespace

TEST(WebCanvasPoint, MapsCssPixelsToGamePixelsAsTheDesktopDoes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double x, y, ratio;
        int scale;
        bool inside;
        int gx, gy;
    };
    // clang-format off
    const Case cases[] = {
        {0, 0, 1, 1,             true, 0, 0},
        {631.9, 439.9, 1, 1,     true, 631, 439},
        {632, 10, 1, 1,          false, 0, 0},      // just right of the picture
        {10, 440, 1, 1,          false, 0, 0},      // just below
        {-0.01, 10, 1, 1,        false, 0, 0},      // just left: floor, not truncation
        {10, -0.5, 1, 1,         false, 0, 0},
        {3.99, 5.5, 1, 2,        true, 1, 2},       // 2 x 2 device pixels a game pixel
        {1.0, 1.34, 1.5, 2,      true, 0, 1},       // device 1.5 -> 1 (pixel 0), 2.01 -> 2 (pixel 1)
        {842.6, 586.6, 1.5, 2,   true, 631, 439},   // the last device pixel of a 1.5-ratio canvas
        {842.7, 10, 1.5, 2,      false, 0, 0},
        {1.5, 1.49, 2, 3,        true, 1, 0},       // device 3 -> 1, device 2.98 -> 0
        {10, 10, 1, 0,           false, 0, 0},      // no scale
        {10, 10, 0, 1,           false, 0, 0},      // no ratio
        {nan, 10, 1, 1,          false, 0, 0},
        {1e300, 10, 1, 1,        false, 0, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        PictureLayout whole;
        whole.scale = c.scale;
        const auto p = MapCanvasPoint(c.x, c.y, c.ratio, whole);
        ASSERT_EQ(p.has_value(), c.inside) << c.x << ", " << c.y << " at ratio " << c.ratio << " scale " << c.scale;
        if (p) {
            EXPECT_EQ(*p, (GamePoint{c.gx, c.gy})) << c.x << ", " << c.y;
        }
    }
}

// Fill mode's canvas: a point maps by the filled size's share, so the middle
// of each game pixel's area is that pixel, and the edges are outside.
TEST(WebCanvasMapping, FilledSizesMapByTheirShare) {
    struct Case {
        int outputWidth, outputHeight;
        double ratio;
    };
    for (const Case c : {Case{1366, 744, 1}, Case{1170, 1100, 3}, Case{1500, 1116, 1.5}}) {
        const PictureLayout l = FitPictureFill(c.outputWidth, c.outputHeight, 0);
        ASSERT_TRUE(l.Fractional()) << c.outputWidth;
        for (const auto& [gx, gy] : {std::pair{0, 0}, {631, 439}, {316, 220}, {17, 400}}) {
            const double cssX = std::floor((gx + 0.5) * l.Width() / kClientWidth) / c.ratio;
            const double cssY = std::floor((gy + 0.5) * l.Height() / kClientHeight) / c.ratio;
            EXPECT_EQ(MapCanvasPoint(cssX + 0.01, cssY + 0.01, c.ratio, l), (GamePoint{gx, gy})) << c.outputWidth;
        }
        EXPECT_FALSE(MapCanvasPoint(l.Width() / c.ratio, 1, c.ratio, l)) << "just right of the picture";
        EXPECT_FALSE(MapCanvasPoint(1, -0.01, c.ratio, l)) << "just above";
    }
}

TEST_F(WebSessionTest, TimerTicksOnceForALatePeriodAndNeverBursts) {
    PageClock clock;
    WebSession session(GameAtlas(), clock.Hooks());
    EXPECT_EQ(clock.sounds, std::vector<std::string>{"AV1.wav"}) << "the start sound plays as the game is built";
    EXPECT_EQ(session.WaitMs(), 100) << "created: the first tick a period away";
    clock.now += 99;
    EXPECT_FALSE(session.RunDueTick());
    EXPECT_EQ(session.view().gameState, kStateTitlePicture);
    clock.now += 1;
    EXPECT_TRUE(session.RunDueTick());
    EXPECT_EQ(session.view().gameState, kStateTitleAnimation);
    EXPECT_FALSE(session.RunDueTick()) << "one tick per period";

    // The tab was hidden for seven seconds: one late tick, then a period on.
    const uint32_t frame = session.view().titleFrame;
    clock.now += 7000;
    EXPECT_TRUE(session.RunDueTick());
    EXPECT_FALSE(session.RunDueTick());
    EXPECT_EQ(session.view().titleFrame, frame + 1);
    EXPECT_EQ(session.WaitMs(), 100);

    // The information page kills the timer: the page sleeps until an event.
    session.Press(430, 240);
    session.Release(430, 240);
    clock.now += 100;
    EXPECT_TRUE(session.RunDueTick());
    EXPECT_FALSE(session.timerRunning());
    EXPECT_EQ(session.WaitMs(), -1);
    clock.now += 10000;
    EXPECT_FALSE(session.RunDueTick());
}

TEST_F(WebSessionTest, FrameAndStateMatchTheHeadlessGame) {
    PageClock clock;
    WebSession web(GameAtlas(), clock.Hooks());
    HeadlessSession headless(GameAtlas());
    // The title, the information page with a hover label, back, the cockpit.
    auto both = [&](auto&& step) {
        step(web);
        step(headless);
    };
    struct Step {
        const char* what;
        int press = -1, x = 0, y = 0, ticks = 0;
    };
    const Step steps[] = {
        {"title", -1, 0, 0, 3},          {"page", 1, 430, 240, 1}, {"label", 2, 281, 342, 0},
        {"back", 1, 200, 390, 3},        {"start", 1, 330, 230, 1}, {"fly", -1, 0, 0, 5},
    };
    bool first = true;
    for (const Step& s : steps) {
        if (s.press == 1) {
            both([&](auto& g) {
                g.Press(s.x, s.y);
                g.Release(s.x, s.y);
            });
        } else if (s.press == 2) {
            both([&](auto& g) { g.Move(s.x, s.y); });
        }
        both([&](auto& g) { g.Tick(s.ticks); });
        ASSERT_EQ(web.StateJson(), headless.StateJson()) << s.what;
        ASSERT_TRUE(web.RefreshFrame() || !first) << s.what;
        first = false;
        const HeadlessHost& h = headless.host();
        int differing = 0;
        for (int y = 0; y < kClientHeight; ++y) {
            for (int x = 0; x < kClientWidth; ++x) {
                const Rgb c = h.window().Color(h.palette(), x, y);
                const uint8_t* p = web.frame() + (static_cast<size_t>(y) * kClientWidth + x) * 4;
                if (p[0] != c.red || p[1] != c.green || p[2] != c.blue || p[3] != 255) ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << s.what;
    }
    EXPECT_FALSE(web.RefreshFrame()) << "nothing changed since the last frame";
    web.Tick(1);
    EXPECT_TRUE(web.RefreshFrame());
}

TEST_F(WebSessionTest, ScriptedTicksStopAtAQuitRequest) {
    PageClock clock;
    WebSession session(GameAtlas(), clock.Hooks());
    session.Tick(3);
    session.Press(572, 253);  // QUIT on the title
    session.Release(572, 253);
    ASSERT_TRUE(session.quitRequested());
    const std::string before = session.StateJson();
    session.Tick(10);
    EXPECT_EQ(session.StateJson(), before);
    clock.now += 1000;
    EXPECT_FALSE(session.RunDueTick());
}

TEST_F(WebSessionTest, PauseHoldsEveryTickAndResumesAFullPeriodOn) {
    PageClock clock;
    WebSession session(GameAtlas(), clock.Hooks());
    session.Tick(3);
    const std::string before = session.StateJson();
    session.Pause();
    EXPECT_EQ(session.WaitMs(), -1);
    clock.now += 5000;
    EXPECT_FALSE(session.RunDueTick());
    session.Tick(5);
    EXPECT_EQ(session.StateJson(), before) << "neither clock ticks while paused";
    session.Resume();
    EXPECT_FALSE(session.paused());
    EXPECT_EQ(session.WaitMs(), 100);
    EXPECT_TRUE(session.timerRunning());
}

// The key the page presses for a click's point is the map's for the control
// there, and pressing it does what the click does.
TEST_F(WebSessionTest, KeysStandForTheControlUnderAPoint) {
    PageClock clock;
    WebSession session(GameAtlas(), clock.Hooks());
    session.Tick(3);
    EXPECT_EQ(session.KeyForPoint(330, 230), "Return") << "START on the title";
    EXPECT_EQ(session.KeyForPoint(5, 5), "") << "no control there";
    ASSERT_TRUE(session.KeyDown(keymap::Device::kKey, "Return"));
    EXPECT_TRUE(session.KeyUp(keymap::Device::kKey, "Return"));
    session.Tick(3);
    EXPECT_EQ(session.view().pressMode, kModeCockpit);
    EXPECT_TRUE(session.InFlight());
    const keymap::Point down = keymap::Centre(keymap::kControls[*session.session().ControlFor(keymap::Device::kKey, "PageDown")]);
    EXPECT_EQ(session.KeyForPoint(down.x, down.y), "PageDown");
    // The touch controls name controls; each presses its control's first key.
    for (const auto& [control, key] : {std::pair{"PadUp", "Up"}, {"PowerDown", "PageDown"}, {"Restart", "6"},
                                      {"RightPedal", "X"}, {"NoSuchControl", ""}}) {
        EXPECT_EQ(session.KeyForControl(control), key) << control;
    }
    EXPECT_TRUE(session.KeyDown(keymap::Device::kButton, "A")) << "the gamepad's A is power down in the cockpit";
    session.ReleaseKeys();
    EXPECT_FALSE(session.KeyUp(keymap::Device::kButton, "A")) << "let go already";
}

// A flight the page saves is watched again to the same end; a damaged one or
// one of another atlas is refused, the game left as it was.
TEST_F(WebSessionTest, FlightsSaveWatchAndRefuse) {
    PageClock clock;
    WebSession session(GameAtlas(), clock.Hooks());
    session.SetAtlasHash(0x1234);
    EXPECT_EQ(session.FlightText(), "") << "nothing flown yet";
    const std::string text = FlyFortyTicks(session);
    ASSERT_NE(text, "");
    const std::string flown = session.StateJson();

    struct Case {
        const char* name;
        std::string text;
        const char* refusal;  // "" when it plays
    };
    std::string foreign = text;
    foreign.replace(foreign.find("fnv1a64:") + 8, 16, "00000000000000ff");
    const Case cases[] = {
        {"whole", text, ""},
        {"cut short", text.substr(0, text.size() / 2), "cut.avflight"},
        {"another atlas", foreign, "flown with another atlas"},
    };
    for (const Case& c : cases) {
        WebSession watcher(GameAtlas(), clock.Hooks());
        watcher.SetAtlasHash(0x1234);
        watcher.Tick(3);
        const std::string before = watcher.StateJson();
        const std::string error = watcher.Watch(c.text, "cut.avflight");
        if (*c.refusal != '\0') {
            EXPECT_NE(error.find(c.refusal), std::string::npos) << c.name << ": " << error;
            EXPECT_EQ(watcher.StateJson(), before) << c.name;
            continue;
        }
        ASSERT_EQ(error, "") << c.name;
        watcher.StepWatch();
        EXPECT_NE(watcher.NewsJson().find(R"("state":"watching")"), std::string::npos) << watcher.NewsJson();
        EXPECT_NE(watcher.WatchJson().find("\"held\":true"), std::string::npos);
        watcher.HoldWatch(false);
        watcher.SetWatchSpeed(16);
        for (int i = 0; i < 10 && watcher.session().Watching(); ++i) {
            clock.now += 100;
            watcher.RunDueTick();
        }
        EXPECT_NE(watcher.WatchJson().find("\"status\":\"matched\""), std::string::npos) << watcher.WatchJson();
        EXPECT_EQ(watcher.StateJson(), flown);
    }
}

// The keys the page asks about before quitting: the title's QUIT and the
// quit lever in flight, whichever keys the map gives them.
TEST_F(WebSessionTest, QuitKeysAreTheMapsQuitControlsOnTheScreenShown) {
    PageClock clock;
    WebSession session(GameAtlas(), clock.Hooks());
    session.Tick(3);
    EXPECT_TRUE(session.IsQuitInput(keymap::Device::kKey, "Escape")) << "the title's QUIT";
    EXPECT_FALSE(session.IsQuitInput(keymap::Device::kKey, "Y")) << "no lever on the title";
    session.KeyDown(keymap::Device::kKey, "Return");
    session.KeyUp(keymap::Device::kKey, "Return");
    session.Tick(5);
    EXPECT_TRUE(session.IsQuitInput(keymap::Device::kKey, "Y")) << "the quit lever in flight";
    EXPECT_FALSE(session.IsQuitInput(keymap::Device::kKey, "Up"));
    EXPECT_FALSE(session.IsQuitInput(keymap::Device::kKey, "NoSuchKey"));
}

// A watched flight taken over is the player's from there: when it ends it
// goes to the logbook, as one they flew; a flight only watched, or whose
// watch was closed while it played, does not.
TEST_F(WebSessionTest, AFlightTakenOverGoesToTheLogbookWhenItEnds) {
    PageClock clock;
    WebSession pilot(GameAtlas(), clock.Hooks());
    pilot.Tick(3);
    pilot.KeyDown(keymap::Device::kKey, "Return");
    pilot.KeyUp(keymap::Device::kKey, "Return");
    // Left to itself the approach ends (a failure) well within ten minutes.
    for (int i = 0; i < 6000 && pilot.TakeEnded("2026-01-01T00:00:00").empty(); ++i) pilot.Tick();
    const std::string text = pilot.FlightText();
    ASSERT_NE(text, "");
    enum class Then { kWatch, kClose, kTakeOver };
    for (const Then then : {Then::kWatch, Then::kClose, Then::kTakeOver}) {
        const bool takeOver = then == Then::kTakeOver;
        WebSession watcher(GameAtlas(), clock.Hooks());
        watcher.Tick(3);
        ASSERT_EQ(watcher.Watch(text, "f.avflight"), "");
        for (int i = 0; i < 5; ++i) watcher.StepWatch();
        if (takeOver) watcher.TakeOver();
        if (then == Then::kClose) watcher.session().CloseWatch();
        while (watcher.session().Watching()) watcher.StepWatch();
        for (int i = 0; i < 6000 && watcher.session().flights().current() != nullptr; ++i) watcher.Tick();
        const std::string ended = watcher.TakeEnded("2026-01-01T00:01:00");
        EXPECT_EQ(ended.empty(), !takeOver) << static_cast<int>(then);
        const recorder::Recording* r = watcher.session().recorder().latestEnded();
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->flown(), takeOver) << static_cast<int>(then) << ": its debrief is the player's only when taken over";
    }
}

// A watch shows the flight's own picture from its first frame, in a game just
// made (a shared link opens the page straight into it) as in one that ran.
TEST_F(WebSessionTest, AWatchShowsTheFlightFromItsFirstFrame) {
    PageClock clock;
    WebSession flier(GameAtlas(), clock.Hooks());
    const std::string text = FlyFortyTicks(flier);
    ASSERT_NE(text, "");
    WebSession fresh(GameAtlas(), clock.Hooks()), ran(GameAtlas(), clock.Hooks());
    ran.Tick(3);
    ASSERT_EQ(fresh.Watch(text, "f.avflight"), "");
    ASSERT_EQ(ran.Watch(text, "f.avflight"), "");
    for (int tick = 0; tick < 3; ++tick) {
        fresh.RefreshFrame();
        ran.RefreshFrame();
        const uint8_t* a = fresh.frame();
        size_t lit = 0;
        for (size_t i = 0; i < WebSession::kFrameBytes; i += 4) lit += (a[i] | a[i + 1] | a[i + 2]) != 0;
        EXPECT_GT(lit, WebSession::kFrameBytes / 8) << "tick " << tick << ": a black picture";
        EXPECT_EQ(std::memcmp(a, ran.frame(), WebSession::kFrameBytes), 0) << "tick " << tick;
        fresh.StepWatch();
        ran.StepWatch();
    }
}

// The page's logbook window: the desktop's cells, the best marked, bad lines
// named and left out; the plot's primitives with every field a canvas needs.
TEST(WebTrainer, LogbookCellsAndPlotJson) {
    logbook::Entry arrived;
    arrived.when = "2026-12-10T08:00:01";
    arrived.seconds = 187;
    arrived.airspeedMargin = 101;
    arrived.needleMargin = 45;
    arrived.glideSlopeMargin = 53;
    arrived.verdict = "stable";
    arrived.stabilityFeet = 47520;
    arrived.flight = "20261210-080001-arrived.avflight";
    arrived.score = 81;
    arrived.grade = 'B';
    const std::string text = logbook::FormatEntry(arrived) + "\nnot a logbook line\n";
    const std::string json = web::LogbookJson(text);
    EXPECT_NE(json.find("\"cells\":[\"* 2026-12-10 08:00\",\"arrived\",\"3:07\",\"81 B\",\"101 / 45 / 53\","
                        "\"stable from 9.0 mi (best)\"]"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"best\":0"), std::string::npos);
    EXPECT_NE(json.find("\"notes\":[\"logbook"), std::string::npos) << "the bad line is named";

    debrief::Plot plot;
    plot.width = 100;
    plot.height = 50;
    debrief::Primitive label;
    label.kind = debrief::Primitive::Kind::kText;
    label.points = {{10.5f, 20}};
    label.colour = {1, 2, 3, 128};
    label.text = "say \"hi\"";
    label.align = debrief::Align::kRight;
    label.vertical = true;
    label.role = "axis.title";
    plot.items.push_back(label);
    EXPECT_EQ(web::PlotJson(plot),
              "{\"width\":100,\"height\":50,\"items\":[{\"k\":3,\"p\":[10.5,20],\"c\":[1,2,3,128],\"w\":1,"
              "\"t\":\"say \\\"hi\\\"\",\"s\":12,\"a\":2,\"v\":1,\"r\":\"axis.title\"}]}");
}

TEST(WebAtlas, BytesAreRefusedWithTheWordsOfTheFileLoader) {
    const std::string dir = ::testing::TempDir();
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const std::vector<uint8_t> wrongDepth = MakeBitmapBytes(8, 8, 24);
    const Case cases[] = {
        {"empty.bmp", {}},
        {"text.bmp", {'h', 'e', 'l', 'l', 'o'}},
        {"wrong-depth.bmp", wrongDepth},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.bytes.data()),
                                                    static_cast<std::streamsize>(c.bytes.size()));
        std::string fromFile, fromBytes;
        EXPECT_EQ(LoadAtlas(path, fromFile), nullptr) << c.name;
        EXPECT_EQ(LoadAtlasBytes(c.bytes.data(), c.bytes.size(), path, fromBytes), nullptr) << c.name;
        EXPECT_FALSE(fromBytes.empty()) << c.name;
        EXPECT_EQ(fromBytes, fromFile) << c.name;
    }
}

TEST_F(WebSessionTest, GeneratedAtlasServesFromBytes) {
    const std::vector<uint8_t> bytes = FileBytes(AVELUNE_ATLAS);
    std::string error;
    auto atlas = LoadAtlasBytes(bytes.data(), bytes.size(), "prop.bmp", error);
    ASSERT_NE(atlas, nullptr) << error;
    EXPECT_EQ(atlas->GetWidth(), kAtlasWidth);
}

#ifdef AVELUNE_HAS_DESKTOP
TEST(WebTexts, AboutBoxSaysWhatTheDesktopsSays) {
    std::vector<std::string> desktop;
    for (const DialogControl& control : kAboutControls) {
        if (control.kind == ControlKind::kCentredText) desktop.push_back(control.text);
    }
    ASSERT_EQ(desktop.size(), kAboutLines.size());
    for (size_t i = 0; i < desktop.size(); ++i) EXPECT_EQ(kAboutLines[i], desktop[i]);
}
#endif

// What the page says beside the picture comes from the game: the recorder's
// marks as sentences once each, the approach's standing for the title, the
// desktop's power and pitch words, and the sound cues, silent when paused or
// unheard.
TEST_F(WebSessionTest, NewsNumbersAndCuesComeFromTheGame) {
    PageClock clock;
    WebSession session(GameAtlas(), clock.Hooks());
    session.Tick(3);
    EXPECT_EQ(session.NewsJson(), R"({"say":[],"state":""})");
    EXPECT_EQ(session.PowerPitch(), "") << "not in the cockpit";
    session.SetSoundCues(true, 48000);
    auto peak = [&](bool audible) {
        int most = 0;
        for (int block = 0; block < 4; ++block) {
            const int16_t* s = session.RenderCues(1024, audible);
            most = 0;  // the last block: a fade has ended by then
            for (size_t i = 0; i < 2048; ++i) most = std::max(most, std::abs(static_cast<int>(s[i])));
        }
        return most;
    };
    EXPECT_EQ(peak(true), 0) << "no tone on the title";

    session.Press(330, 230);  // start
    session.Release(330, 230);
    session.Tick(15);
    EXPECT_EQ(session.PowerPitch(), "Power " + std::to_string(session.view().power) + "  Pitch " +
                                        std::to_string(session.view().pitch));
    EXPECT_NE(session.NewsJson().find(R"("state":"flying")"), std::string::npos);
    struct Case {
        const char* what;
        bool paused, audible, sounds;
    };
    const Case cases[] = {
        {"in flight", false, true, true},
        {"paused", true, true, false},
        {"unheard", false, false, false},
        {"heard again", false, true, true},
    };
    for (const Case& c : cases) {
        if (c.paused) session.Pause();
        else session.Resume();
        EXPECT_EQ(peak(c.audible) > 0, c.sounds) << c.what;
    }
    EXPECT_EQ(session.RenderCues(WebSession::kMaxCueFrames + 1, true), nullptr)
        << "more frames than the buffer holds are refused, not cut short";
    session.SetSoundCues(false, 48000);
    EXPECT_EQ(session.RenderCues(1024, true), nullptr);

    // Pull the nose up until the approach fails off the glide slope.
    for (int i = 0; i < 6; ++i) {
        session.Press(315, 380);
        session.Release(315, 380);
    }
    std::string said;
    for (int i = 0; i < 600 && said.find("Failed") == std::string::npos; ++i) {
        session.Tick(1);
        const std::string news = session.NewsJson();
        said += news.substr(0, news.find("\"state\""));
    }
    EXPECT_NE(said.find("Warning: glide slope."), std::string::npos) << said;
    EXPECT_EQ(said.find("Warning: glide slope."), said.rfind("Warning: glide slope.")) << "told once: " << said;
    EXPECT_NE(said.find("Failed: glide slope."), std::string::npos) << said;
    session.Tick(5);
    EXPECT_EQ(session.NewsJson(), R"({"say":[],"state":"failed: glide slope"})");
}
