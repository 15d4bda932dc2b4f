#include "game/AveluneView.h"

void CAveluneView::DrawAirspeedIndicator() {}
