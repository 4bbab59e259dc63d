#include "scroller/scroller.h"

void initScroller() {}
void advanceScroller(float) {}
void drawFooterAndScroller(float) {}
