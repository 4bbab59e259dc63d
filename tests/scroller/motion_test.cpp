// The scroller over time: start-up, the first frames, the way through the texts, the
// speed at any frame rate and recovery from jumps of the scene clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "fonts.h"

namespace {

// As start-up leaves it (initScroller without the texture).
void startUp() {
  useSolidFont();
  advanceScroller(0.0f);
}

bool rowsTenToFifteenClear() {
  static const unsigned char zeros[6 * 1024] = {};
  return memcmp(scrollBuffer + 10 * 1024, zeros, sizeof zeros) == 0;
}

bool stripColumnLit(int x) {
  for (int r = 2; r < 10; ++r)
    if (at(r, x) != 0) return true;
  return false;
}

}  // namespace

TEST(Motion, StartUpTypesetsEntryZeroAndFirstSceneFrameOnlySelectsEntryOne) {
  startUp();
  EXPECT_EQ(scrollCursor, 252);
  EXPECT_EQ(scrollTextPos, 42);
  EXPECT_EQ(scrollTextIndex, 0);
  advanceScroller(0.0f);  // scene time 0: the first frame after the title
  EXPECT_EQ(scrollCursor, 252);
  EXPECT_EQ(scrollTextIndex, 1);
  EXPECT_EQ(scrollTextPos, 0);
  for (unsigned char b : scrollBuffer) ASSERT_EQ(b, 0);
}

// Frames at 100 per second, each half-way between two columns: exactly one column each.
TEST(Motion, FirstParagraphReachesStripEdgeAfter873Columns) {
  startUp();
  for (int k = 1; k <= 873; ++k) {
    advanceScroller(float((k + 0.5) / 100.0));
    ASSERT_EQ(columnsMoved(), k);
    for (int x = 0; x < 640 && k < 873; ++x)
      ASSERT_FALSE(stripColumnLit(x)) << "column " << x << " after " << k;
  }
  EXPECT_TRUE(stripColumnLit(639));
  EXPECT_FALSE(stripColumnLit(638));
}

TEST(Motion, PassesAreSeparatedBy1566BlankColumns) {
  startUp();
  long endOfLast = -1, k = 0;  // columns from start-up to the cursor when entry 73 begins
  while (scrollTextIndex < 75 + 6) {
    ++k;
    advanceScroller(float((k + 0.5) / 100.0));
    ASSERT_TRUE(rowsTenToFifteenClear()) << "frame " << k;
    if (scrollTextIndex == 73 && endOfLast < 0) endOfLast = k + scrollCursor;
  }
  EXPECT_EQ(k + scrollCursor - endOfLast, 1566) << "blank before entry 6 comes round again";
}

TEST(Motion, MovesHundredColumnsPerSecondAtAnyFrameRate) {
  for (int fps : {30, 60, 144, 1000}) {
    startUp();
    for (int k = 1; k <= 10 * fps; ++k) {
      const unsigned ms = 10000 + unsigned(std::lround(k * 1000.0 / fps));  // the show clock
      advanceScroller(float(ms) * 0.001f - 10.0f);
    }
    EXPECT_NEAR(columnsMoved(), 1000, 1) << fps << " frames per second";
  }
}

TEST(Motion, SceneClockJumpsStayInsideTheBuffer) {
  startUp();
  for (int k = 1; k <= 300; ++k) advanceScroller(k / 60.0f);
  for (float t : {65.0f, 65.5f, 1e30f, INFINITY, NAN, -5.0f, 1e6f, 1e6f + 1}) {
    advanceScroller(t);
    EXPECT_GE(scrollCursor, 0) << "after a jump to " << t;
    EXPECT_LE(scrollCursor, 709) << "after a jump to " << t;
    EXPECT_TRUE(rowsTenToFifteenClear());
  }
  // Backwards, then on again at the usual speed.
  advanceScroller(100.0f);
  const long before = columnsMoved();
  advanceScroller(90.0f);
  EXPECT_EQ(columnsMoved(), before) << "time running backwards moves nothing";
  for (int k = 1; k <= 100; ++k) advanceScroller(90.0f + k / 100.0f);
  EXPECT_NEAR(columnsMoved() - before, 100, 1);
}
