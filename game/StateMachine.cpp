// The tick: one switch on gameState, one named routine per state.
#include "game/AveluneView.h"

void CAveluneView::OnTimer() {
    switch (gameState) {
    case kStateTitlePicture:
        DrawTitlePicture();
        RearmTimer();
        gameState = kStateTitleAnimation;
        DrawTitleBackground();
        break;
    case kStateInformationPage:
        pressMode = kModeInformationPage;
        releaseMode = kModeInformationPage;
        DrawInformationPage();
        KillTimer();  // the page stands still until a button re-arms the tick
        break;
    case kStateTitleAnimation:
        pressMode = kModeTitle;
        releaseMode = kModeTitle;
        titleFrame = (titleFrame + 1 > 15) ? 0 : titleFrame + 1;
        DrawTitleFrame();
        NewFlightSetUp();
        break;
    case kStateCockpit:
        // The cockpit controls are live from the first composition on.
        pressMode = kModeCockpit;
        releaseMode = kModeCockpit;
        ComposeCockpit();
        gameState = kStateJudgement;
        break;
    case kStateJudgement:
        JudgeApproach();
        break;
    case kStateFailure:
        ShowFailureScreen();
        break;
    case kStateWarning:
        ShowWarningScreen();
        break;
    case kStateSecondPage:
        DrawSecondPage();
        break;
    case kStateFlightStep:
        FlyOneSecond();
        break;
    default:  // 2, 5 and anything above 10: nothing happens
        break;
    }
}
