// What a viewer sees of a window or of the screen, measured from the X server's own
// pixels, and the test title picture those measurements are made for.
// usage: xpicture <window id | root> [WxH+X+Y] [--like PNG...]
//        xpicture --title-picture FILE
//        xpicture --icon <window id> PNG
// Prints, for the window (or the given part of the root window):
//   picture X Y W H   the box around every pixel that is not pure black
//   disc X Y W H      the box around the test title picture's blue disc
//   white P           percent of the pixels that are white (every channel >= 240)
//   black P           percent of the pixels that are black (every channel <= 16)
//   hash N            a hash of all the pixels (frames that differ differ in it)
//   like D FILE       for each --like picture of the region's size: the mean difference
//                     per colour sample, 0..255 (D is -1 when its size differs)
// Boxes are relative to the region; an empty box is "0 0 0 0".
// With --icon: "icon D", the mean difference per sample of the window's icon of the PNG's
// size (as the window manager shows it) from the PNG (-1 when it has no icon of that size).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "test_files.h"

namespace {

// The title picture's screen part is x 192..832, y 16..496 of its 1024x512; the disc is
// centred there with a radius of 180 virtual pixels, on dark grey. The title's amber
// bars add red and green far more than blue, so the disc stays the only blue.
bool writeTitlePicture(const char* file) {
  const int width = 1024, height = 512;
  std::vector<uint8_t> rgb(size_t(width) * height * 3, 60);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double dx = x + 0.5 - 512, dy = y + 0.5 - 256;
      if (dx * dx + dy * dy > 180.0 * 180.0) continue;
      uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
      p[0] = 0, p[1] = 0, p[2] = 255;
    }
  return writeTestPng(file, width, height, PNG_COLOR_TYPE_RGB, rgb);
}

struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  void add(int x, int y) {
    if (x < x0) x0 = x;
    if (y < y0) y0 = y;
    if (x > x1) x1 = x;
    if (y > y1) y1 = y;
  }
  void print(const char* name) const {
    if (x1 < 0)
      printf("%s 0 0 0 0\n", name);
    else
      printf("%s %d %d %d %d\n", name, x0, y0, x1 - x0 + 1, y1 - y0 + 1);
  }
};

// The region to read, in root coordinates: the window's inside, or WxH+X+Y of the root.
bool chooseRegion(Display* display, const char* which, const char* geometry, int* x, int* y, int* w, int* h) {
  const Window root = DefaultRootWindow(display);
  if (strcmp(which, "root") == 0) {
    *x = 0, *y = 0;
    *w = DisplayWidth(display, DefaultScreen(display));
    *h = DisplayHeight(display, DefaultScreen(display));
  } else {
    XWindowAttributes a;
    Window child;
    const Window window = Window(strtoul(which, nullptr, 0));
    if (!XGetWindowAttributes(display, window, &a)) return false;
    XTranslateCoordinates(display, window, root, 0, 0, x, y, &child);
    *w = a.width, *h = a.height;
  }
  if (geometry) {
    int gx, gy;
    unsigned gw, gh;
    if (sscanf(geometry, "%ux%u+%d+%d", &gw, &gh, &gx, &gy) != 4) return false;
    *x += gx, *y += gy, *w = int(gw), *h = int(gh);
  }
  return true;
}

// Mean absolute difference per colour sample between the image and an 8-bit RGB PNG of its size
// (as the capture writes them).
double difference(XImage* image, int w, int h, const char* file) {
  const TestImage png = readTestPng(file);
  if (png.width != w || png.height != h || png.colourType != PNG_COLOR_TYPE_RGB || png.bitDepth != 8)
    return -1;
  const std::vector<uint8_t>& rgb = png.pixels;
  uint64_t sum = 0;
  for (int i = 0; i < w * h; ++i) {
    const unsigned long pixel = XGetPixel(image, i % w, i / w);
    sum += abs(int(pixel >> 16 & 255) - rgb[i * 3]) + abs(int(pixel >> 8 & 255) - rgb[i * 3 + 1]) +
           abs(int(pixel & 255) - rgb[i * 3 + 2]);
  }
  return double(sum) / (3.0 * w * h);
}

