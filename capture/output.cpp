// Where captured frames go: numbered PNG files, or raw RGB frames into ffmpeg, which
// encodes them and muxes the music in.
#include <errno.h>
#include <png.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "capture/capture.h"

bool openFrameDir(const std::string& dir) {
  for (size_t slash = dir.find('/', 1); slash != std::string::npos; slash = dir.find('/', slash + 1))
    mkdir(dir.substr(0, slash).c_str(), 0777);  // parents; failures show below
  if (mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST) {
    struct stat s;
    if (stat(dir.c_str(), &s) == 0 && S_ISDIR(s.st_mode)) return true;
    fprintf(stderr, "kessivar-capture: %s: not a directory\n", dir.c_str());
    return false;
  }
  fprintf(stderr, "kessivar-capture: %s: %s\n", dir.c_str(), strerror(errno));
  return false;
}

// libpng's errors end the write through longjmp; this says them on stderr.
static void pngWriteError(png_structp png, png_const_charp message) {
  fprintf(stderr, "kessivar-capture: PNG: %s\n", message);
  png_longjmp(png, 1);
}

// RGB, 8 bits, no row filter and zlib level 1: for the show's flat areas and sharp
// edges both faster (5 to 6 ms a frame) and smaller than libpng's defaults. No time stamp or text chunk, so
// equal frames give equal files.
static bool writeRgbPng(FILE* f, int width, int height, const unsigned char* rgb) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngWriteError, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f);
  png_set_compression_level(png, 1);
  png_set_filter(png, 0, PNG_FILTER_NONE);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, rgb + size_t(y) * width * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool writeFramePng(const std::string& dir, int64_t n, int width, int height, const unsigned char* rgb) {
  char name[32];
  snprintf(name, sizeof name, "/frame-%06lld.png", (long long)n);
  const std::string path = dir + name;
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) {
    fprintf(stderr, "kessivar-capture: %s: %s\n", path.c_str(), strerror(errno));
    return false;
  }
  const bool written = writeRgbPng(f, width, height, rgb);
  if (fclose(f) != 0 || !written) {
    fprintf(stderr, "kessivar-capture: %s: could not write the frame\n", path.c_str());
    return false;
  }
  return true;
}

static pid_t ffmpegPid = -1;  // the encoder while a video is being written
static int ffmpegInput = -1;  // write end of its stdin pipe

// The ffmpeg command line, at most 48 arguments; the strings it points into live in
// the caller's frame until execvp.
static int ffmpegArguments(const char* argv[], const std::string& file, const std::string& music,
                           const char* size, const char* rate, const char* trim, const char* seconds) {
  int n = 0;
  for (const char* a : {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostats", "-y", "-f", "rawvideo",
                        "-pix_fmt", "rgb24", "-s", size, "-framerate", rate, "-i", "pipe:0"})
    argv[n++] = a;
  if (!music.empty())
    for (const char* a : {"-stream_loop", "-1", "-i", music.c_str()}) argv[n++] = a;
  argv[n++] = "-map";
  argv[n++] = "0:v";
  if (!music.empty())
    for (const char* a : {"-map", "1:a", "-af", trim}) argv[n++] = a;
  for (const char* a : {"-pix_fmt", "yuv420p", "-t", seconds, file.c_str()}) argv[n++] = a;
  argv[n] = nullptr;
  return n;
}

bool openVideoPipe(const std::string& file, const std::string& musicFile, double musicStart, double seconds,
                   int fps, int width, int height) {
  char size[32], rate[16], trim[96], length[32];
  snprintf(size, sizeof size, "%dx%d", width, height);
  snprintf(rate, sizeof rate, "%d", fps);
  // The looped stream's time stamps run on across the loops, so trimming at the show
  // time puts the loop's wrap where the show would have it.
  snprintf(trim, sizeof trim, "atrim=start=%.6f,asetpts=PTS-STARTPTS", musicStart);
  snprintf(length, sizeof length, "%.6f", seconds);
  const char* argv[48];
  ffmpegArguments(argv, file, musicFile, size, rate, trim, length);
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    fprintf(stderr, "kessivar-capture: pipe: %s\n", strerror(errno));
    return false;
  }
  fflush(nullptr);
  ffmpegPid = fork();
  if (ffmpegPid == 0) {
    dup2(pipeEnds[0], 0);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    execvp("ffmpeg", const_cast<char* const*>(argv));
    fprintf(stderr, "kessivar-capture: cannot run ffmpeg: %s\n", strerror(errno));
    _exit(127);
  }
  close(pipeEnds[0]);
  if (ffmpegPid < 0) {
    fprintf(stderr, "kessivar-capture: fork: %s\n", strerror(errno));
    close(pipeEnds[1]);
    return false;
  }
  signal(SIGPIPE, SIG_IGN);  // a vanished ffmpeg shows as a failed write instead
  ffmpegInput = pipeEnds[1];
  return true;
}

bool writeVideoFrame(const unsigned char* rgb, size_t bytes) {
  while (bytes > 0) {
    const ssize_t n = write(ffmpegInput, rgb, bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      fprintf(stderr, "kessivar-capture: ffmpeg stopped taking frames: %s\n", strerror(errno));
      return false;
    }
    rgb += n;
    bytes -= size_t(n);
  }
  return true;
}

bool closeVideoPipe() {
  if (ffmpegInput >= 0) close(ffmpegInput);
  ffmpegInput = -1;
  if (ffmpegPid <= 0) return false;
  int status = 0;
  while (waitpid(ffmpegPid, &status, 0) < 0 && errno == EINTR) {
  }
  ffmpegPid = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return false;  // already said
  fprintf(stderr, "kessivar-capture: ffmpeg failed (%s %d)\n", WIFEXITED(status) ? "exit status" : "signal",
          WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
  return false;
}
