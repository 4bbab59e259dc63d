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

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#endif

static int fullScreen = 1;       // 0 with "-window"; written once by readCommandLine
static const char* displayName;  // "-display NAME" as the toolkit takes it, else null (DISPLAY)
static bool gameModeActive;      // the toolkit's game mode was entered (else a window exists)

void readCommandLine(int argc, char** argv) {
  fullScreen = 1;
  if (argc > 1 && strncmp(argv[1], "-window", 7) == 0) fullScreen = 0;
  displayName = nullptr;
  for (int i = 1; i + 1 < argc; ++i)
    if (strcmp(argv[i], "-display") == 0) displayName = argv[i + 1];
}

// Whether the X server is XWayland, the X server of a Wayland desktop. Its video modes are
// only emulated, by scaling a window to the whole output, and some versions crash on the
// toolkit's video-mode requests. XWayland 23.1 and later announce an extension of that
// name; earlier ones (Debian 12 has 22.1) name their RandR outputs "XWAYLAND<n>". Asked on a
// connection of our own to the toolkit's display, closed again at once.
static bool onXWayland() {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
  Display* display = XOpenDisplay(displayName);
  if (!display) return false;
  int opcode, event, error;
  bool found = XQueryExtension(display, "XWAYLAND", &opcode, &event, &error);
  if (!found && XRRQueryExtension(display, &event, &error)) {
    XRRScreenResources* screen = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    for (int i = 0; screen && i < screen->noutput && !found; ++i) {
      XRROutputInfo* output = XRRGetOutputInfo(display, screen, screen->outputs[i]);
      found = output && strncmp(output->name, "XWAYLAND", 8) == 0;
      if (output) XRRFreeOutputInfo(output);
    }
    if (screen) XRRFreeScreenResources(screen);
  }
  XCloseDisplay(display);
  return found;
#else
  return false;
#endif
}

// A window filling the screen, for when the full-screen video mode is not available or
// not real (XWayland).
static void openFullScreenWindow() {
  glutInitWindowPosition(0, 0);
  glutInitWindowSize(640, 480);
  glutCreateWindow(showTitle);
  glutFullScreen();
}

void openDisplaySurface() {
  if (fullScreen && onXWayland()) {
    fprintf(stderr,
            "kessivar: XWayland: full screen is a window at the screen's own size, without a video mode\n");
    openFullScreenWindow();
    glutSetCursor(GLUT_CURSOR_NONE);
    return;
  }
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
