// Four days of show and beyond: the picture keeps moving smoothly, the scroller keeps its
// speed, the rate keeps re-rolling every ~4 s, across the clocks' 2^31 and 2^32 ms marks
// and across a process stopped for a minute.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "app/clock.h"
#include "app/composer.h"
#include "assets/assets.h"
#include "fonts.h"
#include "glrig.h"

namespace {

const uint64_t fourDaysMs = 4ull * 24 * 3600 * 1000;

// The animation and layers below the scroller strip and above the footer.
std::vector<uint8_t> middle(const Pixels& p) {
  return std::vector<uint8_t>(p.rgb.begin() + size_t(11) * p.width * 3,
                              p.rgb.begin() + size_t(416) * p.width * 3);
}

class LongRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openOffscreen());
    resetComposer();
    useSolidFont();
    noFade = 0;
  }
  // One frame with the show clock at ms (as the toolkit's 32-bit reading) and ticks.
  void frame(uint64_t ms, uint32_t ticks = 0) {
    setVirtualClock(uint32_t(ms), ticks);
    drawScene();
  }
  // Walks the show clock from `from` to `to` (ms) in 60 Hz frames, the ticks along with
  // it; returns where the next frame is due.
  double walk(double from, double to) {
    double ms = from;
    for (; ms < to; ms += 1000.0 / 60) frame(uint64_t(ms), uint32_t(uint64_t(ms)));
    return ms;
  }
};

}  // namespace

// Single-precision show time has 32 ms steps at four days and 256 ms steps past 2^31 ms:
// neighbouring 60 Hz frames would show the very same picture.
TEST_F(LongRun, NeighbouringFramesDifferAtFourDaysAndPastTheClockMarks) {
  for (uint64_t start :
       {uint64_t(40000), fourDaysMs, (uint64_t(1) << 31) + 5000, (uint64_t(1) << 32) + 5000}) {
    resetComposer();
    walk(double(start - 6000),
         double(start));  // reach the mark by walking, so a 32-bit wrap is crossed frame by frame
    int same = 0;
    std::vector<uint8_t> before;
    for (int k = 0; k < 30; ++k) {
      frame(start + k * 17, 0);
      std::vector<uint8_t> now = middle(readScreen());
      if (k > 0 && now == before) ++same;
      before = std::move(now);
    }
    EXPECT_EQ(same, 0) << "identical neighbouring frames at " << start << " ms";
  }
}

// The scroller moves 1 or 2 columns per 60 Hz frame, 100 per second, however long the
// show has run, across the scene-time period and the 32-bit clock's wrap.
TEST_F(LongRun, ScrollerKeepsItsPaceForDays) {
  for (uint64_t start :
       {uint64_t(20000), fourDaysMs - 2500, (uint64_t(1) << 31) - 2500, (uint64_t(1) << 32) - 2500}) {
    resetComposer();
    useSolidFont();
    double ms = walk(double(start - 3000), double(start));
    const long first = columnsMoved();
    long previous = first;
    int stalls = 0, leaps = 0;
    for (int k = 1; k <= 300; ++k, ms += 1000.0 / 60) {
      frame(uint64_t(ms), uint32_t(uint64_t(ms)));
      const long moved = columnsMoved() - previous;
      previous += moved;
      stalls += moved <= 0;
      leaps += moved > 2;
    }
    EXPECT_NEAR(previous - first, 500, 2) << "columns in 5 s from " << start << " ms";
    EXPECT_EQ(stalls, 0) << "frames without a move from " << start << " ms";
    EXPECT_EQ(leaps, 0) << "frames moving 3 columns or more from " << start << " ms";
  }
  // Straight across a period's end (scene time 1400 s = show time 1410 s), as a viewer would see it.
  resetComposer();
  useSolidFont();
  const double ms = walk(1405000, 1407000);
  const long before = columnsMoved();
  walk(ms, ms + 5000);
  EXPECT_NEAR(columnsMoved() - before, 500, 2) << "across scene time 1400 s";
}

// The rate re-rolls every ~4 s of ticks after four days and once 2^32 ms of ticks have
// passed since the first frame (49.7 days: a float count of them would stop it for good).
TEST_F(LongRun, RateKeepsReRolling) {
  for (uint64_t start : {uint64_t(0), fourDaysMs, (uint64_t(1) << 32) - 30000}) {
    resetComposer();
    noFade = 1;
    frame(20000, 0);  // first frame: the tick base
    int changes = 0;
    uint64_t lastChange = start;
    uint64_t shortest = ~0ull, longest = 0;
    float rate = animationRate;
    for (uint64_t t = start; t < start + 60000; t += 250) {
      frame(20000, uint32_t(t));
      if (animationRate != rate) {
        if (changes > 0)
          shortest = std::min(shortest, t - lastChange), longest = std::max(longest, t - lastChange);
        ++changes;
        lastChange = t;
        rate = animationRate;
      }
    }
    EXPECT_GE(changes, 10) << "rate changes in 60 s of ticks from " << start;
    EXPECT_GT(shortest, 4000u) << start;
    EXPECT_LE(longest, 8500u) << start;
  }
}

// A process stopped for a minute: one jump of both clocks. The scroller stays inside its
// buffer and goes on at its pace, the rate re-rolls once, and the layers show the moment
// they would have shown anyway.
TEST_F(LongRun, MinuteLongStopCatchesUpInOneFrame) {
  for (uint64_t ms = 26000; ms < 30000; ms += 17) frame(ms, 0);  // ticks held: rate 5
  frame(90000, 0);                                               // the show clock on by a minute
  const std::vector<uint8_t> jumped = middle(readScreen());
  EXPECT_GE(scrollCursor, 0);
  EXPECT_LE(scrollCursor, 709);
  frame(90000, 60000);  // and the ticks
  const float rateAfter = animationRate;
  EXPECT_EQ(rateAfter, 5.0f) << "one re-roll: the sequence's first rate";
  const long before = columnsMoved();
  for (int k = 1; k <= 200; ++k) frame(90000 + uint64_t(k * 1000 / 60), 60000 + uint32_t(k * 1000 / 60));
  EXPECT_NEAR(columnsMoved() - before, 333, 2) << "pace after the stop";
  EXPECT_EQ(animationRate, rateAfter) << "no second re-roll within 4 s of the jump";
  frame(94100, 64100);
  EXPECT_EQ(animationRate, 10.0f) << "the next re-roll 4 s after the jump";

  // The same moment in a fresh run looks the same: the layers keep no state.
  resetComposer();
  frame(90000, 0);
  EXPECT_EQ(middle(readScreen()), jumped);
}
