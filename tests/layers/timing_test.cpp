// Positions and opacities of the overlay layers against the worked-out tables.
#include <gtest/gtest.h>

#include <cmath>

#include "layers/layers.h"
#include "layers/timing.h"

TEST(TitleTiming, BarTopsAndFade) {
  const float at0[6] = {220.0f, 266.66f, 308.29f, 340.39f, 359.49f, 363.55f};
  const float at5[6] = {118.40f, 156.95f, 202.31f, 249.57f, 293.64f, 329.77f};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(titleBarTop(i, 0), at0[i], 0.005) << "bar " << i << " at t 0";
    EXPECT_NEAR(titleBarTop(i, 5), at5[i], 0.005) << "bar " << i << " at t 5";
  }
  for (float t : {0.0f, 4.5f, 8.999f, 9.0f}) EXPECT_EQ(titleBrightness(t), 1.0f) << "t " << t;
  EXPECT_EQ(titleBrightness(9.5f), 0.5f);
  EXPECT_NEAR(titleBrightness(9.99f), 0.01f, 1e-5);
}

TEST(PhaseClock, BoundariesAtExactMultiplesOfEightAndFiftySix) {
  for (int k = 0; k <= 21; ++k) {
    const float s = 8.0f * k;
    const PhaseClock on = readPhaseClock(s), before = readPhaseClock(std::nextafter(s, 0.0f));
    EXPECT_EQ(on.index, k % 7) << "s " << s;
    EXPECT_EQ(on.time, 0.0f) << "s " << s;
    if (k == 0) continue;
    EXPECT_EQ(before.index, (k + 6) % 7) << "just below s " << s;
    EXPECT_GT(before.time, 7.99f) << "just below s " << s;
  }
  EXPECT_EQ(readPhaseClock(17).slide, 0.0f);
  EXPECT_EQ(readPhaseClock(18).fadeIn, 1.0f);
  EXPECT_EQ(readPhaseClock(22).fadeOut, 1.0f);
}

// Phase time u into card phase 2, a later card phase and the same in the next cycle.
TEST(SlideshowTiming, CardTopAndOpacityEveryPhaseTime) {
  const float u[] = {0, 0.25f, 0.5f, 0.75f, 1, 3.5f, 6, 6.5f, 7, 7.5f, 7.999f};
  const float top[] = {480, 296.25f, 165, 86.25f, 60, 60, 60, 60, 60, 60, 60};
  const float fo2[] = {1, 1, 1, 1, 1, 1, 1, 0.5625f, 0.25f, 0.0625f, 0};
  for (float base : {16.0f, 48.0f, 72.0f})
    for (int i = 0; i < 11; ++i) {
      const PhaseClock c = readPhaseClock(base + u[i]);
      EXPECT_NEAR(cardTop(c.slide), top[i], 0.01) << "s " << base + u[i];
      EXPECT_NEAR(cardOpacity(c.fadeOut), fo2[i], 1e-4) << "s " << base + u[i];
    }
}

TEST(SlideshowTiming, LayerPictureOpacityAndCardCells) {
  const float u[] = {0, 0.25f, 0.5f, 1, 1.5f, 2, 4, 6, 6.5f, 7, 7.5f, 8};
  const float want[] = {0, 0.3536f, 0.5f, 0.7071f, 0.8660f, 1, 1, 1, 0.8660f, 0.7071f, 0.5f, 0};
  for (float base : {0.0f, 56.0f})
    for (int i = 0; i < 12; ++i) {
      const float s = i == 11 ? std::nextafter(base + 8, 0.0f) : base + u[i];  // u -> 8
      const PhaseClock c = readPhaseClock(s);
      EXPECT_NEAR(layerPictureOpacity(c.fadeIn, c.fadeOut), want[i], i == 11 ? 3e-3 : 6e-5) << "s " << s;
    }
  // The atlas cells written out on purpose, not taken from screen/layout.h: a slip there
  // must not pass by checking the layout against itself.
  const float cells[5][2] = {{0, 0}, {0.25f, 0}, {0.5f, 0}, {0.75f, 0}, {0, 0.35546875f}};
  for (int k = 0; k < 5; ++k) {
    float u0, v0;
    cardCell(k, &u0, &v0);
    EXPECT_EQ(u0, cells[k][0]) << "card " << k;
    EXPECT_EQ(v0, cells[k][1]) << "card " << k;
  }
}

