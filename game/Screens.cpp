// The title picture, the title animation, the information page and the
// second page.
//
// The title pictures are 632 x 439 and shown 632 x 440, the window's client
// area; the information page is shown whole, 640 x 480.
#include <array>

#include "game/AveluneView.h"
#include "game/ScreenLayout.h"

namespace {

// clang-format off
// The animation's three layers and the aircraft crossing below them.
constexpr int16_t kFigureX = 59,    kFigureY = 64;
constexpr int16_t kMotifX = 300,    kMotifY = 67;
constexpr int32_t kAircraftRow = 315;

struct TitleFrame {
    Sprite figure;        // the large picture, three of them in turn
    Sprite motif;         // four pictures, by frame mod 4
    int16_t aircraftX;
    Sprite aircraft;
};

constexpr std::array<TitleFrame, 16> kTitleFrames{{
    // figure                 motif                  x    aircraft
    {sprite::kTitleAnimA,  sprite::kTitleMotif0,  300,  sprite::kAircraftB},  //  0
    {sprite::kTitleAnimB,  sprite::kTitleMotif1,  290,  sprite::kAircraftB},  //  1
    {sprite::kTitleAnimC,  sprite::kTitleMotif2,  280,  sprite::kAircraftB},  //  2
    {sprite::kTitleAnimB,  sprite::kTitleMotif3,  270,  sprite::kAircraftA},  //  3
    {sprite::kTitleAnimA,  sprite::kTitleMotif0,  260,  sprite::kAircraftA},  //  4
    {sprite::kTitleAnimB,  sprite::kTitleMotif1,  275,  sprite::kAircraftA},  //  5
    {sprite::kTitleAnimC,  sprite::kTitleMotif2,  290,  sprite::kAircraftA},  //  6
    {sprite::kTitleAnimB,  sprite::kTitleMotif3,  305,  sprite::kAircraftA},  //  7 (then again at 320)
    {sprite::kTitleAnimA,  sprite::kTitleMotif0,  320,  sprite::kAircraftA},  //  8
    {sprite::kTitleAnimB,  sprite::kTitleMotif1,  335,  sprite::kAircraftB},  //  9
    {sprite::kTitleAnimC,  sprite::kTitleMotif2,  350,  sprite::kAircraftB},  // 10
    {sprite::kTitleAnimB,  sprite::kTitleMotif3,  365,  sprite::kAircraftB},  // 11
    {sprite::kTitleAnimA,  sprite::kTitleMotif0,  380,  sprite::kAircraftB},  // 12
    {sprite::kTitleAnimB,  sprite::kTitleMotif1,  365,  sprite::kAircraftB},  // 13
    {sprite::kTitleAnimC,  sprite::kTitleMotif2,  350,  sprite::kAircraftB},  // 14
    {sprite::kTitleAnimB,  sprite::kTitleMotif3,  320,  sprite::kAircraftB},  // 15
}};
// clang-format on

// Frame 7 draws the aircraft a second time, further on, and shows it again.
constexpr uint32_t kDoubleFrame = 7;
constexpr int16_t kDoubleFrameSecondX = 320;

// The second page is shown several times over, with no wait between.
constexpr int kSecondPageShows = 12;

}  // namespace

void CAveluneView::DrawTitlePicture() {
    Draw(kTitle);
    Draw(kTitlePanel);
    Present(kClientWidth, kClientHeight);
}

// Shown by the first frame of the animation, which covers only parts of it.
void CAveluneView::DrawTitleBackground() { Draw(kTitleBackground); }

void CAveluneView::DrawInformationPage() {
    Draw(kPage);
    Draw(kPageBar);
    ShowSurface(kSurfaceWidth, kSurfaceHeight);
}

void CAveluneView::DrawTitleFrame() {
    const uint32_t f = titleFrame % kTitleFrames.size();
    const TitleFrame& frame = kTitleFrames[f];
    Draw(frame.figure, kFigureX, kFigureY);
    RealizeGamePalette();
    Draw(frame.motif, kMotifX, kMotifY);
    Draw(kTitleStrip);

    // The aircraft bobs by 0, 2, 4 or 6 rows. Nothing restores what lies
    // under it, so where the layers do not reach its earlier copies stay.
    auto drawAircraft = [&](int16_t x) {
        const int32_t row = kAircraftRow + 2 * RandTenThousands();
        Draw(frame.aircraft, x, row);
        ShowSurface(kSurfaceWidth, kSurfaceHeight);
    };
    drawAircraft(frame.aircraftX);
    if (f == kDoubleFrame) drawAircraft(kDoubleFrameSecondX);
}

void CAveluneView::DrawSecondPage() {
    Draw(kTitle);
    Draw(kSecondPanel);
    Draw(kPageBar);
    Draw(kSecondQuit);
    Draw(kSecondBar);
    RealizeGamePalette();
    for (int i = 0; i < kSecondPageShows; ++i) ShowSurface(kClientWidth, kClientHeight);
}
