// Image loading: PNG files into OpenGL textures and into memory, on libpng.
// Both loaders say one line on stderr ("kessivar: <file>: <reason>") when they fail.
#pragma once

// A PNG loaded raw: the pixel rows as stored in the file, top row first, rows back to
// back, each Width * Components * Depth / 8 bytes rounded up. 16-bit channels are
// reduced to 8 bits; interlaced files are de-interlaced. Gamma is applied to 8-bit
// colour samples (and to the palette), never to alpha.
struct pngRawInfo {
  unsigned Width, Height;
  unsigned Depth;          // bits per channel: 1, 2, 4 or 8
  unsigned Alpha;          // 8 when the pixels carry an alpha channel, else 0
  unsigned Components;     // 1 grey or palette index, 2 grey+alpha, 3 RGB, 4 RGBA
  unsigned char* Data;     // owned by the loader's allocation; never freed by the show
  unsigned char* Palette;  // 256 RGB entries of a palette image, else null
};

// Scratch record that pngBind fills with the file's own properties.
struct pngInfo {
  unsigned Width, Height, Depth, Alpha;
};

constexpr int PNG_NOMIPMAPS = 0;
constexpr int PNG_SOLID = -1;  // drop any alpha: an opaque texture (RGBA, alpha 255)
constexpr int PNG_ALPHA = -2;  // keep the file's alpha (RGBA), or alpha 255 if it has none

// Largest width or height accepted from a file header; larger files are refused
// before anything is allocated.
constexpr unsigned pngMaxSide = 16384;

// The loaders' steps, for the start-up benchmark. Reading is libpng's reads from the file;
// decoding is inflating and libpng's row conversion, which libpng does row by row, so the
// two alternate. Outside is the time between one picture and the next.
enum PictureStep {
  pictureOutside,
  pictureReading,
  pictureDecoding,
  pictureGamma,
  picturePadding,
  pictureUpload,
  pictureStepCount
};
// Called, when set, as each step ends: the time since the previous call belongs to step.
// Null unless a benchmark times the loader.
extern void (*onPictureStepEnd)(PictureStep step);

// Reads a PNG into memory without touching OpenGL. Returns 1, or 0 and leaves *raw
// zeroed when the file is missing, unreadable or not a PNG.
int pngLoadRaw(const char* filename, pngRawInfo* raw);

// Creates a texture from a PNG: level 0 only (any other mipmap than PNG_NOMIPMAPS is refused), grey and
// palette widened to RGBA (alpha 255 where the file has none), sizes raised to the next
// power of two (capped at GL_MAX_TEXTURE_SIZE) by nearest-neighbour resampling, top row
// first, the given wrap and filters. Returns the texture name, or 0 when loading fails
// (no name is created).
unsigned pngBind(const char* filename, int mipmap, int trans, pngInfo* info, int wrapst, int minfilter,
                 int magfilter);

// pngBind in steps, for a caller that must answer between them (the page, where one large
// picture would keep a phone from answering a tap for a tenth of a second). pngBindStart
// opens the file and reads its header, as pngBind would, and fills *info; false, after
// one line on stderr, when it fails. Each pngBindRows then decodes up to `rows` more rows
// (at least one; an interlaced file all at once) and fills them into the texture; it
// returns true while rows remain, and false once the picture is done, with *texture its
// name, or 0 when it failed (one line on stderr, no name left). One picture at a time:
// nothing else of this loader runs between its steps.
bool pngBindStart(const char* filename, int trans, pngInfo* info, int wrapst, int minfilter, int magfilter);
bool pngBindRows(unsigned rows, unsigned* texture);

// Frees the buffer that pngBind decodes into, kept from one call to the next; the next
// pngBind makes a new one.
void freeImageBuffer();
