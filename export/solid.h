// The relief panel of "Export Solid": a depth image seen through one camera becomes a closed
// solid. Every sample of the image gives a front vertex on its pixel's line of sight, so the
// front is one height field over the whole image rectangle; walls run along the rectangle's
// four edges, on the planes of the lines of sight through its border pixels, and a flat back
// closes it. No OpenGL here: the image and the camera come as arguments.
#pragma once

#include "mesh/vec.h"
#include "selection/projection.h"

#include <array>
#include <cstddef>
#include <vector>

// Window depths of width x height samples, bottom row first, as glReadPixels gives them; a
// sample of 1 or more (the cleared depth) is background: nothing was drawn there.
struct DepthImage {
    int width = 0, height = 0;
    std::vector<float> depth;
};

struct SolidOptions {
    // Distance from the plate's front plane to its back along the lines of sight (eye units).
    // 0 or less: 5 % of the depth range of the drawn samples, and at least 1 % of the plate's
    // diagonal, so that a flat model or an empty scene still gets a back.
    double thickness = 0;
    // Fill whole blocks of background cells with fans around one inner vertex instead of two
    // triangles per cell (the plate's flat part then needs a fraction of the triangles).
    bool mergeBackground = true;
    // How far, in object units along a sample's line of sight, the front may pass its sample.
    // 0: one front vertex per sample (the full grid, its background merged as above). More:
    // as few front triangles as keep every sample within it (see boundedFront), the
    // background among them. Less than 0: a thousandth of the drawn samples' depth range.
    double tolerance = 0;
};

// The tolerance that stands for a thousandth of the depth range.
inline constexpr double kDefaultTolerance = -1;

// Side of the square blocks of cells that background merging works in.
inline constexpr int kSolidBlock = 16;

struct SolidMesh {
    // Object coordinates: first the front vertices (row by row from the bottom, the samples no
    // front triangle uses skipped), then the back's border (below each front border vertex)
    // and its centre.
    std::vector<Vec3> vertices;
    std::size_t frontVertices = 0;
    // Counter-clockwise seen from outside: the first frontTriangles are the front, the rest
    // the walls and the back.
    std::vector<std::array<int, 3>> triangles;
    std::size_t frontTriangles = 0;
    // Front vertex i has texture coordinate i: its pixel centre divided by the image size
    // (v = 0 at the bottom). The last entry is the plate's texel, which walls and back use.
    std::vector<Vec2> texCoords;
    // The sample whose pixel gives the plate's texel: the first background sample, or 0 when
    // the image has none (the caller then paints that pixel in the plate's colour).
    int plateSample = 0;
};

// Eye-space distance in front of the camera at window depth depth, for a projection whose
// window depth depends on the eye's z alone (gluPerspective, glFrustum, glOrtho); and back.
double eyeDistance(const double projection[16], double depth);
double windowDepth(const double projection[16], double distance);

// The closed solid of image under view (matrices and viewport of the pass that drew it). A
// sample's front vertex is the unprojection of its pixel centre at its depth; background
// samples lie on the front plane, a fifth of the thickness behind the farthest drawn sample
// (through the model's origin when nothing was drawn). Needs an image of at least 2 x 2; an
// empty solid when the camera's matrices give no finite solid.
SolidMesh buildSolid(const DepthImage& image, const ViewTransform& view,
                     const SolidOptions& options = {});

// The volume the triangles enclose (positive when they face outward), in double precision.
double signedVolume(const SolidMesh& solid);
