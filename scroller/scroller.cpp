// The text scroller: glyphs cut from the raw font are typeset into a 1024x16 luminance
// buffer, which moves left 100 columns per second of scene time and is shown through
// a texture as a 10-pixel strip across the top of the screen, above the footer bar.
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "data/scroll_texts.h"
#include "screen/layout.h"
#include "screen/quad.h"
#include "scroller/scroller.h"
#include "scroller/typeset.h"

unsigned char scrollBuffer[scrollBufferSize];
int scrollCursor;
int scrollTextIndex;
int scrollTextPos;
float scrollLastTime;
unsigned scrollTexture;

// Part of a column (0 <= carry < 1) that the time since the last move has earned but
// not yet moved; written only by advanceScroller and resetScroller.
static double scrollCarry;

// Rows of the font image, stride 1024 bytes, or null when "font.png" is unusable
// (every glyph is then blank). Set by resetScroller.
static const unsigned char* glyphPixels;

int glyphIndex(int ch) {
  if (ch >= 'A' && ch <= 'Z') ch += 32;
  for (int p = 0; glyphAlphabet[p] != 0; ++p)
    if ((unsigned char)glyphAlphabet[p] == (unsigned char)ch) return p + 1;
  return 0;
}

void blitGlyph(int x, int fontColumn, int width) {
  for (int r = 0; r < scrollGlyphRows; ++r) {
    unsigned char* row = scrollBuffer + r * scrollWidth;
    if (glyphPixels)
      memcpy(row + x, glyphPixels + r * scrollWidth + fontColumn, width);
    else
      memset(row + x, 0, width);
    memset(row + x + 16, 0, 16);
  }
}

int typesetText(const char* text, int maxCount) {
  int n = 0;
  int x = scrollCursor;
  for (const char* c = text; *c != 0; ++c) {
    if (maxCount >= 0 && n >= maxCount) break;
    if (x > scrollStopColumn) break;
    ++n;
    const int k = glyphIndex((unsigned char)*c) - 1;
    if (k < 0) {
      blitGlyph(x, 0, 0);
      x += 6;
    } else {
      const int width = glyphBounds[k + 1] - glyphBounds[k];
      blitGlyph(x, glyphBounds[k], width);
      x += width + 1;
    }
  }
  scrollCursor = x;
  return n;
}

// Whole columns to move for a call at scene time t. Time not yet worth a column is
// carried to the next call, so the text keeps 100 columns per second at any frame
// rate. Time running backwards moves nothing and forgets the carry; a jump is limited
// to the cursor, so typesetting never starts left of column 0.
static int columnsToMove(float t) {
  const double columns = (double(t) - double(scrollLastTime)) * scrollColumnsPerSecond + scrollCarry;
  scrollLastTime = t;
  if (!(columns > 0.0)) {  // also NaN
    scrollCarry = 0.0;
    return 0;
  }
  if (columns >= scrollCursor) {
    scrollCarry = 0.0;
    return scrollCursor;
  }
  const int shift = int(columns);
  scrollCarry = columns - shift;
  return shift;
}

void advanceScroller(float t) {
  const int shift = columnsToMove(t);
  if (shift > 0) {
    // Rows 0..9 as one run: each row's first shift bytes go to the end of the row above.
    const int block = scrollGlyphRows * scrollWidth;
    memmove(scrollBuffer, scrollBuffer + shift, block - shift);
    scrollCursor -= shift;
  }
  const char* p = scrollTexts[scrollTextIndex % scrollTextCount] + scrollTextPos;
  const int n = typesetText(p, -1);
  if (n == 0 && *p == 0) {
    ++scrollTextIndex;
    scrollTextPos = 0;
  } else {
    scrollTextPos += n;
  }
}

void rebaseScrollerClock(float seconds) { scrollLastTime -= seconds; }

// Says on stderr why the loaded font cannot give glyphs; false when it cannot.
static bool fontIsUsable(const pngRawInfo& font) {
  if (!font.Data) return false;  // the loader has already said why
  if (font.Components == 1 && font.Depth == 8 && !font.Palette && font.Width == 1024 &&
      font.Height >= unsigned(scrollGlyphRows))
    return true;
  fprintf(stderr,
          "kessivar: %s: %ux%u, %u channel(s) of %u bits%s; needs 8-bit grey, 1024 wide, "
          "at least 10 rows: the scroller stays blank\n",
          showPictureFiles[fontPicture].name, font.Width, font.Height, font.Components, font.Depth,
          font.Palette ? ", palette" : "");
  return false;
}

void resetScroller() {
  memset(scrollBuffer, 0, sizeof scrollBuffer);
  scrollCursor = 0;
  scrollTextIndex = 0;
  scrollTextPos = 0;
  scrollLastTime = 0.0f;
  scrollCarry = 0.0;
  glyphPixels = fontIsUsable(fontImage) ? fontImage.Data : nullptr;
}

void initScroller() {
  resetScroller();
  glGenTextures(1, &scrollTexture);
  glBindTexture(GL_TEXTURE_2D, scrollTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, scrollWidth, scrollHeight, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
               scrollBuffer);
  advanceScroller(0.0f);
}

void drawFooterAndScroller(float sceneTime) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, footerTexture);
  drawQuad(0, footerTop, screenWidth, footerHeight, -0.125f, 0, 1.125f,
           1);  // image at x 64..575, edges repeated
  glColor3f(1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, scrollTexture);
  advanceScroller(sceneTime);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, scrollWidth, scrollHeight, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                  scrollBuffer);
  drawQuad(0, 0, screenWidth, 10, 0, 0.125f, 0.625f, 0.75f);  // buffer rows 2..11, columns 0..639
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);  // already off since the composer's switch: kept, the call sequence is fixed
}
