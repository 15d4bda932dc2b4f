// The information page's hover labels: which rows a point lies in, what
// each draws, and that each acting row shows the window on its own.
#include <gtest/gtest.h>

#include "input/ControlTables.h"
#include "tests/RecordingHost.h"

namespace {

// clang-format off
const Placed kNone            = controls::kNoPicture;
const Placed kStrip           {  0, 366, sprite::kPageStrip};
const Placed kView            { 17,  17, sprite::kPageView};
const Placed kPanel           { 34, 366, sprite::kMessagePanel};
const Placed kSignals         {235, 388, sprite::kLabelSignals};
const Placed kLift            { 54, 385, sprite::kLabelLift};
const Placed kOutsideView     { 80, 385, sprite::kLabelOutsideView};
const Placed kIls             {110, 388, sprite::kLabelIls};
const Placed kAltitude        {188, 388, sprite::kLabelAltitude};
const Placed kClimbRate       {109, 388, sprite::kLabelClimbRate};
const Placed kControlPad      {148, 386, sprite::kLabelControlPad};
const Placed kPedals          {158, 386, sprite::kLabelPedals};
const Placed kRestart         {214, 388, sprite::kLabelRestart};
const Placed kCockpitPreview  {134,  34, sprite::kPreviewCockpit};
const Placed kApproachPreview {134,  34, sprite::kPreviewApproach};
// clang-format on

struct Probe {
    int x, y;
    const char* where;
    int presents;       // one per row the point lies in
    Placed first;       // shown by the first presentation (kNone: not checked)
    Placed last;        // on the surface at the end (kNone: not checked)
};

// clang-format off
const Probe kProbes[] = {
    {  0, 100, "x 0 clears nothing",            0, kNone,        kNone},
    {100,   0, "y 0 clears nothing",            0, kNone,        kNone},
    {640, 100, "beyond the top band",           0, kNone,        kNone},
    {  1,   1, "top band, first pixel",         1, kStrip,       kStrip},
    {639, 154, "top band, last pixel",          1, kStrip,       kStrip},
    { 40, 165, "signals",                       1, kSignals,     kSignals},
    {130, 200, "ILS",                           1, kIls,         kIls},
    {136, 200, "right of the ILS",              1, kStrip,       kStrip},
    {360, 160, "altitude",                      1, kAltitude,    kAltitude},
    {365, 170, "above the climb rate",          1, kStrip,       kStrip},
    {380, 200, "climb rate",                    1, kClimbRate,   kClimbRate},
    {390, 200, "right of the climb rate",       1, kStrip,       kStrip},
    {100, 340, "lift, with the view",           1, kLift,        kView},
    {200, 340, "outside view, with the view",   1, kOutsideView, kView},
    {560, 340, "restart, keyed 22",             1, kRestart,     kRestart},
    {300, 355, "pad middle row",                1, kStrip,       kStrip},
    {281, 342, "pad, then left pedal",          2, kControlPad,  kPedals},
    { 10, 400, "left margin and bottom strip",  2, kStrip,       kStrip},
    { 20, 293, "rule, then left margin",        2, kStrip,       kStrip},
    {270, 320, "beside the pad, twice",         2, kStrip,       kStrip},
    {100, 380, "preview, then bottom strip",    2, kCockpitPreview, kCockpitPreview},
    {420, 390, "preview on continue",           2, kApproachPreview, kApproachPreview},
    { 70, 420, "bottom strip, panel left end",  2, kStrip,       kView},
    {150, 368, "bottom strip, panel top edge",  2, kStrip,       kView},
};
// clang-format on

TEST(HoverLabels, EveryRowAPointLiesInActsAndShowsOnItsOwn) {
    for (const Probe& p : kProbes) {
        SCOPED_TRACE(p.where);
        FramesView v;
        v->pressMode = kModeInformationPage;
        FlightState before = *v;
        v->OnMouseMove(p.x, p.y);
        std::vector<std::string> want;
        for (int i = 0; i < p.presents; ++i) want = Calls({want, kPresent});
        EXPECT_EQ(v.host.calls, want);
        EXPECT_EQ(RecordDiff(before, *v), "") << "the labels change nothing of the flight";
        if (controls::HasPicture(p.first)) {
            ASSERT_FALSE(v.host.frames.empty());
            EXPECT_TRUE(FrameShowsSprite(v.host.frames.front(), p.first));
        }
        if (controls::HasPicture(p.last)) {
            EXPECT_TRUE(ShowsSprite(*v, p.last));
        }
        if (p.presents == 0) {
            for (int y = 0; y < kSurfaceHeight; ++y) {
                for (int x = 0; x < kSurfaceWidth; ++x) ASSERT_EQ(v->PixelAt(x, y), 0);
            }
        }
    }
}

TEST(HoverLabels, TheSecondOfTwoLabelsReplacesTheFirst) {
    FramesView v;
    v->pressMode = kModeInformationPage;
    v->OnMouseMove(281, 342);
    ASSERT_EQ(v.host.frames.size(), 2u);
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[0], kControlPad));
    EXPECT_FALSE(FrameShowsSprite(v.host.frames[0], kPedals));
    EXPECT_TRUE(FrameShowsSprite(v.host.frames[1], kPedals));
    // The panel was redrawn between them, so nothing of the first label
    // survives outside the second.
    EXPECT_FALSE(FrameShowsSprite(v.host.frames[1], kControlPad));
}

