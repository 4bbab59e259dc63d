// Test fonts and clocks for the scroller tests.
#pragma once
#include <string>
#include <vector>

#include "assets/assets.h"
#include "data/scroll_texts.h"
#include "scroller/scroller.h"
#include "scroller/typeset.h"

// Installs a 1024-wide 8-bit grey font as fontImage and resets the scroller onto it.
// pixel(row, column) gives each byte; the pixels live until the next call.
template <class Pixel>
inline void useFont(Pixel pixel, unsigned height = 16) {
  static std::vector<unsigned char> data;
  data.assign(1024 * height, 0);
  for (unsigned r = 0; r < height; ++r)
    for (int c = 0; c < 1024; ++c) data[r * 1024 + c] = pixel(int(r), c);
  fontImage = pngRawInfo{1024, height, 8, 0, 1, data.data(), nullptr};
  resetScroller();
}

// Font column c reads 1 + c (columns 0..177), so a byte names the column it came from.
inline void useNumberedFont() {
  useFont([](int, int c) { return c < 178 ? 1 + c : 0; });
}

// Every glyph column lit (255) in every row: any glyph shows as a solid bar.
inline void useSolidFont() {
  useFont([](int, int c) { return c < 178 ? 255 : 0; });
}

inline unsigned char at(int row, int column) { return scrollBuffer[row * scrollWidth + column]; }

// Columns typeset for text[0..count) (the typesetter's advances).
inline int advanceOf(const std::string& text) {
  int x = 0;
  for (unsigned char c : text) {
    const int k = glyphIndex(c) - 1;
    x += k < 0 ? 6 : glyphBounds[k + 1] - glyphBounds[k] + 1;
  }
  return x;
}

// Columns the buffer has moved since start-up: everything typeset so far less the cursor.
inline long columnsMoved() {
  long typeset = 0;
  for (int i = 0; i < scrollTextIndex; ++i) typeset += advanceOf(scrollTexts[i % scrollTextCount]);
  const std::string current = scrollTexts[scrollTextIndex % scrollTextCount];
  return typeset + advanceOf(current.substr(0, scrollTextPos)) - scrollCursor;
}
