// The frame composer and the virtual screen, as a viewer sees them.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include "app/clock.h"
#include "app/composer.h"
#include "assets/assets.h"
#include "glrig.h"
#include "screen/quad.h"

namespace {

// Draws one frame with the clocks at the given show time and tick reading.
Pixels frameAt(double showSeconds, uint32_t ticks = 0) {
  setVirtualClock(uint32_t(showSeconds * 1000.0 + 0.5), ticks);
  drawScene();
  return readScreen();
}

bool isColour(const Pixels& p, int x, int y, int r, int g, int b) {
  return p.r(x, y) == r && p.g(x, y) == g && p.b(x, y) == b;
}

class Composer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openOffscreen());
    resetComposer();
    noFade = 0;
  }
};

}  // namespace

TEST_F(Composer, VirtualScreenHasOriginTopLeftAndYDown) {
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_TEXTURE_2D);
  glColor3f(1, 0, 0);
  drawQuad(0, 0, 64, 48, 0, 0, 1, 1);  // top-left corner, 10% of each side
  const Pixels p = readScreen();
  EXPECT_TRUE(isColour(p, 0, 0, 255, 0, 0));
  EXPECT_TRUE(isColour(p, 63, 47, 255, 0, 0));
  EXPECT_TRUE(isColour(p, 64, 47, 0, 0, 0));
  EXPECT_TRUE(isColour(p, 63, 48, 0, 0, 0));
  EXPECT_TRUE(isColour(p, 639, 479, 0, 0, 0));
}

TEST_F(Composer, DrawQuadPutsFirstTextureCornerTopLeft) {
  // A 2x2 texture: red, green on the top row; blue, white below.
  const std::vector<uint8_t> texels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  GLuint name;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  glColor3f(1, 1, 1);
  drawQuad(100, 100, 200, 100, 0, 0, 1, 1);
  glDisable(GL_TEXTURE_2D);
  const Pixels p = readScreen();
  EXPECT_TRUE(isColour(p, 110, 110, 255, 0, 0)) << "top-left shows texel (0,0)";
  EXPECT_TRUE(isColour(p, 290, 110, 0, 255, 0)) << "top-right shows texel (1,0)";
  EXPECT_TRUE(isColour(p, 110, 190, 0, 0, 255)) << "bottom-left shows texel (0,1)";
  EXPECT_TRUE(isColour(p, 290, 190, 255, 255, 255));
  EXPECT_TRUE(isColour(p, 99, 150, 0, 0, 0));
  EXPECT_TRUE(isColour(p, 300, 150, 0, 0, 0));
}

TEST_F(Composer, LogoStandsTopRightInEveryScenePhaseAndNeverInTitle) {
  // A solid magenta logo so it cannot be mistaken for the animation's greys.
  const std::string file = "magenta_logo.png";
  std::vector<uint8_t> rgba(256 * 128 * 4);
  for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = 255, rgba[i + 2] = 255, rgba[i + 3] = 255;
  ASSERT_TRUE(writeTestPng(file, 256, 128, PNG_COLOR_TYPE_RGB_ALPHA, rgba));
  pngInfo info;
  logoTexture = pngBind(file.c_str(), PNG_NOMIPMAPS, PNG_ALPHA, &info, GL_CLAMP, GL_NEAREST, GL_NEAREST);
  ASSERT_NE(logoTexture, 0u);

  for (double scene : {0.0, 4.0, 20.0, 30.0, 52.0, 60.0}) {
    const Pixels p = frameAt(10.0 + scene);
    SCOPED_TRACE("scene time " + std::to_string(scene));
    EXPECT_TRUE(isColour(p, 512, 64, 255, 0, 255));
    EXPECT_TRUE(isColour(p, 384, 127, 255, 0, 255)) << "bottom-left corner of the logo";
    EXPECT_TRUE(isColour(p, 639, 11, 255, 0, 255)) << "top-right corner below the scroller strip";
    EXPECT_FALSE(isColour(p, 383, 64, 255, 0, 255)) << "left of the logo";
    EXPECT_FALSE(isColour(p, 512, 128, 255, 0, 255)) << "below the logo";
  }
  for (double title : {0.0, 5.0, 9.5}) {
    const Pixels p = frameAt(title);
    EXPECT_FALSE(isColour(p, 512, 64, 255, 0, 255)) << "no logo in the title phase at " << title;
  }
}

