#include "glrig.h"

#include <png.h>
#include <cstdio>

#include "app/shell.h"
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

bool writePng(const std::string& path, const Pixels& pixels) {
  return writeTestPng(path, pixels.width, pixels.height, PNG_COLOR_TYPE_RGB, pixels.rgb);
}
