// kessivar-capture: the show's own start-up, composer and layers drawn offscreen on a
// virtual clock that advances exactly one frame per frame.
#include <GL/gl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/offscreen.h"
#include "app/shell.h"
#include "app/startup.h"
#include "assets/assets.h"
#include "assets/files.h"
#include "capture/capture.h"

static CaptureOptions options;                 // from the command line, then read only
static int64_t firstFrame;                     // show frame number of the first captured frame
static int64_t endFrame;                       // show frame number after the last one drawn
static std::vector<unsigned char> frameRgb;    // one frame, top row first
static std::vector<unsigned char> rowScratch;  // one row, for flipping

static double wallSeconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return double(now.tv_sec) + now.tv_nsec * 1e-9;
}

// The path as seen from the working directory at launch (before --show-dir moves it).
static std::string absolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

// True when the show frame is one the capture writes; n is its number in the output.
static bool isWanted(int64_t frame, int64_t* n) {
  if (options.stillCount == 0) {
    *n = frame - firstFrame;
    return frame >= firstFrame;
  }
  for (int k = 0; k < options.stillCount; ++k)
    if (frameAt(options.stills[k], options.fps) == frame) {
      *n = k;
      return true;
    }
  return false;
}

// The show's loading (app/startup.h) on an offscreen context instead of a window, from
// the folder --show-dir gives.
static bool startShow() {
  if (chdir(options.showDir.c_str()) != 0) {
    fprintf(stderr, "kessivar-capture: --show-dir %s: cannot enter it\n", options.showDir.c_str());
    return false;
  }
  if (options.showDir != ".") useWorkingFolderOnly();  // read the folder given, nothing else
  if (!openOffscreenContext(options.width, options.height)) return false;
  onReshape(options.width, options.height);
  loadShow();
  if (!fontImage.Data && !titleTexture && !layerTexture && !writerTexture && !logoTexture && !footerTexture &&
      !cardsTexture) {
    fprintf(stderr,
            "kessivar-capture: none of the show's pictures in %s (run it from the show "
            "folder or give --show-dir)\n",
            options.showDir.c_str());
    return false;
  }
  frameRgb.resize(size_t(options.width) * options.height * 3);
  rowScratch.resize(size_t(options.width) * 3);
  return true;
}

static bool openOutput() {
  if (!options.framesDir.empty()) return openFrameDir(options.framesDir);
  char cwd[PATH_MAX];
  const char* found = showFilePath(musicFileName);
  std::string music = found[0] != '/' && getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + found : found;
  if (access(music.c_str(), R_OK) != 0) {
    fprintf(stderr, "kessivar-capture: %s: not readable, the video has no sound\n", music.c_str());
    music.clear();
  }
  const double musicStart = frameMs(firstFrame, options.fps) * 0.001;
  const double seconds = double(endFrame - firstFrame) / options.fps;
  return openVideoPipe(options.videoFile, music, musicStart, seconds, options.fps, options.width,
                       options.height);
}

// Draws show frame number frame and, when wanted, writes it out.
static bool captureFrame(int64_t frame) {
  int64_t n;
  const bool wanted = isWanted(frame, &n);
  runShowFrame(frame, options.fps, wanted);
  if (!wanted) return true;
  readPixelsTopFirst(options.width, options.height, frameRgb.data(), rowScratch.data());
  if (!options.framesDir.empty())
    return writeFramePng(options.framesDir, n, options.width, options.height, frameRgb.data());
  return writeVideoFrame(frameRgb.data(), frameRgb.size());
}

// A bar on stderr, redrawn in place at most ten times a second, only on a terminal.
// The run-up to the first frame is shown on its own: it goes far faster than drawing.
static void showProgress(int64_t frame, bool last) {
  static double shownAt;         // wall clock of the last redraw, s
  static double capturingSince;  // wall clock when the first written frame was done, s
  const double now = wallSeconds();
  if (frame == firstFrame) capturingSince = now;
  if (!last && now - shownAt < 0.1) return;
  shownAt = now;
  const bool runUp = frame < firstFrame || options.stillCount > 0;
  const double total = double(runUp ? endFrame : endFrame - firstFrame);
  const double done = double(runUp ? frame + 1 : frame - firstFrame + 1);
  char bar[31];
  for (int k = 0; k < 30; ++k) bar[k] = k < int(done / total * 30) ? '#' : '.';
  bar[30] = 0;
  if (runUp) {
    fprintf(stderr, "\r[%s] %3d%%  running the show up to %.1f s\033[K%s", bar, int(done / total * 100),
            frameMs(frame, options.fps) * 0.001, last ? "\n" : "");
    return;
  }
  const double rate = (done - 1) / std::max(now - capturingSince, 1e-6);
  fprintf(stderr, "\r[%s] %3d%%  frame %.0f/%.0f  %.0f frames/s  %.0f s left\033[K%s", bar,
          int(done / total * 100), done, total, rate, (total - done) / std::max(rate, 1e-6),
          last ? "\n" : "");
}

// The show frames to run through: stills (duplicates on one frame merged) or a range.
static void chooseFrames() {
  if (options.stillCount == 0) {
    firstFrame = frameAt(options.start, options.fps);
    endFrame = frameAt(options.end, options.fps);
    return;
  }
  int kept = 1;
  for (int k = 1; k < options.stillCount; ++k)
    if (frameAt(options.stills[k], options.fps) != frameAt(options.stills[kept - 1], options.fps))
      options.stills[kept++] = options.stills[k];
  options.stillCount = kept;
  firstFrame = frameAt(options.stills[0], options.fps);
  endFrame = frameAt(options.stills[kept - 1], options.fps) + 1;
}

// One line on stderr: what was written and how fast.
static void reportDone(double took) {
  const double first = frameMs(firstFrame, options.fps) * 0.001;
  const double last = frameMs(endFrame - 1, options.fps) * 0.001;
  if (options.stillCount > 0) {
    fprintf(stderr, "kessivar-capture: %d stills, show time %.3f..%.3f s, in %.1f s\n", options.stillCount,
            first, last, took);
    return;
  }
  const int64_t count = endFrame - firstFrame;
  fprintf(stderr, "kessivar-capture: %lld frames, show time %.3f..%.3f s, in %.1f s (%.1f/s)\n",
          (long long)count, first, last, took, count / std::max(took, 1e-6));
}

int main(int argc, char** argv) {
  const int parsed = parseCaptureOptions(argc, argv, &options);
  if (parsed != 0) return parsed == 1 ? 0 : 2;
  options.framesDir = absolutePath(options.framesDir);
  options.videoFile = absolutePath(options.videoFile);
  chooseFrames();
  if (!startShow() || !openOutput()) return 1;
  const bool bar = isatty(2);
  const double began = wallSeconds();
  bool ok = true;
  for (int64_t frame = 0; ok && frame < endFrame; ++frame) {
    ok = captureFrame(frame);
    if (bar) showProgress(frame, !ok || frame + 1 == endFrame);
  }
  if (!options.videoFile.empty()) ok = closeVideoPipe() && ok;
  if (!ok) {
    fprintf(stderr, "kessivar-capture: stopped; the output is incomplete\n");
    return 1;
  }
  reportDone(wallSeconds() - began);
  return 0;
}
