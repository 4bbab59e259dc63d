#include "layers/layers.h"

void drawWriterStrips(float) {}
