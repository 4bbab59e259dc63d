// The polygon animation renderer: one frame of the embedded tables as flat triangles,
// straight from the constant data, no state of its own.
#include "anim/anim.h"

#include <GL/gl.h>

#include "data/animation.h"

void drawAnimationFrame(int n, float alpha) {
  // alpha * 255 is exact in double precision; truncated, never rounded (0.999 -> 254).
  const GLubyte opacity = GLubyte(double(alpha) * 255.0);
  glBegin(GL_TRIANGLES);
  // n mod count, also for numbers below -count and near INT_MAX, where adding the count
  // first would index outside the tables or overflow.
  int k = n % animationFrameCount;
  if (k < 0) k += animationFrameCount;
  const AnimationVertex* vertices = animationFrames[k].vertices;
  const AnimationTriangle* triangles = animationFrames[k].triangles;
  const int count = animationTriangleBytes[k] > 0 ? animationTriangleBytes[k] / 4 : 0;
  for (int t = 0; t < count; ++t) {
    const AnimationTriangle& tri = triangles[t];
    glColor4ub(GLubyte(cubeChannel(tri.colour, 36)), GLubyte(cubeChannel(tri.colour, 6)),
               GLubyte(cubeChannel(tri.colour, 1)), opacity);
    glVertex2i(vertices[tri.i0].x, vertices[tri.i0].y);
    glVertex2i(vertices[tri.i1].x, vertices[tri.i1].y);
    glVertex2i(vertices[tri.i2].x, vertices[tri.i2].y);
  }
  glEnd();
}
