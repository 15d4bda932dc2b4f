// State 10: one simulated second of flight.
#include "game/AveluneView.h"

void CAveluneView::FlyOneSecond() {}