TEST_F(Composer, EveryFrameStartsFromBlack) {
  // Whatever the buffer held, the same show time gives the same picture.
  for (double showTime : {3.0, 14.0, 30.0}) {
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    const Pixels overRed = frameAt(showTime);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    const Pixels overGreen = frameAt(showTime);
    EXPECT_EQ(overRed.rgb, overGreen.rgb) << "show time " << showTime;
  }
}

// The re-roll's rates in order, sampled one tick past each 4000 ms boundary.
TEST_F(Composer, RatesFollowTheFixedSequence) {
  const float expected[] = {5, 10, 17, 5, 12, 7, 20, 20, 5, 7, 8, 8};
  frameAt(1.0, 0);  // first frame: the tick base
  EXPECT_EQ(animationRate, 5.0f);
  uint32_t ticks = 0;
  for (float rate : expected) {
    ticks += 4001;
    frameAt(1.0, ticks);
    EXPECT_EQ(animationRate, rate) << "at tick " << ticks;
  }
}

TEST_F(Composer, NoReRollAtExactly4000Ms) {
  frameAt(1.0, 1000);
  frameAt(1.0, 5000);  // exactly 4000 ms after the first frame
  frameAt(1.0, 5001);  // first re-roll: draws the sequence's first rate, 5
  EXPECT_EQ(animationRate, 5.0f);
  frameAt(1.0, 9001);  // exactly 4000 ms after that re-roll: no second draw yet
  EXPECT_EQ(animationRate, 5.0f);
  frameAt(1.0, 9002);
  EXPECT_EQ(animationRate, 10.0f) << "the second draw comes only past 4000 ms";
}

TEST_F(Composer, TickCounterWrapDoesNoHarm) {
  const uint32_t start = 0xFFFFF000u;  // wraps 4096 ms later
  frameAt(1.0, start);
  frameAt(1.0, start + 4001);  // past the wrap
  frameAt(1.0, start + 8002);
  EXPECT_EQ(animationRate, 10.0f);
}

// A rate change makes the animation jump: at scene time 20 s, rate 17 shows frame 340
// (frame 140 of the loop), which rate 5 shows at scene time 28 s. Compared where only
// the animation is drawn (between the card and the writer strips, both at rest).
TEST_F(Composer, RateChangeJumpsTheAnimation) {
  noFade = 1;
  auto region = [](const Pixels& p) {
    std::vector<uint8_t> out;
    for (int y = 11; y < 416; ++y)
      for (int x = 258; x < 298; ++x) out.insert(out.end(), p.at(x, y), p.at(x, y) + 3);
    return out;
  };
  frameAt(38.0, 0);  // rate 5, scene 28: frame 140
  const auto frame140 = region(readScreen());
  frameAt(30.0, 4001);
  frameAt(30.0, 8002);  // rate 10, scene 20: frame 200, i.e. frame 0
  const auto frame0 = region(readScreen());
  frameAt(30.0, 12003);
  ASSERT_EQ(animationRate, 17.0f);
  const auto jumped = region(readScreen());
  EXPECT_EQ(jumped, frame140);
  EXPECT_NE(jumped, frame0);
}

// On a surface of another shape the picture keeps its 4:3 shape: at these sizes it is
// the 640x480 frame itself, pixel for pixel, between bars that every frame clears black
// (the buffer is red before each frame).
TEST_F(Composer, OtherShapesShowThePictureUnstretchedBetweenBlackBars) {
  const double times[] = {3.0, 9.5};  // title with its bars, and fading out
  std::vector<Pixels> reference;
  for (double t : times) reference.push_back(frameAt(t));
  struct Shape {
    int width, height, x, y;
  } shapes[] = {{1280, 480, 320, 0}, {640, 960, 0, 240}};
  for (const Shape& s : shapes) {
    ASSERT_TRUE(openOffscreen(s.width, s.height));
    for (size_t k = 0; k < reference.size(); ++k) {
      SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height) + " at " +
                   std::to_string(times[k]) + " s");
      glClearColor(1, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT);
      glClearColor(0, 0, 0, 0);
      const Pixels p = frameAt(times[k]);
      int wrong = 0, barPixels = 0;
      for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
          const int px = x - s.x, py = y - s.y;
          if (px >= 0 && px < 640 && py >= 0 && py < 480) {
            wrong += !std::equal(p.at(x, y), p.at(x, y) + 3, reference[k].at(px, py));
          } else {
            ++barPixels;
            wrong += !isColour(p, x, y, 0, 0, 0);
          }
        }
      EXPECT_EQ(barPixels, 640 * 480);
      EXPECT_EQ(wrong, 0) << "pixels not as on a 640x480 surface or not black";
    }
  }
}
