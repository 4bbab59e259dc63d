// The capture's command line, GNU style (getopt_long): --fps 30, --fps=30, -f 30.
#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "capture/capture.h"

// The usage, with the default frame rate (showFrameRate) for its one %d.
static const char* const captureHelp =
    "Usage: kessivar-capture [OPTION]... (--frames DIR | --video FILE)\n"
    "Draws the Kessivar 2002 show offscreen (no window, no display needed) on a virtual\n"
    "clock and writes numbered PNG frames or a video with the music.\n"
    "\n"
    "  -f, --fps N          frames per second of show time, 1..1000 (default %d)\n"
    "  -s, --start SECONDS  show time of the first frame (default 0)\n"
    "  -e, --end SECONDS    show time to stop before (default 66: the title and one\n"
    "                       round of the cards); at most 86400\n"
    "  -a, --at T[,T...]    only the frames at these show times (--frames only), in\n"
    "                       ascending order, at most 64\n"
    "  -o, --frames DIR     write DIR/frame-000000.png, frame-000001.png, ...\n"
    "  -v, --video FILE     write a video through ffmpeg; the extension picks the\n"
    "                       format (.mp4, .mkv, .webm, ...); an existing FILE is replaced\n"
    "  -d, --show-dir DIR   read the show's pictures and ninja.wav from DIR only (default:\n"
    "                       like the show, the working directory, else the program's\n"
    "                       folder, else ../share/kessivar beside it); outputs stay\n"
    "                       relative to the working directory\n"
    "      --size WxH       pixels per frame (default 640x480); the show's 640x480\n"
    "                       screen is scaled to the largest 4:3 size that fits,\n"
    "                       centred between black bars (1920x1080: 1440x1080)\n"
    "  -h, --help           show this help and exit\n"
    "\n"
    "Time: show frame i is drawn with the show clock and the tick counter both at\n"
    "round(i * 1000 / fps) ms, the reading a display of that frame rate would give;\n"
    "frame 0 is show time 0. The capture covers frames round(start * fps) up to\n"
    "round(end * fps), not included. Everything before the first frame is run through\n"
    "(without drawing pixels), so the animation's rate changes and the scroller's text\n"
    "are exactly what a run from show time 0 at this frame rate would have.\n"
    "Sync: the music starts at show time 0 and restarts from its beginning whenever it\n"
    "ends, as the show loops it; a video starting at show time S starts the music at S\n"
    "(wrapped by the loop) and is cut to the frames' length. (The real show starts its\n"
    "music a moment after its clock, once the pictures are loaded.)\n"
    "Same options, same machine: byte-identical frames. VIEWING_GAMMA in the environment\n"
    "brightens or darkens the pictures as it does for the show.\n"
    "Exit status: 0 done, 1 the capture failed, 2 bad options.\n";

// One line about a bad option; returns 2 for parseCaptureOptions.
static int usageError(const char* what, const char* value) {
  fprintf(stderr, "kessivar-capture: %s%s%s (try --help)\n", what, value ? ": " : "", value ? value : "");
  return 2;
}

// A whole number in [low, high], the whole text read.
static bool readInt(const char* text, int low, int high, int* value) {
  char* rest;
  errno = 0;
  const long v = strtol(text, &rest, 10);
  if (rest == text || *rest != 0 || errno != 0 || v < low || v > high) return false;
  *value = int(v);
  return true;
}

// A show time in seconds, 0..captureMaxSeconds, the whole text read.
static bool readSeconds(const char* text, double* value) {
  char* rest;
  const double v = strtod(text, &rest);
  if (rest == text || *rest != 0 || !std::isfinite(v) || v < 0 || v > captureMaxSeconds) return false;
  *value = v;
  return true;
}

