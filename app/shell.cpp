// Start-up pieces, the toolkit callbacks and shutdown.
#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/composer.h"
#include "app/output.h"
#include "app/shell.h"
#include "app/signals.h"
#include "audio/music.h"
#include "screen/fit.h"

static int fullScreen = 1;   // 0 with "-window"; written once by readCommandLine
static bool gameModeActive;  // the toolkit's game mode was entered (else a window exists)

void readCommandLine(int argc, char** argv) {
  fullScreen = 1;
  if (argc > 1 && strncmp(argv[1], "-window", 7) == 0) fullScreen = 0;
}

// A window filling the screen, for when the full-screen video mode is not available.
static void openFullScreenWindow() {
  glutInitWindowPosition(0, 0);
  glutInitWindowSize(640, 480);
  glutCreateWindow(showTitle);
  glutFullScreen();
}

void openDisplaySurface() {
  if (fullScreen) {
    glutGameModeString("640x480:16@60");
    glutEnterGameMode();
    gameModeActive = glutGameModeGet(GLUT_GAME_MODE_ACTIVE) != 0;
    if (gameModeActive) {
      glutSetWindowTitle(showTitle);  // the toolkit's own name for it is "FREEGLUT"
    } else {
      fprintf(stderr, "kessivar: full-screen mode 640x480:16@60 not available, using a full-screen window\n");
      openFullScreenWindow();
    }
    glutSetCursor(GLUT_CURSOR_NONE);
    return;
  }
  glutInitWindowPosition(100, 100);
  glutInitWindowSize(640, 480);
  glutCreateWindow(showTitle);
}

void registerCallbacks() {
  glutReshapeFunc(onReshape);
  glutKeyboardFunc(onKeyboard);
  glutDisplayFunc(onDisplay);
  glutIdleFunc(onIdle);
}

void onDisplay() {
  drawScene();
  glutSwapBuffers();
}

// Closes the music, then leaves the game mode (the desktop's video mode comes back)
// or destroys the window.
static void closeShow() {
  closeMusic();
  if (gameModeActive)
    glutLeaveGameMode();
  else
    glutDestroyWindow(glutGetWindow());
}

// Runs every pass of the main loop: pending output goes out, a stop signal ends the show.
void onIdle() {
  flushOutput();
  if (const int signal = stopSignal()) {
    closeShow();
    endBySignal(signal);
  }
  glutPostRedisplay();
}

void onKeyboard(unsigned char key, int, int) {
  if (key == ' ') {
    noFade = 1 - noFade;
    writeOutputLine(noFade ? "nofade 1\n" : "nofade 0\n");
  } else if (key == 27) {
    closeShow();
    exit(0);
  }
}

// The virtual screen at its largest 4:3 size, centred; the rest of the surface stays as
// drawScene clears it, black. In game mode only the video mode's area (the window's
// top-left corner) is on the monitor, whatever the window's size.
void onReshape(int width, int height) {
  int areaWidth = width, areaHeight = height;
  if (gameModeActive) {
    const int modeWidth = glutGameModeGet(GLUT_GAME_MODE_WIDTH);
    const int modeHeight = glutGameModeGet(GLUT_GAME_MODE_HEIGHT);
    if (modeWidth > 0 && modeWidth < areaWidth) areaWidth = modeWidth;
    if (modeHeight > 0 && modeHeight < areaHeight) areaHeight = modeHeight;
  }
  const ScreenRect fit = fitVirtualScreen(areaWidth, areaHeight);
  glViewport(fit.x, height - fit.y - fit.height, fit.width, fit.height);  // GL: y upwards
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, screenWidth, screenHeight, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
