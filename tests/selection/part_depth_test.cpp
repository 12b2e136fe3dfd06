// Median and seam depths of parts under a fixed camera, with their console lines.
#include "selection/part_depth.h"

#include "tests/selection/selection_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace selection_test;

TEST(PartDepth, MedianCountsVisibleCornersOncePerFaceAndSkipsDepthsOutsideTheRange) {
    const ViewTransform view = programView(640, 480);
    SimpleMesh mesh;
    const int a = addVertex(mesh, view, 100, 100, 0.2);
    const int b = addVertex(mesh, view, 200, 100, 0.4);
    const int c = addVertex(mesh, view, 200, 200, 0.6);
    const int d = addVertex(mesh, view, 100, 200, 0.8);
    const int nearest = addVertex(mesh, view, 150, 50, 0.1); // on a hidden face only
    const int beyond = addVertex(mesh, view, 250, 150, 1.2); // behind the far plane
    const int other1 = addVertex(mesh, view, 300, 100, 0.3); // part 2
    const int other2 = addVertex(mesh, view, 300, 200, 0.35);
    addFace(mesh, {a, b, c, d});
    addFace(mesh, {nearest, b, a});
    addFace(mesh, {beyond, other1, other2});
    openSelection(mesh);
    mesh.vertexPart = {1, 1, 1, 1, 1, 1, 2, 2};
    mesh.faceVisible.edit()[1] = 0;

    std::ostringstream out;
    float minDepth = -1, maxDepth = -1;
    EXPECT_NEAR(medianPartDepth(mesh, 1, view, minDepth, maxDepth, out), 0.6, kDepthTolerance);
    EXPECT_NEAR(minDepth, 0.2, kDepthTolerance);
    EXPECT_NEAR(maxDepth, 0.8, kDepthTolerance);
    EXPECT_NEAR(medianPartDepth(mesh, 2, view, minDepth, maxDepth, out), 0.35, kDepthTolerance);
    EXPECT_NEAR(minDepth, 0.3, kDepthTolerance);
    EXPECT_EQ(out.str(), "");

    // Two more visible faces through the deepest corner: it now counts three times.
    addFace(mesh, {d, other1, other2});
    addFace(mesh, {d, other2, other1});
    mesh.faceVisible.edit().assign(mesh.faces.size(), 1);
    mesh.faceVisible.edit()[1] = 0;
    EXPECT_NEAR(medianPartDepth(mesh, 1, view, minDepth, maxDepth, out), 0.8, kDepthTolerance);
}

TEST(PartDepth, PartOnHiddenFacesMeasuresOneAndSaysSo) {
    const ViewTransform view = programView(640, 480);
    SimpleMesh mesh;
    addQuad(mesh, view, 100, 100, 200, 200, 0.4);
    addQuad(mesh, view, 200, 100, 300, 200, 0.6);
    openSelection(mesh);
    mesh.vertexPart = {1, 1, 1, 1, 0, 0, 0, 0};
    mesh.facePart = {1, -1};
    mesh.faceVisible = {0, 0};

    std::ostringstream out;
    float minDepth = -1, maxDepth = -1;
    const float median = medianPartDepth(mesh, 1, view, minDepth, maxDepth, out);
    EXPECT_EQ(median, 1.0f);
    EXPECT_EQ(minDepth, 1.0f);
    EXPECT_EQ(maxDepth, 0.0f);
    EXPECT_EQ(boundaryPartDepth(mesh, 1, median, view, out), 1.0f);
    EXPECT_EQ(out.str(), "[B]1: max = 0\t min = 1\n[P]1: max = 0\t min = 1\n");
}

TEST(PartDepth, SeamDepthIsTheDeepestPartVertexOnAVisibleSeamFace) {
    const ViewTransform view = programView(640, 480);
    SimpleMesh mesh;
    const int a = addVertex(mesh, view, 100, 100, 0.2); // part 1 only
    const int b = addVertex(mesh, view, 200, 100, 0.3); // part 1 on the seam
    const int c = addVertex(mesh, view, 200, 200, 0.5); // part 1 on the seam
    const int d = addVertex(mesh, view, 100, 200, 0.9); // part 1 only, deepest
    const int e = addVertex(mesh, view, 300, 100, 0.6); // part 2 on the seam
    const int f = addVertex(mesh, view, 300, 200, 0.65);
    const int g = addVertex(mesh, view, 250, 250, 0.7); // part 1 on a hidden seam face
    addFace(mesh, {a, b, c, d});                        // part 1
    addFace(mesh, {b, e, f, c});                        // visible seam
    addFace(mesh, {g, f, e});                           // hidden seam
    openSelection(mesh);
    mesh.vertexPart = {1, 1, 1, 1, 2, 2, 1};
    mesh.facePart = {1, -1, -1};
    mesh.faceVisible = {1, 1, 0};

    std::ostringstream out;
    EXPECT_NEAR(boundaryPartDepth(mesh, 1, 0.25f, view, out), 0.5, kDepthTolerance);
    EXPECT_NEAR(boundaryPartDepth(mesh, 2, 0.25f, view, out), 0.65, kDepthTolerance);
    // Part 3 has no vertex at all: the fallback comes back.
    EXPECT_EQ(boundaryPartDepth(mesh, 3, 0.25f, view, out), 0.25f);
    EXPECT_EQ(out.str(), "[P]1: max = 0.5\t min = 0.3\n"
                         "[P]2: max = 0.65\t min = 0.6\n"
                         "[P]3: max = 0\t min = 1\n");
}
