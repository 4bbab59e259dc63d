// animbake: renders the animation's procedural source frames and reduces each one to
// flat triangles in colour-cube colours on the 256-step grid, by greedy point
// insertion into a Delaunay triangulation (each step splits the triangle whose flat
// colour misses its pixels the most, at its worst pixel). Writes data/animation.cpp,
// optionally contact sheets, and prints the fidelity against a uniform grid.
//
// Usage: animbake OUT.cpp [--sheet PNG] [--source-sheet PNG] [--frames DIR] [--preview STEP]
//                         [--compare-plain] [--quiet]
// Output is byte-identical run to run: no randomness, no threads, fixed orders.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "scenes.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel>;

constexpr int W = sceneWidth, H = sceneHeight;
constexpr int maxVertices = 241;        // indices are bytes; the format's own ceiling
constexpr int maxStoredTriangles = 240;  // non-black triangles kept per frame
constexpr double stopError = 2.5e6;      // stop when no triangle's squared error exceeds it

// An RGB image of W x H pixels, top row first.
using Image = std::vector<uint8_t>;

struct GridPoint {
  int x, y;  // 0..255
  bool operator<(const GridPoint& o) const { return y != o.y ? y < o.y : x < o.x; }
  bool operator==(const GridPoint& o) const { return x == o.x && y == o.y; }
};

struct Triangle {
  std::array<GridPoint, 3> corner;
  int colour;  // cube value 0..215
};

int cubeLevel(double value) { return std::clamp(int(std::lround(value / 51.0)), 0, 5); }
int cubeOf(int r, int g, int b) { return 36 * cubeLevel(r) + 6 * cubeLevel(g) + cubeLevel(b); }
void cubeRgb(int c, uint8_t* rgb) {
  rgb[0] = uint8_t(c / 36 % 6 * 51); rgb[1] = uint8_t(c / 6 % 6 * 51); rgb[2] = uint8_t(c % 6 * 51);
}

// Calls visit(px, py) for every pixel whose centre lies in the triangle. Exact integer
// arithmetic (grid and pixel centres scaled by 2 * 255) and a one-sided rule on edges,
// so triangles sharing an edge never both own a pixel and a tiling owns each once.
template <class Visit>
void rasterise(const std::array<GridPoint, 3>& c, Visit&& visit) {
  int64_t x[3], y[3];
  for (int i = 0; i < 3; ++i) { x[i] = int64_t(2) * W * c[i].x; y[i] = int64_t(2) * H * c[i].y; }
  int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
  if (area == 0) return;
  if (area < 0) { std::swap(x[1], x[2]); std::swap(y[1], y[2]); }
  const int64_t scale = 2 * 255;
  auto pixelLo = [&](int64_t v) { return int(std::max<int64_t>(0, (v / 255 - 1) / 2)); };
  const int px0 = pixelLo(std::min({x[0], x[1], x[2]})), py0 = pixelLo(std::min({y[0], y[1], y[2]}));
  const int px1 = std::min<int64_t>(W - 1, std::max({x[0], x[1], x[2]}) / scale + 1);
  const int py1 = std::min<int64_t>(H - 1, std::max({y[0], y[1], y[2]}) / scale + 1);
  for (int py = py0; py <= py1; ++py) {
    const int64_t cy = int64_t(255) * (2 * py + 1);
    for (int px = px0; px <= px1; ++px) {
      const int64_t cx = int64_t(255) * (2 * px + 1);
      bool inside = true;
      for (int e = 0; e < 3 && inside; ++e) {
        const int a = e, b = (e + 1) % 3;
        const int64_t dx = x[b] - x[a], dy = y[b] - y[a];
        const int64_t w = dx * (cy - y[a]) - dy * (cx - x[a]);
        inside = w > 0 || (w == 0 && (dy > 0 || (dy == 0 && dx < 0)));
      }
      if (inside) visit(px, py);
    }
  }
}

