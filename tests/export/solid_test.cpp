// The relief panel of "Export Solid" built from named depth images under the program's kind of
// camera: closed and outward whatever the image, merging and mirroring; the front on its
// pixels; the plate where its rules put it; and the exact STL and OBJ bytes of a small panel.
#include "export/solid_files.h"
#include "tests/export/solid_checks.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <functional>
#include <random>

namespace {

// gluPerspective(30, width / height, 5, 200), the model turned by 20 degrees about y and 10
// about x (mirrored in x on request) at distance 100, and the window's viewport
// (-w, -h, 3w, 3h).
ViewTransform programView(int width, int height, bool mirrored = false) {
    ViewTransform view{};
    const double f = 1 / std::tan(15 * M_PI / 180), n = 5, far = 200;
    view.projection[0] = f * height / width;
    view.projection[5] = f;
    view.projection[10] = (far + n) / (n - far);
    view.projection[11] = -1;
    view.projection[14] = 2 * far * n / (n - far);
    const double a = 10 * M_PI / 180, b = 20 * M_PI / 180, s = mirrored ? -1 : 1;
    const double columns[3][3] = {{s * std::cos(b), s * std::sin(a) * std::sin(b),
                                   -s * std::cos(a) * std::sin(b)},
                                  {0, std::cos(a), std::sin(a)},
                                  {std::sin(b), -std::sin(a) * std::cos(b), std::cos(a) * std::cos(b)}};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            view.modelview[c * 4 + r] = columns[c][r];
    view.modelview[14] = -100;
    view.modelview[15] = 1;
    const int viewport[4] = {-width, -height, 3 * width, 3 * height};
    std::copy_n(viewport, 4, view.viewport);
    return view;
}

struct Scene {
    const char* name;
    int width, height;
    std::function<float(int x, int y)> depth; // 1: background
};

DepthImage imageOf(const Scene& scene) {
    DepthImage image{scene.width, scene.height, {}};
    for (int y = 0; y < scene.height; ++y)
        for (int x = 0; x < scene.width; ++x)
            image.depth.push_back(scene.depth(x, y));
    return image;
}

bool inside(int x, int y, int x0, int y0, int x1, int y1) {
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}

// Window depths 0.965 .. 0.98 lie about 85 .. 112 units from the camera.
const Scene kScenes[] = {
    {"empty", 70, 50, [](int, int) { return 1.0f; }},
    {"flat, filling the image", 40, 30, [](int, int) { return 0.975f; }},
    {"ramp on the background", 70, 50,
     [](int x, int y) { return inside(x, y, 12, 8, 52, 40) ? 0.965f + 0.015f * (x - 12) / 40 : 1; }},
    {"frame with a hole", 90, 60,
     [](int x, int y) {
         return inside(x, y, 5, 5, 85, 55) && !inside(x, y, 25, 15, 65, 45) ? 0.97f : 1;
     }},
    {"waves touching every edge", 33, 17,
     [](int x, int y) { return 0.972f + 0.006f * float(std::sin(x * 0.7) * std::cos(y * 0.5)); }},
    {"speckles", 37, 29,
     [](int x, int y) {
         const std::uint32_t bits = std::uint32_t(x * 73856093 ^ y * 19349663) % 1000;
         return bits < 300 ? 1.0f : 0.965f + 0.015f * float(bits) / 1000;
     }},
    {"two by two", 2, 2, [](int x, int y) { return x + y == 2 ? 1.0f : 0.97f + 0.005f * y; }},
};

double distanceOf(const ViewTransform& view, const Vec3& v) {
    const double* m = view.modelview;
    return -(m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14]);
}

// The eye distances of the background's front vertices and of the back's vertices, each
// checked to be one plane; and the farthest drawn sample's.
struct Planes {
    double front = 0, back = 0, farthest = 0;
};

