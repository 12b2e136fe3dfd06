// The relief panel built from named depth images under the program's kind of camera: closed
// and outward whatever the image, merging and mirroring; the front on its pixels; the plate
// where its rules put it; and the exact OBJ and STL bytes of a small panel.
#include "export/solid_files.h"
#include "tests/export/solid_checks.h"
#include "tests/support/gl_test.h"
#include "tests/support/program_view.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <functional>

namespace {

// The program's camera with the model turned 20 degrees about y, then 10 about x (mirrored in
// x on request), 100 units away.
ViewTransform turnedView(int w, int h, bool mirrored = false) {
    const double s = mirrored ? -1 : 1, ca = std::cos(M_PI / 18), sa = std::sin(M_PI / 18),
                 cb = std::cos(M_PI / 9), sb = std::sin(M_PI / 9);
    return programView(w, h, 30,
                       {s * cb, s * sa * sb, -s * ca * sb, 0, 0, ca, sa, 0, sb, -sa * cb, ca * cb,
                        0, 0, 0, -100, 1});
}

// Window depths 0.965 .. 0.98 lie about 85 .. 112 units from the camera; 1 is background.
struct Scene {
    const char* name;
    int width, height;
    std::function<float(int x, int y)> depth;
};
const Scene kScenes[] = {
    {"empty", 70, 50, [](int, int) { return 1.0f; }},
    {"ramp on the background", 70, 50,
     [](int x, int y) {
         return x >= 12 && x < 52 && y >= 8 && y < 40 ? 0.965f + 0.015f * (x - 12) / 40 : 1;
     }},
    {"waves touching every edge", 33, 17,
     [](int x, int y) { return 0.972f + 0.006f * float(std::sin(x * 0.7) * std::cos(y * 0.5)); }},
    {"speckles", 37, 29,
     [](int x, int y) {
         const std::uint32_t bits =
             (std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u) % 1000;
         return bits < 300 ? 1.0f : 0.965f + 0.015f * float(bits) / 1000;
     }},
    {"two by two", 2, 2, [](int x, int y) { return x + y == 2 ? 1.0f : 0.97f + 0.005f * y; }},
};

DepthImage imageOf(const Scene& scene) {
    DepthImage image{scene.width, scene.height, {}};
    for (int y = 0; y < scene.height; ++y)
        for (int x = 0; x < scene.width; ++x)
            image.depth.push_back(scene.depth(x, y));
    return image;
}

double distanceOf(const ViewTransform& view, const Vec3& v) {
    const double* m = view.modelview;
    return -(m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14]);
}

TEST(Solid, EveryImageGivesAClosedOutwardPanelWithItsFrontOnItsPixelsAndItsPlateInPlace) {
    for (const Scene& scene : kScenes)
        for (bool merge : {true, false})
            for (bool mirrored : {false, true}) {
                SCOPED_TRACE(std::string(scene.name) + (merge ? ", merged" : "") +
                             (mirrored ? ", mirrored" : ""));
                const int w = scene.width, h = scene.height;
                const ViewTransform view = turnedView(w, h, mirrored);
                const SolidMesh solid = buildSolid(imageOf(scene), view, {0, merge});
                EXPECT_EQ(closedSolidFault(solid), "");
                EXPECT_LT(frontPixelError(solid, view, w, h), 1e-3);

                // Background on one front plane, a fifth of the thickness behind the farthest
                // drawn sample (through the origin when none is); the back one thickness
                // further: 5 % of the depth range, at least 1 % of the plate's diagonal.
                double nearest = 1e9, farthest = 0, front = 0,
                       back = distanceOf(view, solid.vertices.back());
                for (std::size_t i = 0; i < solid.vertices.size(); ++i) {
                    const double d = distanceOf(view, solid.vertices[i]);
                    const Vec2 t = solid.texCoords[std::min(i, solid.frontVertices)];
                    if (i >= solid.frontVertices)
                        EXPECT_NEAR(d, back, 1e-3);
                    else if (scene.depth(int(t.u * w), int(t.v * h)) < 1) {
                        nearest = std::min(nearest, d);
                        farthest = std::max(farthest, d);
                    } else if (front == 0)
                        front = d;
                    else
                        EXPECT_NEAR(d, front, 1e-3);
                }
                const double base = farthest > 0 ? farthest : 100,
                             range = farthest - std::min(nearest, farthest);
                const std::size_t corner =
                    solid.frontVertices + (w - 1) + (h - 1); // back, top right
                const double diagonal = length(widen(solid.vertices[corner]) -
                                               widen(solid.vertices[solid.frontVertices])) *
                                        base / back;
                const double thickness = std::max(0.05 * range, 0.01 * diagonal);
                EXPECT_NEAR(back - base, farthest > 0 ? 1.2 * thickness : thickness, 1e-3);
                if (front > 0) {
                    EXPECT_NEAR(front - base, farthest > 0 ? 0.2 * thickness : 0, 1e-3);
                }
            }
    EXPECT_EQ(buildSolid({1, 5, std::vector<float>(5, 1.0f)}, turnedView(1, 5)).vertices.size(),
              0u);
}

