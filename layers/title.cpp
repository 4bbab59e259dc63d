#include "layers/layers.h"

void drawTitleScreen(float) {}
