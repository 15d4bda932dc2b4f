#include "game/AveluneView.h"

void CAveluneView::DrawOutsideView() {}
void CAveluneView::ComputeRunwayCorners() {}
void CAveluneView::DrawRunwayOutline() {}
