// This machine's floor for launch to first frame: a GLUT program that does nothing but
// open the same 640x480 double-buffered window, clear it, swap and finish. Whatever the
// show spends beyond this figure is its own start-up.
// usage: LAUNCH_NS=$(date +%s%N) bench_floor   (with a display)
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

static double realSeconds() {
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

static void onDisplay() {
  glClear(GL_COLOR_BUFFER_BIT);
  glutSwapBuffers();
  glFinish();
  const char* launch = getenv("LAUNCH_NS");
  const double launched = launch ? double(strtoull(launch, nullptr, 10)) * 1e-9 : 0.0;
  if (launch) printf("floor_launch_to_first_frame_ms %.2f\n", (realSeconds() - launched) * 1e3);
  exit(0);
}

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE);
  glutInitWindowPosition(100, 100);
  glutInitWindowSize(640, 480);
  glutCreateWindow("floor");
  glutDisplayFunc(onDisplay);
  glutMainLoop();
  return 0;
}
