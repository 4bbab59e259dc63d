// The writer strips on the phase clock: seven 256x20 strips cut from the strip image
// slide in from the left (lowest first), rest as one block at x 300-556, y 200-340,
// and fan out to the right and upwards (top first). Phase 1-6 show blocks 0-5.
#include <GL/gl.h>
#include <cmath>

#include "assets/assets.h"
#include "layers/layers.h"
#include "layers/timing.h"
#include "screen/layout.h"
#include "screen/quad.h"

int writerBlock(int phaseIndex) { return phaseIndex - 1; }

float writerAlpha(float fadeIn, float fadeOut) { return float(std::pow(double(fadeOut * fadeIn), 0.7)); }

// Strip i runs 0.2 s behind strip i + 1 coming in and 0.2 s behind strip i - 1 going
// out; `in` (-1..0) is the part of the way in still to come, `out` (0..1) the part of
// the way out already gone.
void writerStripCorner(int strip, float fadeIn, float fadeOut, float* x, float* y) {
  float in = (fadeIn - 1.0f) + strip * 0.1f;
  if (in > 0) in = 0;
  float out = (1.0f - fadeOut) - strip * 0.1f;
  if (out < 0) out = 0;
  *x = (out * out * out + in * in * in) * 460 + 300;
  *y = (20 - 64 * out) * strip + 200;
}

float writerBandTop(int block, int strip) {
  float v = block * writerBlockRows * (1.0f / writerImageHeight);
  for (int i = 0; i < strip; ++i) v += writerBandHeight;
  return v;
}

// Makes no GL call at all in phase 0. Otherwise entered like the slideshow; sets the
// colour (alpha = layer fade), the identity modelview and writerTexture.
void drawWriterStrips(float s) {
  const PhaseClock c = readPhaseClock(s);
  const int block = writerBlock(c.index);
  if (block < 0) return;
  glColor4f(1, 1, 1, writerAlpha(c.fadeIn, c.fadeOut));
  glLoadIdentity();
  glBindTexture(GL_TEXTURE_2D, writerTexture);
  float v = writerBandTop(block, 0);
  for (int i = 0; i < writerStripCount; ++i) {
    float x, y;
    writerStripCorner(i, c.fadeIn, c.fadeOut, &x, &y);
    drawQuad(x, y, writerImageWidth, writerBandRows, 0, v, 1, v + writerBandHeight);
    v += writerBandHeight;
  }
}
