// The show's usage text and version line.
#include "app/usage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/assets.h"

#ifndef KESSIVAR_VERSION
#define KESSIVAR_VERSION "unknown"
#endif

static const char usageHead[] =
    "Usage: kessivar [-window]\n"
    "The invitation intro for Kessivar 2002, 01.-04. August 2002: music and an endless show.\n"
    "\n"
    "  -window    play in a 640x480 window (without it: full screen at 640x480)\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
#ifndef _WIN32
    "\n"
    "On a Wayland desktop (through XWayland) full screen is a window at the screen's size.\n"
#endif
    "\n"
    "Keys: Escape ends the show; space switches the animation's cross-fade off and on\n"
    "and prints \"nofade 1\" or \"nofade 0\" on standard output.\n"
    "\n";

static const char usageTail[] =
#ifdef _WIN32  // no installed layout with a share folder
    "Each is read from the working folder, else from the program's own folder. A missing\n"
    "file is named on standard error and the show goes on without it.\n"
#else
    "Each is read from the working folder, else from the program's own folder, else from\n"
    "<program folder>/../share/kessivar. A missing file is named on standard error and\n"
    "the show goes on without it.\n"
#endif
    "\n"
    "Environment: VIEWING_GAMMA, a positive number (default 1): values above 1 darken\n"
    "the pictures, values below 1 brighten them.\n";

void answerHelpOrVersion(int argc, char** argv) {
  if (argc < 2) return;
  if (strcmp(argv[1], "--help") == 0) {
    fputs(usageHead, stdout);
    printf("Files: %s (the music) and the pictures\n ", musicFileName);
    for (const ShowPictureFile& file : showPictureFiles) printf(" %s", file.name);
    printf("\n");
    fputs(usageTail, stdout);
  } else if (strcmp(argv[1], "--version") == 0) {
    printf("kessivar %s\n", KESSIVAR_VERSION);
  } else {
    return;
  }
  exit(fflush(stdout) == 0 ? 0 : 1);
}
