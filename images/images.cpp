// PNG decoding on libpng: one decoder for both the raw and the texture path.
#include "images/images.h"

#include <GL/gl.h>
#include <png.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Largest image accepted, in pixels (a 16384 x 4096 picture).
static const size_t maxPixels = size_t(1) << 26;

// One decode in progress; module-level so that libpng's longjmp cannot leave it stale, and
// so that a texture bound in steps (pngBindStart, pngBindRows) keeps it between calls.
struct Decode {
  FILE* file;
  png_structp png;
  png_infop info;
  unsigned char* pixels;  // rows back to back: the raw image's own, or uploadBuffer
  png_bytep* rows;        // row pointers into pixels, freed after decoding
  unsigned width, height, rowBytes, channels, depth;
  int colourType;  // after transforms
  bool hasAlpha;   // the file has an alpha channel or a tRNS chunk
  unsigned fileDepth;
  double fileGamma;  // from gAMA, or 1/2.2 when the file states none
  int passes;        // 1, or 7 for an interlaced file
  char reason[160];  // why the last decode failed
  // A texture being bound: its name once made, its sampling, and the rows done so far.
  GLuint texture;
  int wrap, minFilter, magFilter;
  unsigned rowsDone;
  bool corrected;  // gamma applies, through gamma
  unsigned char gamma[256];
  char filename[1024];
};
static Decode decode;

// The pixels of every texture pass through this one buffer, grown to the largest picture
// and kept until freeImageBuffer: each picture after the first then decodes into memory
// that is already the process's, instead of pages the system must first hand out and
// zero. realloc grows a large buffer in place where it can, keeping its pages.
static unsigned char* uploadBuffer;
static size_t uploadCapacity;

void (*onPictureStepEnd)(PictureStep step);

static void endStep(PictureStep step) {
  if (onPictureStepEnd) onPictureStepEnd(step);
}

// libpng's reads from decode.file, which fall inside decoding; a short read is an error
// with libpng's own words for it.
static void onPngRead(png_structp png, png_bytep data, size_t length) {
  endStep(pictureDecoding);
  const size_t got = fread(data, 1, length, decode.file);
  endStep(pictureReading);
  if (got != length) png_error(png, "Read Error");
}

static void onPngError(png_structp png, png_const_charp message) {
  snprintf(decode.reason, sizeof decode.reason, "damaged PNG (%s)", message);
  png_longjmp(png, 1);
}

static void onPngWarning(png_structp, png_const_charp) {}

static void report(const char* filename, const char* reason) {
  fprintf(stderr, "kessivar: %s: %s\n", filename, reason);
}

// The VIEWING_GAMMA text last said to be ignored, so that each value is named once.
static char ignoredGamma[64];

// Display gamma: 2.2, divided by VIEWING_GAMMA when that is a positive number. Any other
// value (but an empty one) is ignored with one line on stderr.
static double displayGamma() {
  const char* text = getenv("VIEWING_GAMMA");
  if (!text || !*text) return 2.2;
  char* end = nullptr;
  const double viewing = strtod(text, &end);
  if (end != text && *end == '\0' && viewing > 0.0 && std::isfinite(viewing)) return 2.2 / viewing;
  if (strncmp(ignoredGamma, text, sizeof ignoredGamma - 1) != 0) {
    snprintf(ignoredGamma, sizeof ignoredGamma, "%s", text);
    fprintf(stderr, "kessivar: VIEWING_GAMMA=\"%s\" is not a positive number (like 1.2), ignored\n",
            ignoredGamma);
  }
  return 2.2;
}

// Gamma table for 8-bit samples; false when it would leave every value unchanged.
static bool gammaTable(double fileGamma, unsigned char table[256]) {
  const double exponent = 1.0 / (displayGamma() * fileGamma);
  if (std::fabs(exponent - 1.0) < 1e-9) return false;
  for (int v = 0; v < 256; ++v) table[v] = (unsigned char)std::lround(255.0 * std::pow(v / 255.0, exponent));
  return true;
}

