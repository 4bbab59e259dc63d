// Loading pictures: what the layers get from a file, and what a bad file leaves.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>

#include "glrig.h"
#include "images/images.h"
#include "screen/quad.h"

namespace {

// Draws the texture on the given quad over a red background, blending by its alpha,
// and returns the screen.
Pixels drawTexture(unsigned name, float x, float y, int w, int h) {
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, name);
  glColor4f(1, 1, 1, 1);
  drawQuad(x, y, w, h, 0, 0, 1, 1);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  return readScreen();
}

unsigned bind(const std::string& file, int trans) {
  pngInfo info;
  return pngBind(file.c_str(), PNG_NOMIPMAPS, trans, &info, GL_CLAMP, GL_NEAREST, GL_NEAREST);
}

std::vector<uint8_t> solidRgba(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  std::vector<uint8_t> v(size_t(w) * h * 4);
  for (size_t i = 0; i < v.size(); i += 4) v[i] = r, v[i + 1] = g, v[i + 2] = b, v[i + 3] = a;
  return v;
}

class Images : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openOffscreen());
    unsetenv("VIEWING_GAMMA");
    enterScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
};

}  // namespace

TEST_F(Images, OddSizedPictureFillsItsQuadAsPowerOfTwoTexture) {
  // 640x480 with a different colour in each quadrant.
  std::vector<uint8_t> rgb(640 * 480 * 3);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      uint8_t* p = &rgb[(size_t(y) * 640 + x) * 3];
      p[0] = x < 320 ? 255 : 0;
      p[1] = y < 240 ? 255 : 0;
      p[2] = (x >= 320) == (y >= 240) ? 255 : 0;
    }
  ASSERT_TRUE(writeTestPng("quadrants.png", 640, 480, PNG_COLOR_TYPE_RGB, rgb));
  const unsigned name = bind("quadrants.png", PNG_SOLID);
  ASSERT_NE(name, 0u);
  GLint w = 0, h = 0;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 512);
  const Pixels p = drawTexture(name, 0, 0, 640, 480);
  EXPECT_EQ(std::vector<int>({p.r(0, 0), p.g(0, 0), p.b(0, 0)}), std::vector<int>({255, 255, 255}));
  EXPECT_EQ(std::vector<int>({p.r(639, 0), p.g(639, 0), p.b(639, 0)}), std::vector<int>({0, 255, 0}));
  EXPECT_EQ(std::vector<int>({p.r(0, 479), p.g(0, 479), p.b(0, 479)}), std::vector<int>({255, 0, 0}));
  EXPECT_EQ(std::vector<int>({p.r(639, 479), p.g(639, 479), p.b(639, 479)}), std::vector<int>({0, 0, 255}));
  EXPECT_EQ(p.r(319, 100), 255);
  EXPECT_EQ(p.r(321, 100), 0) << "quadrant edge stays where the picture has it";
}

TEST_F(Images, TransparencyModes) {
  // Fully transparent blue: solid mode must show it opaque, alpha mode must hide it.
  ASSERT_TRUE(writeTestPng("clear_blue.png", 4, 4, PNG_COLOR_TYPE_RGB_ALPHA, solidRgba(4, 4, 0, 0, 255, 0)));
  Pixels p = drawTexture(bind("clear_blue.png", PNG_SOLID), 0, 0, 64, 64);
  EXPECT_EQ(p.b(10, 10), 255) << "solid drops the alpha";
  EXPECT_EQ(p.r(10, 10), 0);
  p = drawTexture(bind("clear_blue.png", PNG_ALPHA), 0, 0, 64, 64);
  EXPECT_EQ(p.r(10, 10), 255) << "alpha mode keeps the file's alpha: background shows";
  EXPECT_EQ(p.b(10, 10), 0);

  // Half-transparent green blends; an RGB file in alpha mode is opaque.
  ASSERT_TRUE(
      writeTestPng("half_green.png", 4, 4, PNG_COLOR_TYPE_RGB_ALPHA, solidRgba(4, 4, 0, 255, 0, 128)));
  p = drawTexture(bind("half_green.png", PNG_ALPHA), 0, 0, 64, 64);
  EXPECT_NEAR(p.g(10, 10), 128, 2);
  EXPECT_NEAR(p.r(10, 10), 127, 2);
  ASSERT_TRUE(writeTestPng("green.png", 4, 4, PNG_COLOR_TYPE_RGB, std::vector<uint8_t>(48, 0)));
  p = drawTexture(bind("green.png", PNG_ALPHA), 0, 0, 64, 64);
  EXPECT_EQ(p.r(10, 10), 0) << "no alpha channel: drawn opaque";
}