// How well one flat cube colour fits a triangle of the source, and where it fits worst.
struct Fit {
  double error = 0;     // sum of squared channel differences to the cube colour
  int colour = 0;       // cube value of the pixels' mean colour
  GridPoint worst{};    // grid point nearest the worst pixel, not a corner
  bool splittable = false;
};

GridPoint gridOfPixel(int px, int py) {
  return {std::clamp(int(std::lround((px + 0.5) * 255.0 / W)), 0, 255),
          std::clamp(int(std::lround((py + 0.5) * 255.0 / H)), 0, 255)};
}

// cornerWeight: weigh each pixel's error by its distance from the nearest corner when
// choosing the split point (without it, the first of equally bad pixels wins).
Fit fitTriangle(const Image& src, const std::array<GridPoint, 3>& c, bool cornerWeight = true) {
  Fit fit;
  double sum[3] = {0, 0, 0};
  int count = 0;
  rasterise(c, [&](int px, int py) {
    const uint8_t* p = &src[(size_t(py) * W + px) * 3];
    for (int k = 0; k < 3; ++k) sum[k] += p[k];
    ++count;
  });
  if (count == 0) {
    // A sliver with no pixel centre: colour it from its centroid, never split it.
    const int px = std::min(W - 1, (c[0].x + c[1].x + c[2].x) * W / (3 * 255));
    const int py = std::min(H - 1, (c[0].y + c[1].y + c[2].y) * H / (3 * 255));
    const uint8_t* p = &src[(size_t(py) * W + px) * 3];
    fit.colour = cubeOf(p[0], p[1], p[2]);
    return fit;
  }
  fit.colour = cubeOf(int(sum[0] / count + 0.5), int(sum[1] / count + 0.5), int(sum[2] / count + 0.5));
  uint8_t q[3];
  cubeRgb(fit.colour, q);
  double worst = -1;
  rasterise(c, [&](int px, int py) {
    const uint8_t* p = &src[(size_t(py) * W + px) * 3];
    double e = 0;
    for (int k = 0; k < 3; ++k) e += double(p[k] - q[k]) * (p[k] - q[k]);
    fit.error += e;
    // Flat sources give many equally bad pixels: prefer those far from the corners,
    // so that a split lands inside the triangle rather than beside a corner.
    const GridPoint g = gridOfPixel(px, py);
    double near = 1e300;
    for (const GridPoint& k : c) {
      const double dx = (g.x - k.x) * (W / 255.0), dy = (g.y - k.y) * (H / 255.0);
      near = std::min(near, dx * dx + dy * dy);
    }
    const double score = cornerWeight ? e * std::sqrt(near) : near > 0 ? e : 0;
    if (score > worst) { worst = score; fit.worst = g; }
  });
  fit.splittable = worst > 0;
  return fit;
}

GridPoint gridOf(const Delaunay::Vertex_handle& v) {
  return {int(v->point().x()), int(v->point().y())};
}

std::array<GridPoint, 3> cornersOf(const Delaunay::Face_handle& f) {
  std::array<GridPoint, 3> c = {gridOf(f->vertex(0)), gridOf(f->vertex(1)), gridOf(f->vertex(2))};
  std::sort(c.begin(), c.end());
  return c;
}

// The whole mesh (black triangles included) of greedy insertion on one source frame.
std::vector<Triangle> triangulateGreedy(const Image& src, bool cornerWeight = true) {
  Delaunay dt;
  for (GridPoint p : {GridPoint{0, 0}, GridPoint{255, 0}, GridPoint{0, 255}, GridPoint{255, 255}})
    dt.insert(Delaunay::Point(p.x, p.y));
  std::map<std::array<GridPoint, 3>, Fit> fits;  // keyed by sorted corners
  for (;;) {
    Fit* best = nullptr;
    int stored = 0;
    for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f) {
      const auto c = cornersOf(f);
      auto it = fits.find(c);
      if (it == fits.end()) it = fits.emplace(c, fitTriangle(src, c, cornerWeight)).first;
      Fit& fit = it->second;
      stored += fit.colour != 0;
      if (fit.splittable && (!best || fit.error > best->error)) best = &fit;
    }
    if (!best || best->error < stopError || int(dt.number_of_vertices()) >= maxVertices ||
        stored >= maxStoredTriangles - 2)
      break;
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
  std::sort(mesh.begin(), mesh.end(), [](const Triangle& a, const Triangle& b) {
    return a.corner < b.corner;
  });
  return mesh;
}

