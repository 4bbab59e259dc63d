// Drawing helpers shared by the picture painters: Cairo surfaces, DejaVu text with
// outlines, rounded panels, and the PNG writer that stores each picture in the exact
// format the show loads (grey, RGB or RGBA, 8 bits per channel).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

// A colour with channels in 0..1.
struct Rgb {
  double r, g, b;
};

// Pixel formats written to disk.
enum class PngKind { grey, rgb, rgba };

// A picture ready to be written: rows top first, channels per pixel from `kind`.
struct Picture {
  int width = 0;
  int height = 0;
  PngKind kind = PngKind::rgb;
  std::vector<uint8_t> pixels;
};

// A new ARGB32 (withAlpha) or RGB24 surface, cleared to transparent black / black.
cairo_surface_t* newSurface(int width, int height, bool withAlpha);

// Converts a finished surface (premultiplied ARGB32 or RGB24) into an RGBA or RGB picture.
Picture pictureFromSurface(cairo_surface_t* surface, bool withAlpha);

// Ends drawing: the picture from the surface, with the context and surface destroyed.
Picture finishPicture(cairo_t* cr, cairo_surface_t* surface, bool withAlpha);

// Writes `picture` to `path` with libpng; no time stamp or text chunks, so equal
// pictures give equal files. Returns false (with one line on stderr) on failure.
bool writePng(const std::string& path, const Picture& picture);

// Selects a DejaVu face by family name ("DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif")
// at `size` pixels, with grey antialiasing and no hinting so output does not depend on
// the desktop's font settings.
void setFont(cairo_t* cr, const char* family, bool bold, double size);

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);

// Advance width of `text` in the current font, in pixels.
double textWidth(cairo_t* cr, const char* text);

// Text with its baseline starting at (x, y): a stroked outline of `outlineWidth` pixels
// (0 for none) in `outline`, then the fill. The fill may be a pattern if `fillPattern`
// is given, else the flat colour `fill`.
void outlinedText(cairo_t* cr, double x, double y, const char* text, Rgb fill, Rgb outline,
                  double outlineWidth, cairo_pattern_t* fillPattern = nullptr);

// The same, centred horizontally on `cx`.
void centredText(cairo_t* cr, double cx, double y, const char* text, Rgb fill, Rgb outline,
                 double outlineWidth, cairo_pattern_t* fillPattern = nullptr);

// Adds a rounded rectangle path (corner radius r) to the current path.
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

// Vertical linear gradient from `top` at y0 to `bottom` at y1 (caller destroys it).
cairo_pattern_t* verticalGradient(double y0, double y1, Rgb top, Rgb bottom);
// The same with a third colour `middle` at fraction `at` of the way down.
cairo_pattern_t* verticalGradient(double y0, double y1, Rgb top, double at, Rgb middle, Rgb bottom);

// A sun disc cut by horizontal gaps that widen towards its bottom, the lower edge at
// `horizon` (nothing drawn below it), shaded from top to bottom.
void stripedSun(cairo_t* cr, double cx, double cy, double r, double horizon, Rgb top, Rgb bottom);

// Fails the tool (message, exit status 1) when a layout assumption is broken; used so a
// text that no longer fits its box stops the build instead of shipping clipped.
void require(bool ok, const char* what);

// Deterministic pseudo-random numbers for procedural shapes (fixed seed per call site).
struct Lcg {
  uint32_t state;
  // Next value in 0..1.
  double next();
};
