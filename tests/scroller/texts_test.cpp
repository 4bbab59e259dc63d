// The scroll texts: the layout the scroller's timing rests on, and the characters.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "data/scroll_texts.h"

TEST(ScrollTexts, EveryEntryHasItsLengthAndTrailingSpaces) {
  const std::string blank6(6, ' '), blank42(42, ' '), s = blank6;
  const std::string dash = s + "-" + s, dashSpace = s + "- " + s, dash2 = s + "--" + s,
                    dash3 = s + "---" + s;
  // Paragraph lengths (trailing spaces after the slash); other entries are exact texts.
  const struct { int entry, length, trailing; } paragraphs[] = {
      {6, 89, 1},   {7, 64, 0},   {9, 138, 0},  {13, 37, 0},  {15, 30, 4},  {16, 26, 0},
      {18, 33, 0},  {22, 395, 0}, {26, 161, 0}, {30, 337, 0}, {34, 557, 3}, {38, 93, 4},
      {39, 716, 3}, {43, 318, 10}, {44, 84, 1}, {45, 82, 1},  {46, 85, 1},  {47, 84, 1},
      {48, 79, 1},  {49, 81, 1},  {50, 82, 1},  {51, 81, 1},  {52, 72, 0},  {56, 80, 1},
      {57, 76, 1},  {58, 78, 1},  {59, 82, 1},  {60, 42, 0},  {64, 86, 1},  {65, 73, 1},
      {66, 72, 1},  {68, 73, 1},  {70, 80, 1},  {71, 81, 1},  {72, 17, 0}};
  std::string exact[75];
  for (int i = 0; i < 6; ++i) exact[i] = blank42;
  for (int i : {8, 14, 17, 67, 69, 73}) exact[i] = blank6;
  for (int i : {10, 11, 12}) exact[i] = dash3;
  for (int i : {19, 20, 21, 23, 24, 25, 27, 28, 29, 35, 36, 37, 40, 41, 42}) exact[i] = dash;
  for (int i : {31, 32, 33}) exact[i] = dashSpace;
  for (int i : {53, 54, 55, 61, 62, 63}) exact[i] = dash2;
  exact[74] = "---";

  ASSERT_EQ(scrollTextCount, 75);
  int checked = 0;
  for (const auto& p : paragraphs) {
    const std::string text = scrollTexts[p.entry];
    EXPECT_EQ(int(text.size()), p.length) << "entry " << p.entry << ": " << text;
    const size_t lastInk = text.find_last_not_of(' ');
    EXPECT_EQ(int(text.size() - 1 - lastInk), p.trailing) << "entry " << p.entry;
    EXPECT_NE(text[0], ' ') << "entry " << p.entry;
    ++checked;
  }
  for (int i = 0; i < 75; ++i) {
    if (exact[i].empty()) continue;
    EXPECT_EQ(scrollTexts[i], exact[i]) << "entry " << i;
    ++checked;
  }
  EXPECT_EQ(checked, 75);
}

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
