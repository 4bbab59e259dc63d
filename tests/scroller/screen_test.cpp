// What the viewer sees of the scroller: the strip across the top and the footer bar.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <iterator>

#include "app/clock.h"
#include "app/composer.h"
#include "fonts.h"
#include "glrig.h"

namespace {

class Screen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openOffscreen());
    useNumberedFont();
    initScroller();
  }
};

// Buffer byte shown at strip pixel (x, y) when each byte names its row and column.
unsigned char pattern(int row, int x) { return (unsigned char)(x * 7 + row * 31 + 1); }

}  // namespace

TEST_F(Screen, StartUpMakesAnEmpty1024By16TextureAndTypesetsEntryZero) {
  GLint width = 0, height = 0;
  glBindTexture(GL_TEXTURE_2D, scrollTexture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  EXPECT_NE(scrollTexture, 0u);
  EXPECT_EQ(width, 1024);
  EXPECT_EQ(height, 16);
  EXPECT_EQ(scrollCursor, 252);
  EXPECT_EQ(scrollTextPos, 42);
  EXPECT_EQ(scrollTextIndex, 0);
}

TEST_F(Screen, StripShowsBufferRowsTwoToElevenOneTexelPerPixel) {
  for (int r = 0; r < 16; ++r)
    for (int x = 0; x < 1024; ++x) scrollBuffer[r * 1024 + x] = r < 10 ? pattern(r, x) : 0;
  scrollCursor = 705;  // nothing more to typeset and, at the same time, nothing moves
  glClear(GL_COLOR_BUFFER_BIT);
  drawFooterAndScroller(scrollLastTime);
  const Pixels p = readScreen();
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 640; ++x) {
      const int want = y < 8 ? pattern(y + 2, x) : 0;
      ASSERT_EQ(p.r(x, y), want) << "strip pixel " << x << "," << y;
      ASSERT_TRUE(p.g(x, y) == want && p.b(x, y) == want) << "grey at " << x << "," << y;
    }
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_BLEND));
  EXPECT_TRUE(colour[0] == 1 && colour[1] == 1 && colour[2] == 1 && colour[3] == 1);
}

TEST_F(Screen, FooterFillsBottomRowsAndRepeatsItsEdgeColumns) {
  std::vector<uint8_t> rgb(512 * 64 * 3);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 512; ++x) {
      uint8_t* t = &rgb[(y * 512 + x) * 3];
      t[0] = uint8_t(x / 2), t[1] = uint8_t(y * 4), t[2] = x == 0 ? 255 : x == 511 ? 128 : 0;
    }
  ASSERT_TRUE(writeTestPng("footer_test.png", 512, 64, PNG_COLOR_TYPE_RGB, rgb));
  pngInfo info;
  footerTexture =
      pngBind("footer_test.png", PNG_NOMIPMAPS, PNG_SOLID, &info, GL_CLAMP, GL_NEAREST, GL_NEAREST);
  ASSERT_NE(footerTexture, 0u);
  glClear(GL_COLOR_BUFFER_BIT);
  drawFooterAndScroller(0.0f);
  const Pixels p = readScreen();
  for (int y = 416; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const int ix = x < 64 ? 0 : x >= 576 ? 511 : x - 64;
      const uint8_t* want = &rgb[((y - 416) * 512 + ix) * 3];
      ASSERT_TRUE(p.r(x, y) == want[0] && p.g(x, y) == want[1] && p.b(x, y) == want[2])
          << "screen " << x << "," << y << " should show image column " << ix;
    }
  EXPECT_EQ(p.r(320, 415), 0) << "nothing above the bar";
}

// The composer runs the scroller on scene time in every scene frame: a solid font shows
// the first paragraph at the strip's right edge once 873 columns have gone by. Frames
// every half second, then every 20 ms around that moment (the scroller's pace at any
// frame rate is the motion tests' business).
TEST_F(Screen, SceneFramesMoveTheStripInTime) {
  useSolidFont();
  initScroller();
  resetComposer();
  unsigned firstLit = 0;  // show time (ms) when the strip's last column first lights
  for (unsigned ms = 10000; ms <= 19000 && !firstLit; ms += ms < 18500 ? 500 : 20) {
    setVirtualClock(ms, ms);
    drawScene();
    const Pixels p = readScreen();
    if (p.r(639, 4) == 255) firstLit = ms;
    for (int x = 0; x < 640; x += 7)
      ASSERT_EQ(p.r(x, 8) + p.r(x, 9), 0) << "strip rows 8 and 9 stay black, x " << x;
  }
  EXPECT_GE(firstLit, 18730u);
  EXPECT_LE(firstLit, 18750u);
}

// With the show's own font (when the pictures are built): every glyph is visible in the
// strip's rows, and a few paragraphs go to scroller-strip.png, three times enlarged.
TEST_F(Screen, RealFontGlyphsLieInTheStripRows) {
  const std::string path = std::string(SHOW_DIR) + "/" + showPictureFiles[fontPicture].name;
  testing::internal::CaptureStderr();
  const bool loaded = pngLoadRaw(path.c_str(), &fontImage) == 1;
  resetScroller();
  const std::string said = testing::internal::GetCapturedStderr();
  if (!loaded) GTEST_SKIP() << "no " << path << " (build the target pictures)";
  ASSERT_EQ(said, "");
  for (int k = 0; k < 36; ++k) {
    int hidden = 0, shown = 0;
    for (int r = 0; r < 10; ++r)
      for (int c = glyphBounds[k]; c < glyphBounds[k + 1]; ++c)
        (r < 2 ? hidden : shown) += fontImage.Data[r * 1024 + c] != 0;
    EXPECT_TRUE(hidden == 0 && shown > 0) << "glyph " << glyphAlphabet[k] << ": " << hidden
                                          << " pixels in rows 0-1, " << shown << " in rows 2-9";
  }
  const int entries[] = {6, 9, 22, 39, 47};
  Pixels strip;
  strip.width = 640 * 3;
  strip.height = int(std::size(entries)) * 36;
  strip.rgb.assign(size_t(strip.width) * strip.height * 3, 0);
  for (size_t i = 0; i < std::size(entries); ++i) {
    memset(scrollBuffer, 0, sizeof scrollBuffer);
    scrollCursor = 0, scrollTextIndex = entries[i], scrollTextPos = 0;
    advanceScroller(scrollLastTime);
    glClear(GL_COLOR_BUFFER_BIT);
    drawFooterAndScroller(scrollLastTime);
    const Pixels p = readScreen();
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < strip.width; ++x)
        memcpy(&strip.rgb[((i * 36 + 3 + y) * strip.width + x) * 3], p.at(x / 3, y / 3), 3);
  }
  EXPECT_TRUE(writePng("scroller-strip.png", strip));
}