// A uniform grid of about the given number of triangles, cells near-square on screen,
// each triangle coloured like the adaptive ones.
std::vector<Triangle> triangulateGrid(const Image& src, int triangles) {
  const int rows = std::max(1, int(std::lround(std::sqrt(triangles * 3.0 / 8.0))));
  const int cols = std::max(1, int(std::lround(triangles / (2.0 * rows))));
  auto gx = [&](int i) { return int(std::lround(i * 255.0 / cols)); };
  auto gy = [&](int j) { return int(std::lround(j * 255.0 / rows)); };
  std::vector<Triangle> mesh;
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < cols; ++i) {
      const GridPoint a{gx(i), gy(j)}, b{gx(i + 1), gy(j)}, c{gx(i), gy(j + 1)}, d{gx(i + 1), gy(j + 1)};
      for (auto t : {std::array<GridPoint, 3>{a, b, d}, std::array<GridPoint, 3>{a, d, c}})
        mesh.push_back({t, fitTriangle(src, t).colour});
    }
  return mesh;
}

// The mesh as the show draws it at full opacity: flat cube colours on black.
Image drawMesh(const std::vector<Triangle>& mesh) {
  Image out(size_t(W) * H * 3, 0);
  for (const Triangle& t : mesh) {
    uint8_t q[3];
    cubeRgb(t.colour, q);
    rasterise(t.corner, [&](int px, int py) { std::memcpy(&out[(size_t(py) * W + px) * 3], q, 3); });
  }
  return out;
}

double squaredError(const Image& a, const Image& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += double(a[i] - b[i]) * (a[i] - b[i]);
  return sum / double(a.size());
}

double psnr(double meanSquaredError) {
  return meanSquaredError <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / meanSquaredError);
}

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
      o[0] = uint8_t(p >> 16); o[1] = uint8_t(p >> 8); o[2] = uint8_t(p);
    }
  cairo_surface_destroy(surface);
  return img;
}

// Writes images to a PNG: with columns > 0 as a contact sheet of thumbnails shrunk by
// `shrink`, else the first image at full size.
bool writePng(const std::string& path, const std::vector<Image>& images, int columns, int shrink) {
  const int tw = W / shrink, th = H / shrink;
  const int rows = (int(images.size()) + columns - 1) / columns;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, tw * columns, th * rows);
  uint8_t* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  std::memset(data, 0, size_t(stride) * th * rows);
  for (size_t k = 0; k < images.size(); ++k)
    for (int y = 0; y < th; ++y)
      for (int x = 0; x < tw; ++x) {
        int sum[3] = {0, 0, 0};
        for (int v = 0; v < shrink; ++v)
          for (int u = 0; u < shrink; ++u)
            for (int c = 0; c < 3; ++c)
              sum[c] += images[k][((size_t(y) * shrink + v) * W + x * shrink + u) * 3 + c];
        const int n = shrink * shrink;
        const uint32_t p = uint32_t(sum[0] / n) << 16 | uint32_t(sum[1] / n) << 8 | uint32_t(sum[2] / n);
        const int ox = int(k % columns) * tw + x, oy = int(k / columns) * th + y;
        std::memcpy(data + size_t(oy) * stride + ox * 4, &p, 4);
      }
  cairo_surface_mark_dirty(s);
  const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  if (!ok) std::fprintf(stderr, "animbake: cannot write %s\n", path.c_str());
  return ok;
}

// One frame in the stored format: vertices used by non-black triangles, sorted by
// (y, x); triangles with ascending indices, sorted by them.
struct StoredFrame {
  std::vector<std::array<uint8_t, 3>> vertices;
  std::vector<std::array<uint8_t, 4>> triangles;
};

