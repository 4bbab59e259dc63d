// Checks the seven pictures painted by kessivar_art as the show will load and draw them.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "test_files.h"

namespace {

using Image = TestImage;

std::string showFile(const char* name) { return std::string(SHOW_DIR) + "/" + name; }

// Scroller glyph columns: glyph k is font columns bounds[k] .. bounds[k + 1] - 1. A copy
// of the layout's (screen/layout.h) kept here on purpose, as an independent check: the
// tool paints from the layout, and a slip there must not pass by checking the font
// against itself.
const int glyphBounds[37] = {0,   4,   7,   12,  17,  22,  27,  32,  37,  42,  47,  52,  57,
                             62,  67,  72,  77,  82,  87,  89,  94,  99,  105, 109, 114, 119,
                             124, 129, 134, 139, 143, 148, 154, 162, 167, 173, 178};
const char glyphOrder[] = "0123456789abcdefghijkmlnopqrstuvwxyz";

// Bright, opaque pixel: the fill of lettering (white, ice blue or amber), not its outline
// or the dark backing behind it.
bool isLetterInk(const Image& image, int x, int y) {
  const unsigned char* p = image.at(x, y);
  return image.alpha(x, y) > 200 && (p[0] > 170 || p[1] > 170);
}

}  // namespace

TEST(ArtFormats, EachPictureHasTheSizeAndPixelFormatTheLoaderNeeds) {
  struct Expected {
    const char* name;
    int width, height, colourType;
  };
  const Expected expected[7] = {
      {showPictureFiles[fontPicture].name, 1024, 16, PNG_COLOR_TYPE_GRAY},
      {showPictureFiles[titlePicture].name, 1024, 512, PNG_COLOR_TYPE_RGB},
      {showPictureFiles[layerPicture].name, 512, 256, PNG_COLOR_TYPE_RGB_ALPHA},
      {showPictureFiles[writerPicture].name, 256, 1024, PNG_COLOR_TYPE_RGB_ALPHA},
      {showPictureFiles[logoPicture].name, 256, 128, PNG_COLOR_TYPE_RGB_ALPHA},
      {showPictureFiles[footerPicture].name, 512, 64, PNG_COLOR_TYPE_RGB},
      {showPictureFiles[cardsPicture].name, 1024, 1024, PNG_COLOR_TYPE_RGB_ALPHA},
  };
  for (const Expected& e : expected) {
    const Image image = readTestPng(showFile(e.name));
    EXPECT_EQ(image.width, e.width) << e.name;
    EXPECT_EQ(image.height, e.height) << e.name;
    EXPECT_EQ(image.colourType, e.colourType) << e.name << " colour type";
    EXPECT_EQ(image.bitDepth, 8) << e.name << " bits per channel";
  }
}

TEST(ArtFont, InkOnlyInShownRowsAndGlyphColumns) {
  const Image font = readTestPng(showFile(showPictureFiles[fontPicture].name));
  ASSERT_EQ(font.width, 1024);
  ASSERT_GE(font.height, 10);
  int strayInk = 0;
  for (int y = 0; y < font.height; y++)
    for (int x = 0; x < font.width; x++) {
      const bool allowed = y >= 2 && y <= 9 && x < 178;
      if (!allowed && font.at(x, y)[0] != 0 && strayInk++ < 5) {
        ADD_FAILURE() << "ink " << (int)font.at(x, y)[0] << " at column " << x << ", row " << y;
      }
    }
  EXPECT_EQ(strayInk, 0) << "pixels with ink outside rows 2-9 / columns 0-177";
}

TEST(ArtFont, EveryGlyphFillsItsColumnsEdgeToEdge) {
  // A blank first or last column would show as a double gap in the scroller.
  const Image font = readTestPng(showFile(showPictureFiles[fontPicture].name));
  ASSERT_GE(font.height, 10);
  auto columnInk = [&](int x) {
    int ink = 0;
    for (int y = 2; y <= 9; y++) ink += font.at(x, y)[0] > 100;
    return ink;
  };
  for (int k = 0; k < 36; k++) {
    const int first = glyphBounds[k], last = glyphBounds[k + 1] - 1;
    EXPECT_GT(columnInk(first), 0) << "glyph '" << glyphOrder[k] << "' has no ink in its first column "
                                   << first;
    EXPECT_GT(columnInk(last), 0) << "glyph '" << glyphOrder[k] << "' has no ink in its last column " << last;
  }
}

