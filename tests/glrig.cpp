#include "glrig.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "app/offscreen.h"
#include "app/shell.h"

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

std::string enterScratchFolder(const std::string& name) {
  namespace fs = std::filesystem;
  static const fs::path base = fs::current_path();  // where the first test started
  const fs::path dir = base / ("scratch-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  if (chdir(dir.c_str()) != 0) perror(dir.c_str());
  return dir.string();
}
