// The title picture, the logo, the layer picture and the footer bar.
#include "art.h"

#include <cmath>

namespace {

const Rgb chromeTop = {0.90, 0.95, 1.0};
const Rgb chromeMid = {0.30, 0.50, 0.85};
const Rgb chromeLow = {0.75, 0.88, 1.0};
const Rgb chromeEnd = {0.22, 0.30, 0.62};

// A steel-blue "chrome" fill for lettering spanning y0 (cap top) to y1 (baseline).
cairo_pattern_t* chromeFill(double y0, double y1) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0.0, chromeTop.r, chromeTop.g, chromeTop.b);
  cairo_pattern_add_color_stop_rgb(p, 0.48, chromeMid.r, chromeMid.g, chromeMid.b);
  cairo_pattern_add_color_stop_rgb(p, 0.52, chromeLow.r, chromeLow.g, chromeLow.b);
  cairo_pattern_add_color_stop_rgb(p, 1.0, chromeEnd.r, chromeEnd.g, chromeEnd.b);
  return p;
}

// Font size at which `text` spans `width` pixels (measured at 100 px).
double sizeForWidth(cairo_t* cr, const char* family, const char* text, double width) {
  setFont(cr, family, true, 100);
  return 100 * width / textWidth(cr, text);
}

// Big outlined chrome lettering centred on cx with a soft drop shadow.
void chromeWord(cairo_t* cr, double cx, double baseline, double capHeight, const char* text, double outline) {
  const double x = cx - textWidth(cr, text) / 2;
  cairo_new_path(cr);
  cairo_move_to(cr, x + outline * 0.8, baseline + outline * 0.8);
  cairo_text_path(cr, text);
  setColour(cr, inkBlack, 0.6);
  cairo_set_line_width(cr, outline * 1.6);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  cairo_fill(cr);
  cairo_pattern_t* fill = chromeFill(baseline - capHeight, baseline);
  outlinedText(cr, x, baseline, text, paper, inkNavy, outline, fill);
  cairo_pattern_destroy(fill);
}

// Dim stars above `horizon` within the rectangle, from a fixed seed.
void stars(cairo_t* cr, double x0, double y0, double x1, double horizon, uint32_t seed, int count) {
  Lcg rng{seed};
  for (int i = 0; i < count; i++) {
    const double x = std::floor(x0 + rng.next() * (x1 - x0));
    const double y = std::floor(y0 + rng.next() * (horizon - y0));
    const double level = 0.25 + 0.45 * rng.next() * (1 - (y - y0) / (horizon - y0));
    setColour(cr, {level * 0.9, level * 0.95, level}, 1);
    cairo_rectangle(cr, x, y, 1, 1);
    cairo_fill(cr);
  }
}

// Perspective floor grid below `horizon`, vanishing at (cx, horizon), down to `bottom`.
void floorGrid(cairo_t* cr, double cx, double horizon, double bottom, double halfWidth, Rgb line) {
  cairo_set_line_width(cr, 1.5);
  for (int i = -12; i <= 12; i++) {
    cairo_move_to(cr, cx + i * 6, horizon);
    cairo_line_to(cr, cx + i * halfWidth / 5, bottom + 200);
  }
  for (int i = 1; i < 12; i++) {
    const double y = horizon + (bottom - horizon) * (i * i) / 100.0;
    if (y > bottom) break;
    cairo_move_to(cr, cx - 2 * halfWidth, y);
    cairo_line_to(cr, cx + 2 * halfWidth, y);
  }
  cairo_pattern_t* fade = verticalGradient(horizon, bottom, {line.r * 0.3, line.g * 0.3, line.b * 0.3}, line);
  cairo_set_source(cr, fade);
  cairo_stroke(cr);
  cairo_pattern_destroy(fade);
}

// Letter-spaced text centred on cx (spacing in pixels between glyphs).
void spacedText(cairo_t* cr, double cx, double y, const char* text, double spacing, Rgb fill, Rgb outline,
                double outlineWidth) {
  double total = 0;
  char one[2] = {0, 0};
  for (const char* c = text; *c; c++) {
    one[0] = *c;
    total += textWidth(cr, one) + (c[1] ? spacing : 0);
  }
  double x = cx - total / 2;
  for (const char* c = text; *c; c++) {
    one[0] = *c;
    outlinedText(cr, x, y, one, fill, outline, outlineWidth);
    x += textWidth(cr, one) + spacing;
  }
}

}  // namespace

