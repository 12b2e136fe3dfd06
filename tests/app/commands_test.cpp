// The dispatcher's frame and the view commands, and the selection state "Open Mesh" builds.
#include "app/camera.h"
#include "app/commands.h"
#include "app/file_chooser.h"
#include "app/selection_reset.h"
#include "tests/app/app_fixture.h"

#include <random>

namespace {

using Dispatcher = OffscreenAppTest;

TEST_F(Dispatcher, EveryIdentifierRunsWithThe3DWindowSelectedAndRedrawsIt) {
    // Commands that write files write them below the working directory: keep them out of the
    // source tree.
    const TempDir work;
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(work.path());
    for (int id : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14, 18, 19, 20, 42}) {
        scriptedFileChoice = ""; // the file dialogs of 0 and 1 are cancelled
        windows->setWindow(2);   // the panel calls in with its own window current
        const int before = windows->redisplayRequests;
        dispatchCommand(id);
        EXPECT_EQ(windows->currentWindow(), mainWindow) << id;
        EXPECT_EQ(windows->redisplayRequests, before + 1) << id;
    }
    std::filesystem::current_path(home);
}

TEST_F(Dispatcher, WireframeSwitchesThePolygonModeOfBothSides) {
    GLint mode[2] = {};
    wireframe = 1;
    dispatchCommand(kWireframe);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    EXPECT_EQ(mode[1], GL_LINE);
    wireframe = 0;
    dispatchCommand(kWireframe);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    EXPECT_EQ(mode[1], GL_FILL);
}

TEST_F(Dispatcher, BackFaceCopiesTheCheckboxIntoBothMeshes) {
    inputMesh.drawBackFaces = 1;
    outputMesh.drawBackFaces = 1;
    backFace = 0;
    dispatchCommand(kBackFace);
    EXPECT_EQ(inputMesh.drawBackFaces, 0);
    EXPECT_EQ(outputMesh.drawBackFaces, 0);
    backFace = 1;
    dispatchCommand(kBackFace);
    EXPECT_EQ(inputMesh.drawBackFaces, 1);
    EXPECT_EQ(outputMesh.drawBackFaces, 1);
}

TEST_F(Dispatcher, SetUpACameraStoresTheViewAndNothingElse) {
    viewCamera.rotation = {0.3f, 0.1f, 0.2f, 0.9f};
    viewCamera.translation = {4, -2, -60};
    fieldOfView = 33;
    partPosition[1] = 0.7f;
    dispatchCommand(kSetUpCamera);
    EXPECT_EQ(setupCamera.rotation, viewCamera.rotation);
    EXPECT_EQ(setupCamera.translation, viewCamera.translation);
    EXPECT_EQ(setupCamera.fieldOfView, 33.0f);
    EXPECT_EQ(partPosition[1], 0.7f);
}

// Face lists per vertex as the linear-search description builds them.
std::vector<std::vector<int>> searchedVertexFaces(const SimpleMesh& mesh) {
    std::vector<std::vector<int>> lists(mesh.vertices.size());
    for (std::size_t f = 0; f < mesh.faces.size(); ++f)
        for (int v : mesh.faces[f]) {
            if (v < 0 || static_cast<std::size_t>(v) >= lists.size())
                continue;
            if (std::find(lists[v].begin(), lists[v].end(), static_cast<int>(f)) == lists[v].end())
                lists[v].push_back(static_cast<int>(f));
        }
    return lists;
}

std::vector<std::vector<int>> asVectors(const IndexLists& lists) {
    std::vector<std::vector<int>> out;
    for (std::size_t i = 0; i < lists.size(); ++i)
        out.emplace_back(lists[i].begin(), lists[i].end());
    return out;
}

TEST(VertexFaces, EachFaceOnceInAscendingOrderSkippingCornersOutsideTheVertices) {
    SimpleMesh mesh;
    mesh.vertices.resize(5);
    // Face 2 uses vertex 3 twice; face 3 has corners left over from another model.
    mesh.faces = IndexLists{{0, 1, 2}, {2, 1, 3}, {3, 3, 0}, {7, -1, 2}, {4, 0, 1}};
    buildVertexFaces(mesh);
    const std::vector<std::vector<int>> expected = {{0, 2, 4}, {0, 1, 4}, {0, 1, 3}, {1, 2}, {4}};
    EXPECT_EQ(asVectors(mesh.vertexFaces), expected);

    SimpleMesh empty;
    empty.faces = IndexLists{{0, 1, 2}}; // faces kept beside no positions at all
    buildVertexFaces(empty);
    EXPECT_EQ(empty.vertexFaces.size(), 0u);
}

TEST(VertexFaces, AgreesWithTheLinearSearchOnRandomMeshes) {
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        SimpleMesh mesh;
        mesh.vertices.resize(50 + round * 7);
        std::uniform_int_distribution<int> corner(-3, static_cast<int>(mesh.vertices.size()) + 3);
        std::uniform_int_distribution<int> corners(1, 7);
        for (int f = 0; f < 300; ++f) {
            std::vector<int> face(corners(random));
            for (int& v : face)
                v = corner(random);
            mesh.faces.push_back(face);
        }
        buildVertexFaces(mesh);
        ASSERT_EQ(asVectors(mesh.vertexFaces), searchedVertexFaces(mesh)) << round;
    }
}

TEST(SelectionReset, FreshLabelsVisibilityAndPartSettings) {
    SimpleMesh mesh;
    mesh.vertices.resize(4);
    mesh.faces = IndexLists{{0, 1, 2}, {0, 2, 3}};
    mesh.faceVisible = {0};
    mesh.facePart = {3, -1, 2};
    mesh.vertexPart = {1, 1};
    mesh.vertexInPart = {1, 1, 1, 1, 1};
    mesh.hideInvisibleFaces = 1;
    mesh.drawBackFaces = 0;
    resetSelectionState(mesh);
    EXPECT_EQ(mesh.faceVisible, (std::vector<int>{1, 1}));
    EXPECT_EQ(mesh.facePart, (std::vector<int>{0, 0}));
    EXPECT_EQ(mesh.vertexPart, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(mesh.vertexInPart, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(mesh.hideInvisibleFaces, 0);
    EXPECT_EQ(mesh.drawBackFaces, 1);
    EXPECT_EQ(mesh.vertexFaces.size(), 4u);

    partPosition[2] = 0.1f;
    partMinDepth[0] = 0.3f;
    partMaxDepth[3] = 0.9f;
    partMedianDepth[1] = 0.2f;
    partCompression[2] = -0.4f;
    compressionValue = -0.4f;
    resetPartSettings();
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(partPosition[p], 0.5f);
        EXPECT_EQ(partCompression[p], 1.0f);
        EXPECT_EQ(partMedianDepth[p], 0.5f);
        EXPECT_EQ(partMinDepth[p], 1.0f);
        EXPECT_EQ(partMaxDepth[p], 0.0f);
    }
    EXPECT_EQ(compressionValue, 1.0f);
}

} // namespace
