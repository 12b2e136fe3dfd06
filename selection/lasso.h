// Lasso painting: faces whose corners all project inside a freehand loop join a part, and
// the corners of a part's faces take its label. Part labels: 0 = no part, 1..3.
#pragma once

#include "mesh/simple_mesh.h"
#include "mesh/vec.h"
#include "selection/projection.h"
#include "selection/rgb_image.h"

#include <iostream>
#include <vector>

// Per vertex 1 when it projects (under view) within columns 0..W-1 and rows 0..H-1 of the
// mask (W x H, the window) onto a pure black pixel, else 0; depth is not consulted. A vertex
// whose projection fails or is not finite is outside. Writes "painted verts[" column ", "
// H - row "]" and a line end to out for each vertex inside, in vertex order.
std::vector<unsigned char> verticesInsideLasso(const SimpleMesh& mesh, const RgbImage& mask,
                                               const ViewTransform& view, std::ostream& out);

// Sets facePart to part for every face that has corners and whose corners are all inside;
// other faces keep their label.
void labelEnclosedFaces(SimpleMesh& mesh, const std::vector<unsigned char>& inside, int part);

// Gives the corners of every face labelled part that label (vertexInPart 1 when part > 0,
// else 0), then marks with -1 every face whose corners disagree on vertexPart.
void propagateFacePart(SimpleMesh& mesh, int part);

// The labelling half of the lasso: verticesInsideLasso, labelEnclosedFaces and
// propagateFacePart with the painted label.
void paintLasso(SimpleMesh& mesh, const RgbImage& mask, const ViewTransform& view, int part,
                std::ostream& out = std::cout);
