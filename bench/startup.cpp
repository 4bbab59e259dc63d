// Launch to first frame: the program's own start-up (app/startup.h), then one frame
// drawn, finished and swapped. Prints milliseconds from process launch (the LAUNCH_NS
// environment variable, CLOCK_REALTIME nanoseconds taken just before exec) and from
// main, and each start-up step's share; then ends as Escape does.
// usage: LAUNCH_NS=$(date +%s%N) bench_startup   (in build/show, with a display)
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/shell.h"
#include "app/startup.h"
#include "audio/music.h"

static double mainStart;  // CLOCK_REALTIME seconds at main
static double steps[4];   // CLOCK_REALTIME seconds after: music, display surface, images, scroller

static double realSeconds() {
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

static void firstFrame() {
  onDisplay();
  glFinish();
  const double now = realSeconds();
  const char* launch = getenv("LAUNCH_NS");
  const double launched = launch ? double(strtoull(launch, nullptr, 10)) * 1e-9 : mainStart;
  printf("launch_to_first_frame_ms %.2f\nmain_to_first_frame_ms %.2f\n", (now - launched) * 1e3,
         (now - mainStart) * 1e3);
  printf("music_ms %.2f\ndisplay_ms %.2f\nimages_ms %.2f\nscroller_ms %.2f\nfirst_frame_ms %.2f\n",
         (steps[0] - mainStart) * 1e3, (steps[1] - steps[0]) * 1e3, (steps[2] - steps[1]) * 1e3,
         (steps[3] - steps[2]) * 1e3, (now - steps[3]) * 1e3);
  fflush(stdout);
  closeMusic();
  exit(0);
}

// Notes when each step ends; the first frame is drawn by firstFrame instead of onDisplay.
static void onStartupStep(StartupStep done) {
  if (done == startupCallbacksRegistered) {
    glutDisplayFunc(firstFrame);
    return;
  }
  steps[done] = realSeconds();
}

int main(int argc, char** argv) {
  mainStart = realSeconds();
  startShow(argc, argv, onStartupStep);
  return runShow();
}
