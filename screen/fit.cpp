#include "screen/fit.h"

ScreenRect fitVirtualScreen(int width, int height) {
  if (width <= 0 || height <= 0) return {0, 0, 0, 0};
  // 64-bit products: any int side is safe.
  const long long w = width, h = height;
  if (w * screenHeight >= h * screenWidth) {
    // Wider than 4:3: full height, bars left and right. Rounded to the nearest pixel,
    // which never exceeds width on this side of the test.
    const int fitted = int((h * screenWidth * 2 + screenHeight) / (screenHeight * 2));
    return {(width - fitted) / 2, 0, fitted, height};
  }
  const int fitted = int((w * screenHeight * 2 + screenWidth) / (screenWidth * 2));
  return {0, (height - fitted) / 2, width, fitted};
}
