// The OpenGL half of lasso painting: the loop filled into the window and read back as the mask
// that the labelling of selection/lasso.h reads.
#pragma once

#include "mesh/simple_mesh.h"
#include "mesh/vec.h"

#include <functional>
#include <iostream>
#include <vector>

// Paints `part` into `input` with the closed loop `polygon` (overlay coordinates, see
// toOverlayPoint): fills the loop black on white in the back buffer by the even-odd rule,
// reads back the whole width x height window, then runs applyProjection and paintLasso with
// the matrices it loaded. Expects the viewport (-W, -H, 3W, 3H). Prints one
// "painted verts[" line per painted vertex on trace; restores every OpenGL
// attribute (the matrices are left as applyProjection loaded them). The caller empties its
// stroke and polygon lists.
void applyLasso(SimpleMesh& input, const std::vector<Point2>& polygon, int part, int width,
                int height, const std::function<void()>& applyProjection,
                std::ostream& trace = std::cout);

// Fills the polygon in the current colour by the even-odd rule through the stencil buffer;
// stencil testing is off afterwards and the stencil buffer holds the coverage parity.
void fillPolygonStencil(const std::vector<Point2>& polygon);
// The polygon as one triangle fan around its first point, in the current colour.
void drawPolygonFan(const std::vector<Point2>& polygon);
// The polygon's closed outline as a line loop, in the current colour.
void drawPolygonOutline(const std::vector<Point2>& polygon);
