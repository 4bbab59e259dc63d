// The bake's pictures and meshes: a source frame as RGB pixels, its reduction to flat
// triangles in colour-cube colours on the 256-step grid, and the mesh drawn back.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "scenes.h"

// An RGB image of sceneWidth x sceneHeight pixels, top row first, 3 bytes a pixel.
using Image = std::vector<uint8_t>;

// A point of the grid the stored animation uses: 0..255 spans the screen on each axis.
struct GridPoint {
  int x, y;  // 0..255
  bool operator<(const GridPoint& o) const { return y != o.y ? y < o.y : x < o.x; }
  bool operator==(const GridPoint& o) const { return x == o.x && y == o.y; }
};

struct Triangle {
  std::array<GridPoint, 3> corner;  // sorted by (y, x)
  int colour;                       // cube value 0..215, 0 is black (not stored)
};

// Cube value (0..215) nearest to an RGB colour, each channel 0..255.
int cubeOf(int r, int g, int b);

// Source frame `frame` (0..sceneFrameCount-1) as drawn by the shots.
Image renderSource(int frame);

// The whole mesh (black triangles included) of greedy insertion on one source frame,
// sorted by corners. cornerWeight: weigh each pixel's error by its distance from the
// nearest corner when choosing the split point (without it, the first of equally bad
// pixels wins); only the report bakes without it.
std::vector<Triangle> triangulateGreedy(const Image& src, bool cornerWeight = true);

// A uniform grid of about `triangles` triangles, cells near-square on screen, each
// coloured like the adaptive ones: the yardstick the report measures the bake against.
std::vector<Triangle> triangulateGrid(const Image& src, int triangles);

// The mesh as the show draws it at full opacity: flat cube colours on black.
Image drawMesh(const std::vector<Triangle>& mesh);
