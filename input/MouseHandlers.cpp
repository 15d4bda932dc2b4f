// Presses and releases: the hit areas of each input mode.
#include "game/AveluneView.h"

void CAveluneView::OnLButtonDown(int, int) {}
void CAveluneView::OnLButtonUp(int, int) {}
