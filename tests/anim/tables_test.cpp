// The baked animation tables keep every promise the renderer relies on, in every frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>

#include "data/animation.h"

namespace {

int triangleCount(int k) { return animationTriangleBytes[k] / 4; }

// The number of vertex records a frame needs: one past its highest index.
int verticesUsed(int k) {
  int used = 0;
  for (int t = 0; t < triangleCount(k); ++t) {
    const AnimationTriangle& tri = animationFrames[k].triangles[t];
    used = std::max({used, tri.i0 + 1, tri.i1 + 1, tri.i2 + 1});
  }
  return used;
}

using Corners = std::array<std::array<int64_t, 2>, 3>;

Corners cornersOf(int k, const AnimationTriangle& t) {
  const AnimationVertex* v = animationFrames[k].vertices;
  return {{{v[t.i0].x, v[t.i0].y}, {v[t.i1].x, v[t.i1].y}, {v[t.i2].x, v[t.i2].y}}};
}

int64_t twiceArea(const Corners& c) {
  return (c[1][0] - c[0][0]) * (c[2][1] - c[0][1]) - (c[1][1] - c[0][1]) * (c[2][0] - c[0][0]);
}

// True when some edge direction of a or b separates them (touching allowed): then the
// two triangles share no interior point.
bool separated(const Corners& a, const Corners& b) {
  for (const Corners* c : {&a, &b})
    for (int e = 0; e < 3; ++e) {
      const int64_t nx = (*c)[(e + 1) % 3][1] - (*c)[e][1];
      const int64_t ny = (*c)[e][0] - (*c)[(e + 1) % 3][0];
      int64_t lo[2] = {INT64_MAX, INT64_MAX}, hi[2] = {INT64_MIN, INT64_MIN};
      for (int s = 0; s < 2; ++s)
        for (const auto& p : s == 0 ? a : b) {
          const int64_t d = nx * p[0] + ny * p[1];
          lo[s] = std::min(lo[s], d);
          hi[s] = std::max(hi[s], d);
        }
      if (hi[0] <= lo[1] || hi[1] <= lo[0]) return true;
    }
  return false;
}

TEST(AnimationTables, FrameCountAndByteLengths) {
  ASSERT_EQ(animationFrameCount, 200);
  for (int k = 0; k < animationFrameCount; ++k) {
    EXPECT_GT(animationTriangleBytes[k], 0) << "frame " << k;
    EXPECT_EQ(animationTriangleBytes[k] % 4, 0) << "frame " << k;
    EXPECT_NE(animationFrames[k].vertices, nullptr) << "frame " << k;
    EXPECT_NE(animationFrames[k].triangles, nullptr) << "frame " << k;
  }
}

TEST(AnimationTables, IndicesAscendWithinTrianglesAndTrianglesByFirstIndex) {
  for (int k = 0; k < animationFrameCount; ++k) {
    const AnimationTriangle* t = animationFrames[k].triangles;
    for (int i = 0; i < triangleCount(k); ++i) {
      EXPECT_TRUE(t[i].i0 < t[i].i1 && t[i].i1 < t[i].i2)
          << "frame " << k << " triangle " << i << ": " << int(t[i].i0) << " " << int(t[i].i1) << " "
          << int(t[i].i2);
      if (i > 0) {
        EXPECT_LE(t[i - 1].i0, t[i].i0) << "frame " << k << " triangle " << i;
      }
    }
  }
}

TEST(AnimationTables, VertexCountsAndColoursInRange) {
  for (int k = 0; k < animationFrameCount; ++k) {
    EXPECT_LE(verticesUsed(k), 241) << "frame " << k;
    for (int i = 0; i < triangleCount(k); ++i)
      EXPECT_LT(animationFrames[k].triangles[i].colour, 216) << "frame " << k << " triangle " << i;
    for (int v = 0; v < verticesUsed(k); ++v)
      EXPECT_LT(animationFrames[k].vertices[v].colour, 216) << "frame " << k << " vertex " << v;
  }
}

TEST(AnimationTables, NoDuplicateOrOverlappingTriangles) {
  for (int k = 0; k < animationFrameCount; ++k) {
    std::set<std::array<int, 3>> seen;
    const AnimationTriangle* t = animationFrames[k].triangles;
    for (int i = 0; i < triangleCount(k); ++i)
      EXPECT_TRUE(seen.insert({t[i].i0, t[i].i1, t[i].i2}).second)
          << "frame " << k << " repeats triangle " << i;
    int overlaps = 0;
    for (int i = 0; i < triangleCount(k); ++i) {
      const Corners a = cornersOf(k, t[i]);
      if (twiceArea(a) == 0) continue;  // a collinear triangle covers nothing
      for (int j = i + 1; j < triangleCount(k); ++j) {
        const Corners b = cornersOf(k, t[j]);
        if (twiceArea(b) != 0 && !separated(a, b) && overlaps++ == 0)
          ADD_FAILURE() << "frame " << k << ": triangles " << i << " and " << j << " overlap";
      }
    }
    EXPECT_EQ(overlaps, 0) << "frame " << k;
  }
}

// The look the show was made for: enough triangles to carry a picture, not so many
// that a displayed frame (two animation frames) gets slow.
TEST(AnimationTables, SizeOfTheAnimation) {
  int total = 0, windings[2] = {0, 0};
  for (int k = 0; k < animationFrameCount; ++k) {
    EXPECT_GE(triangleCount(k), 60) << "frame " << k;
    EXPECT_LE(triangleCount(k), 400) << "frame " << k;
    total += triangleCount(k);
    for (int i = 0; i < triangleCount(k); ++i) {
      const int64_t area = twiceArea(cornersOf(k, animationFrames[k].triangles[i]));
      if (area != 0) ++windings[area > 0];
    }
  }
  EXPECT_GE(total, 30000);
  EXPECT_LE(total, 45000);
  // Ascending indices leave the winding to chance: both must be common.
  EXPECT_GT(windings[0], total / 5) << "clockwise " << windings[0] << " of " << total;
  EXPECT_GT(windings[1], total / 5) << "counter-clockwise " << windings[1] << " of " << total;
}

}  // namespace
