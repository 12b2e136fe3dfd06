// The dispatcher's frame, the file chooser without a display, and the vertex-to-face lists
// "Open Mesh" builds.
#include "app/camera.h"
#include "app/commands.h"
#include "app/file_chooser.h"
#include "app/selection_reset.h"
#include "tests/app/app_fixture.h"

#include <cstdlib>
#include <filesystem>

namespace {

using Dispatcher = OffscreenAppTest;

TEST_F(Dispatcher, EveryIdentifierRunsWithThe3DWindowSelectedAndRedrawsIt) {
    // Commands that write files write them below the working directory: keep them out of the
    // source tree.
    const TempDir work;
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(work.path());
    for (int id : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14, 18, 19, 20, 21, 42}) {
        scriptedFileChoice = ""; // the file dialogs of 0 and 1 are cancelled
        windows->setWindow(2);   // the panel calls in with its own window current
        const int before = windows->redisplayRequests;
        dispatchCommand(id);
        EXPECT_EQ(windows->currentWindow(), mainWindow) << id;
        EXPECT_EQ(windows->redisplayRequests, before + 1) << id;
    }
    std::filesystem::current_path(home);
}

// A session script's answer is used once; then, with no display to open, the dialog answers
// "" at once (not the last choice) and the working directory stays.
TEST(FileChooser, ScriptedAnswerOnceThenNothingWithoutADisplay) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    const std::filesystem::path cwd = std::filesystem::current_path();
    scriptedFileChoice = "model.obj";
    EXPECT_EQ(chooseInputFile(), "model.obj");
    EXPECT_EQ(chooseInputFile(), "");
    EXPECT_EQ(std::filesystem::current_path(), cwd);
}

TEST(VertexFaces, EachFaceOnceInAscendingOrderSkippingCornersOutsideTheVertices) {
    SimpleMesh mesh;
    mesh.vertices.edit().resize(5);
    // Face 2 uses vertex 3 twice; face 3 has corners left over from another model.
    mesh.faces = IndexLists{{0, 1, 2}, {2, 1, 3}, {3, 3, 0}, {7, -1, 2}, {4, 0, 1}};
    buildVertexFaces(mesh);
    EXPECT_EQ(mesh.vertexFaces, (IndexLists{{0, 2, 4}, {0, 1, 4}, {0, 1, 3}, {1, 2}, {4}}));

    SimpleMesh empty;
    empty.faces = IndexLists{{0, 1, 2}}; // faces kept beside no positions at all
    buildVertexFaces(empty);
    EXPECT_EQ(empty.vertexFaces.size(), 0u);
}

} // namespace
