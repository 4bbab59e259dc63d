// Files for tests: whole files as bytes, and PNG files of any colour type, depth,
// interlacing and palette written and read as stored.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Writes a test PNG: colourType as libpng's PNG_COLOR_TYPE_*; data holds rows top first,
// (width * channels * bitDepth + 7) / 8 bytes each. A palette image takes its entries from
// paletteRgb (3 bytes each) and, when paletteAlpha is not empty, a tRNS chunk from it.
bool writeTestPng(const std::string& path, int width, int height, int colourType,
                  const std::vector<uint8_t>& data, int bitDepth = 8, bool interlaced = false,
                  const std::vector<uint8_t>& paletteRgb = {}, const std::vector<uint8_t>& paletteAlpha = {});

// A PNG as stored: no conversions, rows top first, (width * channels * bitDepth + 7) / 8
// bytes each. width 0 when the file is missing or libpng rejects it.
struct TestImage {
  int width = 0, height = 0;
  int colourType = -1, bitDepth = 0, channels = 0;
  std::vector<uint8_t> pixels;
  const uint8_t* at(int x, int y) const { return pixels.data() + (size_t(y) * width + x) * channels; }
  int alpha(int x, int y) const { return channels == 4 ? at(x, y)[3] : 255; }
};
TestImage readTestPng(const std::string& path);

// KESSIVAR_TIME_FACTOR, 1 when unset: every deadline of the tests is stretched by it.
double timeFactor();
// Checks done() every 20 ms until it holds, for at most seconds x timeFactor(); returns
// whether it held.
bool waitUntil(const std::function<bool()>& done, double seconds);

// A whole file's bytes; empty when it cannot be read.
std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
