// Colour-ID passes in the offscreen context: which faces own pixels, and which face a pixel
// shows.
#include "selection/picking.h"

#include "selection/face_id.h"
#include "tests/selection/selection_fixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace selection_test;

namespace {

std::vector<int> visibleFaces(SimpleMesh& mesh, const GlScene& scene, bool backFace) {
    markVisibleFaces(mesh, backFace, scene.width, scene.height, scene.applyProjection);
    return mesh.faceVisible;
}

// Face 0 hidden behind face 1, face 2 in the part of the viewport outside the window, face 3
// turned away from the camera, face 4 plainly visible, face 5 in the window's top right
// corner pixels, face 6 just past the right edge.
SimpleMesh testScene(const GlScene& scene) {
    const int w = scene.width, h = scene.height;
    SimpleMesh mesh;
    addQuad(mesh, scene.view, 60, 60, 100, 100, 0.8);
    addQuad(mesh, scene.view, 40, 40, 120, 120, 0.4);
    addQuad(mesh, scene.view, -80, 60, -20, 100, 0.5);
    addQuad(mesh, scene.view, 150, 60, 190, 100, 0.5, true);
    addQuad(mesh, scene.view, 150, 130, 190, 170, 0.5);
    addQuad(mesh, scene.view, w - 3, h - 3, w + 10, h + 10, 0.5);
    addQuad(mesh, scene.view, w + 1, 60, w + 20, 100, 0.5);
    openSelection(mesh);
    return mesh;
}

} // namespace

class IdPassWindowSize : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(IdPassWindowSize, VisibleFacesAreThoseOwningAWindowPixel) {
    const auto [w, h] = GetParam();
    GlScene scene = glScene(w, h);
    SimpleMesh mesh = testScene(scene);
    EXPECT_EQ(visibleFaces(mesh, scene, false), (std::vector<int>{0, 1, 0, 0, 1, 1, 0}));
    EXPECT_EQ(visibleFaces(mesh, scene, true), (std::vector<int>{0, 1, 0, 1, 1, 1, 0}));
    // The pass leaves the program's drawing state as it found it.
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_P(IdPassWindowSize, PickNamesTheFaceShownAtThePixel) {
    const auto [w, h] = GetParam();
    GlScene scene = glScene(w, h);
    const SimpleMesh mesh = testScene(scene);
    EXPECT_EQ(pickFace(mesh, 80, 80, scene.applyProjection), 1); // hidden face 0 behind it
    EXPECT_EQ(pickFace(mesh, 160, 150, scene.applyProjection), 4);
    EXPECT_EQ(pickFace(mesh, w - 1, h - 1, scene.applyProjection), 5);
    EXPECT_EQ(pickFace(mesh, 170, 80, scene.applyProjection), -1); // seen from behind
    EXPECT_EQ(pickFace(mesh, 300, 20, scene.applyProjection), -1); // background
}

INSTANTIATE_TEST_SUITE_P(Sizes, IdPassWindowSize,
                         testing::Values(std::pair{640, 480}, std::pair{1000, 700},
                                         std::pair{333, 201}));

// With more faces than 24-bit colours can name, the faces past the limit would draw in the
// colours of low faces (or in the background's white) and be mistaken for them; they are
// left out instead, and a line says so.
TEST(IdPass, FacesPastTheColourLimitNeverAliasOtherFaces) {
    GlScene scene = glScene(640, 480);
    SimpleMesh mesh;
    std::vector<int> none;
    const std::size_t total = kMaxIdFaces + 2;
    mesh.faces.edit().reserve(total, 12);
    addQuad(mesh, scene.view, -80, 100, -40, 140, 0.5); // face 0, outside the window
    addQuad(mesh, scene.view, 300, 300, 340, 340, 0.5); // face 1
    for (std::size_t i = 2; i < kMaxIdFaces; ++i)
        mesh.faces.edit().push_back(none);
    addQuad(mesh, scene.view, 100, 100, 140, 140, 0.5); // face 16777215: white
    addQuad(mesh, scene.view, 200, 100, 240, 140, 0.5); // face 16777216: black, as face 0
    ASSERT_EQ(mesh.faces.size(), total);
    mesh.faceVisible.edit().assign(total, 1);

    testing::internal::CaptureStdout();
    markVisibleFaces(mesh, false, 640, 480, scene.applyProjection);
    const int picked = pickFace(mesh, 220, 120, scene.applyProjection);
    const std::string printed = testing::internal::GetCapturedStdout();

    const std::string line =
        "face IDs: only the first 16777215 of 16777217 faces can be picked or found visible\n";
    EXPECT_EQ(printed, line + line);
    EXPECT_EQ(picked, -1);
    EXPECT_EQ(mesh.faceVisible[0], 0);
    EXPECT_EQ(mesh.faceVisible[1], 1);
    EXPECT_EQ(mesh.faceVisible[kMaxIdFaces], 0);
    EXPECT_EQ(mesh.faceVisible[kMaxIdFaces + 1], 0);
    EXPECT_EQ(pickFace(mesh, 320, 320, scene.applyProjection), 1);
}
