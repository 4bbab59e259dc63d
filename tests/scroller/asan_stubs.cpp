// What the scroller takes from the rest of the show, for the sanitized build of it alone.
#include "app/app.h"

pngRawInfo fontImage;
unsigned footerTexture;
void drawQuad(float, float, int, int, float, float, float, float) {}
