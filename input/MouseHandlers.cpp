// Presses and releases: the hit areas of each input mode (input/ControlTables.h).
//
// A hit draws its button's picture into the surface and, as a rule, shows
// the surface at once, so the player sees the button move before the next
// tick. Changes to the flight state are only read by the next tick.
#include "game/Arith.h"
#include "game/AveluneView.h"
#include "input/ControlTables.h"

namespace {

using namespace controls;

// One click of the pad or a pedal. Pitch and the attitude picture's row
// move opposite ways, so horizonRow + pitch stays 99; a turn banks the
// picture the other way from the heading.
void Steer(CAveluneView& v, int32_t pitchStep, int32_t turnStep) {
    v.pitch = Low16(WrapAdd(v.pitch, pitchStep));
    v.horizonRow -= static_cast<uint32_t>(pitchStep);
    v.horizonColumn = WrapSub(v.horizonColumn, turnStep);
    v.bank = Low16(WrapAdd(v.bank, turnStep));
    v.compassHeading += static_cast<uint32_t>(turnStep);
    v.turnRate = WrapAdd(v.turnRate, turnStep);
}

void DrawPicture(CAveluneView& v, const Placed& picture) {
    if (HasPicture(picture)) v.Draw(picture);
}

void Press(CAveluneView& v, const PressRow& row) {
    if (row.action == kStartPress) {
        // The tick is re-armed first so the title screen's next frame, 100 ms
        // on, is what shows the pressed button.
        v.RearmTimer();
        DrawPicture(v, row.picture);
        v.RealizeGamePalette();
        return;
    }
    DrawPicture(v, row.picture);
    switch (row.action) {
    case kSteer: Steer(v, row.a, row.b); break;
    case kPowerSet: v.power = static_cast<uint32_t>(row.a); break;
    case kPowerAdd: v.power += static_cast<uint32_t>(row.a); break;
    case kSetSwitch:
    case kPageSwitchOn: v.*row.member = static_cast<uint32_t>(row.a); break;
    case kRestart:
        v.RestartApproach();
        v.RearmTimer();  // the tick may have stopped on a result screen
        break;
    default: break;
    }
    v.Present();
    switch (row.action) {
    case kContinuePress: v.gameState = kStateSecondPage; break;  // drawn once the release re-arms the tick
    case kPageSwitchOn: v.gameState = kStateInformationPage; break;
    case kQuit: v.host().PostQuit(); break;
    default: break;
    }
}

// Returns false when the handler must stop (the program is ending).
bool Release(CAveluneView& v, const ReleaseRow& row) {
    DrawPicture(v, row.picture);
    v.Present();
    switch (row.action) {
    case kStartRelease: v.gameState = kStateCockpit; break;
    case kMiddleRelease: break;
    case kQuitRelease: v.host().PostQuit(); return false;
    case kBackRelease:
        // The title animation's background goes up at once, before the title
        // picture of the next tick.
        v.Draw(sprite::kTitleBackgroundFull, 0, 0);
        v.ShowSurface(kClientWidth, kClientHeight);
        v.RearmTimer();
        v.gameState = kStateTitlePicture;
        break;
    case kPageRelease: v.gameState = kStateInformationPage; break;
    case kContinueRelease:
        v.RearmTimer();
        v.gameState = kStateSecondPage;
        v.pressMode = kModeCockpit;
        break;
    }
    return true;
}

}  // namespace

void CAveluneView::OnLButtonDown(int x, int y) {
    // The areas of one mode never overlap, so at most one row acts.
    for (const PressRow& row : PressAreas(pressMode)) {
        if (ContainsInclusive(row.area, x, y)) Press(*this, row);
    }
}

void CAveluneView::OnLButtonUp(int x, int y) {
    for (const ReleaseRow& row : ReleaseAreas(releaseMode)) {
        if (ContainsInclusive(row.area, x, y) && !Release(*this, row)) return;
    }
}
