// The dispatcher's frame and the selection state "Open Mesh" builds.
#include "app/camera.h"
#include "app/commands.h"
#include "app/file_chooser.h"
#include "app/selection_reset.h"
#include "tests/app/app_fixture.h"

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

// Labels sized to the model whatever sizes they had; part settings are checked through the
// cancelled "Open Mesh" session.
TEST(SelectionReset, FreshLabelsSizedToTheModel) {
    SimpleMesh mesh;
    mesh.vertices.edit().resize(4);
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
}

} // namespace