// "T,T,...": ascending after sorting, at most captureMaxStills.
static bool readStills(const char* text, CaptureOptions* o) {
  char item[64];
  o->stillCount = 0;
  for (const char* p = text;;) {
    const char* comma = strchr(p, ',');
    const size_t length = comma ? size_t(comma - p) : strlen(p);
    if (length == 0 || length >= sizeof item || o->stillCount == captureMaxStills) return false;
    memcpy(item, p, length);
    item[length] = 0;
    if (!readSeconds(item, &o->stills[o->stillCount++])) return false;
    if (!comma) break;
    p = comma + 1;
  }
  std::sort(o->stills, o->stills + o->stillCount);
  return true;
}

static bool readSize(const char* text, CaptureOptions* o) {
  int w, h, used = 0;
  if (sscanf(text, "%dx%d%n", &w, &h, &used) != 2 || text[used] != 0) return false;
  if (w < 16 || h < 16 || w > 4096 || h > 4096) return false;
  o->width = w;
  o->height = h;
  return true;
}

// The combinations the options must make sense in.
static int checkCaptureOptions(const CaptureOptions* o, bool endGiven) {
  if (o->framesDir.empty() == o->videoFile.empty())
    return usageError("give exactly one of --frames DIR and --video FILE", nullptr);
  if (!o->videoFile.empty() && (o->width % 2 || o->height % 2))
    return usageError("a video needs an even --size (its colour is stored at half size)", nullptr);
  if (o->stillCount > 0) {
    if (!o->videoFile.empty()) return usageError("--at makes stills: use it with --frames", nullptr);
    return 0;
  }
  if (frameAt(o->end, o->fps) <= frameAt(o->start, o->fps))
    return usageError(endGiven ? "--end must be at least one frame after --start"
                               : "--start must be before --end (default 66)",
                      nullptr);
  return 0;
}

// Takes one option's value; 0, or 2 after saying why it is refused.
static int applyOption(int c, const char* arg, CaptureOptions* o, bool* endGiven) {
  switch (c) {
    case 'f':
      if (!readInt(arg, 1, 1000, &o->fps)) return usageError("--fps needs a whole number 1..1000", arg);
      return 0;
    case 's':
      if (!readSeconds(arg, &o->start)) return usageError("--start needs seconds 0..86400", arg);
      return 0;
    case 'e':
      if (!readSeconds(arg, &o->end)) return usageError("--end needs seconds 0..86400", arg);
      *endGiven = true;
      return 0;
    case 'a':
      if (!readStills(arg, o))
        return usageError("--at needs up to 64 show times 0..86400, comma-separated", arg);
      return 0;
    case 'z':
      if (!readSize(arg, o)) return usageError("--size needs WxH, each 16..4096", arg);
      return 0;
  }
  if (*arg == 0) return usageError("an empty path", nullptr);
  if (c == 'o') o->framesDir = arg;
  if (c == 'v') o->videoFile = arg;
  if (c == 'd') o->showDir = arg;
  return 0;
}

int parseCaptureOptions(int argc, char** argv, CaptureOptions* o) {
  static const option longOptions[] = {
      {"fps", required_argument, nullptr, 'f'},      {"start", required_argument, nullptr, 's'},
      {"end", required_argument, nullptr, 'e'},      {"at", required_argument, nullptr, 'a'},
      {"frames", required_argument, nullptr, 'o'},   {"video", required_argument, nullptr, 'v'},
      {"show-dir", required_argument, nullptr, 'd'}, {"size", required_argument, nullptr, 'z'},
      {"help", no_argument, nullptr, 'h'},           {nullptr, 0, nullptr, 0}};
  bool endGiven = false;
  opterr = 0;  // the messages are ours, one line each
  optind = 1;
  for (;;) {
    const int previous = optind;
    const int c = getopt_long(argc, argv, ":f:s:e:a:o:v:d:h", longOptions, nullptr);
    if (c == -1) break;
    if (c == 'h') {
      printf(captureHelp, showFrameRate);
      return 1;
    }
    if (c == ':') return usageError("option needs a value", argv[previous]);
    if (c == '?') return usageError("unknown option", argv[previous]);
    if (applyOption(c, optarg, o, &endGiven) != 0) return 2;
  }
  if (optind < argc) return usageError("unexpected argument", argv[optind]);
  return checkCaptureOptions(o, endGiven);
}
