// Reads what a window shows, as a viewer sees it: prints the percentages of its pixels
// that are white (every channel >= 240) and black (every channel <= 16), then a hash of
// all its pixels (frames that differ differ in it). Assumes the 24-bit TrueColor screens
// of the test servers.
// usage: window_pixels <window id>; exit status 1 when the window cannot be read.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>

static int onXError(Display*, XErrorEvent*) { return 0; }

int main(int argc, char** argv) {
  Display* display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
  if (!display) return 1;
  XSetErrorHandler(onXError);
  const Window window = Window(strtoul(argv[1], nullptr, 0));
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return 1;
  XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (!image) return 1;
  long white = 0, black = 0;
  unsigned long long hash = 1469598103934665603ull;  // FNV-1a over the 24-bit pixels
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      const unsigned r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
      white += r >= 240 && g >= 240 && b >= 240;
      black += r <= 16 && g <= 16 && b <= 16;
      hash = (hash ^ (p & 0xFFFFFF)) * 1099511628211ull;
    }
  const long count = long(image->width) * image->height;
  printf("%ld %ld %llu\n", white * 100 / count, black * 100 / count, hash);
  return 0;
}