Picture paintTitle() {
  // Only x 192..832 and y 16..496 of this picture are on screen (640x480).
  const int width = 1024, height = 512;
  const double cx = 512, horizon = 352;
  cairo_surface_t* surface = newSurface(width, height, false);
  cairo_t* cr = cairo_create(surface);

  cairo_pattern_t* sky =
      verticalGradient(0, horizon, {0.01, 0.01, 0.05}, 0.6, {0.05, 0.03, 0.16}, {0.20, 0.05, 0.22});
  cairo_set_source(cr, sky);
  cairo_rectangle(cr, 0, 0, width, horizon);
  cairo_fill(cr);
  cairo_pattern_destroy(sky);
  stars(cr, 0, 0, width, horizon - 40, 2002, 260);

  cairo_pattern_t* ground = verticalGradient(horizon, height, {0.06, 0.02, 0.12}, {0.0, 0.0, 0.03});
  cairo_set_source(cr, ground);
  cairo_rectangle(cr, 0, horizon, width, height - horizon);
  cairo_fill(cr);
  cairo_pattern_destroy(ground);

  stripedSun(cr, cx, horizon - 40, 150, horizon, {0.95, 0.62, 0.12}, {0.70, 0.08, 0.38});
  floorGrid(cr, cx, horizon, height, 320, {0.15, 0.55, 0.85});
  setColour(cr, {0.95, 0.55, 0.25});
  cairo_rectangle(cr, 0, horizon - 1, width, 2);
  cairo_fill(cr);

  // The bars sweep picture rows 92-412 and dwell longest near both ends, so the
  // dates and the place sit below row 412 and the name keeps clear of the top rows.
  setFont(cr, "DejaVu Sans", true, 20);
  spacedText(cr, cx, 54, "THE LAKESIDE DEMOPARTY", 4, amber, inkBlack, 3);

  const double nameSize = sizeForWidth(cr, "DejaVu Sans", eventName, 560);
  setFont(cr, "DejaVu Sans", true, nameSize);
  chromeWord(cr, cx, 222, nameSize * 0.73, eventName, 9);
  setFont(cr, "DejaVu Sans", true, 72);
  chromeWord(cr, cx, 314, 72 * 0.73, eventYear, 7);
  setFont(cr, "DejaVu Sans", false, 17);
  spacedText(cr, cx, 384, "demo  -  intro  -  music  -  graphics  -  wild", 1, iceBlue, inkBlack, 3);

  setFont(cr, "DejaVu Sans", true, 36);
  centredText(cr, cx + 3, 449, eventDates, inkBlack, inkBlack, 8);
  centredText(cr, cx, 446, eventDates, {0.85, 0.93, 1.0}, inkNavy, 7);
  setFont(cr, "DejaVu Sans", true, 22);
  spacedText(cr, cx, 482, eventPlace, 2, amber, inkBlack, 4);

  return finishPicture(cr, surface, false);
}

Picture paintLogo() {
  // Drawn at screen (384, 0); the scroller strip covers the top 10 rows.
  const int width = 256, height = 128;
  cairo_surface_t* surface = newSurface(width, height, true);
  cairo_t* cr = cairo_create(surface);

  cairo_matrix_t slant;
  cairo_matrix_init(&slant, 1, 0, -0.22, 1, 0, 0);
  const double nameSize = sizeForWidth(cr, "DejaVu Sans", eventName, 212);
  setFont(cr, "DejaVu Sans", true, nameSize);
  cairo_save(cr);
  cairo_translate(cr, 0, 70);
  cairo_transform(cr, &slant);
  chromeWord(cr, 138, 0, nameSize * 0.73, eventName, 5);
  cairo_restore(cr);

  // An amber swoosh under the name with the year set into it.
  cairo_new_path(cr);
  cairo_move_to(cr, 18, 86);
  cairo_curve_to(cr, 80, 76, 170, 76, 244, 82);
  cairo_line_to(cr, 240, 90);
  cairo_curve_to(cr, 170, 86, 90, 86, 18, 86);
  cairo_close_path(cr);
  setColour(cr, inkBlack, 0.8);
  cairo_set_line_width(cr, 3);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* swoosh = cairo_pattern_create_linear(18, 0, 244, 0);
  cairo_pattern_add_color_stop_rgb(swoosh, 0, amberDeep.r, amberDeep.g, amberDeep.b);
  cairo_pattern_add_color_stop_rgb(swoosh, 1, amber.r, amber.g, amber.b);
  cairo_set_source(cr, swoosh);
  cairo_fill(cr);
  cairo_pattern_destroy(swoosh);

  setFont(cr, "DejaVu Sans", true, 30);
  cairo_save(cr);
  cairo_translate(cr, 0, 118);
  cairo_transform(cr, &slant);
  cairo_pattern_t* yearFill = verticalGradient(-22, 0, {1.0, 0.9, 0.55}, amberDeep);
  outlinedText(cr, 150, 0, eventYear, amber, inkBlack, 5, yearFill);
  cairo_pattern_destroy(yearFill);
  setFont(cr, "DejaVu Sans", true, 13);
  outlinedText(cr, 44, -4, "01.-04.08.", paper, inkBlack, 3.5);
  cairo_restore(cr);

  return finishPicture(cr, surface, true);
}

// Dark forest silhouette: a ridge of pointed spruce tops along `base`.
static void forestRidge(cairo_t* cr, double x0, double x1, double base, double height, uint32_t seed,
                        Rgb colour) {
  Lcg rng{seed};
  cairo_new_path(cr);
  cairo_move_to(cr, x0, base + 40);
  double x = x0;
  while (x < x1) {
    const double w = 6 + rng.next() * 8;
    const double h = height * (0.45 + 0.55 * rng.next());
    cairo_line_to(cr, x, base - h * 0.35);
    cairo_line_to(cr, x + w / 2, base - h);
    cairo_line_to(cr, x + w, base - h * 0.35);
    x += w * 0.8;
  }
  cairo_line_to(cr, x1, base + 40);
  cairo_close_path(cr);
  setColour(cr, colour);
  cairo_fill(cr);
}

