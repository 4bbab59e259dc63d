// The picture's place on surfaces of every shape: 4:3, as large as fits, centred.
#include <gtest/gtest.h>

#include <cstdlib>

#include "screen/fit.h"

TEST(Fit, PictureOnEverySurface) {
  struct Case {
    int width, height, x, y, w, h;
  } cases[] = {{640, 480, 0, 0, 640, 480},     {1920, 1080, 240, 0, 1440, 1080},
               {1280, 480, 320, 0, 640, 480},  {1280, 1024, 0, 32, 1280, 960},
               {1366, 768, 171, 0, 1024, 768}, {1, 1, 0, 0, 1, 1},
               {0, 480, 0, 0, 0, 0},           {640, -1, 0, 0, 0, 0}};
  for (const Case& c : cases) {
    const ScreenRect r = fitVirtualScreen(c.width, c.height);
    EXPECT_TRUE(r.x == c.x && r.y == c.y && r.width == c.w && r.height == c.h)
        << c.width << "x" << c.height << ": " << r.width << "x" << r.height << " at (" << r.x << ", " << r.y
        << ")";
  }
  // Every surface up to 2000x2000: touching two opposite sides, centred inside it, and
  // 4:3 to the nearest pixel (|3w - 4h| <= 2).
  int failures = 0;
  for (int width = 1; width <= 2000 && failures < 5; ++width)
    for (int height = 1; height <= 2000 && failures < 5; ++height) {
      const ScreenRect r = fitVirtualScreen(width, height);
      const bool touches = (r.x == 0 && r.width == width) || (r.y == 0 && r.height == height);
      // Bars of equal width; an odd leftover pixel goes to the right or bottom bar.
      const bool centred = r.x >= 0 && r.y >= 0 && unsigned(width - r.width - 2 * r.x) <= 1u &&
                           unsigned(height - r.height - 2 * r.y) <= 1u;
      if (!touches || !centred || std::abs(3 * r.width - 4 * r.height) > 2)
        ADD_FAILURE() << width << "x" << height << ": " << r.width << "x" << r.height << " at (" << r.x
                      << ", " << r.y << ")" << (++failures, "");
    }
}