StoredFrame storeFrame(const std::vector<Triangle>& mesh, const Image& src) {
  std::vector<GridPoint> used;
  for (const Triangle& t : mesh)
    if (t.colour != 0) used.insert(used.end(), t.corner.begin(), t.corner.end());
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  StoredFrame out;
  for (GridPoint p : used) {
    const int px = std::min(W - 1, p.x * W / 255), py = std::min(H - 1, p.y * H / 255);
    const uint8_t* c = &src[(size_t(py) * W + px) * 3];
    out.vertices.push_back({uint8_t(p.x), uint8_t(p.y), uint8_t(cubeOf(c[0], c[1], c[2]))});
  }
  for (const Triangle& t : mesh) {
    if (t.colour == 0) continue;
    std::array<uint8_t, 4> rec{};
    for (int i = 0; i < 3; ++i)
      rec[i] = uint8_t(std::lower_bound(used.begin(), used.end(), t.corner[i]) - used.begin());
    std::sort(rec.begin(), rec.begin() + 3);
    rec[3] = uint8_t(t.colour);
    out.triangles.push_back(rec);
  }
  std::sort(out.triangles.begin(), out.triangles.end());
  return out;
}

template <size_t N>
void writeBytes(std::ostringstream& out, const std::vector<std::array<uint8_t, N>>& records) {
  int column = 0;
  for (const auto& r : records)
    for (size_t i = 0; i < N; ++i) {
      const std::string v = std::to_string(int(r[i])) + ",";
      if (column + int(v.size()) > 96) { out << "\n"; column = 0; }
      out << (column == 0 ? "  " : " ") << v;
      column += int(v.size()) + (column == 0 ? 2 : 1);
    }
  out << "\n";
}

std::string generateSource(const std::vector<StoredFrame>& frames) {
  std::ostringstream out;
  out << "// Generated by tools/animbake (animbake): the polygon animation, " << frames.size()
      << " frames.\n// Do not edit; regenerate with the bake-animation target.\n"
      << "#include \"data/animation.h\"\n\n";
  for (size_t k = 0; k < frames.size(); ++k) {
    out << "static const AnimationVertex vertices" << k << "[] = {\n";
    writeBytes(out, frames[k].vertices);
    out << "};\nstatic const AnimationTriangle triangles" << k << "[] = {\n";
    writeBytes(out, frames[k].triangles);
    out << "};\n";
  }
  out << "\nconst int animationFrameCount = " << frames.size() << ";\n\n"
      << "const AnimationFrame animationFrames[" << frames.size() << "] = {\n";
  for (size_t k = 0; k < frames.size(); ++k) out << "  {vertices" << k << ", triangles" << k << "},\n";
  out << "};\n\nconst int animationTriangleBytes[" << frames.size() << "] = {\n";
  for (size_t k = 0; k < frames.size(); ++k)
    out << (k % 12 == 0 ? "  " : " ") << frames[k].triangles.size() * 4 << ","
        << (k % 12 == 11 || k + 1 == frames.size() ? "\n" : "");
  out << "};\n";
  return out.str();
}

struct Tally {
  double adaptive = 0, grid = 0, plain = 0;  // summed mean squared errors
  int frames = 0;
};

