// The title picture, the title animation, the information page and the
// second page.
#include "game/AveluneView.h"

void CAveluneView::DrawTitlePicture() {}
void CAveluneView::DrawTitleBackground() {}
void CAveluneView::DrawTitleFrame() {}
void CAveluneView::DrawInformationPage() {}
void CAveluneView::DrawSecondPage() {}
