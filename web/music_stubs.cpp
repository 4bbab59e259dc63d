// The music on a page: the page plays its own (music.js, started by the visitor's tap),
// so the show's three calls into the audio module have nothing to do here.
#include "audio/music.h"

void openMusic() {}
void startMusic() {}
void closeMusic() {}
