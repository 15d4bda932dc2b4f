// State 6 (switch lamps, their effects, the judgement), the warning and
// failure screens, and the arrival screen.
#include "game/AveluneView.h"

void CAveluneView::JudgeApproach() {}
void CAveluneView::ShowWarningScreen() {}
void CAveluneView::ShowFailureScreen() {}
void CAveluneView::ShowArrivalScreen() {}