Planes planesOf(const SolidMesh& solid, const Scene& scene, const ViewTransform& view) {
    Planes p{-1, -1, 0};
    for (std::size_t i = 0; i < solid.vertices.size(); ++i) {
        const double d = distanceOf(view, solid.vertices[i]);
        const bool front = i < solid.frontVertices;
        const int x = int(solid.texCoords[std::min(i, solid.frontVertices)].u * scene.width);
        const int y = int(solid.texCoords[std::min(i, solid.frontVertices)].v * scene.height);
        if (front && scene.depth(x, y) < 1) {
            p.farthest = std::max(p.farthest, d);
            continue;
        }
        double& plane = front ? p.front : p.back;
        if (plane < 0)
            plane = d;
        EXPECT_NEAR(d, plane, 1e-4 * d) << (front ? "front " : "back ") << i;
    }
    return p;
}

TEST(Solid, EveryImageGivesAClosedOutwardSolidWithItsFrontOnItsPixels) {
    for (const Scene& scene : kScenes)
        for (bool merge : {true, false})
            for (bool mirrored : {false, true}) {
                SCOPED_TRACE(std::string(scene.name) + (merge ? ", merged" : "") +
                             (mirrored ? ", mirrored" : ""));
                const ViewTransform view = programView(scene.width, scene.height, mirrored);
                const SolidMesh solid = buildSolid(imageOf(scene), view, {0, merge});
                EXPECT_EQ(closedSolidFault(solid), "");
                EXPECT_LT(frontPixelError(solid, view, scene.width, scene.height), 1e-3);
                const std::size_t pixels = std::size_t(scene.width) * scene.height;
                EXPECT_TRUE(merge ? solid.frontVertices <= pixels : solid.frontVertices == pixels);
                // The plate lies a fifth of its thickness behind the farthest drawn sample.
                const Planes p = planesOf(solid, scene, view);
                if (p.front > 0 && p.farthest > 0) {
                    EXPECT_NEAR(p.front - p.farthest, (p.back - p.front) / 5, 1e-3);
                }
                EXPECT_GT(p.back, std::max(p.front, p.farthest));
            }
}

TEST(Solid, TheBackIsFivePercentOfTheDepthRangeOrOnePercentOfTheDiagonal) {
    const Scene& ramp = kScenes[2];
    const ViewTransform view = programView(ramp.width, ramp.height);
    const Planes r = planesOf(buildSolid(imageOf(ramp), view), ramp, view);
    const double nearest = eyeDistance(view.projection, 0.965);
    EXPECT_NEAR(r.back - r.front, 0.05 * (r.farthest - nearest), 1e-3);

    // Nothing drawn: the plate passes through the model's origin and keeps a back.
    const Scene& empty = kScenes[0];
    const SolidMesh solid = buildSolid(imageOf(empty), view);
    const Planes e = planesOf(solid, empty, view);
    EXPECT_NEAR(e.front, 100, 1e-3);
    const Vec3 a = solid.vertices[0], b = solid.vertices[solid.frontVertices - 1];
    EXPECT_NEAR(e.back - e.front, 0.01 * length(widen(b) - widen(a)), 1e-3);
    EXPECT_EQ(solid.plateSample, 0);
    EXPECT_EQ(buildSolid({1, 5, std::vector<float>(5, 1.0f)}, view).vertices.size(), 0u);
}

// A 34 x 34 plate alone is one fan of 4 x 33 triangles around its centre instead of 2 x 33 x 33.
TEST(Solid, MergingTurnsTheEmptyPlateIntoOneFan) {
    const DepthImage plate{34, 34, std::vector<float>(34 * 34, 1.0f)};
    const SolidMesh merged = buildSolid(plate, programView(34, 34));
    EXPECT_EQ(merged.frontVertices, 4u * 33 + 1);
    EXPECT_EQ(merged.frontTriangles, 4u * 33);
    const SolidMesh cells = buildSolid(plate, programView(34, 34), {0, false});
    EXPECT_EQ(cells.frontVertices, 34u * 34);
    EXPECT_EQ(cells.frontTriangles, 2u * 33 * 33);
    EXPECT_EQ(merged.triangles.size() - merged.frontTriangles, 3u * 4 * 33);
}

