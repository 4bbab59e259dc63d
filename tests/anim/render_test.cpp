// What drawAnimationFrame puts on the screen, through the real tables, read back from
// an offscreen context set up as the frame composer sets it up.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

#include "anim/anim.h"
#include "data/animation.h"
#include "glrig.h"

namespace {

Rgb cubeColour(int c) { return {cubeChannel(c, 36), cubeChannel(c, 6), cubeChannel(c, 1)}; }

class Animation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openOffscreen(640, 480));
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLoadIdentity();
    glScaled(640 / 255.0, 480 / 255.0, 1);
  }
  void TearDown() override { glDisable(GL_BLEND); }

  // The screen after drawing the given frames (number, opacity) over black.
  Pixels draw(std::initializer_list<std::pair<int, float>> frames) {
    glClear(GL_COLOR_BUFFER_BIT);
    for (auto [n, alpha] : frames) drawAnimationFrame(n, alpha);
    return readScreen();
  }
};

// A triangle of the tables on screen (640 x 480, y down).
struct ScreenTriangle {
  double x[3], y[3];
  int colour;
};

ScreenTriangle onScreen(int k, int t) {
  const AnimationTriangle& tri = animationFrames[k].triangles[t];
  const AnimationVertex* v = animationFrames[k].vertices;
  ScreenTriangle s{};
  const int idx[3] = {tri.i0, tri.i1, tri.i2};
  for (int i = 0; i < 3; ++i) {
    s.x[i] = v[idx[i]].x * 640.0 / 255.0;
    s.y[i] = v[idx[i]].y * 480.0 / 255.0;
  }
  s.colour = tri.colour;
  return s;
}

double twiceArea(const ScreenTriangle& s) {
  return (s.x[1] - s.x[0]) * (s.y[2] - s.y[0]) - (s.y[1] - s.y[0]) * (s.x[2] - s.x[0]);
}

// Distance of (px, py) inside the triangle from its nearest edge; negative outside.
double depthInside(const ScreenTriangle& s, double px, double py) {
  const double sign = twiceArea(s) > 0 ? 1 : -1;
  double depth = 1e9;
  for (int e = 0; e < 3; ++e) {
    const int f = (e + 1) % 3;
    const double dx = s.x[f] - s.x[e], dy = s.y[f] - s.y[e];
    const double len = std::hypot(dx, dy);
    if (len == 0) return -1;
    depth = std::min(depth, sign * (dx * (py - s.y[e]) - dy * (px - s.x[e])) / len);
  }
  return depth;
}

// What frame k at full opacity must show: pixels more than 1.5 units inside a triangle
// take its colour, pixels more than 1.5 units from every triangle stay black, the
// rest (edges) are left open (-1).
std::vector<int> expectedFrame(int k) {
  std::vector<int> want(640 * 480, 0);
  for (int t = 0; t < animationTriangleBytes[k] / 4; ++t) {
    const ScreenTriangle s = onScreen(k, t);
    const int x0 = std::max(0, int(std::min({s.x[0], s.x[1], s.x[2]})) - 2);
    const int x1 = std::min(639, int(std::max({s.x[0], s.x[1], s.x[2]})) + 2);
    const int y0 = std::max(0, int(std::min({s.y[0], s.y[1], s.y[2]})) - 2);
    const int y1 = std::min(479, int(std::max({s.y[0], s.y[1], s.y[2]})) + 2);
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const double d = depthInside(s, x + 0.5, y + 0.5);
        int& w = want[y * 640 + x];
        if (d > 1.5)
          w = s.colour + 1;  // colour + 1, so that black stays distinct
        else if (d > -1.5 && w == 0)
          w = -1;
      }
  }
  return want;
}

// Counts pixels that differ from expectedFrame(k) drawn at opacity byte a, and reports
// the first.
int mismatches(const Pixels& p, int k, int a, int tolerance) {
  const std::vector<int> want = expectedFrame(k);
  return mismatches(p, 0, 0, 640, 480, tolerance, [&](int x, int y) {
    const int w = want[y * 640 + x];
    if (w <= 0) return w < 0 ? Rgb{-1, 0, 0} : Rgb{0, 0, 0};
    const Rgb c = cubeColour(w - 1);
    return Rgb{c[0] * a / 255, c[1] * a / 255, c[2] * a / 255};
  });
}

