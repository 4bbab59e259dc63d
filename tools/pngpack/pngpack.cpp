// kessivar_pngpack [--iterations N] IN OUT: writes IN again as OUT with its pixel rows
// filtered and deflated for the smallest file, for a page that fetches the pictures over
// the network (the show's own files are stored, for the fastest start-up). OUT has IN's
// header byte for byte (size, depth, colour type, no interlace) and its rows decode to
// exactly IN's bytes; other chunks are not carried over (the show's pictures have none).
// The filter is chosen per picture: each of the five PNG filters for every row, and
// the per-row least sum of absolute differences, each deflated by zlib at level 9; the
// smallest is then deflated by zopfli with N iterations (5 unless given).
#include <png.h>
#include <zlib.h>
#include <zopfli/zopfli.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct Image {
  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0;
  size_t rowBytes = 0;    // bytes of one row's pixels
  size_t pixelBytes = 0;  // bytes per pixel (at least 1), the filters' distance
  Bytes pixels;           // height rows of rowBytes, top row first
};

bool readImage(const char* path, Image& image) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) png_error(png, "interlaced");
  image.width = png_get_image_width(png, info);
  image.height = png_get_image_height(png, info);
  image.depth = png_get_bit_depth(png, info);
  image.colourType = png_get_color_type(png, info);
  image.rowBytes = png_get_rowbytes(png, info);
  const size_t bits = size_t(png_get_channels(png, info)) * image.depth;
  image.pixelBytes = bits < 8 ? 1 : bits / 8;
  image.pixels.resize(image.rowBytes * image.height);
  std::vector<png_bytep> rows(image.height);
  for (png_uint_32 y = 0; y < image.height; ++y) rows[y] = image.pixels.data() + image.rowBytes * y;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  return true;
}

int paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Row y of image under filter type (0..4) into out (rowBytes bytes, no type byte).
void filterRow(const Image& image, png_uint_32 y, int type, unsigned char* out) {
  const unsigned char* row = image.pixels.data() + image.rowBytes * y;
  const unsigned char* up = y ? row - image.rowBytes : nullptr;
  const size_t step = image.pixelBytes;
  for (size_t i = 0; i < image.rowBytes; ++i) {
    const int a = i >= step ? row[i - step] : 0, b = up ? up[i] : 0;
    const int c = up && i >= step ? up[i - step] : 0;
    const int predicted = type == 1   ? a
                          : type == 2 ? b
                          : type == 3 ? (a + b) / 2
                          : type == 4 ? paeth(a, b, c)
                                      : 0;
    out[i] = (unsigned char)(row[i] - predicted);
  }
}

// The rows as PNG's filtered stream: each with its type byte; strategy 0..4 is one type
// for all rows, 5 the type of least absolute sum for each row.
Bytes filtered(const Image& image, int strategy) {
  Bytes data((image.rowBytes + 1) * image.height);
  Bytes trial(image.rowBytes);
  for (png_uint_32 y = 0; y < image.height; ++y) {
    unsigned char* out = data.data() + (image.rowBytes + 1) * y;
    int type = strategy;
    if (strategy == 5) {
      long best = -1;
      for (int t = 0; t < 5; ++t) {
        filterRow(image, y, t, trial.data());
        long sum = 0;
        for (unsigned char v : trial) sum += v < 128 ? v : 256 - v;
        if (best < 0 || sum < best) best = sum, type = t;
      }
    }
    out[0] = (unsigned char)type;
    filterRow(image, y, type, out + 1);
  }
  return data;
}

size_t zlibSize(const Bytes& data) {
  uLongf size = compressBound(data.size());
  Bytes out(size);
  compress2(out.data(), &size, data.data(), data.size(), 9);
  return size;
}

void putChunk(FILE* file, const char* type, const unsigned char* data, size_t size) {
  const unsigned char length[4] = {(unsigned char)(size >> 24), (unsigned char)(size >> 16),
                                   (unsigned char)(size >> 8), (unsigned char)size};
  uLong crc = crc32(0, (const Bytef*)type, 4);
  if (size) crc = crc32(crc, data, uInt(size));
  const unsigned char check[4] = {(unsigned char)(crc >> 24), (unsigned char)(crc >> 16),
                                  (unsigned char)(crc >> 8), (unsigned char)crc};
  std::fwrite(length, 1, 4, file);
  std::fwrite(type, 1, 4, file);
  if (size) std::fwrite(data, 1, size, file);
  std::fwrite(check, 1, 4, file);
}

bool writeImage(const char* path, const Image& image, const unsigned char* zlibData, size_t size) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  static const unsigned char signature[8] = {137, 'P', 'N', 'G', '\r', '\n', 26, '\n'};
  unsigned char header[13] = {};
  for (int i = 0; i < 4; ++i) {
    header[i] = (unsigned char)(image.width >> (24 - 8 * i));
    header[4 + i] = (unsigned char)(image.height >> (24 - 8 * i));
  }
  header[8] = (unsigned char)image.depth;
  header[9] = (unsigned char)image.colourType;
  std::fwrite(signature, 1, 8, file);
  putChunk(file, "IHDR", header, sizeof header);
  putChunk(file, "IDAT", zlibData, size);  // one chunk: a PNG allows up to 2^31 - 1 bytes
  putChunk(file, "IEND", nullptr, 0);
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int iterations = 5;
  if (argc == 5 && std::strcmp(argv[1], "--iterations") == 0) {
    iterations = std::atoi(argv[2]);
    argv += 2, argc -= 2;
  }
  if (argc != 3 || iterations < 1) {
    std::fprintf(stderr, "usage: %s [--iterations N] IN OUT\n", argv[0]);
    return 2;
  }
  Image image;
  if (!readImage(argv[1], image)) {
    std::fprintf(stderr, "pngpack: cannot read %s as a PNG\n", argv[1]);
    return 1;
  }
  int best = 0;
  size_t bestSize = 0;
  for (int strategy = 0; strategy <= 5; ++strategy) {
    const size_t size = zlibSize(filtered(image, strategy));
    if (!bestSize || size < bestSize) best = strategy, bestSize = size;
  }
  const Bytes data = filtered(image, best);
  ZopfliOptions options;
  ZopfliInitOptions(&options);
  options.numiterations = iterations;
  unsigned char* packed = nullptr;
  size_t packedSize = 0;
  ZopfliCompress(&options, ZOPFLI_FORMAT_ZLIB, data.data(), data.size(), &packed, &packedSize);
  const bool written = writeImage(argv[2], image, packed, packedSize);
  std::free(packed);
  if (!written) {
    std::fprintf(stderr, "pngpack: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
