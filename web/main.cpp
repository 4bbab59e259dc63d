// The show in a browser: the show's start-up (app/startup.h), composer and layers driven
// by the page. The page (web/page.js) fetches the show's files into the in-memory file system
// before main runs, then has its pictures bound a part at a time (webLoadPicture), each a
// task of its own, calls webStartShow on the viewer's first click, tap or key,
// webKey for keys, webStopShow on Escape and webResize when the canvas changes size.
// With index.html#t=SECONDS it asks for one still instead (webDrawStill) and starts no
// show.
#include <GL/freeglut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdint>

#include "app/clock.h"
#include "app/composer.h"
#include "app/shell.h"
#include "app/startup.h"
#include "assets/assets.h"
#include "capture/capture.h"
#include "images/images.h"
#include "scroller/scroller.h"
#include "scroller/typeset.h"

static bool showRunning;      // between webStartShow and webStopShow
static double showStartedAt;  // emscripten_get_now() at webStartShow, ms

// Show time for the composer: milliseconds since the gesture that started the show,
// on both of its clocks (as the capture drives them).
static void setShowClock() {
  const uint32_t ms = uint32_t(emscripten_get_now() - showStartedAt);
  setVirtualClock(ms, ms);
}

// One animation frame of the browser: a show frame while the show runs.
static void onAnimationFrame() {
  if (!showRunning) return;
  setShowClock();
  onDisplay();
}

extern "C" {

// The next part of one picture of the show's (assets/show_files.txt), by its place in the
// table, at most about `pixels` pixels: loadShow (app/startup.cpp) in pieces, which a
// browser would run as one task too long for a phone to answer a tap meanwhile. Returns 1
// while the picture has more. The page calls it in tasks of their own, a picture's parts in
// turn, the pictures in any order as their files come in, then calls webLoadDone.
EMSCRIPTEN_KEEPALIVE int webLoadPicture(int picture, int pixels) {
  return loadShowImagePart(picture, unsigned(pixels));
}

// The rest of loadShow once every picture is bound: the scroller, from the font.
EMSCRIPTEN_KEEPALIVE void webLoadDone() {
  freeImageBuffer();
  initScroller();
}

// The show from show time 0, as a fresh launch has it; the page plays its music
// (web/music.js), following the show's time from this call on.
EMSCRIPTEN_KEEPALIVE void webStartShow() {
  if (showRunning) return;
  resetComposer();
  resetScroller();
  showStartedAt = emscripten_get_now();
  showRunning = true;
  setShowClock();
  onDisplay();
}

// Escape: the picture goes black, ready for webStartShow again.
EMSCRIPTEN_KEEPALIVE void webStopShow() {
  if (!showRunning) return;
  showRunning = false;
  glClear(GL_COLOR_BUFFER_BIT);
}

// The canvas now has width x height pixels: the show's 4:3 picture goes in the middle,
// between black bars, as in a native window of that size.
EMSCRIPTEN_KEEPALIVE void webResize(int width, int height) {
  onReshape(width, height);
  glClear(GL_COLOR_BUFFER_BIT);
}

// A key while the show runs; the show's keyboard callback handles space (the one key it
// knows besides Escape, which the page gives to webStopShow).
EMSCRIPTEN_KEEPALIVE void webKey(int key) {
  if (showRunning && key == ' ') onKeyboard(' ', 0, 0);
}

// Draws the moment at show time seconds as the capture would at its default frame
// rate, showFrameRate: every frame from 0 is run through with its pixels scissored away,
// so the rate re-rolls and the scroller are where a run from 0 has them; the last is
// drawn. Times are limited to what the capture accepts (0..captureMaxSeconds); the
// run-through costs the browser about 0.4 ms per show frame (1.5 s per minute of show time).
EMSCRIPTEN_KEEPALIVE void webDrawStill(double seconds) {
  const int64_t last = frameAt(std::clamp(seconds, 0.0, captureMaxSeconds), showFrameRate);
  resetComposer();
  resetScroller();
  for (int64_t frame = 0; frame <= last; ++frame) runShowFrame(frame, showFrameRate, frame == last);
}

}  // extern "C"

// The page's own surface, the canvas, at the size the page gave it (setting a size here
// would make the browser build the context's pixels twice); the show's loading follows
// in steps (webLoadPicture); the music is the page's (web/music.js), and the browser's
// animation frames take the place of the main loop.
int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE);
  glutCreateWindow(showTitle);
  int width = 640, height = 480;
  emscripten_get_canvas_element_size("#canvas", &width, &height);
  onReshape(width, height);
  EM_ASM({ document.title = UTF8ToString($0); }, showTitle);
  emscripten_set_main_loop(onAnimationFrame, 0, false);
  return 0;
}
