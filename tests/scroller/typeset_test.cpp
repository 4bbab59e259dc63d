// Glyphs, typesetting, the block move and the font check, on the buffer itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "fonts.h"

TEST(Glyphs, CaseFoldsAndOnlyLettersAndDigitsHaveGlyphs) {
  for (int c = 'a'; c <= 'z'; ++c) {
    EXPECT_NE(glyphIndex(c), 0) << char(c);
    EXPECT_EQ(glyphIndex(c - 32), glyphIndex(c)) << char(c - 32) << " vs " << char(c);
  }
  for (int c = '0'; c <= '9'; ++c) EXPECT_EQ(glyphIndex(c), c - '0' + 1) << char(c);
  for (unsigned char c : std::string(" !&'()*,-./:;\xF6\xD6\x7F"))
    EXPECT_EQ(glyphIndex(c), 0) << "byte " << int(c);
}

// Each glyph typeset alone at column 0 from a font whose bytes name their column.
TEST(Glyphs, EachGlyphCopiesItsFontColumnsAndAdvancesWidthPlusOne) {
  useNumberedFont();
  const struct {
    char ch;
    int first, width;
  } cases[] = {{'0', 0, 4},   {'i', 87, 2},  {'k', 94, 5},  {'m', 99, 6},  {'l', 105, 4}, {'n', 109, 5},
               {'t', 139, 4}, {'v', 148, 6}, {'w', 154, 8}, {'z', 173, 5}, {'M', 99, 6},  {'L', 105, 4}};
  for (const auto& g : cases) {
    memset(scrollBuffer, 0, sizeof scrollBuffer);
    scrollCursor = 0;
    const char text[] = {g.ch, 0};
    EXPECT_EQ(typesetText(text, -1), 1);
    EXPECT_EQ(scrollCursor, g.width + 1) << g.ch;
    for (int r = 0; r < 10; ++r)
      for (int x = 0; x < 32; ++x) {
        const int want = x < g.width ? 1 + g.first + x : 0;
        ASSERT_EQ(at(r, x), want) << "glyph " << g.ch << " row " << r << " column " << x;
      }
  }
}

TEST(Glyphs, BlanksAdvanceSixAndWriteOnlyTheClearingRun) {
  useNumberedFont();
  for (unsigned char c : std::string(" !&'()*,-./:;\xF6")) {
    memset(scrollBuffer, 0xAA, 10 * 1024);
    scrollCursor = 100;
    const char text[] = {char(c), 0};
    typesetText(text, -1);
    EXPECT_EQ(scrollCursor, 106) << "byte " << int(c);
    for (int r = 0; r < 10; ++r)
      for (int x = 90; x < 140; ++x)
        ASSERT_EQ(at(r, x), x >= 116 && x < 132 ? 0 : 0xAA) << "byte " << int(c) << " x " << x;
  }
}

TEST(Typesetting, TakesACharacterAtColumn700ButNotAt701) {
  useNumberedFont();
  scrollCursor = 700;
  EXPECT_EQ(typesetText("ab", -1), 1);
  EXPECT_EQ(scrollCursor, 706);
  EXPECT_EQ(at(0, 700), 1 + 47) << "a's first column";
  memset(scrollBuffer, 0, sizeof scrollBuffer);
  scrollCursor = 701;
  EXPECT_EQ(typesetText("ab", -1), 0);
  EXPECT_EQ(scrollCursor, 701);
  EXPECT_EQ(typesetText("abc", 2), 0);
  for (unsigned char b : scrollBuffer) ASSERT_EQ(b, 0);
  scrollCursor = 0;
  EXPECT_EQ(typesetText("abc", 2), 2) << "maxCount";
}

TEST(Typesetting, EmptyTextReturnsZeroAndWritesNothing) {
  useNumberedFont();
  memset(scrollBuffer, 0x55, sizeof scrollBuffer);
  scrollCursor = 300;
  EXPECT_EQ(typesetText("", -1), 0);
  EXPECT_EQ(scrollCursor, 300);
  for (unsigned char b : scrollBuffer) ASSERT_EQ(b, 0x55);
}

