// The frame composer: the two clocks, the animation-rate re-roll, the title/scene
// switch and the layer order with the GL state each layer expects.
#include <GL/gl.h>

#include "anim/anim.h"
#include "app/app.h"
#include "app/clock.h"
#include "layers/layers.h"
#include "scroller/scroller.h"

float animationRate = 5.0f;

static bool tickBaseTaken;          // false until the first frame reads the tick counter
static uint32_t tickBase;           // tick counter at the first frame, ms
static float lastRateRoll;          // ms since tickBase at the last re-roll
static uint32_t rateGenerator = 1;  // LCG state of the re-roll; never reseeded

void resetComposer() {
  animationRate = 5.0f;
  tickBaseTaken = false;
  tickBase = 0;
  lastRateRoll = 0.0f;
  rateGenerator = 1;
}

// Next value 0..32767 of the re-roll's linear congruential generator.
static int nextRateValue() {
  rateGenerator = rateGenerator * 214013u + 2531011u;
  return int((rateGenerator >> 16) & 0x7FFF);
}

// Every frame more than 4000 ms of ticks after the last re-roll draws a new rate 5..20.
static void rollAnimationRate() {
  if (!tickBaseTaken) {
    tickBase = tickCountMs();
    tickBaseTaken = true;
  }
  const float elapsed = float(uint32_t(tickCountMs() - tickBase));
  if (!(lastRateRoll + 4000 < elapsed)) return;
  lastRateRoll = float(uint32_t(tickCountMs() - tickBase));
  const int r = nextRateValue() % 20 + 3;
  animationRate = float(r < 5 ? 5 : r > 20 ? 20 : r);
}

void drawScene() {
  glClear(GL_COLOR_BUFFER_BIT);
  glLoadIdentity();
  rollAnimationRate();
  const float showTime = float(showElapsedMs()) * 0.001f;
  if (showTime < 10.0f) {
    drawTitleScreen(showTime);
    return;
  }
  const float sceneTime = showTime - 10.0f;
  const double position = double(animationRate) * double(sceneTime);
  const int frame = int(position);
  float fraction = float(position - frame);
  if (noFade == 1) fraction = 0.0f;

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glScaled(640.0 / 255.0, 480.0 / 255.0, 1.0);
  drawAnimationFrame(frame, 1.0f - fraction);
  drawAnimationFrame(frame + 1, fraction);

  glEnable(GL_TEXTURE_2D);
  glLoadIdentity();
  glColor3f(1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, logoTexture);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  drawQuad(384, 0, 256, 128, 0, 0, 1, 1);

  drawSlideshow(sceneTime);
  glEnable(GL_BLEND);
  drawWriterStrips(sceneTime);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  drawFooterAndScroller(sceneTime);
}

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
