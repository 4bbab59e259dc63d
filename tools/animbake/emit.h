// What the bake writes: the frames in the stored format as data/animation.cpp, and
// pictures of frames (single or as a contact sheet) as PNG files.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "mesh.h"

// One frame in the stored format: vertices used by non-black triangles, sorted by
// (y, x), each with the cube colour of the source under it; triangles as three
// ascending vertex indices and a cube colour, sorted.
struct StoredFrame {
  std::vector<std::array<uint8_t, 3>> vertices;   // grid x, grid y, cube colour
  std::vector<std::array<uint8_t, 4>> triangles;  // index, index, index, cube colour
};

StoredFrame storeFrame(const std::vector<Triangle>& mesh, const Image& src);

// Writes the frames as data/animation.cpp; false (and one line on stderr) if it fails.
bool writeTable(const std::string& path, const std::vector<StoredFrame>& frames);

// Writes images to a PNG: with columns > 0 as a contact sheet of thumbnails shrunk by
// `shrink`, else the first image at full size; false (and one line on stderr) if it fails.
bool writePng(const std::string& path, const std::vector<Image>& images, int columns, int shrink);