// The mean difference of the window's icon of the PNG's size (an entry of _NET_WM_ICON:
// width, height, then ARGB pixels, each in a long) from the PNG, both over mid grey.
double iconDifference(Display* display, Window window, const char* file) {
  const TestImage png = readTestPng(file);
  if (png.bitDepth != 8 || png.channels < 3) return -1;
  Atom type;
  int format;
  unsigned long length, after, *values = nullptr;
  XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 24, False,
                     AnyPropertyType, &type, &format, &length, &after,
                     reinterpret_cast<unsigned char**>(&values));
  const auto overGrey = [](int v, int alpha) { return (v * alpha + 128 * (255 - alpha)) / 255; };
  const size_t count = size_t(png.width) * png.height;
  double mean = -1;
  for (unsigned long at = 0; values && format == 32 && at + 2 <= length;
       at += 2 + values[at] * values[at + 1]) {
    const unsigned long* argb = values + at + 2;
    if (values[at] != unsigned(png.width) || values[at + 1] != unsigned(png.height) ||
        at + 2 + count > length)
      continue;
    uint64_t sum = 0;
    for (size_t p = 0; p < count; ++p) {
      const int x = int(p % png.width), y = int(p / png.width);
      for (int c = 0; c < 3; ++c)
        sum += abs(overGrey(argb[p] >> (16 - 8 * c) & 255, argb[p] >> 24 & 255) -
                   overGrey(png.at(x, y)[c], png.alpha(x, y)));
    }
    mean = double(sum) / (3.0 * count);
  }
  if (values) XFree(values);
  return mean;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--title-picture") == 0) return writeTitlePicture(argv[2]) ? 0 : 1;
  if (argc < 2) return 2;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  if (argc == 4 && strcmp(argv[1], "--icon") == 0) {
    printf("icon %.1f\n", iconDifference(display, Window(strtoul(argv[2], nullptr, 0)), argv[3]));
    return 0;
  }
  int likes = 2;  // the first --like, or argc
  while (likes < argc && strcmp(argv[likes], "--like") != 0) ++likes;
  const char* geometry = likes > 2 ? argv[2] : nullptr;
  int x, y, w, h;
  if (!chooseRegion(display, argv[1], geometry, &x, &y, &w, &h)) return 1;
  // A rootless server (XWayland) has no picture of its root: there a window's own pixels.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const Window root = DefaultRootWindow(display), window = Window(strtoul(argv[1], nullptr, 0));
  XImage* image = XGetImage(display, root, x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  Window child;
  if (!image && window && XTranslateCoordinates(display, root, window, x, y, &x, &y, &child))
    image = XGetImage(display, window, x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  if (!image) return 1;
  Box picture, disc;
  long white = 0, black = 0;
  uint64_t hash = 1469598103934665603ull;
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) {
      const unsigned long pixel = XGetPixel(image, col, row);
      const int r = int(pixel >> 16 & 255), g = int(pixel >> 8 & 255), b = int(pixel & 255);
      if (r || g || b) picture.add(col, row);
      if (b > 100 && b > r + 40) disc.add(col, row);
      white += r >= 240 && g >= 240 && b >= 240;
      black += r <= 16 && g <= 16 && b <= 16;
      hash = (hash ^ (pixel & 0xFFFFFF)) * 1099511628211ull;
    }
  picture.print("picture");
  disc.print("disc");
  const long count = long(w) * h > 0 ? long(w) * h : 1;
  printf("white %ld\nblack %ld\n", white * 100 / count, black * 100 / count);
  printf("hash %llu\n", (unsigned long long)hash);
  for (int i = likes + 1; i < argc; ++i) printf("like %.1f %s\n", difference(image, w, h, argv[i]), argv[i]);
  XDestroyImage(image);
  XCloseDisplay(display);
  return 0;
}