TEST(Solid, EyeDistanceAndWindowDepthInvertWhatProjectionDoes) {
    ViewTransform perspective = programView(640, 480), ortho{};
    std::fill_n(perspective.modelview, 16, 0.0);
    for (ViewTransform* view : {&perspective, &ortho}) {
        for (int i = 0; i < 4; ++i)
            view->modelview[i * 5] = 1;
        if (view == &ortho) { // glOrtho(-1, 1, -1, 1, 0, 300)
            const double p[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -2.0 / 300, 0, 0, 0, -1, 1};
            std::copy_n(p, 16, view->projection);
        }
        for (double distance : {6.0, 50.0, 100.0, 199.0}) {
            DPoint3 window{};
            ASSERT_TRUE(projectPoint(*view, {0, 0, -distance}, window));
            EXPECT_NEAR(eyeDistance(view->projection, window.z), distance, 1e-9 * distance);
            EXPECT_NEAR(windowDepth(view->projection, distance), window.z, 1e-12);
        }
    }
}

// glOrtho(-1, 1, -1, 1, 0, 2) on a 2 x 2 viewport: window depth d lies 2 d from the camera,
// so every coordinate of the panel comes out round (worked out by hand in the golden file).
SolidMesh twoByTwo() {
    ViewTransform view{};
    const double ortho[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, -1, 1};
    std::copy_n(ortho, 16, view.projection);
    for (int i = 0; i < 4; ++i)
        view.modelview[i * 5] = 1;
    view.viewport[2] = view.viewport[3] = 2;
    return buildSolid({2, 2, {0.25f, 0.25f, 0.5f, 1.0f}}, view);
}

TEST(SolidFiles, ObjOfASmallPanelIsTheGoldenFile) {
    const std::string text = objText([](ObjWriter& writer) { writeSolidObj(writer, twoByTwo()); });
    EXPECT_EQ(text, readFile(sourcePath("tests/data/export/export_solid_2x2.obj")));
}

TEST(SolidFiles, StlHasItsHeaderCountCornersAndNormalsOfTheWinding) {
    const SolidMesh solid = twoByTwo();
    std::string bytes;
    ASSERT_TRUE(writeStl(solid, [&](std::string_view block) {
        bytes.append(block);
        return true;
    }));
    ASSERT_EQ(bytes.size(), 84 + 50 * solid.triangles.size());
    std::string header(kStlHeaderText);
    header.resize(80, '\0');
    EXPECT_EQ(bytes.substr(0, 80), header);
    auto word = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | std::uint8_t(bytes[at + i]);
        return value;
    };
    auto vec = [&](std::size_t at) {
        return Vec3{std::bit_cast<float>(word(at)), std::bit_cast<float>(word(at + 4)),
                    std::bit_cast<float>(word(at + 8))};
    };
    EXPECT_EQ(word(80), solid.triangles.size());
    for (std::size_t i = 0; i < solid.triangles.size(); ++i) {
        const std::size_t at = 84 + 50 * i;
        const Vec3 n = vec(at), a = vec(at + 12), b = vec(at + 24), c = vec(at + 36);
        for (int k = 0; k < 3; ++k) {
            const Vec3 corner = vec(at + 12 + 12 * k), expected = solid.vertices[solid.triangles[i][k]];
            EXPECT_TRUE(corner.x == expected.x && corner.y == expected.y && corner.z == expected.z);
        }
        const Vec3d winding = cross(widen(b) - widen(a), widen(c) - widen(a));
        EXPECT_NEAR(dot(widen(n), winding), length(winding), 1e-6) << "triangle " << i;
        EXPECT_NEAR(length(widen(n)), 1, 1e-6);
        EXPECT_EQ(bytes.substr(at + 48, 2), std::string(2, '\0'));
    }
}

} // namespace