TEST_F(Images, GreyPaletteAnd16BitShowTheirColours) {
  ASSERT_TRUE(writeTestPng("grey.png", 4, 4, PNG_COLOR_TYPE_GRAY, std::vector<uint8_t>(16, 100)));
  Pixels p = drawTexture(bind("grey.png", PNG_ALPHA), 0, 0, 64, 64);
  EXPECT_EQ(std::vector<int>({p.r(5, 5), p.g(5, 5), p.b(5, 5)}), std::vector<int>({100, 100, 100}));

  // Grey + alpha: grey 200 at alpha 0 over red shows red.
  std::vector<uint8_t> ga(32);
  for (size_t i = 0; i < ga.size(); i += 2) ga[i] = 200, ga[i + 1] = 0;
  ASSERT_TRUE(writeTestPng("grey_alpha.png", 4, 4, PNG_COLOR_TYPE_GRAY_ALPHA, ga));
  p = drawTexture(bind("grey_alpha.png", PNG_ALPHA), 0, 0, 64, 64);
  EXPECT_EQ(p.r(5, 5), 255);
  EXPECT_EQ(p.g(5, 5), 0);

  // 16-bit RGB: 0x8000 becomes 128.
  std::vector<uint8_t> deep(4 * 4 * 6, 0);
  for (size_t i = 0; i < deep.size(); i += 6) deep[i + 2] = 0x80;  // green high byte
  ASSERT_TRUE(writeTestPng("deep.png", 4, 4, PNG_COLOR_TYPE_RGB, deep, 16));
  p = drawTexture(bind("deep.png", PNG_ALPHA), 0, 0, 64, 64);
  EXPECT_EQ(std::vector<int>({p.r(5, 5), p.g(5, 5), p.b(5, 5)}), std::vector<int>({0, 128, 0}));
}

TEST_F(Images, PaletteWithTransparency) {
  // Index 0 opaque yellow, index 1 fully transparent white; left half 0, right half 1.
  std::vector<uint8_t> indices(16);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = i % 4 < 2 ? 0 : 1;
  ASSERT_TRUE(writeTestPng("palette.png", 4, 4, PNG_COLOR_TYPE_PALETTE, indices, 8, false,
                           {255, 255, 0, 255, 255, 255}, {255, 0}));

  Pixels p = drawTexture(bind("palette.png", PNG_ALPHA), 0, 0, 64, 64);
  EXPECT_EQ(std::vector<int>({p.r(5, 5), p.g(5, 5), p.b(5, 5)}), std::vector<int>({255, 255, 0}));
  EXPECT_EQ(std::vector<int>({p.r(50, 5), p.g(50, 5), p.b(50, 5)}), std::vector<int>({255, 0, 0}))
      << "transparent entry shows the background";
  p = drawTexture(bind("palette.png", PNG_SOLID), 0, 0, 64, 64);
  EXPECT_EQ(std::vector<int>({p.r(50, 5), p.g(50, 5), p.b(50, 5)}), std::vector<int>({255, 255, 255}))
      << "solid shows the entry's colour";
}

TEST_F(Images, BadFilesLeaveTextureZeroAndSayWhy) {
  std::vector<uint8_t> rgb(64 * 64 * 3, 77);
  ASSERT_TRUE(writeTestPng("good.png", 64, 64, PNG_COLOR_TYPE_RGB, rgb));
  const std::string good = readBytes("good.png");
  writeBytes("truncated.png", good.substr(0, good.size() / 2));
  writeBytes("text.png", "this is not a picture\n");
  writeBytes("empty.png", "");

  // A header claiming 100000 x 100000 pixels, with a valid checksum.
  std::string ihdr("IHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\x02\0\0\0", 17);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(ihdr.data()), ihdr.size());
  std::string huge = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0d", 12) + ihdr;
  for (int shift : {24, 16, 8, 0}) huge += char((crc >> shift) & 0xFF);
  writeBytes("huge.png", huge);

  for (const char* file : {"missing.png", "truncated.png", "text.png", "empty.png", "huge.png"}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(bind(file, PNG_ALPHA), 0u) << file;
    pngRawInfo raw;
    EXPECT_EQ(pngLoadRaw(file, &raw), 0) << file;
    EXPECT_EQ(raw.Data, nullptr);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind(std::string("kessivar: ") + file + ": ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << "one line per load: " << said;
    if (file == std::string("truncated.png")) {
      EXPECT_NE(said.find("(Read Error)"), std::string::npos) << "a cut file is said to be cut: " << said;
    }
  }
  testing::internal::CaptureStderr();
  pngInfo info;
  EXPECT_EQ(pngBind("good.png", 1, PNG_SOLID, &info, GL_CLAMP, GL_NEAREST, GL_NEAREST), 0u)
      << "mipmaps are asked for and not made: no texture";
  testing::internal::GetCapturedStderr();
  // The start-up benchmark sees every step of a good file end.
  static int ended[pictureStepCount];
  onPictureStepEnd = [](PictureStep step) { ++ended[step]; };
  EXPECT_NE(bind("good.png", PNG_SOLID), 0u) << "a good file still loads after bad ones";
  onPictureStepEnd = nullptr;
  for (int step = 0; step < pictureStepCount; ++step) EXPECT_GT(ended[step], 0) << "step " << step;
}

