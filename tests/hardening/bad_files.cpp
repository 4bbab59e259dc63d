#include "bad_files.h"

#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "assets/assets.h"
#include "test_files.h"

const char* const showFiles[8] = {musicFileName,
                                  showPictureFiles[0].name,
                                  showPictureFiles[1].name,
                                  showPictureFiles[2].name,
                                  showPictureFiles[3].name,
                                  showPictureFiles[4].name,
                                  showPictureFiles[5].name,
                                  showPictureFiles[6].name};

namespace {

// A PNG with a diagonal pattern in every channel; palette images get a 4-entry
// palette whose entry 3 is transparent.
bool writePng(const std::string& path, int width, int height, int colourType, int depth, bool interlaced) {
  const int channels = colourType == PNG_COLOR_TYPE_RGB          ? 3
                       : colourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                       : colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                 : 1;
  const size_t rowBytes = (size_t(width) * channels * depth + 7) / 8;
  std::vector<uint8_t> pixels(rowBytes * height);
  for (int y = 0; y < height; ++y)
    for (size_t i = 0; i < rowBytes; ++i)
      pixels[rowBytes * y + i] =
          png_byte(colourType == PNG_COLOR_TYPE_PALETTE ? ((i + y) / 4) % 4 * (depth == 8 ? 1 : 0x55)
                                                        : (i * 3 + y * 5) & 0xFF);
  const std::vector<uint8_t> palette = {255, 200, 0, 0, 128, 255, 255, 255, 255, 10, 20, 30};
  const std::vector<uint8_t> alpha = {255, 255, 128, 0};
  return writeTestPng(path, width, height, colourType, pixels, depth, interlaced, palette, alpha);
}

// Signature and an IHDR chunk with a valid checksum (crcOk false spoils it).
std::string pngHeader(uint32_t width, uint32_t height, bool crcOk = true) {
  std::string ihdr = "IHDR";
  for (uint32_t v : {width, height})
    for (int shift : {24, 16, 8, 0}) ihdr += char((v >> shift) & 0xFF);
  ihdr += std::string("\x08\x02\0\0\0", 5);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(ihdr.data()), ihdr.size());
  if (!crcOk) crc ^= 1;
  std::string out = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0d", 12) + ihdr;
  for (int shift : {24, 16, 8, 0}) out += char((crc >> shift) & 0xFF);
  return out;
}

// A canonical 44-byte WAV header followed by frames of silence-free samples.
std::string wav(int format, int channels, int rate, int bits, int frames) {
  std::string out;
  auto u32 = [&](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); };
  const int frameBytes = channels * bits / 8;
  out += "RIFF";
  u32(36 + frames * frameBytes);
  out += "WAVEfmt ";
  u32(16), u16(uint16_t(format)), u16(uint16_t(channels)), u32(rate), u32(rate * frameBytes),
      u16(uint16_t(frameBytes)), u16(uint16_t(bits));
  out += "data";
  u32(frames * frameBytes);
  for (int i = 0; i < frames * frameBytes; ++i) out += char((i * 37) & 0x7F);
  return out;
}

}  // namespace

bool writePicture(const std::string& path, const std::string& kind) {
  if (kind == "missing") return std::remove(path.c_str()), true;
  if (kind == "empty") return writeBytes(path, ""), true;
  if (kind == "text") return writeBytes(path, "This is not a picture.\n"), true;
  if (kind == "wav") return writeBytes(path, wav(1, 2, 44100, 16, 64)), true;
  if (kind == "huge_header") return writeBytes(path, pngHeader(100000, 100000)), true;
  if (kind == "too_many_pixels") return writeBytes(path, pngHeader(16384, 16384)), true;
  if (kind == "zero_width") return writeBytes(path, pngHeader(0, 64)), true;
  if (kind == "bad_crc") return writeBytes(path, pngHeader(64, 64, false)), true;
  if (kind == "truncated" || kind == "corrupt_data") {
    if (!writePng(path, 256, 64, PNG_COLOR_TYPE_RGB, 8, false)) return false;
    std::string bytes = readBytes(path);
    if (kind == "truncated") return writeBytes(path, bytes.substr(0, bytes.size() / 2)), true;
    for (size_t i = bytes.size() / 3; i < bytes.size() / 3 + 16; ++i) bytes[i] = char(~bytes[i]);
    return writeBytes(path, bytes), true;
  }
  if (kind == "rgb") return writePng(path, 256, 128, PNG_COLOR_TYPE_RGB, 8, false);
  if (kind == "deep") return writePng(path, 256, 128, PNG_COLOR_TYPE_RGB_ALPHA, 16, false);
  if (kind == "interlaced") return writePng(path, 256, 128, PNG_COLOR_TYPE_RGB, 8, true);
  if (kind == "palette_trns") return writePng(path, 256, 128, PNG_COLOR_TYPE_PALETTE, 8, false);
  if (kind == "grey_alpha") return writePng(path, 256, 128, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false);
  if (kind == "font") return writePng(path, 1024, 16, PNG_COLOR_TYPE_GRAY, 8, false);
  if (kind == "font_deep") return writePng(path, 1024, 16, PNG_COLOR_TYPE_GRAY, 16, false);
  if (kind == "font_interlaced") return writePng(path, 1024, 16, PNG_COLOR_TYPE_GRAY, 8, true);
  if (kind == "font_narrow") return writePng(path, 512, 16, PNG_COLOR_TYPE_GRAY, 8, false);
  if (kind == "font_wide") return writePng(path, 2048, 16, PNG_COLOR_TYPE_GRAY, 8, false);
  if (kind == "font_short") return writePng(path, 1024, 5, PNG_COLOR_TYPE_GRAY, 8, false);
  if (kind == "font_1bit") return writePng(path, 1024, 16, PNG_COLOR_TYPE_GRAY, 1, false);
  if (kind == "font_rgb") return writePng(path, 1024, 16, PNG_COLOR_TYPE_RGB, 8, false);
  return false;
}

bool writeMusic(const std::string& path, const std::string& kind) {
  if (kind == "missing") return std::remove(path.c_str()), true;
  if (kind == "empty") return writeBytes(path, ""), true;
  if (kind == "text") return writeBytes(path, "This is not music.\n"), true;
  if (kind == "png") return writeBytes(path, pngHeader(64, 64)), true;
  if (kind == "truncated") return writeBytes(path, wav(1, 2, 44100, 16, 4410).substr(0, 30)), true;
  if (kind == "unknown_codec") return writeBytes(path, wav(0x1234, 2, 44100, 16, 4410)), true;
  if (kind == "zero_length") return writeBytes(path, wav(1, 2, 44100, 16, 0)), true;
  if (kind == "stereo16") return writeBytes(path, wav(1, 2, 44100, 16, 22050)), true;
  if (kind == "mono") return writeBytes(path, wav(1, 1, 44100, 16, 22050)), true;
  if (kind == "8bit") return writeBytes(path, wav(1, 2, 44100, 8, 22050)), true;
  if (kind == "22050") return writeBytes(path, wav(1, 2, 22050, 16, 11025)), true;
  if (kind == "float") return writeBytes(path, wav(3, 2, 44100, 32, 22050)), true;
  if (kind == "flac") {
    const std::string flac = path + ".flac";
    const std::string command = "sox -n -r 44100 -c 2 -b 16 '" + flac + "' synth 0.5 sine 440 2>/dev/null";
    if (std::system(command.c_str()) != 0) return false;
    return std::rename(flac.c_str(), path.c_str()) == 0;
  }
  return false;
}
