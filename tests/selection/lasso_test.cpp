// The lasso pass end to end in the offscreen context: stencil fill, read-back, inside test,
// face labels and their propagation to corners.
#include "selection/lasso.h"
#include "selection/lasso_gl.h"

#include "tests/selection/selection_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace selection_test;

namespace {

// Runs applyLasso and returns what it printed.
std::string lasso(SimpleMesh& mesh, const GlScene& scene, const std::vector<Point2>& polygon,
                  int part) {
    testing::internal::CaptureStdout();
    applyLasso(mesh, polygon, part, scene.width, scene.height, scene.applyProjection);
    return testing::internal::GetCapturedStdout();
}

// A 640 x 480 window and an empty mesh.
class Lasso : public testing::Test {
  protected:
    GlScene scene = glScene(640, 480);
    SimpleMesh mesh;
};

// A row of quads side by side, each 60 pixels wide, sharing their vertical edges.
SimpleMesh quadStrip(const ViewTransform& view, int count, double x, double y) {
    SimpleMesh mesh;
    std::vector<int> bottom, top;
    for (int i = 0; i <= count; ++i) {
        bottom.push_back(addVertex(mesh, view, x + 60 * i + 0.2, y + 0.2, 0.5));
        top.push_back(addVertex(mesh, view, x + 60 * i + 0.2, y + 60.2, 0.5));
    }
    for (int i = 0; i < count; ++i)
        addFace(mesh, {bottom[i], bottom[i + 1], top[i + 1], top[i]});
    openSelection(mesh);
    return mesh;
}

} // namespace

