#include "app/clock.h"

#include <GL/freeglut.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

static bool clockVirtual;        // true after setVirtualClock until useRealClock
static uint32_t virtualElapsed;  // ms, returned by showElapsedMs while virtual
static uint32_t virtualTicks;    // ms, returned by tickCountMs while virtual

uint32_t showElapsedMs() {
  if (clockVirtual) return virtualElapsed;
  return uint32_t(glutGet(GLUT_ELAPSED_TIME));
}

uint32_t tickCountMs() {
  if (clockVirtual) return virtualTicks;
#ifdef _WIN32
  return uint32_t(GetTickCount64());
#else
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
#endif
}

void setVirtualClock(uint32_t elapsedMs, uint32_t tickMs) {
  clockVirtual = true;
  virtualElapsed = elapsedMs;
  virtualTicks = tickMs;
}

void useRealClock() { clockVirtual = false; }