TEST(ArtFont, GlyphsOfEqualWidthAreAllDifferent) {
  const Image font = readTestPng(showFile(showPictureFiles[fontPicture].name));
  ASSERT_GE(font.height, 10);
  auto shape = [&](int k) {
    std::string bits;
    for (int y = 2; y <= 9; y++)
      for (int x = glyphBounds[k]; x < glyphBounds[k + 1]; x++) bits += font.at(x, y)[0] > 100 ? '#' : '.';
    return bits;
  };
  for (int a = 0; a < 36; a++)
    for (int b = a + 1; b < 36; b++) {
      if (glyphBounds[a + 1] - glyphBounds[a] != glyphBounds[b + 1] - glyphBounds[b]) continue;
      EXPECT_NE(shape(a), shape(b)) << "glyphs '" << glyphOrder[a] << "' and '" << glyphOrder[b]
                                    << "' look the same";
    }
}

TEST(ArtWriter, EveryBandCarriesALineOfTextCutCleanly) {
  const Image writer = readTestPng(showFile(showPictureFiles[writerPicture].name));
  ASSERT_EQ(writer.width, 256);
  ASSERT_EQ(writer.height, 1024);
  for (int band = 0; band < 42; band++) {
    const int top = band * 20;
    int ink = 0, edgeInk = 0, thinBacking = 0;
    for (int y = top; y < top + 20; y++)
      for (int x = 0; x < 256; x++) {
        const bool letter = x >= 6 && isLetterInk(writer, x, y);  // left of 6: the amber tab
        ink += letter;
        if (letter && (y == top || y == top + 19)) edgeInk++;
        if (writer.alpha(x, y) < 128) thinBacking++;
      }
    EXPECT_GE(ink, 150) << "band " << band << " (block " << band / 7 << ", line " << band % 7
                        << ") has too little lettering";
    EXPECT_EQ(edgeInk, 0) << "band " << band << ": lettering touches the band's first or last row";
    EXPECT_EQ(thinBacking, 0) << "band " << band << ": pixels with less than half opacity behind the text";
  }
}

TEST(ArtWriter, RowsBelowTheSixBlocksAreEmpty) {
  const Image writer = readTestPng(showFile(showPictureFiles[writerPicture].name));
  ASSERT_EQ(writer.height, 1024);
  int visible = 0;
  for (int y = 840; y < 1024; y++)
    for (int x = 0; x < 256; x++) visible += writer.alpha(x, y) != 0;
  EXPECT_EQ(visible, 0) << "non-transparent pixels in rows 840-1023";
}

// The 256 x 364 card cells are written out here on purpose, as a check independent of
// screen/layout.h, from which the picture tool paints.
TEST(ArtCards, FiveOpaqueCardsAndNothingElse) {
  const Image cards = readTestPng(showFile(showPictureFiles[cardsPicture].name));
  ASSERT_EQ(cards.width, 1024);
  ASSERT_EQ(cards.height, 1024);
  int opaque[5] = {};
  int outside = 0;
  for (int y = 0; y < 1024; y++)
    for (int x = 0; x < 1024; x++) {
      const int col = x / 256, row = y / 364;
      const int card = row == 0 ? col : (row == 1 && col == 0 ? 4 : -1);
      const int a = cards.alpha(x, y);
      if (card < 0)
        outside += a != 0;
      else
        opaque[card] += a == 255;
    }
  for (int k = 0; k < 5; k++)
    EXPECT_GE(opaque[k], 256 * 364 * 97 / 100)
        << "card " << k << ": only " << opaque[k] << " of " << 256 * 364 << " pixels opaque";
  EXPECT_EQ(outside, 0) << "pixels drawn outside the five card cells";
}

