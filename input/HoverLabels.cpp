// The information page's hover labels.
#include "game/AveluneView.h"

void CAveluneView::OnMouseMove(int, int) {}
