#include "game/AveluneView.h"

void CAveluneView::DrawPanelGauges() {}
