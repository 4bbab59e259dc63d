// animbake: renders the animation's procedural source frames (scenes), reduces each one
// to flat triangles in colour-cube colours on the 256-step grid (mesh), writes
// data/animation.cpp and optionally pictures (emit), and prints how faithful the frames
// are against a uniform grid (report; left out with --quiet, which the re-bake test uses).
//
// Usage: animbake OUT.cpp [--sheet PNG] [--source-sheet PNG] [--frames DIR] [--preview STEP]
//                         [--compare-plain] [--quiet]
// Output is byte-identical run to run: no randomness, no threads, fixed orders.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "emit.h"
#include "mesh.h"
#include "report.h"

namespace {

struct Options {
  std::string outPath, sheetPath, sourceSheetPath, framesDir;
  bool quiet = false;         // no report: the table and the pictures asked for only
  bool comparePlain = false;  // also bake without corner weighting, for the report only
  int previewStep = 0;        // > 0: bake only every n-th frame, for a quick look; no table
};

// False (after the usage line on stderr) when the command line makes no sense.
bool readCommandLine(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--sheet" && i + 1 < argc)
      o.sheetPath = argv[++i];
    else if (a == "--source-sheet" && i + 1 < argc)
      o.sourceSheetPath = argv[++i];
    else if (a == "--frames" && i + 1 < argc)
      o.framesDir = argv[++i];
    else if (a == "--quiet")
      o.quiet = true;
    else if (a == "--compare-plain")
      o.comparePlain = true;
    else if (a == "--preview" && i + 1 < argc)
      o.previewStep = std::max(1, std::atoi(argv[++i]));
    else if (o.outPath.empty() && a[0] != '-')
      o.outPath = a;
    else {
      std::fprintf(stderr,
                   "usage: animbake OUT.cpp [--sheet PNG] [--source-sheet PNG] "
                   "[--frames DIR] [--preview STEP] [--compare-plain] [--quiet]\n");
      return false;
    }
  }
  if (o.outPath.empty()) std::fprintf(stderr, "animbake: no output file given\n");
  return !o.outPath.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!readCommandLine(argc, argv, o)) return 2;

  std::vector<StoredFrame> frames;
  std::vector<Image> shown, sources;  // for the contact sheets
  for (int k = 0; k < sceneFrameCount; ++k) {
    if (o.previewStep > 0 && k % o.previewStep != 0) continue;
    const Image src = renderSource(k);
    const std::vector<Triangle> mesh = triangulateGreedy(src);
    frames.push_back(storeFrame(mesh, src));
    if (!o.sourceSheetPath.empty()) sources.push_back(src);
    const bool framePicture = !o.framesDir.empty() && k % 10 == 0;
    if (o.quiet && o.sheetPath.empty() && !framePicture) continue;
    const Image drawn = drawMesh(mesh);
    if (!o.quiet) reportFrame(k, src, mesh, drawn, frames.back(), o.comparePlain);
    if (framePicture) {
      writePng(o.framesDir + "/frame" + std::to_string(k) + ".png", {drawn}, 1, 1);
      writePng(o.framesDir + "/source" + std::to_string(k) + ".png", {src}, 1, 1);
    }
    if (!o.sheetPath.empty()) shown.push_back(drawn);
  }

  if (o.previewStep == 0 && !writeTable(o.outPath, frames)) return 1;
  if (!o.sheetPath.empty() && !writePng(o.sheetPath, shown, 20, 4)) return 1;
  if (!o.sourceSheetPath.empty() && !writePng(o.sourceSheetPath, sources, 20, 4)) return 1;
  if (!o.quiet) printReport(o.comparePlain);
  return 0;
}
