#include "data/scroll_texts.h"

const int scrollTextCount = 1;
const char* const scrollTexts[] = {"                                          "};
