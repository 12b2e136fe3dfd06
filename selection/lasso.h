// Lasso painting: faces whose corners all project inside a freehand loop join a part, and
// the corners of a part's faces take its label. Part labels: 0 = no part, 1..3.
#pragma once

#include "mesh/simple_mesh.h"
#include "mesh/vec.h"
#include "selection/projection.h"
#include "selection/rgb_image.h"

#include <functional>
#include <iostream>
#include <vector>

// --- OpenGL pass -------------------------------------------------------------------------

// Paints `part` into `input` with the closed loop `polygon` (overlay coordinates, see
// toOverlayPoint): fills the loop black on white in the back buffer by the even-odd rule,
// reads back the whole width x height window, then runs applyProjection and paintLasso with
// the matrices it loaded. Expects the viewport (-W, -H, 3W, 3H). Prints one
// "painted verts[" line per painted vertex on standard output; restores every OpenGL
// attribute (the matrices are left as applyProjection loaded them). The caller empties its
// stroke and polygon lists.
void applyLasso(SimpleMesh& input, const std::vector<Point2>& polygon, int part, int width,
                int height, const std::function<void()>& applyProjection);

// Fills the polygon in the current colour by the even-odd rule through the stencil buffer;
// stencil testing is off afterwards and the stencil buffer holds the coverage parity.
void fillPolygonStencil(const std::vector<Point2>& polygon);
// The polygon as one triangle fan around its first point, in the current colour.
void drawPolygonFan(const std::vector<Point2>& polygon);
// The polygon's closed outline as a line loop, in the current colour.
void drawPolygonOutline(const std::vector<Point2>& polygon);

// --- Labelling (no OpenGL) ---------------------------------------------------------------

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
