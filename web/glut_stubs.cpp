// GLUT calls that emscripten's GLUT lacks. A page has one canvas for its whole life and
// the browser owns full screen, so there is no game mode and no window to destroy.
#include <GL/freeglut.h>

extern "C" {
void glutSetOption(GLenum, int) {}
void glutGameModeString(const char*) {}
int glutEnterGameMode() { return 0; }
void glutLeaveGameMode() {}
int glutGameModeGet(GLenum) { return 0; }
int glutGetWindow() { return 1; }
}