TEST(HoverLabels, APreviewStaysUntilARowRedrawsTheView) {
    RecordedView v;
    v->pressMode = kModeInformationPage;
    v->OnMouseMove(100, 380);  // the cockpit preview
    ASSERT_TRUE(WindowShowsSprite(v.host, kCockpitPreview));
    v->OnMouseMove(50, 100);   // the top band clears only the label strip
    v->OnMouseMove(40, 165);   // a label
    v->OnMouseMove(300, 355);
    EXPECT_TRUE(WindowShowsSprite(v.host, kCockpitPreview));
    v->OnMouseMove(70, 420);   // the panel's left end redraws the view
    EXPECT_FALSE(WindowShowsSprite(v.host, kCockpitPreview));
    EXPECT_TRUE(WindowShowsSprite(v.host, kView));
}

TEST(HoverLabels, TheLabelPanelComesBeforeTheLabel) {
    RecordedView v;
    v->pressMode = kModeInformationPage;
    v->OnMouseMove(40, 165);
    EXPECT_TRUE(ShowsSprite(*v, kSignals));
    // Around the label, the panel itself.
    EXPECT_TRUE(ShowsSprite(*v, {34, 366, {0, 770, 556, 20, 255}}));
}

TEST(HoverLabels, OnlyTheInformationPageHasThem) {
    for (uint32_t mode : {0u, 2u, 3u}) {
        RecordedView v;
        v->pressMode = mode;
        for (const Probe& p : kProbes) v->OnMouseMove(p.x, p.y);
        EXPECT_TRUE(v.host.calls.empty()) << mode;
    }
}

// Rows that show a label keep it inside the panel, and the pictures lie
// inside the surface, which the blitter relies on.
TEST(HoverLabels, RowsDrawInsideThePanelAndTheSurface) {
    for (const auto& row : controls::kHoverRows) {
        SCOPED_TRACE(row.name);
        const Placed& p = row.picture;
        if (!controls::HasPicture(p)) continue;
        EXPECT_LE(p.x + p.sprite.width, kSurfaceWidth);
        EXPECT_LE(p.y + p.sprite.height, kSurfaceHeight);
        if (row.steps[0] == controls::kPicture) continue;  // a preview
        EXPECT_GE(p.x, controls::kLabelPanel.x);
        EXPECT_GE(p.y, controls::kLabelPanel.y);
        EXPECT_LE(p.x + p.sprite.width, controls::kLabelPanel.x + controls::kLabelPanel.sprite.width);
        EXPECT_LE(p.y + p.sprite.height, controls::kLabelPanel.y + controls::kLabelPanel.sprite.height);
    }
}

}  // namespace
