// The debrief of known approaches: its axes, where the bands and the limit
// lines lie, where the marks fall, and the picture cairo makes of it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "debrief/DebriefPlot.h"
#include "platform/cairo/CairoDebrief.h"
#include "tests/ReplayPlayer.h"
#include "tests/TestAtlas.h"

namespace {

namespace fs = std::filesystem;
using debrief::Plot;
using debrief::Primitive;

// The font caches go when the tests are done, so the leak checker sees only ours.
class FontCaches : public ::testing::Environment {
public:
    void TearDown() override { cairo_debrief::ReleaseFonts(); }
};
[[maybe_unused]] ::testing::Environment* const kFontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

double OffPath(const recorder::Sample& s) { return s.altitude - std::max(s.feetToGo, 0) / 15.0; }

TEST(DebriefPlot, RoundSteps) {
    struct Case {
        double span;
        int count;
        double step;
    } const cases[] = {{3300, 6, 1000}, {3000, 6, 500}, {400, 4, 100}, {9, 10, 1}, {0.35, 5, 0.1}, {320, 6, 100}};
    for (const Case& c : cases) EXPECT_NEAR(debrief::NiceStep(c.span, c.count), c.step, c.step * 1e-12) << c.span;
}

TEST(DebriefPlot, TheGlideSlopeFailureIsPlacedOnItsAxes) {
    const recorder::Recording r = Recorded("glide-slope-failure");
    ASSERT_FALSE(r.samples.empty());
    const Plot plot = debrief::BuildDebrief(r);
    // The distance axis spans what was flown (the failure came 0.3 miles on),
    // widened to a mile, in tenths, far at the left.
    EXPECT_NEAR(plot.farFeet, 9 * 5280.0, 1e-6);
    EXPECT_NEAR(plot.nearFeet, 7.9 * 5280.0, 1e-6);
    EXPECT_LE(plot.nearFeet, r.samples.back().feetToGo);
    EXPECT_FLOAT_EQ(plot.X(plot.farFeet), plot.profile.left);
    EXPECT_FLOAT_EQ(plot.X(plot.nearFeet), plot.profile.right);
    EXPECT_LE(plot.profile.low, r.samples.front().altitude);
    EXPECT_GE(plot.profile.high, 47520 / 15.0 + 150);
    EXPECT_EQ(plot.glideSlope.low, 0);
    EXPECT_GE(plot.glideSlope.high, 120);
    EXPECT_DOUBLE_EQ(plot.plan.low, 0);
    EXPECT_DOUBLE_EQ(plot.plan.high, 100);
    EXPECT_GT(plot.airspeed.high, 300);

    // The limit lines where the judgement draws them.
    struct Line {
        const char* role;
        const debrief::Panel* panel;
        double values[2];
    } const lines[] = {
        {"plan.warn-line", &plot.plan, {25, 75}},
        {"plan.fail-line", &plot.plan, {5, 95}},
        {"airspeed.warn-line", &plot.airspeed, {275, 275}},
        {"airspeed.fail-line", &plot.airspeed, {300, 300}},
        {"gs.warn-line", &plot.glideSlope, {95, 95}},
        {"gs.fail-line", &plot.glideSlope, {100, 100}},
    };
    for (const Line& l : lines) {
        const auto found = plot.Find(l.role);
        ASSERT_EQ(found.size(), l.values[0] == l.values[1] ? 1u : 2u) << l.role;
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_FLOAT_EQ(found[i]->points[0].y, l.panel->Y(l.values[i])) << l.role;
            EXPECT_FLOAT_EQ(found[i]->points[1].y, l.panel->Y(l.values[i])) << l.role;
        }
    }
    // The plan's failure bands span 95..100 and 0..5.
    const auto planFail = plot.Find("plan.fail-band");
    ASSERT_EQ(planFail.size(), 2u);
    EXPECT_FLOAT_EQ(planFail[0]->points[0].y, plot.plan.Y(100));
    EXPECT_FLOAT_EQ(planFail[0]->points[2].y, plot.plan.Y(95));
    // The profile's warning strip lies 145..150 ft above the glide path at the start point.
    const auto strip = plot.Find("profile.warn-band");
    ASSERT_EQ(strip.size(), 2u);
    EXPECT_NEAR(strip[0]->points.front().y, plot.profile.Y(47520 / 15.0 + 150), 0.01);
    EXPECT_NEAR(strip[0]->points.back().y, plot.profile.Y(47520 / 15.0 + 145), 0.01);

    // One trace point a sample; the failure crossed where the last judgement was.
    EXPECT_EQ(plot.Find("profile.trace").at(0)->points.size(), r.samples.size());
    const recorder::Sample& last = r.samples.back();
    const auto cross = plot.Find("mark.failed");
    ASSERT_EQ(cross.size(), 2u);
    EXPECT_NEAR((cross[0]->points[0].x + cross[0]->points[1].x) / 2, plot.X(last.feetToGo), 0.01);
    EXPECT_NEAR((cross[0]->points[0].y + cross[0]->points[1].y) / 2, plot.glideSlope.Y(last.glideSlopeDeviation), 0.01);
    EXPECT_GT(OffPath(last), 150);  // above the path, past the failure line
    // The warning began at the same judgement: the deviation went from fine to failed at once.
    const auto warn = plot.Find("mark.warning");
    ASSERT_EQ(warn.size(), 1u);
    EXPECT_NEAR(warn[0]->points[2].x, plot.X(last.feetToGo), 0.01);
    EXPECT_EQ(plot.Find("mark.arrived").size(), 0u);
    EXPECT_EQ(plot.Find("title").at(0)->text, "Approach debrief: failed (glide slope)");
    // Every shape stays on the page.
    for (const Primitive& p : plot.items)
        for (const debrief::Point& q : p.points) {
            EXPECT_TRUE(q.x >= 0 && q.x <= plot.width && q.y >= 0 && q.y <= plot.height) << p.role;
        }
}

