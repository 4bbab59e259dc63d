// pngico OUT.ico IN.png...: packs PNG pictures of at most 256x256 pixels into one icon file
// (the Windows program's icon), one image each, in the order given. The 256x256 picture
// goes in as the PNG it is, as Windows takes its large icons; the smaller ones as 32-bit
// bitmaps with their transparency mask, the form every part of Windows reads.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void put16(std::vector<unsigned char>& out, uint32_t v) {
  out.push_back(v & 0xff);
  out.push_back(v >> 8 & 0xff);
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

bool readFile(const char* path, std::vector<unsigned char>& bytes) {
  FILE* in = fopen(path, "rb");
  if (!in) {
    perror(path);
    return false;
  }
  unsigned char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, in)) > 0;)
    bytes.insert(bytes.end(), buffer, buffer + n);
  fclose(in);
  return true;
}

// A bitmap image of the icon file: the header, the pixels bottom row first (BGRA), then
// the mask (one bit a pixel, set where the picture is transparent, rows of 32-bit words);
// the header's height counts both.
std::vector<unsigned char> bitmapImage(const std::vector<unsigned char>& bgra, uint32_t width,
                                       uint32_t height) {
  const uint32_t maskRow = (width + 31) / 32 * 4;
  std::vector<unsigned char> image;
  put32(image, 40);  // the size of this header
  put32(image, width);
  put32(image, height * 2);
  put16(image, 1);   // planes
  put16(image, 32);  // bits per pixel
  put32(image, 0);   // not compressed
  put32(image, width * height * 4 + maskRow * height);
  for (int i = 0; i < 4; i++) put32(image, 0);  // resolution and palette: none
  for (uint32_t y = height; y-- > 0;)
    image.insert(image.end(), &bgra[y * width * 4], &bgra[(y + 1) * width * 4]);
  for (uint32_t y = height; y-- > 0;) {
    std::vector<unsigned char> row(maskRow, 0);
    for (uint32_t x = 0; x < width; x++)
      if (bgra[(y * width + x) * 4 + 3] == 0) row[x / 8] |= 0x80 >> x % 8;
    image.insert(image.end(), row.begin(), row.end());
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: pngico OUT.ico IN.png...\n");
    return 2;
  }
  const int count = argc - 2;
  std::vector<unsigned char> directory, images;
  put16(directory, 0);      // reserved
  put16(directory, 1);      // an icon
  put16(directory, count);  // images
  for (int i = 0; i < count; i++) {
    const char* path = argv[i + 2];
    std::vector<unsigned char> png;
    if (!readFile(path, png)) return 1;
    png_image picture{};
    picture.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&picture, png.data(), png.size())) {
      fprintf(stderr, "pngico: %s is not a PNG picture\n", path);
      return 1;
    }
    const uint32_t width = picture.width, height = picture.height;
    if (width == 0 || height == 0 || width > 256 || height > 256) {
      png_image_free(&picture);
      fprintf(stderr, "pngico: %s is %ux%u; an icon is at most 256x256\n", path, width, height);
      return 1;
    }
    std::vector<unsigned char> image = png;
    if (width < 256 || height < 256) {
      std::vector<unsigned char> bgra(width * height * 4);
      picture.format = PNG_FORMAT_BGRA;
      if (!png_image_finish_read(&picture, nullptr, bgra.data(), 0, nullptr)) {
        fprintf(stderr, "pngico: %s: %s\n", path, picture.message);
        return 1;
      }
      image = bitmapImage(bgra, width, height);
    } else {
      png_image_free(&picture);
    }
    directory.push_back(width & 0xff);  // 256 is written as 0
    directory.push_back(height & 0xff);
    directory.push_back(0);  // no palette
    directory.push_back(0);  // reserved
    put16(directory, 1);     // colour planes
    put16(directory, 32);    // bits per pixel
    put32(directory, uint32_t(image.size()));
    put32(directory, 6 + 16 * count + uint32_t(images.size()));  // the images follow the directory
    images.insert(images.end(), image.begin(), image.end());
  }
  directory.insert(directory.end(), images.begin(), images.end());
  FILE* out = fopen(argv[1], "wb");
  if (!out || fwrite(directory.data(), 1, directory.size(), out) != directory.size() || fclose(out) != 0) {
    perror(argv[1]);
    return 1;
  }
  return 0;
}
