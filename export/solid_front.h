// The relief panel's front with as few triangles as keep it within bounds of the sampled
// surface. The triangles come from a hierarchy of right triangles over the sample grid (each
// splits at the midpoint of its longest side), so every corner is a sample and neighbours
// always meet edge to edge. No OpenGL here.
#pragma once

#include <array>
#include <vector>

// The surface the front must follow, per sample of a width x height grid (bottom row first).
struct FrontSurface {
    int width = 0, height = 0;
    // The window depth of the sample's front vertex.
    std::vector<float> depth;
    // The window depths that the front, interpolated across a triangle, may take at the
    // sample: low <= depth <= high.
    std::vector<float> low, high;
    // 1 / w, the projection's clip w, at window depth z is inverseW[0] + inverseW[1] * z (1
    // and 0 for an orthographic camera): texture coordinates interpolated across a triangle
    // in 3-D are, on the screen, interpolated with weights over w.
    double inverseW[2] = {1, 0};
};

// Triangles of grid indices (y * width + x), counter-clockwise with x to the right and y up,
// that tile the grid's rectangle edge to edge, such that at every sample the window depth
// interpolated across the triangle over it (linear on the screen, as a planar triangle's
// depth is) lies within [low, high], and the texture coordinate shown there (each corner's own
// grid position, interpolated in 3-D) lies within half a sample of the sample along x and y.
// Needs a grid of at least 2 x 2.
std::vector<std::array<int, 3>> boundedFront(const FrontSurface& surface);