// The arrival drawn by cairo at 1x: the bands and the traces are where the
// plot put them.
TEST(DebriefPlot, TheArrivalRendersItsBandsAndTraces) {
    const recorder::Recording r = Recorded("arrival");
    ASSERT_EQ(r.summary.outcome, recorder::Outcome::kArrived);
    const Plot plot = debrief::BuildDebrief(r);
    int w = 0, h = 0;
    const std::vector<uint32_t> px = cairo_debrief::RenderPixels(plot, 1, w, h);
    ASSERT_EQ(w, static_cast<int>(plot.width));
    ASSERT_EQ(static_cast<size_t>(w) * h, px.size());
    auto at = [&](double x, double y) { return px[static_cast<size_t>(std::lround(y)) * w + std::lround(x)] & 0xffffff; };
    auto bluish = [](uint32_t c) { return int(c & 0xff) > int((c >> 16) & 0xff) + 60; };
    // Away from the traces and the grid (half a mile off a grid line).
    const double clear = plot.X(3.5 * 5280);
    struct Probe {
        const char* what;
        double x, y;
        uint32_t colour;
    } const probes[] = {
        {"plan failure band", clear, plot.plan.Y(97.5), 0xfcdede},
        {"plan warning band", clear, plot.plan.Y(85), 0xffd682},
        {"airspeed failure band", clear, plot.airspeed.Y(350), 0xfcdede},
        {"airspeed warning band", clear, plot.airspeed.Y(288), 0xffd682},
        {"profile far above the path", clear, plot.profile.Y(plot.profile.high * 7 / 8), 0xffffff},
        {"page beside the plots", plot.width - 4, plot.height - 4, 0xffffff},
    };
    for (const Probe& p : probes) EXPECT_EQ(at(p.x, p.y), p.colour) << p.what;
    // The traces at a sample halfway down.
    const recorder::Sample& s = r.samples[r.samples.size() / 2];
    const double x = plot.X(s.feetToGo);
    EXPECT_TRUE(bluish(at(x, plot.profile.Y(s.altitude)))) << std::hex << at(x, plot.profile.Y(s.altitude));
    EXPECT_TRUE(bluish(at(x, plot.plan.Y(s.localizerNeedle))));
    EXPECT_TRUE(bluish(at(x, plot.airspeed.Y(s.airspeed))));
    EXPECT_TRUE(bluish(at(x, plot.glideSlope.Y(s.glideSlopeDeviation))));
    // The arrival line stands at the threshold in green.
    const uint32_t arrived = at(plot.X(0) - 1.5, (plot.plan.top + plot.plan.bottom) / 2);
    EXPECT_GT(int((arrived >> 8) & 0xff), int((arrived >> 16) & 0xff) + 60) << std::hex << arrived;
}

// The arrival flown with G/S held at 40 (above the gates' 25, below the
// warning): unstable at both gates, the longest verdict there is. Every
// summary value stays on the page, the verdict whole across its lines.
TEST(DebriefPlot, LongSummaryValuesWrapInsideThePage) {
    recorder::Recording r = Recorded("arrival");
    for (recorder::Sample& s : r.samples) s.glideSlopeDeviation = 40;
    const Plot plot = debrief::BuildDebrief(r);
    std::string values;
    for (const Primitive* p : plot.Find("summary.value")) {
        EXPECT_LE(p->points.at(0).x + 7.4 * p->text.size(), plot.width) << p->text;
        values += p->text + " ";
    }
    EXPECT_NE(values.find("not stable at 1000 and 500 ft "), std::string::npos) << values;
}

TEST(DebriefPlot, FilesAreWrittenWholeOrNamedInTheError) {
    const Plot plot = debrief::BuildDebrief(Recorded("overspeed-failure"));
    const fs::path dir = fs::temp_directory_path() / ("avelune-debrief-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string error;
    ASSERT_TRUE(cairo_debrief::WriteDebrief(plot, (dir / "d.png").string(), error)) << error;
    ASSERT_TRUE(cairo_debrief::WriteDebrief(plot, (dir / "d.svg").string(), error)) << error;
    std::ifstream png(dir / "d.png", std::ios::binary), svg(dir / "d.svg");
    std::string magic(8, '\0');
    png.read(magic.data(), 8);
    EXPECT_EQ(magic, "\x89PNG\r\n\x1a\n");
    std::string head((std::istreambuf_iterator<char>(svg)), {});
    EXPECT_NE(head.find("<svg"), std::string::npos);
    EXPECT_FALSE(cairo_debrief::WriteDebrief(plot, dir.string(), error));  // a folder is not replaced
    EXPECT_NE(error.find(dir.string()), std::string::npos) << error;
    fs::remove_all(dir);
}

}  // namespace
