// The title screen: the title picture with six amber bars of added light sweeping up
// and down over it, the whole frame fading to black during the tenth second.
#include <GL/gl.h>
#include <cmath>

#include "assets/assets.h"
#include "layers/layers.h"
#include "layers/timing.h"
#include "screen/layout.h"
#include "screen/quad.h"

static const int titleBarCount = 6;

float titleBrightness(float t) {
  const float left = titleSeconds - t;
  return 1.0f < left ? 1.0f : left;
}

float titleBarTop(int bar, float t) {
  const double phase = double(t) * 1.1;  // rad; bars are 0.33 rad apart
  return float((std::sin(bar * 0.33 + phase) + 1.0) * 144.0 + 76.0);
}

// One 32-unit band across the screen: black at y, peak colour at y + 16, black at
// y + 32; smooth shading makes the ramps.
static void drawTitleBar(float y, float r, float g, float b) {
  glBegin(GL_QUADS);
  glColor3f(0, 0, 0);
  glVertex2f(0, y);
  glVertex2f(screenWidth, y);
  glColor3f(r, g, b);
  glVertex2f(screenWidth, y + 16);
  glVertex2f(0, y + 16);
  glVertex2f(0, y + 16);
  glVertex2f(screenWidth, y + 16);
  glColor3f(0, 0, 0);
  glVertex2f(screenWidth, y + 32);
  glVertex2f(0, y + 32);
  glEnd();
}

// Entered with blending and texturing off (the frame's start); leaves both off, blend
// function (ONE, ONE), colour opaque white and titleTexture bound.
void drawTitleScreen(float t) {
  const float b = titleBrightness(t);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, titleTexture);
  glColor3f(b, b, b);
  drawQuad(-192, -16, 1024, 512, 0, 0, 1, 1);

  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  const float r = b * 0.8f, g = b * 0.7f, bl = b * 0.3f;
  for (int i = 0; i < titleBarCount; ++i) drawTitleBar(titleBarTop(i, t), r, g, bl);
  glColor3f(1, 1, 1);
  glDisable(GL_BLEND);
}
