// The show's start-up steps in their fixed order, and the frame run-through.
#include "app/startup.h"

#include <GL/freeglut.h>

#include <cmath>

#include "app/clock.h"
#include "app/composer.h"
#include "app/output.h"
#include "app/shell.h"
#include "app/signals.h"
#include "app/usage.h"
#include "assets/assets.h"
#include "audio/music.h"
#include "scroller/scroller.h"

// Tells the entry point's hook, if any, that a step is done.
static void stepDone(void (*onStep)(StartupStep), StartupStep step) {
  if (onStep) onStep(step);
}

void startShow(int argc, char** argv, void (*onStep)(StartupStep done)) {
  protectStandardStreams();
  answerHelpOrVersion(argc, argv);
  watchStopSignals();
  openMusic();
  stepDone(onStep, startupMusicOpened);
  readCommandLine(argc, argv);
  glutInit(&argc, argv);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
  glutInitDisplayMode(GLUT_DOUBLE);
  openDisplaySurface();
  stepDone(onStep, startupSurfaceOpened);
  loadShowImages();
  stepDone(onStep, startupPicturesLoaded);
  initScroller();
  stepDone(onStep, startupScrollerReady);
  registerCallbacks();
  stepDone(onStep, startupCallbacksRegistered);
  startMusic();
}

int runShow() {
  glutMainLoop();
  closeMusic();
  return 0;
}

void loadShow() {
  loadShowImages();
  initScroller();
}

uint32_t frameMs(int64_t frame, int fps) { return uint32_t(llround(double(frame) * 1000.0 / fps)); }

int64_t frameAt(double seconds, int fps) { return llround(seconds * fps); }

void runShowFrame(int64_t frame, int fps, bool shown) {
  const uint32_t ms = frameMs(frame, fps);
  setVirtualClock(ms, ms);
  if (shown) {
    drawScene();
    return;
  }
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 0, 0);
  drawScene();
  glDisable(GL_SCISSOR_TEST);
}
