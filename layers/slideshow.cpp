#include "layers/layers.h"

const float phaseLength = 8.0f;
const int phaseCount = 7;

void drawSlideshow(float) {}
