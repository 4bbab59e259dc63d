// Reads what a window shows, as a viewer sees it: prints the percentages of its pixels
// that are white (every channel >= 240) and black (every channel <= 16).
// usage: window_pixels <window id>; exit status 1 when the window cannot be read.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>

static int onXError(Display*, XErrorEvent*) { return 0; }

// One channel of a pixel as 0..255, from the visual's mask for it.
static unsigned channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long top = mask >> shift;
  return unsigned(((pixel & mask) >> shift) * 255 / top);
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  XSetErrorHandler(onXError);
  const Window window = Window(strtoul(argv[1], nullptr, 0));
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return 1;
  XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (!image) return 1;
  long white = 0, black = 0;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      const unsigned r = channel(pixel, image->red_mask), g = channel(pixel, image->green_mask),
                     b = channel(pixel, image->blue_mask);
      white += r >= 240 && g >= 240 && b >= 240;
      black += r <= 16 && g <= 16 && b <= 16;
    }
  const long all = long(image->width) * image->height;
  printf("%ld %ld\n", white * 100 / all, black * 100 / all);
  XDestroyImage(image);
  XCloseDisplay(display);
  return 0;
}
