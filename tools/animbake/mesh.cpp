// Reduces source frames to flat triangles: greedy point insertion into a Delaunay
// triangulation, each step splitting the triangle whose flat colour misses its pixels
// the most, at its worst pixel. No randomness and fixed orders: the same frame always
// gives the same mesh.
#include "mesh.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "anim/anim.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel>;

constexpr int W = sceneWidth, H = sceneHeight;
constexpr int maxVertices = 241;         // indices are bytes; the format's own ceiling
constexpr int maxStoredTriangles = 240;  // non-black triangles kept per frame
constexpr double stopError = 2.5e6;      // stop when no triangle's squared error exceeds it

int cubeLevel(double value) { return std::clamp(int(std::lround(value / 51.0)), 0, 5); }

// The colour the show draws for cube value c, decoded as the renderer decodes it.
void cubeRgb(int c, uint8_t* rgb) {
  rgb[0] = uint8_t(cubeChannel(c, 36));
  rgb[1] = uint8_t(cubeChannel(c, 6));
  rgb[2] = uint8_t(cubeChannel(c, 1));
}

// Calls visitRun(py, lo, hi) for every row py whose pixels lo..hi (and no others) have
// their centres in the triangle. Exact integer arithmetic (grid and pixel centres scaled
// by 2 * 255) and a one-sided rule on edges, so triangles sharing an edge never both own
// a pixel and a tiling owns each once. Each edge bounds a row's run from one side, so
// the run is found by division rather than by testing every pixel of the bounding box.
template <class VisitRun>
void rasteriseRuns(const std::array<GridPoint, 3>& c, VisitRun&& visitRun) {
  int64_t x[3], y[3];
  for (int i = 0; i < 3; ++i) {
    x[i] = int64_t(2) * W * c[i].x;
    y[i] = int64_t(2) * H * c[i].y;
  }
  int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
  if (area == 0) return;
  if (area < 0) {
    std::swap(x[1], x[2]);
    std::swap(y[1], y[2]);
  }
  const int64_t scale = 2 * 255;
  auto pixelLo = [&](int64_t v) { return int(std::max<int64_t>(0, (v / 255 - 1) / 2)); };
  auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };  // b > 0
  const int px0 = pixelLo(std::min({x[0], x[1], x[2]})), py0 = pixelLo(std::min({y[0], y[1], y[2]}));
  const int px1 = std::min<int64_t>(W - 1, std::max({x[0], x[1], x[2]}) / scale + 1);
  const int py1 = std::min<int64_t>(H - 1, std::max({y[0], y[1], y[2]}) / scale + 1);
  for (int py = py0; py <= py1; ++py) {
    const int64_t cy = int64_t(255) * (2 * py + 1);
    int64_t lo = px0, hi = px1;
    for (int e = 0; e < 3; ++e) {
      const int a = e, b = (e + 1) % 3;
      const int64_t dx = x[b] - x[a], dy = y[b] - y[a];
      // The edge function at the centre of pixel px, cx = scale * px + 255, is
      // w = base - dy * scale * px. Inside: w > 0, or w == 0 on a left or top edge.
      const int64_t base = dx * (cy - y[a]) - dy * (255 - x[a]);
      if (dy > 0)
        hi = std::min(hi, floorDiv(base, dy * scale));  // w >= 0
      else if (dy < 0)
        lo = std::max(lo, floorDiv(-base, -dy * scale) + 1);  // w > 0
      else if (!(base > 0 || (base == 0 && dx < 0)))
        hi = lo - 1;  // row outside
    }
    if (lo <= hi) visitRun(py, int(lo), int(hi));
  }
}

// Calls visit(px, py) for every pixel whose centre lies in the triangle, row by row.
template <class Visit>
void rasterise(const std::array<GridPoint, 3>& c, Visit&& visit) {
  rasteriseRuns(c, [&](int py, int lo, int hi) {
    for (int px = lo; px <= hi; ++px) visit(px, py);
  });
}

// Running sums along each row of the source: red, green, blue and the sum of the three
// squares, of the pixels left of column x (x = 0..W), so a run's sums cost two reads.
struct RowSums {
  std::vector<int32_t> at;  // 4 values per (row, x), rows top first

