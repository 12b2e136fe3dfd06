// Where each part lies in window depth as the loaded camera sees it: the median and extremes
// of its vertices on visible faces, and the deepest point of its visible seam.
#pragma once

#include "mesh/simple_mesh.h"
#include "selection/projection.h"

#include <iostream>

// Median window depth of the part's corners on faces with faceVisible 1 (a vertex counts once
// per such face; depths outside [0, 1) are ignored); for an even count the upper middle one.
// minDepth and maxDepth receive the extremes, 1 and 0 when nothing qualifies. When nothing
// qualifies it prints "[B]" part ": max = " max "\t min = " min on out and returns 1.
float medianPartDepth(const SimpleMesh& mesh, int part, const ViewTransform& view, float& minDepth,
                      float& maxDepth, std::ostream& out = std::cout);

// Largest window depth in (0, 1) of the part's vertices that lie on a visible seam face
// (facePart below 0, faceVisible 1). Always prints "[P]" part ": max = " max "\t min = " min
// on out. Returns that depth, or medianFallback when the largest stayed 0 or the smallest
// stayed 1.
float boundaryPartDepth(const SimpleMesh& mesh, int part, float medianFallback,
                        const ViewTransform& view, std::ostream& out = std::cout);
