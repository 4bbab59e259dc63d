// libFuzzer target: any bytes as the music file, through openMusic, startMusic and
// closeMusic on SDL's disk driver, which writes to /dev/null without waiting: the WAV
// header reader and the stream's callback.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "assets/assets.h"
#include "audio/music.h"

// The input is written as the music file in the working folder, where the show reads it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = fopen(musicFileName, "wb");
  if (!f) return 0;
  fwrite(data, 1, size, f);
  fclose(f);
  openMusic();
  startMusic();
  usleep(1000);  // the device's thread takes a few buffers from the file meanwhile
  closeMusic();
  return 0;
}
