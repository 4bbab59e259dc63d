// Writing PNG files for tests: any colour type, depth, interlacing and palette.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes a test PNG: colourType as libpng's PNG_COLOR_TYPE_*; data holds rows top first,
// (width * channels * bitDepth + 7) / 8 bytes each. A palette image takes its entries from
// paletteRgb (3 bytes each) and, when paletteAlpha is not empty, a tRNS chunk from it.
bool writeTestPng(const std::string& path, int width, int height, int colourType,
                  const std::vector<uint8_t>& data, int bitDepth = 8, bool interlaced = false,
                  const std::vector<uint8_t>& paletteRgb = {}, const std::vector<uint8_t>& paletteAlpha = {});