  explicit RowSums(const Image& src) : at(size_t(H) * (W + 1) * 4, 0) {
    for (int py = 0; py < H; ++py)
      for (int px = 0; px < W; ++px) {
        const uint8_t* p = &src[(size_t(py) * W + px) * 3];
        const int32_t* before = &at[(size_t(py) * (W + 1) + px) * 4];
        int32_t* after = &at[(size_t(py) * (W + 1) + px + 1) * 4];
        for (int k = 0; k < 3; ++k) after[k] = before[k] + p[k];
        after[3] = before[3] + p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
      }
  }
  // Sum number k (0..3) over pixels lo..hi of row py.
  int64_t run(int py, int lo, int hi, int k) const {
    return at[(size_t(py) * (W + 1) + hi + 1) * 4 + k] - at[(size_t(py) * (W + 1) + lo) * 4 + k];
  }
};

// How well one flat cube colour fits a triangle of the source, and where it fits worst.
struct Fit {
  double error = 0;       // sum of squared channel differences to the cube colour
  int colour = 0;         // cube value of the pixels' mean colour
  GridPoint worst{};      // grid point nearest the worst pixel, not a corner
  bool searched = false;  // worst and splittable are known (findWorst has run)
  bool splittable = false;
};

// The grid point nearest the centre of pixel (px, py).
GridPoint gridOfPixel(int px, int py) {
  static const auto table = [] {  // grid x of each pixel column, then grid y of each row
    std::array<int, W + H> t{};
    for (int i = 0; i < W; ++i) t[i] = std::clamp(int(std::lround((i + 0.5) * 255.0 / W)), 0, 255);
    for (int i = 0; i < H; ++i) t[W + i] = std::clamp(int(std::lround((i + 0.5) * 255.0 / H)), 0, 255);
    return t;
  }();
  return {table[px], table[W + py]};
}

// The triangle's colour and error, from the row sums: exact, as if summed pixel by pixel.
Fit fitTriangle(const Image& src, const RowSums& sums, const std::array<GridPoint, 3>& c) {
  Fit fit;
  int64_t total[4] = {0, 0, 0, 0};  // red, green, blue, squares
  int64_t count = 0;
  rasteriseRuns(c, [&](int py, int lo, int hi) {
    for (int k = 0; k < 4; ++k) total[k] += sums.run(py, lo, hi, k);
    count += hi - lo + 1;
  });
  if (count == 0) {
    // A sliver with no pixel centre: colour it from its centroid, never split it.
    const int px = std::min(W - 1, (c[0].x + c[1].x + c[2].x) * W / (3 * 255));
    const int py = std::min(H - 1, (c[0].y + c[1].y + c[2].y) * H / (3 * 255));
    const uint8_t* p = &src[(size_t(py) * W + px) * 3];
    fit.colour = cubeOf(p[0], p[1], p[2]);
    fit.searched = true;
    return fit;
  }
  auto mean = [&](int k) { return int(double(total[k]) / double(count) + 0.5); };
  fit.colour = cubeOf(mean(0), mean(1), mean(2));
  uint8_t q[3];
  cubeRgb(fit.colour, q);
  // Sum of (p - q)^2 over pixels and channels = squares - 2 q . sums + count |q|^2.
  int64_t error = total[3];
  for (int k = 0; k < 3; ++k) error += -2 * int64_t(q[k]) * total[k] + count * q[k] * q[k];
  fit.error = double(error);
  return fit;
}

// Where the fit is worst: the split point, and whether the triangle can be split at all.
// cornerWeight: weigh each pixel's error by its distance from the nearest corner.
void findWorst(const Image& src, const std::array<GridPoint, 3>& c, bool cornerWeight, Fit& fit) {
  uint8_t q[3];
  cubeRgb(fit.colour, q);
  double worst = -1;
  rasterise(c, [&](int px, int py) {
    const uint8_t* p = &src[(size_t(py) * W + px) * 3];
    int e = 0;
    for (int k = 0; k < 3; ++k) e += (p[k] - q[k]) * (p[k] - q[k]);
    if (e == 0) return;  // scores 0: never the split point of a splittable triangle
    // Flat sources give many equally bad pixels: prefer those far from the corners,
    // so that a split lands inside the triangle rather than beside a corner.
    const GridPoint g = gridOfPixel(px, py);
    double near = 1e300;
    for (const GridPoint& k : c) {
      const double dx = (g.x - k.x) * (W / 255.0), dy = (g.y - k.y) * (H / 255.0);
      near = std::min(near, dx * dx + dy * dy);
    }
    const double score = cornerWeight ? e * std::sqrt(near) : near > 0 ? e : 0;
    if (score > worst) {
      worst = score;
      fit.worst = g;
    }
  });
  fit.splittable = worst > 0;
  fit.searched = true;
}

GridPoint gridOf(const Delaunay::Vertex_handle& v) { return {int(v->point().x()), int(v->point().y())}; }

