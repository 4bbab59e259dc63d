// Where the show's 640x480 virtual screen goes on a surface of any shape: the largest
// 4:3 rectangle that fits, centred, with black bars on the two remaining sides.
// Used by the show's reshape callback and by the capture.
#pragma once
#include "screen/layout.h"

// A rectangle of surface pixels; x, y of its top-left corner from the surface's
// top-left corner (y downwards).
struct ScreenRect {
  int x, y, width, height;
};

// The picture's place on a width x height surface: 4:3 to the nearest pixel, touching
// two opposite sides, centred between the others (an odd leftover pixel goes to the
// right or bottom bar). 640x480 gives the whole surface; 1920x1080 gives 1440x1080 at
// (240, 0). A surface with a side of 0 or less gives an empty rectangle at (0, 0).
ScreenRect fitVirtualScreen(int width, int height);
