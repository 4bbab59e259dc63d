#include "glrig.h"

#include <png.h>
#include <cstdio>

#include "app/app.h"
#include "app/offscreen.h"

static bool contextOpen;
static int contextWidth, contextHeight;

bool openOffscreen(int width, int height) {
  if (!contextOpen || width != contextWidth || height != contextHeight) {
    if (!openOffscreenContext(width, height)) return false;
    contextOpen = true;
    contextWidth = width;
    contextHeight = height;
  }
  onReshape(width, height);
  return true;
}

Pixels readScreen() {
  Pixels p;
  p.width = contextWidth;
  p.height = contextHeight;
  p.rgb.resize(size_t(p.width) * p.height * 3);
  std::vector<uint8_t> scratch(size_t(p.width) * 3);
  readPixelsTopFirst(p.width, p.height, p.rgb.data(), scratch.data());
  return p;
}

static int channelsOf(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // palette indices
  }
}

bool writeTestPng(const std::string& path, int width, int height, int colourType,
                  const std::vector<uint8_t>& data, int bitDepth) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, width, height, bitDepth, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const size_t row = (size_t(width) * channelsOf(colourType) * bitDepth + 7) / 8;
  for (int y = 0; y < height; ++y) png_write_row(png, &data[row * y]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  fclose(f);
  return true;
}

bool writePng(const std::string& path, const Pixels& pixels) {
  return writeTestPng(path, pixels.width, pixels.height, PNG_COLOR_TYPE_RGB, pixels.rgb);
}