TEST_F(Lasso, FaceWithOneCornerOutsideStaysAndSharedCornersFollowThePaintedFace) {
    mesh = quadStrip(scene.view, 2, 100, 100); // corners at x 100, 160, 220
    // A pentagon that cuts off only the top right corner (220, 160) of the right quad.
    const auto polygon =
        lassoThrough(640, 480, {{80, 400}, {240, 400}, {240, 350}, {200, 300}, {80, 300}});
    const std::string printed = lasso(mesh, scene, polygon, 1);

    EXPECT_EQ(printed, "painted verts[100, 380]\n"
                       "painted verts[100, 320]\n"
                       "painted verts[160, 380]\n"
                       "painted verts[160, 320]\n"
                       "painted verts[220, 380]\n");
    EXPECT_EQ(mesh.facePart, (std::vector<int>{1, -1}));
    // The inside corner (220, 100) belongs to the unpainted quad only: it keeps its label.
    EXPECT_EQ(mesh.vertexPart, (std::vector<int>{1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(mesh.vertexInPart, (std::vector<int>{1, 1, 1, 1, 0, 0}));
}

TEST_F(Lasso, LoopWindingTwiceLeavesItsInnerAreaUnpainted) {
    addQuad(mesh, scene.view, 300, 220, 340, 260, 0.5); // at the centre, enclosed twice
    addQuad(mesh, scene.view, 175, 225, 205, 255, 0.5); // between the two turns
    openSelection(mesh);
    // A spiral of two turns around (320, 240), radius 200 shrinking to 60.
    std::vector<Point2> polygon;
    const int steps = 512;
    for (int i = 0; i < steps; ++i) {
        const double angle = 4 * M_PI * i / steps;
        const double radius = 200 - 140.0 * i / steps;
        const double x = 320 + radius * std::cos(angle), y = 240 + radius * std::sin(angle);
        polygon.push_back(overlayAt(640, 480, x, y));
    }
    lasso(mesh, scene, polygon, 1);
    EXPECT_EQ(mesh.facePart, (std::vector<int>{0, 1}));
}

TEST_F(Lasso, PartTwoOverPartOneTurnsTouchingPartOneFacesIntoSeam) {
    mesh = quadStrip(scene.view, 4, 100, 200); // corners at x 100 .. 340
    lasso(mesh, scene, lassoAround(640, 480, 90, 190, 350, 270), 1);
    EXPECT_EQ(mesh.facePart, (std::vector<int>{1, 1, 1, 1}));

    lasso(mesh, scene, lassoAround(640, 480, 210, 190, 350, 270), 2);
    EXPECT_EQ(mesh.facePart, (std::vector<int>{1, -1, 2, 2}));
    // Bottom and top corner per column x = 100, 160, 220, 280, 340.
    EXPECT_EQ(mesh.vertexPart, (std::vector<int>{1, 1, 1, 1, 2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(mesh.vertexInPart, std::vector<int>(10, 1));
}

TEST_F(Lasso, PaintingWithZeroClearsCornersOfEveryFaceLabelledZero) {
    mesh = quadStrip(scene.view, 2, 100, 300);          // faces 0, 1
    addQuad(mesh, scene.view, 400, 100, 460, 160, 0.5); // face 2, lassoed below
    openSelection(mesh);
    // Face 0 labelled 0 with corners still in part 2, face 1 in part 2, face 2 in part 1.
    mesh.facePart = {0, 2, 1};
    mesh.vertexPart = {2, 2, 2, 2, 2, 2, 1, 1, 1, 1};
    mesh.vertexInPart = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

    const std::string printed = lasso(mesh, scene, lassoAround(640, 480, 390, 90, 470, 170), 0);
    EXPECT_EQ(printed, "painted verts[400, 380]\npainted verts[460, 380]\n"
                       "painted verts[460, 320]\npainted verts[400, 320]\n");
    EXPECT_EQ(mesh.facePart, (std::vector<int>{0, -1, 0}));
    EXPECT_EQ(mesh.vertexPart, (std::vector<int>{0, 0, 0, 0, 2, 2, 0, 0, 0, 0}));
    EXPECT_EQ(mesh.vertexInPart, (std::vector<int>{0, 0, 0, 0, 1, 1, 0, 0, 0, 0}));
}

TEST_F(Lasso, ClickWithoutDragPaintsNothingButStillPropagatesTheLabel) {
    addQuad(mesh, scene.view, 300, 220, 340, 260, 0.5);
    addQuad(mesh, scene.view, 100, 100, 140, 140, 0.5);
    openSelection(mesh);
    mesh.facePart = {0, 1}; // face 1 labelled, its corners not yet

    const std::string printed = lasso(mesh, scene, {overlayAt(640, 480, 320, 240)}, 1);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(mesh.facePart, (std::vector<int>{0, 1}));
    EXPECT_EQ(mesh.vertexPart, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));

    // An empty loop likewise.
    EXPECT_EQ(lasso(mesh, scene, {}, 2), "");
    EXPECT_EQ(mesh.facePart, (std::vector<int>{0, 1}));
}

TEST_F(Lasso, VertexBehindNearerSurfacesIsPainted) {
    addQuad(mesh, scene.view, 100, 100, 300, 300, 0.3); // near, its corners outside the loop
    addQuad(mesh, scene.view, 150, 150, 250, 250, 0.9); // far, fully covered by the near one
    openSelection(mesh);
    lasso(mesh, scene, lassoAround(640, 480, 120, 120, 280, 280), 1);
    EXPECT_EQ(mesh.facePart, (std::vector<int>{0, 1}));
    EXPECT_EQ(mesh.vertexPart, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
}

// The read-back must cover the real window whatever its size, rows packed right and the
// inside test bounded by the window: a loop round the top right corner paints exactly the
// quad there, and a quad reaching past the right edge keeps its outside corners out.
class LassoWindowSize : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(LassoWindowSize, ReadBackCoversTheWholeWindow) {
    const auto [w, h] = GetParam();
    GlScene scene = glScene(w, h);
    SimpleMesh mesh;
    addQuad(mesh, scene.view, w - 21, h - 21, w - 1.5, h - 1.5, 0.5); // top right corner
    addQuad(mesh, scene.view, 1, 1, 21, 21, 0.5);                     // bottom left
    addQuad(mesh, scene.view, w - 21, 1, w - 1.5, 21, 0.5);           // bottom right
    addQuad(mesh, scene.view, 1, h - 21, 21, h - 1.5, 0.5);           // top left
    addQuad(mesh, scene.view, w - 21, h - 60, w + 30, h - 40, 0.5);   // past the right edge
    openSelection(mesh);

    // The loop reaches past the window so that its edge pixels are filled.
    const std::string printed =
        lasso(mesh, scene, lassoAround(w, h, w - 30, h - 70, w + 40, h + 20), 1);
    const std::string x0 = std::to_string(w - 21), x1 = std::to_string(w - 1);
    EXPECT_EQ(printed, "painted verts[" + x0 + ", 21]\n" + "painted verts[" + x1 + ", 21]\n" +
                           "painted verts[" + x1 + ", 1]\n" + "painted verts[" + x0 + ", 1]\n" +
                           "painted verts[" + x0 + ", 60]\n" + "painted verts[" + x0 + ", 40]\n");
    EXPECT_EQ(mesh.facePart, (std::vector<int>{1, 0, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(Sizes, LassoWindowSize,
                         testing::Values(std::pair{640, 480}, std::pair{1000, 700},
                                         std::pair{333, 201}));