static void freeDecode() {
  if (decode.png) png_destroy_read_struct(&decode.png, &decode.info, nullptr);
  if (decode.file) fclose(decode.file);
  free(decode.rows);
  decode.png = nullptr;
  decode.info = nullptr;
  decode.file = nullptr;
  decode.rows = nullptr;
}

// Space for size bytes of pixels: the upload buffer for a texture, else a block of the
// raw image's own. Null when memory is short.
static unsigned char* pixelSpace(size_t size, bool texture) {
  if (!texture) return (unsigned char*)malloc(size);
  if (size > uploadCapacity) {
    unsigned char* grown = (unsigned char*)realloc(uploadBuffer, size);
    if (!grown) return nullptr;
    uploadBuffer = grown;
    uploadCapacity = size;
  }
  return uploadBuffer;
}

void freeImageBuffer() {
  free(uploadBuffer);
  uploadBuffer = nullptr;
  uploadCapacity = 0;
}

// After libpng's longjmp: says why the decode failed, frees what it had (a raw image's
// pixels too), and returns false.
static bool decodeFailed(const char* filename, bool widen) {
  report(filename, decode.reason);
  if (!widen) free(decode.pixels);
  decode.pixels = nullptr;
  freeDecode();
  return false;
}

// Opens a file for decoding into decode.pixels, reading its header and making room for its
// rows. widen: 8-bit RGBA for a texture (alpha 255 when solid or when the file has none),
// in the upload buffer; otherwise the file's own layout (16-bit reduced to 8) in a block
// of its own. Returns false after saying why on stderr. The rows are then read by
// png_read_image or png_read_rows, under a setjmp of the caller's own.
static bool openPng(const char* filename, bool widen, bool solid) {
  memset(&decode, 0, sizeof decode);
  endStep(pictureOutside);
  decode.file = fopen(filename, "rb");
  if (!decode.file) {
    report(filename, strerror(errno));
    return false;
  }
  // libpng reads 8 KB at a time: one read from the system per 256 KB instead.
  static char fileBuffer[256 * 1024];
  setvbuf(decode.file, fileBuffer, _IOFBF, sizeof fileBuffer);
  unsigned char signature[8];
  if (fread(signature, 1, 8, decode.file) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    report(filename, "not a PNG file");
    freeDecode();
    return false;
  }
  decode.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
  decode.info = decode.png ? png_create_info_struct(decode.png) : nullptr;
  if (!decode.info) {
    report(filename, "out of memory");
    freeDecode();
    return false;
  }
  if (setjmp(png_jmpbuf(decode.png))) return decodeFailed(filename, widen);
  png_set_user_limits(decode.png, pngMaxSide, pngMaxSide);
  // The zlib stream's own checksum repeats what the CRC of every IDAT chunk (still
  // checked) already guards, and costs a tenth of the decoding time.
  png_set_option(decode.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
  png_set_read_fn(decode.png, nullptr, onPngRead);
  png_set_sig_bytes(decode.png, 8);
  png_read_info(decode.png, decode.info);

  decode.width = png_get_image_width(decode.png, decode.info);
  decode.height = png_get_image_height(decode.png, decode.info);
  decode.fileDepth = png_get_bit_depth(decode.png, decode.info);
  const int fileType = png_get_color_type(decode.png, decode.info);
  decode.hasAlpha =
      (fileType & PNG_COLOR_MASK_ALPHA) || png_get_valid(decode.png, decode.info, PNG_INFO_tRNS);
  if (size_t(decode.width) * decode.height > maxPixels) {
    snprintf(decode.reason, sizeof decode.reason, "image too large (%u x %u)", decode.width, decode.height);
    png_longjmp(decode.png, 1);
  }
  if (!png_get_gAMA(decode.png, decode.info, &decode.fileGamma) || !(decode.fileGamma > 0.0))
    decode.fileGamma = 1.0 / 2.2;

  if (decode.fileDepth == 16) png_set_scale_16(decode.png);
  if (widen) {
    png_set_expand(decode.png);
    png_set_gray_to_rgb(decode.png);
    if (solid) png_set_strip_alpha(decode.png);
    // Opaque pictures too become RGBA, alpha 255: the GL copies RGBA texels as they
    // are, where it widens RGB ones pixel by pixel, and an opaque alpha draws the same.
    png_set_filler(decode.png, 0xFF, PNG_FILLER_AFTER);
  }
  decode.passes = png_set_interlace_handling(decode.png);
  png_read_update_info(decode.png, decode.info);

  decode.rowBytes = unsigned(png_get_rowbytes(decode.png, decode.info));
  decode.channels = png_get_channels(decode.png, decode.info);
  decode.depth = png_get_bit_depth(decode.png, decode.info);
  decode.colourType = png_get_color_type(decode.png, decode.info);
  decode.pixels = pixelSpace(size_t(decode.rowBytes) * decode.height, widen);
  decode.rows = (png_bytep*)malloc(sizeof(png_bytep) * decode.height);
  if (!decode.pixels || !decode.rows) {
    snprintf(decode.reason, sizeof decode.reason, "out of memory");
    png_longjmp(decode.png, 1);
  }
  for (unsigned y = 0; y < decode.height; ++y) decode.rows[y] = decode.pixels + size_t(decode.rowBytes) * y;
  return true;  // the caller still calls freeDecode, after reading the palette if any
}

// Reads the whole image of a file openPng opened. Returns false after saying why.
static bool readImage(const char* filename, bool widen) {
  if (setjmp(png_jmpbuf(decode.png))) return decodeFailed(filename, widen);
  png_read_image(decode.png, decode.rows);
  endStep(pictureDecoding);
  return true;
}

// Applies the gamma table to the colour samples of 8-bit pixels in rows first..end - 1,
// never to alpha.
static void applyGamma(const unsigned char table[256], unsigned first, unsigned end) {
  if (decode.depth != 8) return;
  const unsigned colours = decode.channels == 2 ? 1 : decode.channels == 4 ? 3 : decode.channels;
  if (decode.colourType == PNG_COLOR_TYPE_PALETTE) return;  // indices: the palette is corrected instead
  for (unsigned y = first; y < end; ++y) {
    unsigned char* p = decode.rows[y];
    for (unsigned x = 0; x < decode.width; ++x, p += decode.channels)
      for (unsigned c = 0; c < colours; ++c) p[c] = table[p[c]];
  }
}

int pngLoadRaw(const char* filename, pngRawInfo* raw) {
  memset(raw, 0, sizeof *raw);
  if (!openPng(filename, false, false) || !readImage(filename, false)) return 0;
  unsigned char table[256];
  const bool corrected = gammaTable(decode.fileGamma, table);
  if (corrected) applyGamma(table, 0, decode.height);
  if (decode.colourType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    raw->Palette = (unsigned char*)calloc(256, 3);
    if (raw->Palette && png_get_PLTE(decode.png, decode.info, &entries, &count)) {
      for (int i = 0; i < count && i < 256; ++i) {
        raw->Palette[i * 3 + 0] = corrected ? table[entries[i].red] : entries[i].red;
        raw->Palette[i * 3 + 1] = corrected ? table[entries[i].green] : entries[i].green;
        raw->Palette[i * 3 + 2] = corrected ? table[entries[i].blue] : entries[i].blue;
      }
    }
  }
  endStep(pictureGamma);
  raw->Width = decode.width;
  raw->Height = decode.height;
  raw->Depth = decode.depth;
  raw->Alpha = (decode.colourType & PNG_COLOR_MASK_ALPHA) ? 8 : 0;
  raw->Components = decode.channels;
  raw->Data = decode.pixels;
  freeDecode();
  return 1;
}

// Smallest power of two >= n, at most cap.
static unsigned textureSide(unsigned n, unsigned cap) {
  unsigned side = 1;
  while (side < n && side < cap) side *= 2;
  return side < cap ? side : cap;
}

// The texture's storage is filled strip by strip as its rows come when the picture needs no
// resampling; otherwise all at once after the last row.
static bool uploadsInStrips(unsigned tw, unsigned th) { return tw == decode.width && th == decode.height; }

static void endBind() {
  freeDecode();
  decode.texture = 0;
}

bool pngBindStart(const char* filename, int trans, pngInfo* info, int wrapst, int minfilter, int magfilter) {
  if (!openPng(filename, true, trans == PNG_SOLID)) return false;
  snprintf(decode.filename, sizeof decode.filename, "%s", filename);
  decode.wrap = wrapst;
  decode.minFilter = minfilter;
  decode.magFilter = magfilter;
  decode.corrected = gammaTable(decode.fileGamma, decode.gamma);
  if (info) {
    info->Width = decode.width;
    info->Height = decode.height;
    info->Depth = decode.fileDepth;
    info->Alpha = decode.hasAlpha ? 8 : 0;
  }
  return true;
}

// Makes the texture, bound, with its sampling, and gives it tw x th texels (null: room
// only, filled later).
static void makeTexture(unsigned tw, unsigned th, const unsigned char* texels) {
  glGenTextures(1, &decode.texture);
  glBindTexture(GL_TEXTURE_2D, decode.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, decode.wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, decode.wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, decode.magFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, decode.minFilter);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
}

// The whole picture, decoded, into a new texture: resampled to tw x th first when those
// are not its own sizes. False when memory for the resampling is short.
static bool uploadWhole(unsigned tw, unsigned th) {
  const unsigned bpp = decode.channels;
  unsigned char* texels = decode.pixels;
  if (!uploadsInStrips(tw, th)) {
    texels = (unsigned char*)malloc(size_t(tw) * th * bpp);
    if (!texels) return false;
    for (unsigned y = 0; y < th; ++y) {
      const unsigned char* src = decode.rows[size_t(y) * decode.height / th];
      unsigned char* dst = texels + size_t(y) * tw * bpp;
      for (unsigned x = 0; x < tw; ++x) memcpy(dst + x * bpp, src + size_t(x) * decode.width / tw * bpp, bpp);
    }
  }
  endStep(picturePadding);
  makeTexture(tw, th, texels);
  endStep(pictureUpload);
  if (texels != decode.pixels) free(texels);
  return true;
}

bool pngBindRows(unsigned rows, unsigned* texture) {
  *texture = 0;
  if (!decode.png) return false;  // no bind begun, or it has ended
  if (rows == 0) rows = 1;
  if (setjmp(png_jmpbuf(decode.png))) {
    if (decode.texture) glDeleteTextures(1, &decode.texture);
    decode.texture = 0;
    return decodeFailed(decode.filename, true);
  }
  const unsigned first = decode.rowsDone;
  // An interlaced file comes whole: each of its passes goes over every row.
  const unsigned end = decode.passes > 1 || rows >= decode.height - first ? decode.height : first + rows;
  if (decode.passes > 1)
    png_read_image(decode.png, decode.rows);
  else
    png_read_rows(decode.png, decode.rows + first, nullptr, end - first);
  endStep(pictureDecoding);
  if (decode.corrected) applyGamma(decode.gamma, first, end);
  endStep(pictureGamma);
  decode.rowsDone = end;
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  const unsigned cap = maxSize > 0 ? unsigned(maxSize) : 1024;
  const unsigned tw = textureSide(decode.width, cap), th = textureSide(decode.height, cap);
  const bool whole = first == 0 && end == decode.height;
  if (uploadsInStrips(tw, th) && !whole) {
    endStep(picturePadding);
    if (first == 0) makeTexture(tw, th, nullptr);
    glBindTexture(GL_TEXTURE_2D, decode.texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, first, tw, end - first, GL_RGBA, GL_UNSIGNED_BYTE,
                    decode.rows[first]);
    endStep(pictureUpload);
  } else if (end == decode.height && !uploadWhole(tw, th)) {
    report(decode.filename, "out of memory");
    endBind();
    return false;
  }
  if (end < decode.height) return true;
  *texture = decode.texture;
  endBind();
  return false;
}

unsigned pngBind(const char* filename, int mipmap, int trans, pngInfo* info, int wrapst, int minfilter,
                 int magfilter) {
  if (mipmap != PNG_NOMIPMAPS) {
    report(filename, "mipmaps are not made");
    return 0;
  }
  if (!pngBindStart(filename, trans, info, wrapst, minfilter, magfilter)) return 0;
  unsigned texture = 0;
  while (pngBindRows(~0u, &texture)) {
  }
  return texture;
}
