// The frame composer: the two clocks, the animation-rate re-roll, the title/scene
// switch and the layer order with the GL state each layer expects.
#include <GL/gl.h>

#include "anim/anim.h"
#include "app/clock.h"
#include "app/composer.h"
#include "assets/assets.h"
#include "layers/layers.h"
#include "screen/layout.h"
#include "screen/quad.h"
#include "scroller/scroller.h"

int noFade;
float animationRate = 5.0f;

static bool tickBaseTaken;          // false until the first frame reads the tick counter
static uint32_t lastRateRoll;       // tick counter at the last re-roll (at the first frame before it)
static uint32_t rateGenerator = 1;  // LCG state of the re-roll; never reseeded

// Scene time given to the layers is reduced modulo this many seconds. The phase clock
// (56 s) and the animation's 200-frame loop at every whole rate 5..20 repeat within it
// (200 divides 1400 * r, 56 divides 1400), so the picture is what the unreduced time
// would give, while single precision keeps 0.1 ms steps however long the show runs.
static const uint64_t scenePeriodMs = 1400000;

static bool showClockTaken;       // false until the first frame reads the show clock
static uint32_t lastShowReading;  // showElapsedMs() at the previous frame
static uint64_t showMs;           // show time in ms; goes on past the 32-bit clock's wrap
static int64_t scrollerPeriod;    // whole scene periods the scroller's clock has been told of

void resetComposer() {
  animationRate = 5.0f;
  tickBaseTaken = false;
  lastRateRoll = 0;
  rateGenerator = 1;
  showClockTaken = false;
  lastShowReading = 0;
  showMs = 0;
  scrollerPeriod = 0;
}

// Next value 0..32767 of the re-roll's linear congruential generator.
static int nextRateValue() {
  rateGenerator = rateGenerator * 214013u + 2531011u;
  return int((rateGenerator >> 16) & 0x7FFF);
}

// Every frame more than 4000 ms of ticks after the last re-roll draws a new rate 5..20.
// Tick differences are taken in unsigned 32 bits, exact at any age of the counter.
static void rollAnimationRate() {
  const uint32_t now = tickCountMs();
  if (!tickBaseTaken) {
    lastRateRoll = now;
    tickBaseTaken = true;
  }
  if (!(uint32_t(now - lastRateRoll) > 4000)) return;
  lastRateRoll = now;
  const int r = nextRateValue() % 20 + 3;
  animationRate = float(r < 5 ? 5 : r > 20 ? 20 : r);
}

// Show time in ms as a 64-bit count: the 32-bit reading's forward steps are summed, so
// its wrap (2^32 ms) costs nothing; a reading that goes back (a clock set by a test or
// a capture) is taken as it is.
static uint64_t readShowClock() {
  const uint32_t now = showElapsedMs();
  if (!showClockTaken || int32_t(now - lastShowReading) < 0)
    showMs = now;
  else
    showMs += uint32_t(now - lastShowReading);
  showClockTaken = true;
  lastShowReading = now;
  return showMs;
}

// Scene time for the layers, seconds in [0, 1400); tells the scroller, whose motion
// needs only differences, each time the reduced time starts a new period.
static float reducedSceneTime(uint64_t sceneMs) {
  const int64_t period = int64_t(sceneMs / scenePeriodMs);
  if (period != scrollerPeriod) {
    rebaseScrollerClock(float(double(period - scrollerPeriod) * (scenePeriodMs * 0.001)));
    scrollerPeriod = period;
  }
  return float(double(sceneMs % scenePeriodMs) * 0.001);
}

void drawScene() {
  glClear(GL_COLOR_BUFFER_BIT);
  glLoadIdentity();
  rollAnimationRate();
  const uint64_t ms = readShowClock();
  if (ms < titleMs) {
    drawTitleScreen(float(ms) * 0.001f);
    return;
  }
  const float sceneTime = reducedSceneTime(ms - titleMs);
  const double position = double(animationRate) * double(sceneTime);
  const int frame = int(position);
  float fraction = float(position - frame);
  if (noFade == 1) fraction = 0.0f;

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glScaled(screenWidth / 255.0, screenHeight / 255.0, 1.0);
  drawAnimationFrame(frame, 1.0f - fraction);
  drawAnimationFrame(frame + 1, fraction);

  glEnable(GL_TEXTURE_2D);
  glLoadIdentity();
  glColor3f(1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, logoTexture);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  drawQuad(384, 0, 256, 128, 0, 0, 1, 1);

  drawSlideshow(sceneTime);
  glEnable(GL_BLEND);  // already on: kept, as the frame's call sequence is fixed
  drawWriterStrips(sceneTime);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  drawFooterAndScroller(sceneTime);
}
