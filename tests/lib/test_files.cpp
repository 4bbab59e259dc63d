#include "test_files.h"

#include <png.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

static int channelsOf(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;  // grey, or palette indices
  }
}

bool writeTestPng(const std::string& path, int width, int height, int colourType,
                  const std::vector<uint8_t>& data, int bitDepth, bool interlaced,
                  const std::vector<uint8_t>& paletteRgb, const std::vector<uint8_t>& paletteAlpha) {
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
  png_set_IHDR(png, info, width, height, bitDepth, colourType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> entries(paletteRgb.size() / 3);
    for (size_t i = 0; i < entries.size(); ++i)
      entries[i] = {paletteRgb[i * 3], paletteRgb[i * 3 + 1], paletteRgb[i * 3 + 2]};
    png_set_PLTE(png, info, entries.data(), int(entries.size()));
    if (!paletteAlpha.empty())
      png_set_tRNS(png, info, paletteAlpha.data(), int(paletteAlpha.size()), nullptr);
  }
  png_write_info(png, info);
  const size_t row = (size_t(width) * channelsOf(colourType) * bitDepth + 7) / 8;
  std::vector<png_bytep> rows(height);
  for (int y = 0; y < height; ++y) rows[y] = const_cast<png_bytep>(&data[row * y]);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  fclose(f);
  return true;
}

TestImage readTestPng(const std::string& path) {
  TestImage image;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return image;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    fclose(file);
    return TestImage{};
  }
  png_init_io(png, file);
  png_read_info(png, info);
  image.width = int(png_get_image_width(png, info));
  image.height = int(png_get_image_height(png, info));
  image.colourType = png_get_color_type(png, info);
  image.bitDepth = png_get_bit_depth(png, info);
  image.channels = png_get_channels(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  image.pixels.resize(rowBytes * image.height);
  std::vector<png_bytep> rows(image.height);
  for (int y = 0; y < image.height; y++) rows[y] = image.pixels.data() + rowBytes * y;
  png_read_image(png, rows.data());  // interlaced files too
  png_destroy_read_struct(&png, &info, nullptr);
  fclose(file);
  return image;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

double timeFactor() {
  const char* factor = getenv("KESSIVAR_TIME_FACTOR");
  return factor && atof(factor) > 0 ? atof(factor) : 1.0;
}

bool waitUntil(const std::function<bool()>& done, double seconds) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds * timeFactor());
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}