std::array<GridPoint, 3> cornersOf(const Delaunay::Face_handle& f) {
  std::array<GridPoint, 3> c = {gridOf(f->vertex(0)), gridOf(f->vertex(1)), gridOf(f->vertex(2))};
  std::sort(c.begin(), c.end());
  return c;
}

}  // namespace

int cubeOf(int r, int g, int b) { return 36 * cubeLevel(r) + 6 * cubeLevel(g) + cubeLevel(b); }

Image renderSource(int frame) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
  cairo_t* cr = cairo_create(surface);
  drawSceneFrame(cr, frame);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  Image img(size_t(W) * H * 3);
  const uint8_t* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint32_t p;
      std::memcpy(&p, data + size_t(y) * stride + x * 4, 4);
      uint8_t* o = &img[(size_t(y) * W + x) * 3];
      o[0] = uint8_t(p >> 16);
      o[1] = uint8_t(p >> 8);
      o[2] = uint8_t(p);
    }
  cairo_surface_destroy(surface);
  return img;
}

std::vector<Triangle> triangulateGreedy(const Image& src, bool cornerWeight) {
  Delaunay dt;
  for (GridPoint p : {GridPoint{0, 0}, GridPoint{255, 0}, GridPoint{0, 255}, GridPoint{255, 255}})
    dt.insert(Delaunay::Point(p.x, p.y));
  const RowSums sums(src);
  std::map<std::array<GridPoint, 3>, Fit> fits;  // keyed by sorted corners
  for (;;) {
    int stored = 0;
    for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f) {
      const auto c = cornersOf(f);
      auto it = fits.find(c);
      if (it == fits.end()) it = fits.emplace(c, fitTriangle(src, sums, c)).first;
      stored += it->second.colour != 0;
    }
    if (int(dt.number_of_vertices()) >= maxVertices || stored >= maxStoredTriangles - 2) break;
    // The first face of the largest error that can be split. Only the leading candidate's
    // worst pixel is looked for; one that cannot be split drops out and the next leads.
    Fit* best = nullptr;
    for (;;) {
      best = nullptr;
      std::array<GridPoint, 3> bestCorners{};
      for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f) {
        const auto c = cornersOf(f);
        Fit& fit = fits.at(c);
        if ((!fit.searched || fit.splittable) && (!best || fit.error > best->error)) {
          best = &fit;
          bestCorners = c;
        }
      }
      if (!best || best->error < stopError || best->searched) break;
      findWorst(src, bestCorners, cornerWeight, *best);
      if (best->splittable) break;
    }
    if (!best || best->error < stopError) break;
    const size_t before = dt.number_of_vertices();
    const GridPoint p = best->worst;
    dt.insert(Delaunay::Point(p.x, p.y));
    if (dt.number_of_vertices() == before) best->splittable = false;
  }
  std::vector<Triangle> mesh;
  for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f) {
    const auto c = cornersOf(f);
    mesh.push_back({c, fits.at(c).colour});
  }
  std::sort(mesh.begin(), mesh.end(),
            [](const Triangle& a, const Triangle& b) { return a.corner < b.corner; });
  return mesh;
}

std::vector<Triangle> triangulateGrid(const Image& src, int triangles) {
  const int rows = std::max(1, int(std::lround(std::sqrt(triangles * 3.0 / 8.0))));
  const int cols = std::max(1, int(std::lround(triangles / (2.0 * rows))));
  auto gx = [&](int i) { return int(std::lround(i * 255.0 / cols)); };
  auto gy = [&](int j) { return int(std::lround(j * 255.0 / rows)); };
  const RowSums sums(src);
  std::vector<Triangle> mesh;
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < cols; ++i) {
      const GridPoint a{gx(i), gy(j)}, b{gx(i + 1), gy(j)}, c{gx(i), gy(j + 1)}, d{gx(i + 1), gy(j + 1)};
      for (auto t : {std::array<GridPoint, 3>{a, b, d}, std::array<GridPoint, 3>{a, d, c}})
        mesh.push_back({t, fitTriangle(src, sums, t).colour});
    }
  return mesh;
}

Image drawMesh(const std::vector<Triangle>& mesh) {
  Image out(size_t(W) * H * 3, 0);
  for (const Triangle& t : mesh) {
    uint8_t q[3];
    cubeRgb(t.colour, q);
    rasterise(t.corner, [&](int px, int py) { std::memcpy(&out[(size_t(py) * W + px) * 3], q, 3); });
  }
  return out;
}
