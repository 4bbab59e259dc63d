// The picture's place on surfaces of every shape: 4:3, as large as fits, centred.
#include <gtest/gtest.h>

#include <cstdlib>

#include "screen/fit.h"

TEST(Fit, CommonSurfaces) {
  struct Case { int width, height, x, y, w, h; } cases[] = {
      {640, 480, 0, 0, 640, 480},        // unchanged
      {1920, 1080, 240, 0, 1440, 1080},  // 16:9 screen or video
      {1280, 480, 320, 0, 640, 480},     // a window made wider
      {1280, 1024, 0, 32, 1280, 960},    // 5:4 screen
      {1366, 768, 171, 0, 1024, 768},    // odd leftover: the right bar a pixel wider
      {320, 240, 0, 0, 320, 240},
      {1, 1, 0, 0, 1, 1},
      {0, 480, 0, 0, 0, 0},
      {640, -1, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const ScreenRect r = fitVirtualScreen(c.width, c.height);
    EXPECT_EQ(r.x, c.x) << c.width << "x" << c.height;
    EXPECT_EQ(r.y, c.y) << c.width << "x" << c.height;
    EXPECT_EQ(r.width, c.w) << c.width << "x" << c.height;
    EXPECT_EQ(r.height, c.h) << c.width << "x" << c.height;
  }
}

// Every surface up to 2000x2000: inside it, touching two opposite sides, centred, and
// the nearest 4:3 to the pixel.
TEST(Fit, EverySurfaceShape) {
  int failures = 0;
  for (int width = 1; width <= 2000 && failures < 5; ++width)
    for (int height = 1; height <= 2000 && failures < 5; ++height) {
      const ScreenRect r = fitVirtualScreen(width, height);
      const bool touches = (r.x == 0 && r.width == width) || (r.y == 0 && r.height == height);
      const bool inside = r.x >= 0 && r.y >= 0 && r.x + r.width <= width && r.y + r.height <= height;
      const bool centred = std::abs((width - r.width) - 2 * r.x) <= 1 &&
                           std::abs((height - r.height) - 2 * r.y) <= 1;
      // |3w - 4h| <= 2 where w was rounded from 4h/3 (or 4|...| <= 3 from 3w/4).
      const bool shape = std::abs(3 * r.width - 4 * r.height) <= 2;
      if (!(touches && inside && centred && shape)) {
        ++failures;
        ADD_FAILURE() << width << "x" << height << " gives " << r.width << "x" << r.height
                      << " at (" << r.x << ", " << r.y << ")";
      }
    }
}
