// pngico IN.png OUT.ico: wraps a PNG picture of at most 256x256 pixels, as it is, in an
// icon file with that one image (the Windows program's icon).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

static void put16(std::vector<unsigned char>& out, uint32_t v) {
  out.push_back(v & 0xff);
  out.push_back(v >> 8 & 0xff);
}

static void put32(std::vector<unsigned char>& out, uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

static uint32_t big32(const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: pngico IN.png OUT.ico\n");
    return 2;
  }
  FILE* in = fopen(argv[1], "rb");
  if (!in) {
    perror(argv[1]);
    return 1;
  }
  std::vector<unsigned char> png;
  unsigned char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, in)) > 0;) png.insert(png.end(), buffer, buffer + n);
  fclose(in);
  // The signature, then the IHDR chunk: width and height at bytes 16 and 20.
  static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (png.size() < 33 || !std::equal(signature, signature + 8, png.begin())) {
    fprintf(stderr, "pngico: %s is not a PNG file\n", argv[1]);
    return 1;
  }
  const uint32_t width = big32(&png[16]), height = big32(&png[20]);
  if (width == 0 || height == 0 || width > 256 || height > 256) {
    fprintf(stderr, "pngico: %s is %ux%u; an icon is at most 256x256\n", argv[1], width, height);
    return 1;
  }
  std::vector<unsigned char> ico;
  put16(ico, 0);                // reserved
  put16(ico, 1);                // an icon
  put16(ico, 1);                // one image
  ico.push_back(width & 0xff);  // 256 is written as 0
  ico.push_back(height & 0xff);
  ico.push_back(0);  // no palette
  ico.push_back(0);  // reserved
  put16(ico, 1);     // colour planes
  put16(ico, 32);    // bits per pixel
  put32(ico, uint32_t(png.size()));
  put32(ico, 6 + 16);  // the image follows this one entry
  ico.insert(ico.end(), png.begin(), png.end());
  FILE* out = fopen(argv[2], "wb");
  if (!out || fwrite(ico.data(), 1, ico.size(), out) != ico.size() || fclose(out) != 0) {
    perror(argv[2]);
    return 1;
  }
  return 0;
}
