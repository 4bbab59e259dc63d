#include "canvas.h"

#include <cairo-ft.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

cairo_surface_t* newSurface(int width, int height, bool withAlpha) {
  cairo_surface_t* surface =
      cairo_image_surface_create(withAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
  require(cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS, "cannot create a Cairo surface");
  cairo_t* cr = cairo_create(surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_destroy(cr);
  return surface;
}

// Undoes Cairo's premultiplication of one channel, rounding to nearest.
static uint8_t unpremultiply(uint32_t channel, uint32_t alpha) {
  if (alpha == 0) return 0;
  uint32_t value = (channel * 255 + alpha / 2) / alpha;
  return (uint8_t)(value > 255 ? 255 : value);
}

Picture pictureFromSurface(cairo_surface_t* surface, bool withAlpha) {
  cairo_surface_flush(surface);
  Picture picture;
  picture.width = cairo_image_surface_get_width(surface);
  picture.height = cairo_image_surface_get_height(surface);
  picture.kind = withAlpha ? PngKind::rgba : PngKind::rgb;
  const int channels = withAlpha ? 4 : 3;
  picture.pixels.resize((size_t)picture.width * picture.height * channels);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  uint8_t* out = picture.pixels.data();
  for (int y = 0; y < picture.height; y++) {
    const uint32_t* row = (const uint32_t*)(data + (size_t)y * stride);
    for (int x = 0; x < picture.width; x++) {
      uint32_t p = row[x];
      uint32_t a = withAlpha ? p >> 24 : 255;
      *out++ = unpremultiply((p >> 16) & 255, a);
      *out++ = unpremultiply((p >> 8) & 255, a);
      *out++ = unpremultiply(p & 255, a);
      if (withAlpha) *out++ = (uint8_t)a;
    }
  }
  return picture;
}

bool writePng(const std::string& path, const Picture& picture) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "art: cannot write %s\n", path.c_str());
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::fprintf(stderr, "art: libpng failed on %s\n", path.c_str());
    return false;
  }
  png_init_io(png, file);
  int colourType = PNG_COLOR_TYPE_RGB;
  int channels = 3;
  if (picture.kind == PngKind::grey) colourType = PNG_COLOR_TYPE_GRAY, channels = 1;
  if (picture.kind == PngKind::rgba) colourType = PNG_COLOR_TYPE_RGB_ALPHA, channels = 4;
  png_set_IHDR(png, info, picture.width, picture.height, 8, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Unfiltered and stored (zlib level 0): the show decodes all seven pictures before its
  // first frame, and stored rows cost only the copy and the chunks' checksums, 36 M
  // instructions for the seven against 51 M inflating level 9. The files are bigger
  // (7.9 MB against 0.4 MB), but the page is served gzip'ed and the package compressed,
  // where they weigh 5 % more.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 0);
  // One IDAT chunk for the whole stream (libpng writes one per buffer-full, 8 KB by
  // default): the reader then takes the rows in a few large reads instead of three
  // small ones for every 8 KB chunk.
  const size_t rawBytes = size_t(picture.width * channels + 1) * picture.height;
  png_set_compression_buffer_size(png, rawBytes + rawBytes / 256 + 1024);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; y++)
    png_write_row(png, picture.pixels.data() + (size_t)y * picture.width * channels);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

// Fails the tool when fontconfig substituted another face for `family`: pictures set
// in a fallback font would build without complaint but look wrong.
static void requireDejaVu(cairo_t* cr, const char* family) {
  cairo_scaled_font_t* font = cairo_get_scaled_font(cr);
  bool found = false;
  if (cairo_scaled_font_get_type(font) == CAIRO_FONT_TYPE_FT) {
    FT_Face face = cairo_ft_scaled_font_lock_face(font);
    found = face && face->family_name && std::strcmp(face->family_name, family) == 0;
    cairo_ft_scaled_font_unlock_face(font);
  }
  if (!found) std::fprintf(stderr, "art: font family \"%s\" not found (install fonts-dejavu-core)\n", family);
  require(found, "the pictures need the DejaVu fonts");
}

void setFont(cairo_t* cr, const char* family, bool bold, double size) {
  cairo_select_font_face(cr, family, CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  requireDejaVu(cr, family);
}

void setColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

double textWidth(cairo_t* cr, const char* text) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text, &extents);
  return extents.x_advance;
}

void outlinedText(cairo_t* cr, double x, double y, const char* text, Rgb fill, Rgb outline,
                  double outlineWidth, cairo_pattern_t* fillPattern) {
  cairo_new_path(cr);
  cairo_move_to(cr, x, y);
  cairo_text_path(cr, text);
  if (outlineWidth > 0) {
    setColour(cr, outline);
    cairo_set_line_width(cr, outlineWidth);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
  }
  if (fillPattern)
    cairo_set_source(cr, fillPattern);
  else
    setColour(cr, fill);
  cairo_fill(cr);
}

void centredText(cairo_t* cr, double cx, double y, const char* text, Rgb fill, Rgb outline,
                 double outlineWidth, cairo_pattern_t* fillPattern) {
  outlinedText(cr, cx - textWidth(cr, text) / 2, y, text, fill, outline, outlineWidth, fillPattern);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

cairo_pattern_t* verticalGradient(double y0, double y1, Rgb top, Rgb bottom) {
  cairo_pattern_t* pattern = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(pattern, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(pattern, 1, bottom.r, bottom.g, bottom.b);
  return pattern;
}

cairo_pattern_t* verticalGradient(double y0, double y1, Rgb top, double at, Rgb middle, Rgb bottom) {
  cairo_pattern_t* pattern = verticalGradient(y0, y1, top, bottom);
  cairo_pattern_add_color_stop_rgb(pattern, at, middle.r, middle.g, middle.b);
  return pattern;
}

void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "art: %s\n", what);
  std::exit(1);
}

double Lcg::next() {
  state = state * 1664525u + 1013904223u;
  return (state >> 8) / 16777216.0;
}

Picture finishPicture(cairo_t* cr, cairo_surface_t* surface, bool withAlpha) {
  cairo_destroy(cr);
  Picture picture = pictureFromSurface(surface, withAlpha);
  cairo_surface_destroy(surface);
  return picture;
}

// A sun disc cut by horizontal gaps that widen towards its bottom, the lower edge at
// `horizon` (nothing drawn below it).
void stripedSun(cairo_t* cr, double cx, double cy, double r, double horizon, Rgb top, Rgb bottom) {
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_rectangle(cr, cx - r, cy - r, 2 * r, horizon - (cy - r));
  cairo_clip(cr);
  cairo_new_path(cr);
  for (int i = 0; i < 9; i++) {
    const double gapTop = cy - r * 0.05 + i * i * r * 0.018 + i * r * 0.07;
    const double gapHeight = 1.5 + i * r * 0.012;
    cairo_rectangle(cr, cx - r, gapTop, 2 * r, gapHeight);
  }
  cairo_rectangle(cr, cx - r, cy - r, 2 * r, 2 * r);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_pattern_t* fill = verticalGradient(cy - r, cy + r * 0.4, top, bottom);
  cairo_set_source(cr, fill);
  cairo_fill(cr);
  cairo_pattern_destroy(fill);
  cairo_restore(cr);
}
