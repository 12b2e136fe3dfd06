// The dispatcher's frame and the file chooser without a display.
#include "app/camera.h"
#include "app/commands.h"
#include "app/file_chooser.h"
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
    EXPECT_EQ(chooseInputFile(FileKind::Model), "model.obj");
    EXPECT_EQ(chooseInputFile(FileKind::Image), "");
    EXPECT_EQ(std::filesystem::current_path(), cwd);
}

} // namespace