int differingPixels(const Pixels& a, const Pixels& b) {
  int n = 0;
  for (size_t i = 0; i < a.rgb.size(); i += 3) n += !std::equal(&a.rgb[i], &a.rgb[i] + 3, &b.rgb[i]);
  return n;
}

// The opacity byte the last call left in the current colour.
int currentOpacityByte() {
  float c[4];
  glGetFloatv(GL_CURRENT_COLOR, c);
  return int(std::lround(c[3] * 255));
}

TEST(ColourCube, DecodesTheCube) {
  const struct {
    int c;
    Rgb rgb;
  } cases[] = {
      {215, {255, 255, 255}}, {172, {204, 204, 204}}, {180, {255, 0, 0}},
      {30, {0, 255, 0}},      {5, {0, 0, 255}},       {0, {0, 0, 0}},
      {43, {51, 51, 51}},     {216, {0, 0, 0}},       {255, {51, 0, 153}},
  };
  for (const auto& k : cases) EXPECT_EQ(cubeColour(k.c), k.rgb) << "colour byte " << k.c;
}

TEST_F(Animation, FramesDrawTheirTrianglesInPlaceAndColour) {
  for (int k : {0, 37, 64, 99, 120, 164, 199}) {
    const Pixels p = draw({{k, 1.0f}});
    EXPECT_EQ(mismatches(p, k, 255, 0), 0) << "frame " << k;
    if (k == 0) writePng("anim_frame0.png", p);
  }
}

TEST_F(Animation, FrameNumbersWrapAroundTheLoop) {
  // Beyond the composer's numbers too: below -200 and at the ends of the int range.
  const std::pair<int, int> same[] = {{200, 0},    {-1, 199},    {345, 145},    {-200, 0},     {399, 199},
                                      {-201, 199}, {-12345, 55}, {INT_MAX, 47}, {INT_MIN, 152}};
  for (auto [n, k] : same) {
    const Pixels a = draw({{n, 1.0f}}), b = draw({{k, 1.0f}});
    EXPECT_EQ(differingPixels(a, b), 0) << "frame number " << n << " against frame " << k;
  }
  // Neighbouring frames differ, so the comparisons above mean something.
  EXPECT_GT(differingPixels(draw({{0, 1.0f}}), draw({{1, 1.0f}})), 100);
  EXPECT_GT(differingPixels(draw({{145, 1.0f}}), draw({{146, 1.0f}})), 100);
}

TEST_F(Animation, OpacityByteIsTruncated) {
  const struct {
    float alpha;
    int byte;
  } cases[] = {
      {1.0f, 255}, {0.5f, 127}, {0.999f, 254}, {0.25f, 63}, {0.75f, 191}, {0.0f, 0},
  };
  for (const auto& c : cases) {
    draw({{10, c.alpha}});
    EXPECT_EQ(currentOpacityByte(), c.byte) << "alpha " << c.alpha;
  }
  // On screen: frame 10 at a quarter is its picture at 63/255.
  EXPECT_EQ(mismatches(draw({{10, 0.25f}}), 10, 63, 1), 0);
  const Pixels none = draw({{10, 0.0f}});
  EXPECT_EQ(std::count(none.rgb.begin(), none.rgb.end(), 0), long(none.rgb.size()));
}

TEST_F(Animation, CrossFadeAddsTheTwoFrames) {
  // Fraction 0.25 between frames 30 and 31 (and across the loop's seam, 199 and 0).
  for (int e : {30, 199}) {
    const Pixels first = draw({{e, 0.75f}}), second = draw({{e + 1, 0.25f}});
    const Pixels both = draw({{e, 0.75f}, {e + 1, 0.25f}});
    int bad = 0, bothWhite = 0;
    for (size_t i = 0; i < both.rgb.size(); ++i) {
      const int want = std::min(255, first.rgb[i] + second.rgb[i]);
      if (std::abs(both.rgb[i] - want) > 1 && bad++ == 0)
        ADD_FAILURE() << "frames " << e << "+" << e + 1 << " byte " << i << ": expected " << want << " got "
                      << int(both.rgb[i]);
      bothWhite += first.rgb[i] == 191 && second.rgb[i] == 63;
    }
    EXPECT_EQ(bad, 0);
    // Where both frames are white the sum is 254/255 of white.
    EXPECT_GT(bothWhite, 1000) << "frames " << e << " and " << e + 1;
    for (size_t i = 0; i < both.rgb.size(); ++i)
      if (first.rgb[i] == 191 && second.rgb[i] == 63) {
        EXPECT_EQ(both.rgb[i], 254);
        break;
      }
  }
}

