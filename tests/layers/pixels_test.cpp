// What the overlay layers put on the screen, read back from an offscreen context.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "assets/assets.h"
#include "glrig.h"
#include "layers/layers.h"
#include "layers/timing.h"
#include "screen/quad.h"

namespace {

// An opaque test image, colour of each texel from its position; bound like the show's.
template <typename F>
unsigned bindTestImage(const char* file, int w, int h, F colourAt) {
  std::vector<uint8_t> rgba(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgb c = colourAt(x, y);
      uint8_t* p = &rgba[(size_t(y) * w + x) * 4];
      p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
    }
  if (!writeTestPng(file, w, h, PNG_COLOR_TYPE_RGB_ALPHA, rgba)) return 0;
  pngInfo info;
  return pngBind(file, PNG_NOMIPMAPS, PNG_ALPHA, &info, GL_CLAMP, GL_NEAREST, GL_NEAREST);
}

Rgb scaled(Rgb c, float a) {
  return {int(std::lround(c[0] * a)), int(std::lround(c[1] * a)), int(std::lround(c[2] * a))};
}

const Rgb black = {0, 0, 0};
const Rgb cardColour[6] = {{230, 40, 40},  {40, 230, 40},  {40, 40, 230},
                           {230, 230, 40}, {40, 230, 230}, {230, 40, 230}};

// Band k of the strip image: a colour of its own for each of the 52 bands.
Rgb bandColour(int band) { return {40 + 4 * band, 250 - 3 * band, band % 2 ? 250 : 120}; }

class Layers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openOffscreen());
    enterScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  // The state the composer enters the slideshow and the writer strips with.
  static void enterOverlays() {
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLoadIdentity();
    glColor3f(1, 1, 1);
  }
  static void leaveOverlays() {
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
  }
};

}  // namespace

// Picture: grey 40 left of the image's centre, grey 200 right of it, red in the
// margins that must fall outside the screen. Bars add light and clamp at 255.
TEST_F(Layers, TitleAddsBarLightOverCentredPictureAndFades) {
  titleTexture = bindTestImage("title.png", 1024, 512, [](int x, int y) -> Rgb {
    if (x < 192 || x >= 832 || y < 16 || y >= 496) return {255, 0, 0};
    return x < 512 ? Rgb{40, 40, 40} : Rgb{200, 200, 200};
  });
  ASSERT_NE(titleTexture, 0u);
  for (float t : {0.0f, 5.0f, 9.5f}) {
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    drawTitleScreen(t);
    const Pixels p = readScreen();
    const float b = titleBrightness(t), peak[3] = {0.8f * b, 0.7f * b, 0.3f * b};
    auto want = [&](int x, int y) {
      float light = 0;  // sum of the bars' triangular profiles at the pixel centre
      for (int i = 0; i < 6; ++i)
        light += std::max(0.0f, 1 - std::fabs(y + 0.5f - titleBarTop(i, t) - 16) / 16);
      Rgb c;
      for (int k = 0; k < 3; ++k)
        c[k] = std::min(255, int(std::lround((x < 320 ? 40 : 200) * b + 255 * peak[k] * light)));
      return c;
    };
    EXPECT_EQ(mismatches(p, 0, 0, 640, 480, 3, want), 0) << "title at t " << t;
  }
  GLboolean blend = 1, texturing = 1;
  glGetBooleanv(GL_BLEND, &blend);
  glGetBooleanv(GL_TEXTURE_2D, &texturing);
  EXPECT_FALSE(blend || texturing) << "the title leaves blending and texturing off";
}

// Cards 0-4 from an atlas whose cells all differ (magenta where no card may sample). The
// 256 x 364 cells are written out on purpose, as a check independent of screen/layout.h.
TEST_F(Layers, CardsSlideUpFromTheirOwnAtlasCells) {
  cardsTexture = bindTestImage("cards.png", 1024, 1024, [](int x, int y) {
    const int card = y < 364 ? x / 256 : y < 728 && x < 256 ? 4 : 5;
    return cardColour[card];
  });
  ASSERT_NE(cardsTexture, 0u);
  struct Case {
    float s;
    int card, top;
    float opacity;
  };
  const Case cases[] = {{17, 0, 60, 1}, {16.5f, 0, 165, 1}, {23, 0, 60, 0.25f}, {27, 1, 60, 1},
                        {35, 2, 60, 1}, {43, 3, 60, 1},     {52, 4, 60, 1},     {111, 4, 60, 0.25f}};
  for (const Case& c : cases) {
    enterOverlays();
    drawSlideshow(c.s);
    leaveOverlays();
    const Pixels p = readScreen();
    const Rgb card = scaled(cardColour[c.card], c.opacity);
    EXPECT_EQ(
        mismatches(p, 0, 0, 640, 480, 1,
                   [&](int x, int y) { return x < 256 && y >= c.top && y < c.top + 364 ? card : black; }),
        0)
        << "card " << c.card << " at s " << c.s;
  }
  enterOverlays();
  drawSlideshow(16);  // arrives hidden below the bottom edge
  leaveOverlays();
  EXPECT_EQ(mismatches(readScreen(), 0, 0, 640, 480, 0, [](int, int) { return black; }), 0);
}

