// The bake's fidelity report: how close the baked frames come to their source, per
// shot and overall, against a uniform grid of as many triangles. Only for the
// developer's eyes; the bake's output does not depend on it.
#pragma once
#include <vector>

#include "emit.h"
#include "mesh.h"

// Adds one baked frame (0..sceneFrameCount-1): its source, its mesh, the mesh as drawn
// and as stored. Bakes the frame again as a uniform grid, and with comparePlain also by
// greedy insertion without corner weighting: the slow part of the report.
void reportFrame(int frame, const Image& src, const std::vector<Triangle>& mesh, const Image& drawn,
                 const StoredFrame& stored, bool comparePlain);

// Prints the counts and the PSNR table of the frames added so far on standard output.
void printReport(bool comparePlain);