void report(const char* name, const Tally& t, bool withPlain) {
  const double a = psnr(t.adaptive / t.frames), g = psnr(t.grid / t.frames);
  std::printf("  %-10s %6.2f dB %6.2f dB %+6.2f dB", name, a, g, a - g);
  if (withPlain) std::printf(" %8.2f dB", psnr(t.plain / t.frames));
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string outPath, sheetPath, sourceSheetPath, framesDir;
  bool quiet = false;
  bool comparePlain = false;  // also bake without corner weighting, for the report only
  int previewStep = 0;  // > 0: bake only every n-th frame, for a quick look; no table
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--sheet" && i + 1 < argc) sheetPath = argv[++i];
    else if (a == "--source-sheet" && i + 1 < argc) sourceSheetPath = argv[++i];
    else if (a == "--frames" && i + 1 < argc) framesDir = argv[++i];
    else if (a == "--quiet") quiet = true;
    else if (a == "--compare-plain") comparePlain = true;
    else if (a == "--preview" && i + 1 < argc) previewStep = std::max(1, std::atoi(argv[++i]));
    else if (outPath.empty() && a[0] != '-') outPath = a;
    else {
      std::fprintf(stderr, "usage: animbake OUT.cpp [--sheet PNG] [--source-sheet PNG] "
                           "[--frames DIR] [--preview STEP] [--compare-plain] [--quiet]\n");
      return 2;
    }
  }
  if (outPath.empty()) { std::fprintf(stderr, "animbake: no output file given\n"); return 2; }

  std::vector<StoredFrame> frames;
  std::vector<Image> shown, sources;
  Tally shotTally[shotCount], all;
  size_t totalTriangles = 0, totalVertices = 0, minTriangles = 1000, maxTriangles = 0;
  double litShare = 0;
  for (int k = 0; k < sceneFrameCount; ++k) {
    if (previewStep > 0 && k % previewStep != 0) continue;
    const Image src = renderSource(k);
    const std::vector<Triangle> mesh = triangulateGreedy(src);
    const Image drawn = drawMesh(mesh);
    const Image grid = drawMesh(triangulateGrid(src, int(mesh.size())));
    frames.push_back(storeFrame(mesh, src));
    const double ea = squaredError(drawn, src), eg = squaredError(grid, src);
    int shot = 0;
    while (shot + 1 < shotCount && k >= shots[shot + 1].first) ++shot;
    const double ep = comparePlain ? squaredError(drawMesh(triangulateGreedy(src, false)), src) : 0;
    for (Tally* t : {&shotTally[shot], &all}) {
      t->adaptive += ea; t->grid += eg; t->plain += ep; ++t->frames;
    }
    const size_t n = frames.back().triangles.size();
    totalTriangles += n;
    totalVertices += frames.back().vertices.size();
    minTriangles = std::min(minTriangles, n);
    maxTriangles = std::max(maxTriangles, n);
    size_t lit = 0;
    for (size_t p = 0; p < drawn.size(); p += 3) lit += drawn[p] | drawn[p + 1] | drawn[p + 2] ? 1 : 0;
    litShare += double(lit) / (W * H);
    if (!framesDir.empty() && k % 10 == 0) {
      writePng(framesDir + "/frame" + std::to_string(k) + ".png", {drawn}, 1, 1);
      writePng(framesDir + "/source" + std::to_string(k) + ".png", {src}, 1, 1);
    }
    if (!sheetPath.empty()) shown.push_back(drawn);
    if (!sourceSheetPath.empty()) sources.push_back(src);
  }

  if (previewStep == 0) {
    std::ofstream file(outPath, std::ios::binary);
    file << generateSource(frames);
    file.close();
    if (!file) { std::fprintf(stderr, "animbake: cannot write %s\n", outPath.c_str()); return 1; }
  }
  if (!sheetPath.empty() && !writePng(sheetPath, shown, 20, 4)) return 1;
  if (!sourceSheetPath.empty() && !writePng(sourceSheetPath, sources, 20, 4)) return 1;

  if (!quiet) {
    std::printf("animbake: %d frames, %zu triangles (%zu..%zu per frame), %zu vertices, "
                "%zu bytes of tables, %.0f%% of the area lit\n",
                all.frames, totalTriangles, minTriangles, maxTriangles, totalVertices,
                totalTriangles * 4 + totalVertices * 3, 100.0 * litShare / all.frames);
    std::printf("  PSNR vs source  adaptive       grid       gain%s\n",
                comparePlain ? "  unweighted" : "");
    for (int s = 0; s < shotCount; ++s) report(shots[s].name, shotTally[s], comparePlain);
    report("overall", all, comparePlain);
  }
  return 0;
}
