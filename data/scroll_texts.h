// The scroller's texts, in the order it shows them (generated, see data/scroll_texts.cpp).
#pragma once

extern const int scrollTextCount;      // 75
extern const char* const scrollTexts[];  // NUL-terminated byte strings
