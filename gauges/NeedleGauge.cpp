#include "game/AveluneView.h"

void CAveluneView::DrawNeedleGauge(int32_t, int32_t, int32_t) {}
int32_t CAveluneView::GaugeJitter() { return 0; }
