// Offscreen drawing for tests: a 640x480 (or other) OpenGL context on Mesa's software
// rasteriser through EGL, no display needed, and pixel read-back.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_files.h"

// Creates and makes current an offscreen compatibility-profile context of the given
// size and sets the show's virtual-screen projection (as onReshape does). Safe to call
// again: later calls reuse the context. Returns false when no context can be had.
bool openOffscreen(int width = 640, int height = 480);

// What the colour buffer holds, top row first (screen y downwards, as the show's
// virtual screen), 3 bytes per pixel.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
  uint8_t r(int x, int y) const { return at(x, y)[0]; }
  uint8_t g(int x, int y) const { return at(x, y)[1]; }
  uint8_t b(int x, int y) const { return at(x, y)[2]; }
};

Pixels readScreen();

using Rgb = std::array<int, 3>;

// Counts the pixels of the rectangle [x0, x1) x [y0, y1) further than tol in any channel
// from want(x, y), and reports the first of them. A want whose red is negative matches
// any pixel.
template <typename F>
int mismatches(const Pixels& p, int x0, int y0, int x1, int y1, int tol, F want) {
  int bad = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const Rgb w = want(x, y);
      if (w[0] < 0) continue;
      const Rgb got = {p.r(x, y), p.g(x, y), p.b(x, y)};
      bool off = false;
      for (int k = 0; k < 3; ++k) off |= std::abs(got[k] - w[k]) > tol;
      if (off && bad++ == 0)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") expected " << w[0] << "," << w[1] << "," << w[2]
                      << " got " << got[0] << "," << got[1] << "," << got[2];
    }
  return bad;
}

// Writes the pixels as an RGB PNG (for looking at what a test saw).
bool writePng(const std::string& path, const Pixels& pixels);

// Empties (or makes) the folder scratch-<name> under the working directory of the first
// call and enters it: a test's files stay its own while ctest runs tests side by side.
// Returns its path.
std::string enterScratchFolder(const std::string& name);
