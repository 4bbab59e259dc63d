// Frame pacing of the real start-up and main loop: after the title phase, the times of
// 3000 consecutive frames (display callback to display callback, swap included).
// Prints median, 99th percentile, their ratio and the longest frame, in ms.
// usage: bench_pacing -window   (in build/show, with a display)
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/clock.h"
#include "app/shell.h"
#include "app/startup.h"
#include "audio/music.h"

static const int frameCount = 3000;
static std::vector<double> frameTimes;  // ms, reserved before the loop
static double lastFrame = -1;

static double monotonicMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

static void report() {
  std::vector<double> sorted = frameTimes;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  const double p99 = sorted[size_t(sorted.size() * 0.99)];
  printf("frames %zu\nmedian_ms %.3f\np99_ms %.3f\np99_over_median %.2f\nmax_ms %.3f\n", sorted.size(),
         median, p99, p99 / median, sorted.back());
}

static void timedDisplay() {
  onDisplay();
  if (showElapsedMs() < 10500) return;  // the scene, half a second in
  const double now = monotonicMs();
  if (lastFrame >= 0) frameTimes.push_back(now - lastFrame);
  lastFrame = now;
  if (int(frameTimes.size()) == frameCount) {
    report();
    closeMusic();
    exit(0);
  }
}

// The frames are timed by timedDisplay instead of onDisplay.
static void onStartupStep(StartupStep done) {
  if (done == startupCallbacksRegistered) glutDisplayFunc(timedDisplay);
}

int main(int argc, char** argv) {
  frameTimes.reserve(frameCount);
  startShow(argc, argv, onStartupStep);
  return runShow();
}
