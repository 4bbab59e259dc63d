// The show's own work per frame, with the OpenGL driver replaced by no-ops (nullgl.cpp):
// loads the show's files from the working directory, then draws frames on the virtual
// clock at 60 Hz from show time 10 s (scene frames). Prints the mean time per frame;
// run under callgrind with --toggle-collect='drawScene*' for instruction counts.
// usage: bench_frame [frames]   (in build/show)
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/clock.h"
#include "app/composer.h"
#include "assets/assets.h"
#include "scroller/scroller.h"

static double nowSeconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

int main(int argc, char** argv) {
  const int frames = argc > 1 ? atoi(argv[1]) : 3000;
  loadShowImages();
  initScroller();
  resetComposer();
  const double start = nowSeconds();
  for (int k = 0; k < frames; ++k) {
    const uint32_t ms = 10000 + uint32_t(k * 1000 / 60);
    setVirtualClock(ms, ms);
    drawScene();
  }
  const double seconds = nowSeconds() - start;
  printf("frames %d\nown_cpu_us_per_frame %.2f\n", frames, seconds * 1e6 / frames);
  return 0;
}