TEST_F(Layers, LayerPictureFadesInCentredAndPhaseOneDrawsNothing) {
  const Rgb grey = {180, 180, 180};
  layerTexture = bindTestImage("layer.png", 512, 256, [&](int, int) { return grey; });
  ASSERT_NE(layerTexture, 0u);
  for (float s : {0.5f, 4.0f, 8.5f, 14.5f}) {
    enterOverlays();
    glTranslatef(5, 0, 0);  // the layer loads the identity itself
    drawSlideshow(s);
    GLfloat colour[4], matrix[16];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    leaveOverlays();
    const float opacity = s == 0.5f ? 0.5f : s == 4.0f ? 1.0f : 0.0f;
    EXPECT_EQ(mismatches(readScreen(), 0, 0, 640, 480, 1,
                         [&](int x, int y) {
                           return x >= 64 && x < 576 && y >= 144 && y < 400 ? scaled(grey, opacity) : black;
                         }),
              0)
        << "s " << s;
    if (s == 14.5f) {
      EXPECT_EQ(colour[3], 0.5625f) << "phase 1 still sets alpha fo^2";
    }
    EXPECT_EQ(matrix[12], 0.0f) << "identity modelview at s " << s;
  }
}

// Every phase 1-6 at rest: the block at x 300-556, y 200-340, bands 7w..7w+6.
TEST_F(Layers, WriterBlockAtRestShowsItsBands) {
  writerTexture = bindTestImage("writer.png", 256, 1024, [](int, int y) { return bandColour(y / 20); });
  ASSERT_NE(writerTexture, 0u);
  for (int phase = 1; phase <= 6; ++phase) {
    const float s = 8.0f * phase + 4;
    enterOverlays();
    drawWriterStrips(s);
    leaveOverlays();
    EXPECT_EQ(mismatches(readScreen(), 0, 0, 640, 480, 0,
                         [&](int x, int y) {
                           const bool in = x >= 300 && x < 556 && y >= 200 && y < 340;
                           return in ? bandColour(7 * (phase - 1) + (y - 200) / 20) : black;
                         }),
              0)
        << "block " << phase - 1 << " at s " << s;
  }
}

// Strip 0 coming in at s 8.2 (x -35.34) and going out at s 15.6 (x 535.52; strip 5
// lies over it up to x 568.42).
TEST_F(Layers, WriterStripsPartlyOffScreenAreClipped) {
  writerTexture = bindTestImage("writer.png", 256, 1024, [](int, int y) { return bandColour(y / 20); });
  struct Case {
    float s;
    int x0, x1;
  };
  for (const Case& c : {Case{8.2f, 0, 221}, Case{15.6f, 569, 640}}) {
    enterOverlays();
    drawWriterStrips(c.s);
    leaveOverlays();
    const PhaseClock clock = readPhaseClock(c.s);
    const Rgb strip0 = scaled(bandColour(0), writerAlpha(clock.fadeIn, clock.fadeOut));
    EXPECT_EQ(mismatches(readScreen(), c.x0, 200, c.x1, 220, 2, [&](int, int) { return strip0; }), 0)
        << "strip 0 at s " << c.s;
  }
}

TEST_F(Layers, WriterTouchesNoStateInPhaseZero) {
  const GLfloat colour[4] = {0.25f, 0.5f, 0.75f, 0.125f};
  for (float s : {0.0f, 3.5f, std::nextafter(8.0f, 0.0f), 56.0f, 117.0f}) {
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 12345);
    glColor4fv(colour);
    glLoadIdentity();
    glTranslatef(3, 4, 0);
    drawWriterStrips(s);
    GLfloat nowColour[4], matrix[16];
    GLint bound = 0;
    glGetFloatv(GL_CURRENT_COLOR, nowColour);
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glDisable(GL_TEXTURE_2D);
    glLoadIdentity();
    EXPECT_TRUE(std::equal(colour, colour + 4, nowColour)) << "colour changed at s " << s;
    EXPECT_EQ(matrix[12], 3.0f) << "modelview changed at s " << s;
    EXPECT_EQ(bound, 12345) << "texture changed at s " << s;
    EXPECT_EQ(mismatches(readScreen(), 0, 0, 640, 480, 0, [](int, int) { return black; }), 0);
  }
}
