// Force-included into every show source built for the browser. WebGL differs from
// desktop OpenGL 1.1 in three ways the show meets; the macros below bridge them without
// touching the show's code.
#pragma once
#include <GL/gl.h>

// 1. The fixed pipeline is the page's own (fixed_gl.cpp), drawn with WebGL, and
// texturing is one of its switches: the show's glEnable and glDisable go there first.
extern "C" void webEnable(GLenum capability);
extern "C" void webDisable(GLenum capability);
#define glEnable webEnable
#define glDisable webDisable

// 2. GL_CLAMP is refused (the texture would stay on repeat); under nearest filtering
// GL_CLAMP_TO_EDGE samples the same texels.
#undef GL_CLAMP
#define GL_CLAMP 0x812F

// 3. WebGL 1 takes luminance bytes only into a luminance texture, which samples as
// (L, L, L, 1) just as the RGB texture the desktop makes of them.
inline void webTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                          GLint border, GLenum format, GLenum type, const void* pixels) {
  if (format == GL_LUMINANCE) internalFormat = GL_LUMINANCE;
  glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}
#define glTexImage2D webTexImage2D
