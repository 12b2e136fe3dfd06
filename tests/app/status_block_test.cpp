// The panel's status block through a session with the sample: the camera, the output model's
// state and each part's faces, position and compression after every step, and the block as the
// panel draws it.
#include "app/status_block.h"
#include "tests/app/app_fixture.h"
#include "tests/support/headless_panel.h"

#include <sstream>

namespace {

using StatusBlock = OffscreenAppTest;

TEST_F(StatusBlock, FollowsASessionStepByStep) {
    const std::string house = "drag left 88 106 88 106 334 110 334 110 348 160 348 160 352 340 "
                              "352 340 322 386 322 386 86 368 86 368 82 220 82 220 88 106\n",
                      crates = "drag left 356 212 356 212 494 212 494 212 500 290 500 290 562 290 "
                               "562 290 572 394 572 394 480 398 480 398 358 390 358 390 356 212\n";
    const std::string steps[] = {
        "open-mesh " + sourcePath("Mesh/sample.obj") + "\ncamera -0.21 0.1 0.02 0.97 0 0 -100\n",
        "set-up-camera\nmode lasso\npart 1\n" + house,
        "preview\n",
        "push\npush\ncompression -0.5\n",
        "part 2\n" + crates,
        "preview\n",
        // The crates again as part 3, the wheel turned halfway round the loop: the lasso goes on.
        "part 3\npress left 356 212\nmove 356 212\nmove 494 212\nmove 494 212\nmove 500 290\n"
        "wheel up\nmove 500 290\nmove 562 290\nmove 562 290\nmove 572 394\nmove 572 394\n"
        "move 480 398\nmove 480 398\nmove 358 390\nmove 358 390\nrelease left 356 212\n",
        "open-mesh " + sourcePath("Mesh/sample.obj") + "\n",
    };
    std::ostringstream blocks;
    for (const std::string& step : steps) {
        Console console = captureConsole([&] { EXPECT_EQ(run(step), 0) << step; });
        blocks << statusText() << "--\n";
    }
    EXPECT_EQ(blocks.str(), R"(Camera: not set up
Output: not converted yet
  Part 1: 0 faces
    position 0.50000, compression 1.000
  Part 2: 0 faces
    position 0.50000, compression 1.000
  Part 3: 0 faces
    position 0.50000, compression 1.000
--
Camera: set up
Output: not converted yet
> Part 1: 577 faces
    position 0.50000, compression 1.000
  Part 2: 0 faces
    position 0.50000, compression 1.000
  Part 3: 0 faces
    position 0.50000, compression 1.000
--
Camera: set up
Output: converted
> Part 1: 577 faces
    position 0.97505, compression 1.000
  Part 2: 0 faces
    position 1.00000, compression 1.000
  Part 3: 0 faces
    position 1.00000, compression 1.000
--
Camera: set up
Output: converted
> Part 1: 577 faces
    position 0.97542, compression -0.500
  Part 2: 0 faces
    position 1.00000, compression 1.000
  Part 3: 0 faces
    position 1.00000, compression 1.000
--
Camera: set up
Output: painting changed since Preview
  Part 1: 577 faces
    position 0.97542, compression -0.500
> Part 2: 212 faces
    position 1.00000, compression 1.000
  Part 3: 0 faces
    position 1.00000, compression 1.000
--
Camera: set up
Output: converted
  Part 1: 577 faces
    position 0.97505, compression -0.500
> Part 2: 212 faces
    position 0.97410, compression 1.000
  Part 3: 0 faces
    position 1.00000, compression 1.000
--
Camera: set up
Output: painting changed since Preview
  Part 1: 577 faces
    position 0.97505, compression -0.500
  Part 2: 0 faces
    position 0.97410, compression 1.000
> Part 3: 212 faces
    position 1.00000, compression 1.000
--
Camera: set up
Output: not converted yet
  Part 1: 0 faces
    position 0.50000, compression 1.000
  Part 2: 0 faces
    position 0.50000, compression 1.000
> Part 3: 0 faces
    position 0.50000, compression 1.000
--
)");
}

// The panel draws the block's text itself, every line of it, below the Edit group.
TEST(StatusBlockPanel, DrawnAsTheStatusPanelsText) {
    HeadlessPanel panel(800, 600);
    const std::vector<PanelControl>& rows = panelControls();
    int text = -1, edit = -1;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        if (rows[row].liveText)
            text = row;
        if (rows[row].label == "Edit")
            edit = row;
    }
    ASSERT_GE(text, 0);
    ASSERT_GE(edit, 0);
    EXPECT_EQ(rows[rows[text].parent].label, "Status");
    const ImVec2 size = ImGui::CalcTextSize(statusText().c_str());
    EXPECT_EQ(panel.rects[text].height, size.y);
    EXPECT_EQ(panel.rects[text].width, size.x);
    EXPECT_GT(panel.rects[text].y, panel.rects[edit].y + panel.rects[edit].height);
}

} // namespace
