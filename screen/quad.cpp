#include "screen/quad.h"

#include <GL/gl.h>

void drawQuad(float x, float y, int w, int h, float u0, float v0, float u1, float v1) {
  glBegin(GL_QUADS);
  glTexCoord2f(u0, v0);
  glVertex2f(x, y);
  glTexCoord2f(u1, v0);
  glVertex2f(x + w, y);
  glTexCoord2f(u1, v1);
  glVertex2f(x + w, y + h);
  glTexCoord2f(u0, v1);
  glVertex2f(x, y + h);
  glEnd();
}