// The texels of level 0 of a texture, RGBA rows.
std::vector<uint8_t> texels(unsigned name) {
  GLint w = 0, h = 0;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  std::vector<uint8_t> out(size_t(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
  return out;
}

TEST_F(Images, BindingInStepsGivesTheWholeBindsTexels) {
  // Binds a file 7 rows a step; the texture name, and in *steps how many steps it took.
  const auto inSteps = [](const char* file, int* steps) {
    pngInfo info;
    unsigned name = 1;
    EXPECT_TRUE(pngBindStart(file, PNG_ALPHA, &info, GL_CLAMP, GL_NEAREST, GL_NEAREST));
    for (*steps = 1; pngBindRows(7, &name);) ++*steps;
    return name;
  };
  setenv("VIEWING_GAMMA", "1.3", 1);  // corrected strip by strip
  int steps = 0;
  for (const int height : {64, 45}) {  // strips uploaded as they come; resampled at the end
    std::vector<uint8_t> rgba(size_t(256) * height * 4);
    uint32_t noise = 1;  // incompressible, so that the rows spread over the file
    for (uint8_t& v : rgba) v = uint8_t((noise = noise * 1664525 + 1013904223) >> 24);
    ASSERT_TRUE(writeTestPng("steps.png", 256, height, PNG_COLOR_TYPE_RGB_ALPHA, rgba));
    EXPECT_EQ(texels(inSteps("steps.png", &steps)), texels(bind("steps.png", PNG_ALPHA))) << height;
  }
  // A file cut short fails at the step that reaches the cut, leaving no texture.
  const std::string file = readBytes("steps.png");
  writeBytes("cut.png", file.substr(0, file.size() * 2 / 3));
  testing::internal::CaptureStderr();
  EXPECT_EQ(inSteps("cut.png", &steps), 0u);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(steps > 1 && steps < 7) << steps;
  EXPECT_EQ(said.rfind("kessivar: cut.png: damaged PNG", 0), 0u) << said;
}

TEST_F(Images, RawLoadGivesTheFileBytes) {
  std::vector<uint8_t> grey(1024 * 12);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = uint8_t(i * 7 + i / 1024);
  ASSERT_TRUE(writeTestPng("font_like.png", 1024, 12, PNG_COLOR_TYPE_GRAY, grey));
  pngRawInfo raw;
  ASSERT_EQ(pngLoadRaw("font_like.png", &raw), 1);
  EXPECT_EQ(raw.Width, 1024u);
  EXPECT_EQ(raw.Height, 12u);
  EXPECT_EQ(raw.Depth, 8u);
  EXPECT_EQ(raw.Components, 1u);
  EXPECT_EQ(raw.Alpha, 0u);
  EXPECT_EQ(std::vector<uint8_t>(raw.Data, raw.Data + grey.size()), grey);
}

TEST_F(Images, ViewingGammaCorrectsAndBadValuesAreIgnored) {
  std::vector<uint8_t> ramp(256);
  for (int i = 0; i < 256; ++i) ramp[i] = uint8_t(i);
  ASSERT_TRUE(writeTestPng("ramp.png", 256, 1, PNG_COLOR_TYPE_GRAY, ramp));
  pngRawInfo raw;
  setenv("VIEWING_GAMMA", "2", 1);  // no gAMA in the file: v -> 255 (v/255)^2
  ASSERT_EQ(pngLoadRaw("ramp.png", &raw), 1);
  EXPECT_EQ(raw.Data[128], 64);
  EXPECT_EQ(raw.Data[255], 255);
  EXPECT_EQ(raw.Data[0], 0);
  for (const char* bad : {"", "abc", "-1", "0", "nan", "2x", "1,5"}) {
    setenv("VIEWING_GAMMA", bad, 1);
    testing::internal::CaptureStderr();
    ASSERT_EQ(pngLoadRaw("ramp.png", &raw), 1) << "'" << bad << "'";
    EXPECT_EQ(raw.Data[128], 128) << "VIEWING_GAMMA='" << bad << "' is ignored";
    ASSERT_EQ(pngLoadRaw("ramp.png", &raw), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string expected = *bad ? std::string("kessivar: VIEWING_GAMMA=\"") + bad +
                                            "\" is not a positive number (like 1.2), ignored\n"
                                      : "";
    EXPECT_EQ(said, expected) << "said once for two pictures, none for an empty value";
  }
}
