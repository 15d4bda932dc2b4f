// State 4: the whole cockpit picture, composed afresh every flight cycle.
#include "game/AveluneView.h"

void CAveluneView::ComposeCockpit() {}