Picture paintLayer() {
  // Fades in at screen (64, 144) over the polygon animation.
  const int width = 512, height = 256;
  const double lake = 168;
  cairo_surface_t* surface = newSurface(width, height, true);
  cairo_t* cr = cairo_create(surface);

  roundedRect(cr, 3, 3, width - 6, height - 6, 20);
  setColour(cr, inkBlack, 0.85);
  cairo_set_line_width(cr, 6);
  cairo_stroke_preserve(cr);
  cairo_save(cr);
  cairo_clip(cr);
  cairo_pattern_t* sky =
      verticalGradient(0, lake, {0.02, 0.03, 0.12}, 0.55, {0.16, 0.06, 0.28}, {0.55, 0.18, 0.25});
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  stars(cr, 0, 0, width, 90, 8022, 90);
  stripedSun(cr, 360, lake - 18, 74, lake, {1.0, 0.80, 0.25}, {0.85, 0.22, 0.30});
  forestRidge(cr, 0, width, lake - 4, 34, 41, {0.08, 0.03, 0.12});
  forestRidge(cr, 0, width, lake + 2, 22, 77, {0.02, 0.01, 0.04});

  cairo_pattern_t* water = verticalGradient(lake, height, {0.10, 0.04, 0.16}, {0.01, 0.01, 0.05});
  cairo_set_source(cr, water);
  cairo_rectangle(cr, 0, lake + 2, width, height - lake);
  cairo_fill(cr);
  cairo_pattern_destroy(water);
  for (int i = 0; i < 7; i++) {  // the sun's glitter on the water
    const double y = lake + 8 + i * 6 + i * i * 0.6;
    const double half = 60 - i * 7;
    setColour(cr, {1.0, 0.65 - i * 0.05, 0.25}, 0.75 - i * 0.08);
    cairo_rectangle(cr, 360 - half, y, 2 * half, 2);
    cairo_fill(cr);
  }
  cairo_restore(cr);

  setFont(cr, "DejaVu Sans", true, 54);
  chromeWord(cr, 170, 84, 54 * 0.73, eventName, 6);
  setFont(cr, "DejaVu Sans", true, 22);
  outlinedText(cr, 48, 120, "the lakeside demoparty", amber, inkBlack, 4);
  setFont(cr, "DejaVu Sans", true, 20);
  centredText(cr, width / 2.0, 232, "01.-04. August 2002  -  Velmola", paper, inkBlack, 4);

  roundedRect(cr, 3, 3, width - 6, height - 6, 20);
  setColour(cr, amber, 1);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);

  return finishPicture(cr, surface, true);
}

Picture paintFooter() {
  // Shown 512 wide at x 64..576; columns 0 and 511 are stretched over the 64 pixels
  // beyond each side, so within 6 pixels of either edge every row is one flat colour.
  const int width = 512, height = 64;
  const int margin = 6;
  cairo_surface_t* surface = newSurface(width, height, false);
  cairo_t* cr = cairo_create(surface);

  cairo_pattern_t* ground =
      verticalGradient(0, height, {0.10, 0.12, 0.30}, 0.12, {0.04, 0.05, 0.16}, {0.0, 0.0, 0.03});
  cairo_set_source(cr, ground);
  cairo_paint(cr);
  cairo_pattern_destroy(ground);
  setColour(cr, amber);
  cairo_rectangle(cr, 0, 0, width, 2);
  cairo_fill(cr);
  setColour(cr, amberDeep, 1);
  cairo_rectangle(cr, 0, 3, width, 1);
  cairo_fill(cr);
  setColour(cr, {0.15, 0.2, 0.4});
  cairo_rectangle(cr, 0, height - 2, width, 1);
  cairo_fill(cr);

  cairo_save(cr);
  cairo_rectangle(cr, margin, 0, width - 2 * margin, height);
  cairo_clip(cr);
  setFont(cr, "DejaVu Sans", true, 26);
  cairo_pattern_t* name = chromeFill(14, 34);
  outlinedText(cr, 14, 36, "KESSIVAR 2002", paper, inkBlack, 4, name);
  cairo_pattern_destroy(name);
  setFont(cr, "DejaVu Sans", true, 15);
  const double right = width - 14;
  outlinedText(cr, right - textWidth(cr, eventDates), 26, eventDates, amber, inkBlack, 3);
  outlinedText(cr, right - textWidth(cr, eventPlace), 46, eventPlace, paper, inkBlack, 3);
  setFont(cr, "DejaVu Sans", false, 12);
  outlinedText(cr, 15, 54, "demo - intro - music - graphics - wild", iceBlue, inkBlack, 2);
  cairo_restore(cr);

  return finishPicture(cr, surface, false);
}
