#include "glrig.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <png.h>
#include <algorithm>
#include <cstdio>

#include "app/app.h"

static EGLDisplay display = EGL_NO_DISPLAY;
static int contextWidth, contextHeight;

bool openOffscreen(int width, int height) {
  if (display != EGL_NO_DISPLAY && width == contextWidth && height == contextHeight) {
    onReshape(width, height);
    return true;
  }
  auto getPlatformDisplay =
      (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
  if (!getPlatformDisplay) return false;
  display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  EGLint major, minor;
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) return false;
  eglBindAPI(EGL_OPENGL_API);
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8,
                                     EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                     EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
  EGLConfig config;
  EGLint count = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) return false;
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  if (surface == EGL_NO_SURFACE || context == EGL_NO_CONTEXT) return false;
  if (!eglMakeCurrent(display, surface, surface, context)) return false;
  contextWidth = width;
  contextHeight = height;
  onReshape(width, height);
  return true;
}

Pixels readScreen() {
  Pixels p;
  p.width = contextWidth;
  p.height = contextHeight;
  std::vector<uint8_t> bottomUp(size_t(p.width) * p.height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glFinish();
  glReadPixels(0, 0, p.width, p.height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  p.rgb.resize(bottomUp.size());
  const size_t row = size_t(p.width) * 3;
  for (int y = 0; y < p.height; ++y)
    std::copy_n(&bottomUp[size_t(p.height - 1 - y) * row], row, &p.rgb[size_t(y) * row]);
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
