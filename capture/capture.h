// kessivar-capture: the show drawn offscreen on a virtual clock, frame by frame, into
// numbered PNG files or a video with the music. Options and outputs; the frame times and
// the run-through are the show's own (app/startup.h).
#pragma once
#include <cstdint>
#include <string>

#include "app/startup.h"

// Most show times --at may name.
constexpr int captureMaxStills = 64;

// Latest show time a capture may reach, seconds (one day; the millisecond clock
// would wrap after 49.7 days).
constexpr double captureMaxSeconds = 86400.0;

// What the command line asked for; filled once by parseCaptureOptions.
struct CaptureOptions {
  int fps = showFrameRate;          // frames per second of show time, 1..1000
  int width = 640, height = 480;    // pixels of each frame, 16..4096 each
  double start = 0.0;               // show time of the first frame, seconds
  double end = 66.0;                // show time the capture stops before, seconds
  double stills[captureMaxStills];  // --at show times, seconds, ascending
  int stillCount = 0;               // 0 unless --at was given
  std::string framesDir;            // --frames: directory of numbered PNG files
  std::string videoFile;            // --video: file ffmpeg writes (extension = format)
  std::string showDir = ".";        // where the show's pictures and music are
};

// Reads argv. Returns 0 to go on, 1 when --help was printed (exit 0), 2 after one
// line on stderr about a bad option (exit 2).
int parseCaptureOptions(int argc, char** argv, CaptureOptions* options);

// Numbered PNG frames: creates dir (and its parents) if missing. False after a line on stderr.
bool openFrameDir(const std::string& dir);

// Writes dir/frame-NNNNNN.png (n from 0) from rgb rows, top row first. False after a
// line on stderr.
bool writeFramePng(const std::string& dir, int64_t n, int width, int height, const unsigned char* rgb);

// Starts ffmpeg reading raw RGB frames on a pipe and writing file, with musicFile
// (empty: no sound) looped from its beginning and started at musicStart seconds,
// trimmed to seconds. False after a line on stderr.
bool openVideoPipe(const std::string& file, const std::string& musicFile, double musicStart, double seconds,
                   int fps, int width, int height);

// Hands one frame (width * height * 3 bytes, top row first) to ffmpeg.
bool writeVideoFrame(const unsigned char* rgb, size_t bytes);

// Closes the pipe and waits for ffmpeg; true when it finished without error.
bool closeVideoPipe();
