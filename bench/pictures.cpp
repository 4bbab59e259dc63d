// The pictures' share of start-up, step by step: opens the show's window, loads the
// show's pictures as start-up does and prints the milliseconds of each loader step.
// usage: bench_pictures   (in build/show, with a display)
#include <GL/freeglut.h>

#include <cstdio>
#include <ctime>

#include "assets/assets.h"

static double monotonicMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE);
  glutInitWindowSize(640, 480);
  glutCreateWindow("pictures");
  const double start = monotonicMs();
  loadShowImages();
  const double total = monotonicMs() - start;
  const double* s = pictureStepSeconds;
  printf(
      "pictures_ms %.2f\nreading_ms %.2f\ndecoding_ms %.2f\ngamma_ms %.2f\npadding_ms %.2f\nupload_ms %.2f\n",
      total, s[pictureReading] * 1e3, s[pictureDecoding] * 1e3, s[pictureGamma] * 1e3,
      s[picturePadding] * 1e3, s[pictureUpload] * 1e3);
  return 0;
}
