// Damaged, odd and valid-but-unusual versions of the show's eight files, for the
// hardening tests and for folders the real program is started in.
#pragma once
#include <string>

// The show's files, in its loading order (the music first).
extern const char* const showFiles[8];

// A picture (any of the seven .png names) of the given kind, written to path.
// Bad kinds: "missing" (nothing written), "empty", "truncated", "text", "wav",
// "huge_header" (100000 x 100000), "too_many_pixels" (16384 x 16384), "zero_width",
// "bad_crc", "corrupt_data". Valid kinds: "rgb", "deep" (16-bit), "interlaced",
// "palette_trns", "grey_alpha". Font kinds (valid PNGs of the wrong layout for the
// font): "font_narrow" (512 wide), "font_wide" (2048), "font_short" (5 rows), "font_1bit",
// "font_rgb"; and the good font layouts "font" (8-bit grey 1024x16), "font_deep",
// "font_interlaced". Returns false for an unknown kind.
bool writePicture(const std::string& path, const std::string& kind);

// A "ninja.wav" of the given kind. Bad kinds: "missing", "empty", "truncated" (cut inside
// the header), "text", "png", "unknown_codec", "zero_length" (no samples). Valid kinds:
// "stereo16", "mono", "8bit", "22050", "float", "flac" (written by sox).
bool writeMusic(const std::string& path, const std::string& kind);
