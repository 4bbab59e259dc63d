// The offscreen context on EGL's surfaceless Mesa platform, and pixel read-back.
#include "app/offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <cstdio>
#include <cstring>

// Says why the context could not be had; always returns false.
static bool offscreenFailed(const char* step) {
  fprintf(stderr, "kessivar: offscreen OpenGL: %s failed (EGL error 0x%04x)\n", step,
          unsigned(eglGetError()));
  return false;
}

bool openOffscreenContext(int width, int height) {
  auto getPlatformDisplay = (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
  if (!getPlatformDisplay) return offscreenFailed("eglGetPlatformDisplayEXT");
  EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  EGLint major, minor;
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor))
    return offscreenFailed("eglInitialize");
  if (!eglBindAPI(EGL_OPENGL_API)) return offscreenFailed("eglBindAPI");
  const EGLint configAttributes[] = {
      EGL_SURFACE_TYPE,    EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
      EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,  EGL_NONE};
  EGLConfig config;
  EGLint count = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1)
    return offscreenFailed("eglChooseConfig");
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  if (surface == EGL_NO_SURFACE) return offscreenFailed("eglCreatePbufferSurface");
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) return offscreenFailed("eglCreateContext");
  if (!eglMakeCurrent(display, surface, surface, context)) return offscreenFailed("eglMakeCurrent");
  return true;
}

void readPixelsTopFirst(int width, int height, unsigned char* rgb, unsigned char* scratch) {
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glFinish();
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  const size_t row = size_t(width) * 3;
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    memcpy(scratch, rgb + top * row, row);
    memcpy(rgb + top * row, rgb + bottom * row, row);
    memcpy(rgb + bottom * row, scratch, row);
  }
}
