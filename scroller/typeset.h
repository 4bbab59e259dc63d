// The scroller's insides: the luminance buffer, its cursor and text position, and the
// glyph typesetter. The show itself needs only scroller/scroller.h; this is for tests
// and tools that look at what the scroller typeset.
#pragma once
#include "screen/layout.h"

constexpr int scrollWidth = fontWidth;                        // buffer columns, one font row
constexpr int scrollHeight = 16;                              // buffer rows; only 0..9 are written
constexpr int scrollGlyphRows = fontGlyphRows;                // rows 0..9 hold glyphs
constexpr int scrollBufferSize = scrollWidth * scrollHeight;  // 16384 bytes
constexpr int scrollStopColumn = 700;  // a character is typeset only while the cursor is <= this
constexpr int scrollColumnsPerSecond = 100;

// Row r, column x at r * 1024 + x; a luminance 0..255 per byte, row 0 first.
extern unsigned char scrollBuffer[scrollBufferSize];
extern int scrollCursor;        // column where the next character goes, 0..709
extern int scrollTextIndex;     // texts finished so far; current text is this % 75 (only grows)
extern int scrollTextPos;       // byte offset of the next character within the current text
extern float scrollLastTime;    // scene time (s) of the previous advanceScroller call
extern unsigned scrollTexture;  // 1024x16 RGB texture, 0 until initScroller

// The glyph names and their font columns are glyphAlphabet and glyphBounds
// (screen/layout.h).

// 1-based position of ch in glyphAlphabet after folding A-Z to lower case; 0 = no glyph.
int glyphIndex(int ch);

// Rows 0..9: copies width font columns from fontColumn to buffer column x (zeros when
// the font is unusable), then zeroes the 16 columns x+16 .. x+31 (the clearing run).
// Needs 0 <= x and x + 32 <= 1024.
void blitGlyph(int x, int fontColumn, int width);

// Typesets text from scrollCursor while the cursor is <= 700, at most maxCount
// characters (negative: no limit); stores the new cursor, returns characters taken.
int typesetText(const char* text, int maxCount);

// Launch state: buffer zeroed, cursor/index/position/time/carry 0, and the glyphs taken
// from fontImage if it is 8-bit grey, 1024 wide and >= 10 rows (else blanks, and one
// line on stderr saying why). Touches no OpenGL.
void resetScroller();