TEST(WriterTiming, StripCornersAndAlphaEveryRow) {
  struct Row {
    float u, alpha, corner[7][2];
  };
  const Row rows[] = {
      {0,
       0,
       {{-160, 200},
        {-35.34f, 220},
        {64.48f, 240},
        {142.22f, 260},
        {200.64f, 280},
        {242.5f, 300},
        {270.56f, 320}}},
      {0.4f,
       0.3241f,
       {{64.48f, 200},
        {142.22f, 220},
        {200.64f, 240},
        {242.5f, 260},
        {270.56f, 280},
        {287.58f, 300},
        {296.32f, 320}}},
      {1,
       0.6156f,
       {{242.5f, 200},
        {270.56f, 220},
        {287.58f, 240},
        {296.32f, 260},
        {299.54f, 280},
        {300, 300},
        {300, 320}}},
      {2, 1, {{300, 200}, {300, 220}, {300, 240}, {300, 260}, {300, 280}, {300, 300}, {300, 320}}},
      {4, 1, {{300, 200}, {300, 220}, {300, 240}, {300, 260}, {300, 280}, {300, 300}, {300, 320}}},
      {6, 1, {{300, 200}, {300, 220}, {300, 240}, {300, 260}, {300, 280}, {300, 300}, {300, 320}}},
      {7,
       0.6156f,
       {{357.5f, 200},
        {329.44f, 194.4f},
        {312.42f, 201.6f},
        {303.68f, 221.6f},
        {300.46f, 254.4f},
        {300, 300},
        {300, 320}}},
      {7.6f,
       0.3241f,
       {{535.52f, 200},
        {457.78f, 175.2f},
        {399.36f, 163.2f},
        {357.5f, 164},
        {329.44f, 177.6f},
        {312.42f, 204},
        {303.68f, 243.2f}}},
      {8,
       0,
       {{760, 200},
        {635.34f, 162.4f},
        {535.52f, 137.6f},
        {457.78f, 125.6f},
        {399.36f, 126.4f},
        {357.5f, 140},
        {329.44f, 166.4f}}},
  };
  for (float base : {8.0f, 48.0f, 120.0f})
    for (const Row& row : rows) {
      const float s = row.u == 8 ? std::nextafter(base + 8, 0.0f) : base + row.u;  // u -> 8
      const PhaseClock c = readPhaseClock(s);
      EXPECT_NEAR(writerAlpha(c.fadeIn, c.fadeOut), row.alpha, row.u == 8 ? 3e-3 : 1e-4) << "s " << s;
      for (int i = 0; i < 7; ++i) {
        float x, y;
        writerStripCorner(i, c.fadeIn, c.fadeOut, &x, &y);
        EXPECT_NEAR(x, row.corner[i][0], 0.006) << "strip " << i << " x at s " << s;
        EXPECT_NEAR(y, row.corner[i][1], 0.006) << "strip " << i << " y at s " << s;
      }
    }
}

TEST(WriterTiming, BlockAndBandsOfEveryPhase) {
  const float top[7] = {0, 0, 0.13671875f, 0.2734375f, 0.41015625f, 0.546875f, 0.68359375f};
  for (int a = 0; a < 7; ++a) {
    const int block = writerBlock(readPhaseClock(56 + 8 * a + 4).index);
    EXPECT_EQ(block, a - 1) << "phase " << a;
    if (block < 0) continue;
    EXPECT_EQ(writerBandTop(block, 0), top[a]) << "phase " << a;
    EXPECT_EQ(writerBandTop(block, 6) + writerBandHeight, top[a] + 0.13671875f) << "phase " << a;
    for (int i = 0; i < 7; ++i)
      EXPECT_EQ(writerBandTop(block, i) * 1024, 20.0f * (7 * block + i)) << "band " << 7 * block + i;
  }
}
