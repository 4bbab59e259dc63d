// Kessivar 2002: start-up in its fixed order, then the toolkit's main loop.
#include <GL/freeglut.h>

#include "app/output.h"
#include "app/shell.h"
#include "app/signals.h"
#include "app/usage.h"
#include "assets/assets.h"
#include "audio/music.h"
#include "scroller/scroller.h"

int main(int argc, char** argv) {
  protectStandardStreams();
  answerHelpOrVersion(argc, argv);
  watchStopSignals();  // acted on by onIdle once the main loop runs
  openMusic();
  readCommandLine(argc, argv);
#ifdef _WIN32
  // freeglut takes DISPLAY, an X variable that wine passes on, as the name of a Windows
  // display device: its metrics and video modes are then read from nowhere.
  _putenv("DISPLAY=");
#endif
  glutInit(&argc, argv);
  // Closing the window from the window manager ends the loop, so the music is closed.
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
  glutInitDisplayMode(GLUT_DOUBLE);
  openDisplaySurface();
  loadShowImages();
  initScroller();
  registerCallbacks();
  startMusic();
  glutMainLoop();
  closeMusic();
  return 0;
}
