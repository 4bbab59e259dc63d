// libFuzzer target: the scroller fed a fuzzed font. The first byte chooses the path:
// even, the rest is a font.png file through the raw loader; odd, the rest describes a
// decoded image directly (width, height, channels, depth, palette and pixel bytes). Then
// the scroller is reset onto it and run through fuzzed scene times; it must never read
// the font or write its buffer out of bounds, and its cursor stays in 0..709.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "scroller/scroller.h"
#include "scroller/typeset.h"

static std::string inputPath;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  inputPath = "/tmp/kessivar-font-fuzz-" + std::to_string(getpid()) + ".png";
  return 0;
}

// A decoded image exactly as large as its header says (at most 2048 x 64), its bytes
// taken round and round from the input.
static void describedFont(const uint8_t* data, size_t size, std::vector<unsigned char>& pixels,
                          std::vector<unsigned char>& palette) {
  if (size < 7) return;
  const unsigned width = (data[0] | data[1] << 8) % 2049, height = data[2] % 65;
  const unsigned components = 1 + data[3] % 4, depth = 1u << (data[4] % 4);
  const size_t rowBytes = (size_t(width) * components * depth + 7) / 8;
  pixels.resize(rowBytes * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = size > 7 ? data[7 + i % (size - 7)] : 0;
  if (data[5] & 1) palette.assign(768, data[6]);
  fontImage = pngRawInfo{width,
                         height,
                         depth,
                         (components % 2 == 0) ? 8u : 0u,
                         components,
                         pixels.empty() ? nullptr : pixels.data(),
                         palette.empty() ? nullptr : palette.data()};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::vector<unsigned char> pixels, palette;
  fontImage = pngRawInfo{};
  bool loaded = false;
  if (data[0] % 2 == 0) {
    FILE* f = fopen(inputPath.c_str(), "wb");
    if (!f) return 0;
    fwrite(data + 1, 1, size - 1, f);
    fclose(f);
    loaded = pngLoadRaw(inputPath.c_str(), &fontImage) == 1;
  } else {
    describedFont(data + 1, size - 1, pixels, palette);
  }
  resetScroller();
  advanceScroller(0.0f);
  // Scene times: steady frames, then jumps taken from the input's bytes.
  float t = 0.0f;
  for (int k = 0; k < 200; ++k) advanceScroller(t += 1.0f / 60);
  for (size_t i = 1; i + 1 < size && i < 64; i += 2) {
    t += float(int(data[i]) - 64) * 0.25f + data[i + 1] / 256.0f;
    advanceScroller(t);
    if (scrollCursor < 0 || scrollCursor > 709) abort();
  }
  for (int r = 10; r < scrollHeight; ++r)
    for (int c = 0; c < scrollWidth; ++c)
      if (scrollBuffer[r * scrollWidth + c] != 0) abort();
  if (loaded) {
    free(fontImage.Data);
    free(fontImage.Palette);
  }
  fontImage = pngRawInfo{};
  return 0;
}
