// The fidelity report: mean squared errors summed per shot, shown as PSNR.
#include "report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int W = sceneWidth, H = sceneHeight;

struct Tally {
  double adaptive = 0, grid = 0, plain = 0;  // summed mean squared errors per channel value
  int frames = 0;
};

// Written only by reportFrame.
Tally shotTally[shotCount], all;
size_t totalTriangles = 0, totalVertices = 0;  // stored, over all frames added
size_t minTriangles = 1000, maxTriangles = 0;  // stored triangles of one frame
double litShare = 0;                           // summed share (0..1) of pixels not black

double squaredError(const Image& a, const Image& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += double(a[i] - b[i]) * (a[i] - b[i]);
  return sum / double(a.size());
}

double psnr(double meanSquaredError) {
  return meanSquaredError <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / meanSquaredError);
}

void printRow(const char* name, const Tally& t, bool withPlain) {
  const double a = psnr(t.adaptive / t.frames), g = psnr(t.grid / t.frames);
  std::printf("  %-10s %6.2f dB %6.2f dB %+6.2f dB", name, a, g, a - g);
  if (withPlain) std::printf(" %8.2f dB", psnr(t.plain / t.frames));
  std::printf("\n");
}

}  // namespace

void reportFrame(int frame, const Image& src, const std::vector<Triangle>& mesh, const Image& drawn,
                 const StoredFrame& stored, bool comparePlain) {
  const Image grid = drawMesh(triangulateGrid(src, int(mesh.size())));
  const double ea = squaredError(drawn, src), eg = squaredError(grid, src);
  const double ep = comparePlain ? squaredError(drawMesh(triangulateGreedy(src, false)), src) : 0;
  int shot = 0;
  while (shot + 1 < shotCount && frame >= shots[shot + 1].first) ++shot;
  for (Tally* t : {&shotTally[shot], &all}) {
    t->adaptive += ea;
    t->grid += eg;
    t->plain += ep;
    ++t->frames;
  }
  const size_t n = stored.triangles.size();
  totalTriangles += n;
  totalVertices += stored.vertices.size();
  minTriangles = std::min(minTriangles, n);
  maxTriangles = std::max(maxTriangles, n);
  size_t lit = 0;
  for (size_t p = 0; p < drawn.size(); p += 3) lit += drawn[p] | drawn[p + 1] | drawn[p + 2] ? 1 : 0;
  litShare += double(lit) / (W * H);
}

void printReport(bool comparePlain) {
  if (all.frames == 0) return;
  std::printf(
      "animbake: %d frames, %zu triangles (%zu..%zu per frame), %zu vertices, "
      "%zu bytes of tables, %.0f%% of the area lit\n",
      all.frames, totalTriangles, minTriangles, maxTriangles, totalVertices,
      totalTriangles * 4 + totalVertices * 3, 100.0 * litShare / all.frames);
  std::printf("  PSNR vs source  adaptive       grid       gain%s\n", comparePlain ? "  unweighted" : "");
  for (int s = 0; s < shotCount; ++s) printRow(shots[s].name, shotTally[s], comparePlain);
  printRow("overall", all, comparePlain);
}