// A lit triangle whose inside holds the screen point (px, py), as (frame, triangle).
std::pair<int, int> triangleCovering(double px, double py, double margin) {
  for (int k = 0; k < animationFrameCount; ++k)
    for (int t = 0; t < animationTriangleBytes[k] / 4; ++t) {
      const ScreenTriangle s = onScreen(k, t);
      if (s.colour != 0 && depthInside(s, px, py) > margin) return {k, t};
    }
  return {-1, -1};
}

TEST_F(Animation, GridEndsLandOnScreenEdges) {
  // Grid 255 is the screen's right edge (x 640) and bottom edge (y 480), grid 0 its left
  // and top edges: the outermost pixel rows and columns light up in the colour of the
  // lit triangle that holds them. Together: grid (255, 255) is the corner (640, 480).
  const struct {
    const char* edge;
    int x, y, dx, dy;
  } edges[] = {{"right", 639, 0, 0, 1}, {"bottom", 0, 479, 1, 0}, {"left", 0, 0, 0, 1}, {"top", 0, 0, 1, 0}};
  for (const auto& e : edges) {
    int k = -1, t = -1, x = e.x, y = e.y;
    for (; x < 640 && y < 480 && k < 0; x += e.dx * 5, y += e.dy * 5)
      std::tie(k, t) = triangleCovering(x + 0.5, y + 0.5, 0.3);
    x -= e.dx * 5, y -= e.dy * 5;
    ASSERT_GE(k, 0) << "no lit triangle of the animation reaches the " << e.edge << " edge";
    const Pixels p = draw({{k, 1.0f}});
    EXPECT_EQ((Rgb{p.r(x, y), p.g(x, y), p.b(x, y)}), cubeColour(onScreen(k, t).colour))
        << e.edge << " edge pixel " << x << "," << y << " in frame " << k << " triangle " << t;
  }
}

TEST_F(Animation, TrianglesOfBothWindingsAndTheCubeColoursShow) {
  // The largest triangle of each winding and of each common colour, checked at its centre.
  struct Pick {
    int k = -1, t = -1;
    double area = 0;
  };
  Pick byWinding[2], byColour[3];
  const int colours[3] = {215, 172, 180};
  for (int k = 0; k < animationFrameCount; ++k)
    for (int t = 0; t < animationTriangleBytes[k] / 4; ++t) {
      const ScreenTriangle s = onScreen(k, t);
      const double area = std::fabs(twiceArea(s));
      if (s.colour == 0) continue;
      Pick& w = byWinding[twiceArea(s) > 0];
      if (area > w.area) w = {k, t, area};
      for (int c = 0; c < 3; ++c)
        if (s.colour == colours[c] && area > byColour[c].area) byColour[c] = {k, t, area};
    }
  for (const Pick* p : {&byWinding[0], &byWinding[1], &byColour[0], &byColour[1], &byColour[2]}) {
    ASSERT_GE(p->k, 0);
    const ScreenTriangle s = onScreen(p->k, p->t);
    const int x = int((s.x[0] + s.x[1] + s.x[2]) / 3), y = int((s.y[0] + s.y[1] + s.y[2]) / 3);
    const Pixels px = draw({{p->k, 1.0f}});
    EXPECT_EQ((Rgb{px.r(x, y), px.g(x, y), px.b(x, y)}), cubeColour(s.colour))
        << "frame " << p->k << " triangle " << p->t << " (colour " << s.colour << ", "
        << (twiceArea(s) > 0 ? "clockwise" : "counter-clockwise") << " on screen) at " << x << "," << y;
  }
}

}  // namespace