TEST(ArtCards, EachCardHasLegibleTextAboveTheFooter) {
  // The footer hides the bottom 8 rows of a settled card; text must end above them.
  const Image cards = readTestPng(showFile(showPictureFiles[cardsPicture].name));
  ASSERT_EQ(cards.height, 1024);
  for (int k = 0; k < 5; k++) {
    const int x0 = (k & 3) * 256, y0 = (k / 4) * 364;
    int ink = 0, hidden = 0;
    for (int y = y0; y < y0 + 364; y++)
      for (int x = x0 + 8; x < x0 + 248; x++) {
        const unsigned char* p = cards.at(x, y);
        const bool white = p[0] > 200 && p[1] > 200 && p[2] > 200;
        ink += white;
        if (white && y >= y0 + 356) hidden++;
      }
    EXPECT_GE(ink, 1500) << "card " << k << " has little white lettering";
    EXPECT_EQ(hidden, 0) << "card " << k << " has lettering in the rows the footer covers";
  }
}

TEST(ArtFooter, EdgeColumnsRepeatWithoutASeam) {
  const Image footer = readTestPng(showFile(showPictureFiles[footerPicture].name));
  ASSERT_EQ(footer.width, 512);
  ASSERT_EQ(footer.height, 64);
  int worst = 0, worstRow = -1;
  for (int y = 0; y < 64; y++) {
    const unsigned char* edge = footer.at(0, y);
    for (int x : {1, 2, 3, 508, 509, 510, 511})
      for (int c = 0; c < 3; c++) {
        const int d = std::abs(footer.at(x, y)[c] - edge[c]);
        if (d > worst) worst = d, worstRow = y;
      }
  }
  EXPECT_LE(worst, 2) << "edge columns differ by " << worst << " levels in row " << worstRow;
}

TEST(ArtTitle, AmberBarsDoNotWashOutTheVisibleWindow) {
  // Bars add up to (0.8, 0.7, 0.3) over screen rows 76-396 (picture rows 92-412) and
  // clamp; pixels that clamp to white under a bar lose all contrast.
  const Image title = readTestPng(showFile(showPictureFiles[titlePicture].name));
  ASSERT_EQ(title.width, 1024);
  ASSERT_EQ(title.height, 512);
  int washed = 0, bright = 0, total = 0;
  for (int y = 92; y < 412; y++)
    for (int x = 192; x < 832; x++) {
      const unsigned char* p = title.at(x, y);
      washed += p[0] >= 51 && p[1] >= 77 && p[2] >= 179;
      bright += p[0] + p[1] + p[2] > 3 * 160;
      total++;
    }
  EXPECT_LT(washed * 100, total * 15) << washed << " of " << total << " pixels would clamp to white";
  EXPECT_GT(bright * 100, total * 3) << "only " << bright << " bright pixels: no title lettering?";
}

TEST(ArtLogoAndLayer, TransparentAroundTheArtwork) {
  struct Case {
    const char* name;
    int width, height, margin;
  };
  for (const Case c : {Case{showPictureFiles[logoPicture].name, 256, 128, 2},
                       Case{showPictureFiles[layerPicture].name, 512, 256, 0}}) {
    const Image image = readTestPng(showFile(c.name));
    ASSERT_EQ(image.width, c.width) << c.name;
    ASSERT_EQ(image.height, c.height) << c.name;
    int rim = 0, opaque = 0;
    for (int y = 0; y < c.height; y++)
      for (int x = 0; x < c.width; x++) {
        const bool onRim =
            x <= c.margin || y <= c.margin || x >= c.width - 1 - c.margin || y >= c.height - 1 - c.margin;
        if (onRim && c.margin > 0) rim += image.alpha(x, y) != 0;
        opaque += image.alpha(x, y) == 255;
      }
    EXPECT_EQ(rim, 0) << c.name << ": drawn pixels on the outer rim";
    EXPECT_GT(opaque * 100, c.width * c.height * 15) << c.name << ": little opaque artwork";
    EXPECT_EQ(image.alpha(0, 0), 0) << c.name << " top-left corner";
    EXPECT_EQ(image.alpha(c.width - 1, c.height - 1), 0) << c.name << " bottom-right corner";
  }
}
