// The scroller's pixel font: 36 glyphs drawn as string art, one string per pixel row.
// The scroller copies font rows 0-9 and shows rows 2-9, so every glyph below is 8 rows
// (font rows 2-9): ascenders and digits start on the first row, the x-height starts on
// the third, the baseline is the seventh and the eighth row holds descenders only.
// '#' is full ink, '+' a half-bright edge pixel, '.' is background (0).
#include "art.h"
#include "screen/layout.h"

#include <cstring>

namespace {

const int glyphRows = 8;      // drawn rows per glyph, font rows 2..9
const int firstGlyphRow = 2;  // font rows 0 and 1 are never shown and stay 0
const int fontHeight = 16;

// Rows of every glyph, in the order of glyphAlphabet (screen/layout.h), which also gives
// each glyph's font columns; each row string is exactly the glyph's width.
const char* const glyphArt[glyphCount][glyphRows] = {
    {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##.", "...."},                                  // 0
    {".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###", "..."},                                          // 1
    {".###.", "#...#", "....#", "..##.", ".#...", "#....", "#####", "....."},                          // 2
    {"####.", "....#", "....#", ".###.", "....#", "....#", "####.", "....."},                          // 3
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#.", "....."},                          // 4
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###.", "....."},                          // 5
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###.", "....."},                          // 6
    {"#####", "....#", "...#.", "..#..", "..#..", ".#...", ".#...", "....."},                          // 7
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###.", "....."},                          // 8
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##..", "....."},                          // 9
    {".....", ".....", ".###.", "....#", ".####", "#...#", ".####", "....."},                          // a
    {"#....", "#....", "####.", "#...#", "#...#", "#...#", "####.", "....."},                          // b
    {".....", ".....", ".####", "#....", "#....", "#....", ".####", "....."},                          // c
    {"....#", "....#", ".####", "#...#", "#...#", "#...#", ".####", "....."},                          // d
    {".....", ".....", ".###.", "#...#", "#####", "#....", ".####", "....."},                          // e
    {"..###", ".#...", "####.", ".#...", ".#...", ".#...", ".#...", "....."},                          // f
    {".....", ".....", ".####", "#...#", "#...#", ".####", "....#", "####."},                          // g
    {"#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#", "....."},                          // h
    {".#", "..", "##", ".#", ".#", ".#", ".#", ".."},                                                  // i
    {"....#", ".....", "...##", "....#", "....#", "....#", "#...#", ".###."},                          // j
    {"#....", "#....", "#...#", "#..#.", "###..", "#..#.", "#...#", "....."},                          // k
    {"......", "......", "##.##.", "#.#..#", "#.#..#", "#.#..#", "#.#..#", "......"},                  // m
    {"##..", ".#..", ".#..", ".#..", ".#..", ".#..", "..##", "...."},                                  // l
    {".....", ".....", "####.", "#...#", "#...#", "#...#", "#...#", "....."},                          // n
    {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###.", "....."},                          // o
    {".....", ".....", "####.", "#...#", "#...#", "####.", "#....", "#...."},                          // p
    {".....", ".....", ".####", "#...#", "#...#", ".####", "....#", "....#"},                          // q
    {".....", ".....", "#.###", "##...", "#....", "#....", "#....", "....."},                          // r
    {".....", ".....", ".####", "#....", ".###.", "....#", "####.", "....."},                          // s
    {".#..", ".#..", "###.", ".#..", ".#..", ".#..", "..##", "...."},                                  // t
    {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####", "....."},                          // u
    {"......", "......", "#....#", "#....#", ".#..#.", ".#..#.", "..##..", "......"},                  // v
    {"........", "........", "#......#", "#......#", "#..##..#", "#.#..#.#", ".#....#.", "........"},  // w
    {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "....."},                          // x
    {"......", "......", "#....#", ".#..#.", ".#..#.", "..##..", "..#...", "##...."},                  // y
    {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####", "....."},                          // z
};

// Brightness of full ink on each drawn row: a light top fading slightly downwards,
// so the strip reads as polished metal rather than flat white.
const int rowLevel[glyphRows] = {255, 250, 242, 232, 222, 212, 202, 192};

// Grey level of one art character on drawn row `row`.
int inkLevel(char c, int row) {
  if (c == '#') return rowLevel[row];
  if (c == '+') return rowLevel[row] / 2;
  require(c == '.', "font art holds a character other than '#', '+' or '.'");
  return 0;
}

// Copies glyph k into the picture at its column range, checking its width.
void drawGlyph(Picture& font, int k) {
  const int x0 = glyphBounds[k];
  const int width = glyphBounds[k + 1] - x0;
  for (int row = 0; row < glyphRows; row++) {
    const char* art = glyphArt[k][row];
    require((int)std::strlen(art) == width, "a glyph row is not as wide as its column range");
    for (int x = 0; x < width; x++)
      font.pixels[(size_t)(firstGlyphRow + row) * fontWidth + x0 + x] = (uint8_t)inkLevel(art[x], row);
  }
}

}  // namespace

Picture paintFont() {
  Picture font;
  font.width = fontWidth;
  font.height = fontHeight;
  font.kind = PngKind::grey;
  font.pixels.assign((size_t)fontWidth * fontHeight, 0);
  for (int k = 0; k < glyphCount; k++) drawGlyph(font, k);
  return font;
}
