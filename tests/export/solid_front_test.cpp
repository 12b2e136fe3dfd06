// The panel's front within a tolerance, checked against a reference that knows nothing of how
// it was built: every pixel's line of sight is cut with the front's triangles in the model's
// coordinates, and the point it hits must lie within the tolerance of the sample's own point
// and show, through texture coordinates interpolated in 3-D, the texel of its own pixel.
#include "export/solid.h"
#include "tests/export/solid_checks.h"
#include "tests/support/program_view.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <sstream>

namespace {

// Window depths of 0.965 .. 0.98 lie about 85 .. 112 units from the program's camera.
float noise(int x, int y) {
    return float((std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u) % 1000) / 1000;
}
float ramp(int x, int, int width) {
    return 0.965f + 0.015f * float(x) / float(width);
}
// A bowl: the eye distance grows with the square of the distance from the image's centre.
float bowl(int x, int y, int w, int h) {
    const ViewTransform view = programView(w, h);
    const double r2 = (x - w / 2.0) * (x - w / 2.0) + (y - h / 2.0) * (y - h / 2.0);
    return float(windowDepth(view.projection, 90 + 20 * r2 / (w * w)));
}

struct Scene {
    const char* name;
    int width, height;
    std::function<float(int x, int y)> depth;
};
const Scene kScenes[] = {
    {"flat", 301, 211, [](int, int) { return 0.972f; }},
    {"slanted plane filling the image", 301, 211, [](int x, int y) { return ramp(x, y, 301); }},
    {"bowl on the background", 180, 140,
     [](int x, int y) {
         return (x - 90) * (x - 90) + (y - 70) * (y - 70) < 60 * 60 ? bowl(x, y, 180, 140) : 1.0f;
     }},
    {"steps between two parts", 150, 100,
     [](int x, int y) {
         const float part = y < 50 ? 0.966f : 0.975f;
         return part + 0.002f * float(x / 25) + 0.00001f * float(y % 50);
     }},
    {"noisy ramp", 120, 90, [](int x, int y) { return ramp(x, y, 120) + 0.00004f * noise(x, y); }},
    {"ring with holes", 140, 110,
     [](int x, int y) {
         const int dx = x - 70, dy = y - 55, r2 = dx * dx + dy * dy;
         const bool hole = (x / 12 + y / 12) % 3 == 0;
         return r2 < 50 * 50 && r2 > 15 * 15 && !hole ? ramp(x, y, 140) : 1.0f;
     }},
    {"speckles", 37, 29, [](int x, int y) { return noise(x, y) < 0.3f ? 1.0f : ramp(x, y, 37); }},
    {"empty", 257, 5, [](int, int) { return 1.0f; }},
    {"two by two", 2, 2, [](int x, int y) { return x + y == 2 ? 1.0f : 0.97f + 0.005f * y; }},
};

DepthImage imageOf(const Scene& scene) {
    DepthImage image{scene.width, scene.height, {}};
    for (int y = 0; y < scene.height; ++y)
        for (int x = 0; x < scene.width; ++x)
            image.depth.push_back(scene.depth(x, y));
    return image;
}

// The cameras: the program's, turned 20 degrees about y and 10 about x; the same mirrored in
// x; the model scaled 2.5 times; and an orthographic camera looking down -z.
struct Camera {
    const char* name;
    std::function<ViewTransform(int w, int h)> view;
};
ViewTransform turned(int w, int h, double scale, double mirror) {
    const double ca = std::cos(M_PI / 18), sa = std::sin(M_PI / 18), cb = std::cos(M_PI / 9),
                 sb = std::sin(M_PI / 9), s = scale, m = mirror * scale;
    return programView(w, h, 30,
                       {m * cb, s * sa * sb, -s * ca * sb, 0, 0, s * ca, s * sa, 0, m * sb,
                        -s * sa * cb, s * ca * cb, 0, 0, 0, -100, 1});
}
const Camera kCameras[] = {
    {"turned", [](int w, int h) { return turned(w, h, 1, 1); }},
    {"mirrored", [](int w, int h) { return turned(w, h, 1, -1); }},
    {"scaled", [](int w, int h) { return turned(w, h, 2.5, 1); }},
    {"orthographic",
     [](int w, int h) {
         // glOrtho(-w/20, w/20, -h/20, h/20, 50, 150) with the model 100 units away.
         ViewTransform view = programView(w, h);
         std::fill(std::begin(view.projection), std::end(view.projection), 0.0);
         view.projection[0] = 20.0 / w;
         view.projection[5] = 20.0 / h;
         view.projection[10] = -2.0 / 100;
         view.projection[14] = -200.0 / 100;
         view.projection[15] = 1;
         return view;
     }},
};

// A thousandth of the drawn samples' depth range in object units.
double defaultTolerance(const DepthImage& image, const ViewTransform& view, double scale) {
    float nearest = 1, farthest = 0;
    for (float d : image.depth)
        if (d < 1)
            nearest = std::min(nearest, d), farthest = std::max(farthest, d);
    if (nearest > farthest)
        return 0;
    return 0.001 *
           (eyeDistance(view.projection, farthest) - eyeDistance(view.projection, nearest)) / scale;
}

TEST(SolidFront, EveryImageAndCameraGivesAClosedPanelWithinItsBounds) {
    for (const Scene& scene : kScenes)
        for (const Camera& camera : kCameras)
            for (double tolerance : {kDefaultTolerance, 0.01, 0.5}) {
                SCOPED_TRACE(std::string(scene.name) + ", " + camera.name + ", tolerance " +
                             std::to_string(tolerance));
                const DepthImage image = imageOf(scene);
                const ViewTransform view = camera.view(scene.width, scene.height);
                const SolidMesh solid = buildSolid(image, view, {.tolerance = tolerance});
                ASSERT_EQ(closedSolidFault(solid), "");
                EXPECT_LT(frontPixelError(solid, view, scene.width, scene.height), 1e-3);
                const double scale = std::string(camera.name) == "scaled" ? 2.5 : 1;
                const double bound =
                    tolerance > 0 ? tolerance : defaultTolerance(image, view, scale);
                EXPECT_EQ(boundFault(solid, image, view, frontDepthOf(solid, image, view), bound),
                          "");
            }
}

// The bounds are what keeps triangles small: a flat image needs a handful (the hierarchy's
// largest triangles cut to the image's edges), a slanted plane is
// held back by its texture only (its depth is exact on any triangle), and the reference finds
// a panel built to a coarser tolerance out of bounds.
TEST(SolidFront, TrianglesAreFewWhereTheSurfaceAllowsAndTheReferenceSeesCoarserOnes) {
    const ViewTransform flatView = turned(301, 211, 1, 1);
    const std::size_t grid = 2 * 300 * 210;
    const DepthImage flat = imageOf(kScenes[0]);
    // Two tiles wide, one high: each tile's two halves, cut to the image, in a few pieces.
    EXPECT_LE(buildSolid(flat, flatView, {.tolerance = kDefaultTolerance}).frontTriangles, 8u);
    const DepthImage slanted = imageOf(kScenes[1]);
    const SolidMesh plane = buildSolid(slanted, flatView, {.tolerance = 1e9});
    EXPECT_LT(plane.frontTriangles, grid / 10);
    EXPECT_GT(plane.frontTriangles, 100u);

    const DepthImage noisy = imageOf(kScenes[4]);
    const ViewTransform view = turned(120, 90, 1, 1);
    const SolidMesh coarse = buildSolid(noisy, view, {.tolerance = 0.5});
    EXPECT_NE(boundFault(coarse, noisy, view, 1, 0.01), "");
    EXPECT_LT(coarse.frontTriangles, buildSolid(noisy, view, {.tolerance = 0.01}).frontTriangles);
}

} // namespace
