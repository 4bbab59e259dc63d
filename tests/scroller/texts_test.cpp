// The scroll texts' characters. Their layout (each entry's length and trailing spaces,
// which the scroller's timing rests on) is the generator's to keep: the test
// scroll_texts.regenerate makes the table again and compares it byte for byte.
#include <gtest/gtest.h>

#include <cstring>

#include "data/scroll_texts.h"

TEST(ScrollTexts, OnlyShowableCharactersAndOneOUmlaut) {
  int umlauts = 0;
  for (int i = 0; i < scrollTextCount; ++i)
    for (const char* c = scrollTexts[i]; *c; ++c) {
      const unsigned char b = *c;
      umlauts += b == 0xF6;
      EXPECT_TRUE(isalnum(b) || b == 0xF6 || strchr(" !&'()*,-./:;", b))
          << "entry " << i << " holds byte " << int(b);
    }
  EXPECT_EQ(umlauts, 1);
}
