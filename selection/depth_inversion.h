// The conversion: every painted vertex moves along its line of sight so that its window depth
// is mirrored about its part's position depth, scaled by the part's compression; its pixel
// under the converting camera stays the same.
#pragma once

#include "mesh/simple_mesh.h"
#include "selection/projection.h"

#include <iostream>

// The per-part settings the conversion reads, and (when nothing is painted) writes; each is
// an array of four floats indexed by part number 0..3.
struct PartDepthSettings {
    float (&medianDepth)[4];       // read; part 1 written when nothing is painted
    float (&minDepth)[4];          // part 1 written when nothing is painted
    float (&maxDepth)[4];          // part 1 written when nothing is painted
    const float (&position)[4];    // the depth each part is mirrored about
    const float (&compression)[4]; // 1 full mirror, 0 flat, -1 unchanged
};

// Writes output's vertex positions from input's. Precondition: output is a copy of input.
// When input has vertices and none is labelled, first labels every vertex and face of both
// meshes part 1 (vertexInPart 1) and sets medianDepth[1] (and minDepth[1], maxDepth[1]) by
// medianPartDepth of part 1 on input, which may print its "[B]" line on out. Then each vertex
// with output.vertexInPart 1 in part p gets the window depth
//   m + k (m - wz) - (k (m - b) + m - b)   (= b + k (b - wz))
// with m, b, k the median, position and compression of p, held within [0, 1] (between the
// clipping planes), at the same window x and y; each part whose vertices were held prints
// "part P: N mirrored vertices held between the clipping planes" on out. Every other vertex,
// and every vertex whose projection or unprojection fails or is not finite, keeps its input
// position exactly. Large meshes are split over two threads; the result is the same as the
// sequential loop's.
void invertPartDepths(SimpleMesh& input, SimpleMesh& output, const PartDepthSettings& parts,
                      const ViewTransform& view, std::ostream& out = std::cout);

// The output model's rebuild: output = input, output.hideInvisibleFaces = 1, then
// invertPartDepths under view.
void rebuildOutputModelWith(SimpleMesh& input, SimpleMesh& output, const PartDepthSettings& parts,
                            const ViewTransform& view, std::ostream& out = std::cout);
