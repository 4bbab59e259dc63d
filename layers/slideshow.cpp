// The card slideshow on the phase clock: the layer picture in phase 0, nothing in
// phase 1, cards 0-4 of the atlas sliding up at the left edge in phases 2-6.
#include <GL/gl.h>
#include <cmath>

#include "assets/assets.h"
#include "layers/layers.h"
#include "layers/timing.h"
#include "screen/layout.h"
#include "screen/quad.h"

const float phaseLength = 8.0f;
const int phaseCount = 7;

PhaseClock readPhaseClock(float s) {
  PhaseClock c;
  c.index = int(s / phaseLength) % phaseCount;
  c.time = std::fmod(s, phaseLength);
  const float u = c.time;
  c.slide = 1.0f - (u < 1.0f ? u : 1.0f);
  c.fadeIn = (u <= 2.0f ? u : 2.0f) * 0.5f;
  c.fadeOut = (phaseLength - (u <= phaseLength - 2.0f ? phaseLength - 2.0f : u)) * 0.5f;
  return c;
}

float cardTop(float slide) { return slide * slide * (screenHeight - cardRestTop) + cardRestTop; }

float cardOpacity(float fadeOut) { return fadeOut * fadeOut; }

float layerPictureOpacity(float fadeIn, float fadeOut) { return float(std::sqrt(double(fadeOut * fadeIn))); }

void cardCell(int card, float* u0, float* v0) {
  *u0 = (card & 3) * cardCellWidth;
  *v0 = (card / 4) * cardCellHeight;
}

// Entered with texturing and (SRC_ALPHA, ONE_MINUS_SRC_ALPHA) blending on; sets the
// colour and the identity modelview in every frame, whatever the phase.
void drawSlideshow(float s) {
  const PhaseClock c = readPhaseClock(s);
  const int step = c.index - 2;  // card number in phases 2-6; -1 empty; -2 layer picture
  glColor4f(1, 1, 1, cardOpacity(c.fadeOut));
  glLoadIdentity();
  if (step >= 0) {
    float u0, v0;
    cardCell(step, &u0, &v0);
    glBindTexture(GL_TEXTURE_2D, cardsTexture);
    drawQuad(0, cardTop(c.slide), cardWidth, cardHeight, u0, v0, u0 + cardCellWidth, v0 + cardCellHeight);
  } else if (step == -2) {
    glColor4f(1, 1, 1, layerPictureOpacity(c.fadeIn, c.fadeOut));
    glBindTexture(GL_TEXTURE_2D, layerTexture);
    drawQuad(64, 144, 512, 256, 0, 0, 1, 1);
  }
}
