// Force-included into every show source built for the browser. WebGL under
// emscripten's immediate-mode emulation differs from desktop OpenGL 1.1 in three ways
// the show meets; the macros below bridge them without touching the show's code.
#pragma once
#include <GL/gl.h>

// 1. The emulation packs every vertex of a primitive with the attributes its first
// vertex had, so a colour given once per triangle, or changed between two vertices of
// a quad, is lost. The current colour is kept here and given with every vertex, and
// only there while a primitive is open (a colour between vertices would be taken for
// one more vertex attribute).
inline GLfloat webColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // r, g, b, a in 0..1
inline bool webInPrimitive;                              // between glBegin and glEnd

inline void webSetColour(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  webColour[0] = r;
  webColour[1] = g;
  webColour[2] = b;
  webColour[3] = a;
  if (!webInPrimitive) glColor4f(r, g, b, a);
}

inline void webVertex2f(GLfloat x, GLfloat y) {
  glColor4f(webColour[0], webColour[1], webColour[2], webColour[3]);
  glVertex2f(x, y);
}

inline void webBegin(GLenum mode) {
  webInPrimitive = true;
  glBegin(mode);
}

inline void webEnd() {
  glEnd();
  webInPrimitive = false;
  glColor4f(webColour[0], webColour[1], webColour[2], webColour[3]);
}

#define glBegin webBegin
#define glEnd webEnd
#define glColor3f(r, g, b) webSetColour((r), (g), (b), 1.0f)
#define glColor4f(r, g, b, a) webSetColour((r), (g), (b), (a))
#define glColor4ub(r, g, b, a) \
  webSetColour(GLubyte(r) / 255.0f, GLubyte(g) / 255.0f, GLubyte(b) / 255.0f, GLubyte(a) / 255.0f)
#define glVertex2f(x, y) webVertex2f(GLfloat(x), GLfloat(y))
#define glVertex2i(x, y) webVertex2f(GLfloat(x), GLfloat(y))

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
