// libFuzzer target: any bytes as a picture file, through both loaders. The raw load must
// give a consistent record or none; the texture load must give a texture or name 0.
#include <GL/gl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/offscreen.h"
#include "images/images.h"

static std::string inputPath;  // the file the loaders read, one per fuzzing process
static bool haveContext;       // pngBind runs only with an offscreen context

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  inputPath = "/tmp/kessivar-png-fuzz-" + std::to_string(getpid()) + ".png";
  haveContext = openOffscreenContext(64, 64);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = fopen(inputPath.c_str(), "wb");
  if (!f) return 0;
  fwrite(data, 1, size, f);
  fclose(f);

  pngRawInfo raw;
  if (pngLoadRaw(inputPath.c_str(), &raw)) {
    if (!raw.Data || raw.Width == 0 || raw.Height == 0 || raw.Width > pngMaxSide || raw.Height > pngMaxSide)
      abort();
    // Every byte of every row is there to be read.
    const size_t rowBytes = (size_t(raw.Width) * raw.Components * raw.Depth + 7) / 8;
    unsigned sum = 0;
    for (size_t i = 0; i < rowBytes * raw.Height; ++i) sum += raw.Data[i];
    if (raw.Palette)
      for (int i = 0; i < 768; ++i) sum += raw.Palette[i];
    (void)sum;
    free(raw.Data);
    free(raw.Palette);
  } else if (raw.Data || raw.Palette || raw.Width) {
    abort();  // a failed load leaves the record zeroed
  }
  if (haveContext) {
    pngInfo info;
    for (int trans : {PNG_SOLID, PNG_ALPHA}) {
      GLuint name = pngBind(inputPath.c_str(), PNG_NOMIPMAPS, trans, &info, GL_CLAMP, GL_NEAREST, GL_NEAREST);
      if (name) glDeleteTextures(1, &name);
    }
  }
  return 0;
}
