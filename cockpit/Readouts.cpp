#include "game/AveluneView.h"

void CAveluneView::DrawReadouts() {}
void CAveluneView::DrawIlsReadouts() {}