// Left-over bytes ahead of the cleared ground must never show between or inside glyphs,
// and no glyph may wipe one typeset before it.
TEST(Typesetting, GlyphsNeverEraseEarlierGlyphsAndGroundAheadIsZeroed) {
  useNumberedFont();
  memset(scrollBuffer, 0xEE, 10 * 1024);
  for (int r = 0; r < 10; ++r) memset(scrollBuffer + r * 1024, 0, 23);  // cleared ground
  scrollCursor = 0;
  const std::string text = "Wi-fi? mmm, lll... 0123456789 abcdefghijklmnopqrstuvwxyz! Ww ii";
  typesetText(text.c_str(), -1);
  int x = 0;
  for (unsigned char c : text) {
    const int k = glyphIndex(c) - 1, width = k < 0 ? 0 : glyphBounds[k + 1] - glyphBounds[k];
    const int step = k < 0 ? 6 : width + 1;
    for (int r = 0; r < 10; ++r)
      for (int i = 0; i < step; ++i)
        ASSERT_EQ(at(r, x + i), i < width ? 1 + glyphBounds[k] + i : 0)
            << "character '" << c << "' at column " << x << ", row " << r << ", offset " << i;
    x += step;
  }
  EXPECT_EQ(scrollCursor, x);
  for (int r = 0; r < 10; ++r)
    for (int i = x; i < x + 22; ++i) ASSERT_EQ(at(r, i), 0) << "ground ahead, column " << i;
}

TEST(BlockMove, RowsZeroToNineMoveAsOneRunAndRowsTenToFifteenStay) {
  useNumberedFont();
  scrollBuffer[3 * 1024 + 15] = 77;
  scrollBuffer[3 * 1024 + 2] = 88;
  scrollBuffer[9 * 1024 + 1020] = 99;  // last 10 bytes of row 9 keep their value
  scrollBuffer[10 * 1024 + 3] = 55;    // row 10 is no part of the move
  scrollCursor = 400;
  scrollTextIndex = 8;  // six spaces: nothing lands near the markers
  advanceScroller(0.1f);
  EXPECT_EQ(scrollCursor, 390 + 36);
  EXPECT_EQ(at(3, 5), 77) << "row 3 column 15 -> row 3 column 5";
  EXPECT_EQ(at(2, 1016), 88) << "row 3 column 2 -> row 2 column 1016";
  EXPECT_EQ(at(9, 1020), 99);
  EXPECT_EQ(at(9, 1010), 99);
  EXPECT_EQ(at(10, 3), 55);
  EXPECT_EQ(at(9, 1017), 0);
}

TEST(FontCheck, UnusableFontsGiveBlanksAndOneLineOnStderr) {
  const struct {
    unsigned width, height, depth, components;
    bool palette;
  } bad[] = {{512, 64, 8, 1, false},  {1024, 9, 8, 1, false},  {1024, 16, 8, 3, false},
             {1024, 16, 8, 2, false}, {1024, 16, 4, 1, false}, {1024, 16, 8, 1, true}};
  static unsigned char pixels[1024 * 64 * 3];
  memset(pixels, 200, sizeof pixels);
  for (const auto& f : bad) {
    fontImage = pngRawInfo{f.width, f.height, f.depth, 0, f.components, pixels, f.palette ? pixels : nullptr};
    testing::internal::CaptureStderr();
    resetScroller();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind(std::string("kessivar: ") + showPictureFiles[fontPicture].name + ": ", 0), 0u)
        << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    typesetText("Kessivar 2002", -1);
    for (unsigned char b : scrollBuffer) ASSERT_EQ(b, 0) << f.width << "x" << f.height;
  }
  fontImage = pngRawInfo{};  // missing: the loader has said why already
  testing::internal::CaptureStderr();
  resetScroller();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  typesetText("Kessivar 2002", -1);
  for (unsigned char b : scrollBuffer) ASSERT_EQ(b, 0);
}
