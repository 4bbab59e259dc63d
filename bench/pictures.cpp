// The pictures' share of start-up, step by step: opens the show's window, loads the
// show's pictures as start-up does and prints the milliseconds of each loader step.
// usage: bench_pictures   (in build/show, with a display)
#include <GL/freeglut.h>

#include <cstdio>
#include <ctime>

#include "assets/assets.h"
#include "images/images.h"

static double monotonicMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

static double stepMs[pictureStepCount];  // milliseconds in each loader step
static double stepEnded;                 // monotonicMs() when the last step ended

static void onStepEnd(PictureStep step) {
  const double now = monotonicMs();
  stepMs[step] += now - stepEnded;
  stepEnded = now;
}

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE);
  glutInitWindowSize(640, 480);
  glutCreateWindow("pictures");
  onPictureStepEnd = onStepEnd;
  const double start = stepEnded = monotonicMs();
  loadShowImages();
  const double total = monotonicMs() - start;
  const double* s = stepMs;
  printf(
      "pictures_ms %.2f\nreading_ms %.2f\ndecoding_ms %.2f\ngamma_ms %.2f\npadding_ms %.2f\nupload_ms %.2f\n",
      total, s[pictureReading], s[pictureDecoding], s[pictureGamma], s[picturePadding], s[pictureUpload]);
  return 0;
}