// glOrtho(-1, 1, -1, 1, 0, 2) on a 2 x 2 viewport: window depth d lies 2 d from the camera,
// so every coordinate of the panel comes out round (worked out by hand in the golden file).
SolidMesh twoByTwo() {
    ViewTransform view{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1},
                       {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, -1, 1},
                       {0, 0, 2, 2}};
    return buildSolid({2, 2, {0.25f, 0.25f, 0.5f, 1.0f}}, view);
}

TEST(SolidFiles, ObjOfASmallPanelIsTheGoldenFileAndReadsBackClosed) {
    const std::string path = sourcePath("tests/data/export/export_solid_2x2.obj");
    const std::string text = objText([](ObjWriter& writer) { writeSolidObj(writer, twoByTwo()); });
    EXPECT_EQ(text, readFile(path));
    SimpleMesh back;
    ASSERT_TRUE(back.load(path, {}));
    EXPECT_EQ(closedSolidFault(solidOf(back)), "");
    // A face read back short is a failure of the check, not a crash.
    back.faces = {{0, 1, 2}, {0, 1}};
    EXPECT_NONFATAL_FAILURE(solidOf(back), "face 1 has 2 corners");
}

TEST(SolidFiles, StlHasItsHeaderCountAndNormalsOfTheWinding) {
    const SolidMesh solid = twoByTwo();
    std::string bytes;
    ASSERT_TRUE(writeStl(solid, [&](std::string_view block) { return bytes.append(block), true; }));
    ASSERT_EQ(bytes.size(), 84 + 50 * solid.triangles.size());
    EXPECT_EQ(bytes.substr(0, 80),
              std::string(kStlHeaderText) + std::string(80 - kStlHeaderText.size(), '\0'));
    auto word = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(bytes[at])) | std::uint8_t(bytes[at + 1]) << 8 |
               std::uint8_t(bytes[at + 2]) << 16 | std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
    };
    auto vec = [&](std::size_t at) {
        return Vec3d{std::bit_cast<float>(word(at)), std::bit_cast<float>(word(at + 4)),
                     std::bit_cast<float>(word(at + 8))};
    };
    EXPECT_EQ(word(80), solid.triangles.size());
    for (std::size_t i = 0; i < solid.triangles.size(); ++i) {
        const std::size_t at = 84 + 50 * i;
        const Vec3d n = vec(at),
                    winding = cross(vec(at + 24) - vec(at + 12), vec(at + 36) - vec(at + 12));
        EXPECT_NEAR(dot(n, winding), length(winding), 1e-6) << "triangle " << i;
        EXPECT_EQ(bytes.substr(at + 48, 2), std::string(2, '\0'));
    }
}

} // namespace
