// The desktop icon: the title's striped amber sun over a horizon grid on a rounded navy
// tile, with the event's initial. RGBA, transparent outside the tile; 256x256 for the
// desktop, and the small sizes a Windows program carries, each drawn for its size.
#include "art.h"

#include <algorithm>
#include <cmath>

namespace {

// The drawing's own frame: 256 units a side, whatever the pixel size.
const double frame = 256;
const double tileInset = 8, tileRadius = 40;
const double horizonY = 170;  // sun and sky above, grid below
const double sunRadius = 78;

// Perspective grid lines from the horizon to the tile's bottom edge. Below 64 pixels a
// side, a line of the large icon would be a quarter pixel wide and melt into the sky: fewer
// lines, brighter, each one pixel wide and the level ones on whole pixels, keep the grid a
// grid. `pixel` is one pixel in units.
void iconGrid(cairo_t* cr, double pixel, bool small) {
  setColour(cr, iceBlue, small ? 0.85 : 0.55);
  cairo_set_line_width(cr, small ? pixel : 2);
  const int rowStep = small ? 2 : 1, columnStep = !small ? 1 : pixel >= 16 ? 4 : 2;
  for (int i = small ? 1 : 0; i < 5; i += rowStep) {
    double y = horizonY + 6 + i * i * 4.0 + i * 8.0;
    if (small) y = (std::floor(y / pixel) + 0.5) * pixel;
    cairo_move_to(cr, tileInset, y);
    cairo_line_to(cr, frame - tileInset, y);
  }
  for (int i = -4; i <= 4; i += columnStep) {
    cairo_move_to(cr, frame / 2 + i * 14, horizonY);
    cairo_line_to(cr, frame / 2 + i * 60, frame - tileInset);
  }
  cairo_stroke(cr);
}

}  // namespace

Picture paintIcon(int side) {
  cairo_surface_t* surface = newSurface(side, side, true);
  cairo_t* cr = cairo_create(surface);
  const double pixel = frame / side;
  cairo_scale(cr, 1 / pixel, 1 / pixel);
  // The amber border is 4 units wide; on a small tile, one whole pixel along the edge, in
  // full colour: at 32 pixels it stays a ring, not a faint halo.
  const bool small = side < 64;
  const double border = small ? pixel : 4;
  const double inset = small ? border / 2 : tileInset;
  const double side256 = frame - 2 * inset;
  roundedRect(cr, inset, inset, side256, side256, tileRadius);
  cairo_pattern_t* sky = verticalGradient(inset, frame - inset, inkNavy, 0.66, {0.16, 0.10, 0.30}, inkBlack);
  cairo_set_source(cr, sky);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(sky);
  cairo_clip(cr);
  stripedSun(cr, frame / 2, horizonY - 18, sunRadius, horizonY, amber, amberDeep);
  iconGrid(cr, pixel, small);
  setFont(cr, "DejaVu Sans", true, 120);
  centredText(cr, frame / 2, 148, "K", paper, inkNavy, std::max(6.0, pixel));
  cairo_reset_clip(cr);
  roundedRect(cr, inset, inset, side256, side256, tileRadius);
  setColour(cr, amber, small ? 1 : 0.9);
  cairo_set_line_width(cr, border);
  cairo_stroke(cr);
  return finishPicture(cr, surface, true);
}
