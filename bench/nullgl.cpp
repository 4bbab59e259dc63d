// A do-nothing OpenGL 1.1 for the frame benchmark: every entry point the show calls
// returns at once, so that instruction counts are the show's own work alone. Linked into
// the benchmark program, these definitions take the place of the driver's.
#include <GL/gl.h>

extern "C" {
void glBegin(GLenum) {}
void glEnd() {}
void glVertex2f(GLfloat, GLfloat) {}
void glVertex2i(GLint, GLint) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glColor3f(GLfloat, GLfloat, GLfloat) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glColor4ub(GLubyte, GLubyte, GLubyte, GLubyte) {}
void glBindTexture(GLenum, GLuint) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glLoadIdentity() {}
void glEnable(GLenum) {}
void glDisable(GLenum) {}
void glBlendFunc(GLenum, GLenum) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*) {}
void glTexSubImage2D(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) {}
void glMatrixMode(GLenum) {}
void glGenTextures(GLsizei n, GLuint* names) {
  static GLuint next = 1;
  for (GLsizei i = 0; i < n; ++i) names[i] = next++;
}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void glScaled(GLdouble, GLdouble, GLdouble) {}
void glPixelStorei(GLenum, GLint) {}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glGetIntegerv(GLenum, GLint* value) { *value = 4096; }
void glClear(GLbitfield) {}
}
