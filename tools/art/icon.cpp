// The desktop icon: the title's striped amber sun over a horizon grid on a rounded navy
// tile, with the event's initial. 256x256 RGBA, transparent outside the tile.
#include "art.h"

#include <cmath>

namespace {

const int iconSide = 256;
const double tileInset = 8, tileRadius = 40;
const double horizonY = 170;  // sun and sky above, grid below
const double sunRadius = 78;

// Perspective grid lines from the horizon to the tile's bottom edge.
void iconGrid(cairo_t* cr) {
  setColour(cr, iceBlue, 0.55);
  cairo_set_line_width(cr, 2);
  for (int i = 0; i < 5; i++) {
    const double y = horizonY + 6 + i * i * 4.0 + i * 8.0;
    cairo_move_to(cr, tileInset, y);
    cairo_line_to(cr, iconSide - tileInset, y);
  }
  for (int i = -4; i <= 4; i++) {
    cairo_move_to(cr, iconSide / 2.0 + i * 14, horizonY);
    cairo_line_to(cr, iconSide / 2.0 + i * 60, iconSide - tileInset);
  }
  cairo_stroke(cr);
}

}  // namespace

Picture paintIcon() {
  cairo_surface_t* surface = newSurface(iconSide, iconSide, true);
  cairo_t* cr = cairo_create(surface);
  const double side = iconSide - 2 * tileInset;
  roundedRect(cr, tileInset, tileInset, side, side, tileRadius);
  cairo_pattern_t* sky =
      verticalGradient(tileInset, iconSide - tileInset, inkNavy, 0.66, {0.16, 0.10, 0.30}, inkBlack);
  cairo_set_source(cr, sky);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(sky);
  cairo_clip(cr);
  stripedSun(cr, iconSide / 2.0, horizonY - 18, sunRadius, horizonY, amber, amberDeep);
  iconGrid(cr);
  setFont(cr, "DejaVu Sans", true, 120);
  centredText(cr, iconSide / 2.0, 148, "K", paper, inkNavy, 6);
  cairo_reset_clip(cr);
  roundedRect(cr, tileInset, tileInset, side, side, tileRadius);
  setColour(cr, amber, 0.9);
  cairo_set_line_width(cr, 4);
  cairo_stroke(cr);
  return finishPicture(cr, surface, true);
}
