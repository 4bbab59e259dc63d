// Kessivar 2002: the show's start-up, then the toolkit's main loop.
#include "app/startup.h"

int main(int argc, char** argv) {
  startShow(argc, argv);
  return runShow();
}
