// The control panel: its table of controls against the published layout, the controls as
// drawn by ImGui (headless: layout and clicks need no OpenGL), and the held-back release.
#include "app/app_state.h"
#include "app/input_handlers.h"
#include "app/panel.h"
#include "app/panel_draw.h"
#include "app/release_latch.h"

#include <gtest/gtest.h>
#include <imgui.h>

#include <algorithm>

namespace {

struct Row {
    ControlKind kind;
    std::string label;
    int parent; // row number of the parent, 1-based as in the layout table; 0 = top level
    std::optional<int> id;
};

TEST(PanelTable, RowsInCreationOrderWithExactLabelsParentsAndIdentifiers) {
    using K = ControlKind;
    const std::string spacer(37, ' ');
    const std::vector<Row> expected = {
        {K::Panel, "File", 0, {}},
        {K::Button, "Open Mesh", 1, 0},
        {K::Button, "Open Texture", 1, 1},
        {K::StaticText, spacer, 1, {}},
        {K::Button, "Export", 1, 13},
        {K::Button, "Export Solid", 1, 21},
        {K::StaticText, "", 0, {}},
        {K::Panel, "View", 0, {}},
        {K::RadioGroup, "", 8, 20},
        {K::RadioButton, " Input Model            ", 9, {}},
        {K::RadioButton, "Output Model            ", 9, {}},
        {K::StaticText, "", 8, {}},
        {K::Checkbox, "Back Face", 8, 18},
        {K::Checkbox, "Wireframe", 8, 19},
        {K::StaticText, "", 0, {}},
        {K::Panel, "Option", 0, {}},
        {K::Button, "Triangulate Faces", 16, 14},
        {K::StaticText, spacer, 16, {}},
        {K::Column, "", 0, {}},
        {K::Panel, "Edit", 0, {}},
        {K::ListBox, "Parts:", 20, 8},
        {K::Panel, "Mode", 20, {}},
        {K::RadioGroup, "", 22, 7},
        {K::RadioButton, "Camera", 23, {}},
        {K::RadioButton, "Lasso", 23, {}},
        {K::Panel, "Position", 20, {}},
        {K::StaticText, "Position(depth):", 26, {}},
        {K::Button, "Push", 26, 4},
        {K::Button, "Back", 26, 5},
        {K::StaticText, "Compression:", 26, {}},
        {K::Spinner, "", 26, 6},
        {K::Button, "Set Up a Camera", 20, 2},
        {K::Button, "      Preview      ", 20, 12},
        {K::StaticText, "", 0, {}},
        {K::Button, "Quit", 0, -1},
    };
    const std::vector<PanelControl>& rows = panelControls();
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1));
        EXPECT_EQ(rows[i].kind, expected[i].kind);
        EXPECT_EQ(rows[i].label, expected[i].label);
        EXPECT_EQ(rows[i].parent + 1, expected[i].parent);
        EXPECT_EQ(rows[i].id, expected[i].id);
        // Every control with an identifier reports it, "Quit" alone by ending the process.
        const ControlCallback callback = !rows[i].id           ? ControlCallback::None
                                         : rows[i].id == kQuit ? ControlCallback::Quit
                                                               : ControlCallback::Dispatch;
        EXPECT_EQ(rows[i].callback, callback);
    }
}

// The live variables behind the controls are checked by clicking them and by the session
// commands.
TEST(PanelTable, FramesRadioValuesAndListItems) {
    const std::vector<PanelControl>& rows = panelControls();
    for (int panel : {0, 7, 15, 19, 21})
        EXPECT_EQ(rows[panel].frame, PanelFrame::Embossed) << rows[panel].label;
    EXPECT_EQ(rows[25].frame, PanelFrame::Raised);
    EXPECT_EQ(rows[9].value, 0);
    EXPECT_EQ(rows[10].value, 1);
    EXPECT_EQ(rows[23].value, 0);
    EXPECT_EQ(rows[24].value, 1);
    const std::vector<ListItem>& items = rows[20].items;
    ASSERT_EQ(items.size(), 4u);
    const char* texts[] = {"0(deselect)", "1", "2", "3"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[i].value, i);
        EXPECT_EQ(items[i].text, texts[i]);
    }
}

// The panel drawn by ImGui without a renderer: frames, pointer input and the rows reported.
class PanelDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        ImGui::CreateContext();
        setUpPanelStyle();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(800, 600);
        unsigned char* pixels = nullptr;
        int w = 0, h = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
        // An auto-sized window takes a few frames to reach its size and accept input.
        for (int i = 0; i < 3; ++i)
            frame();
    }
    void TearDown() override {
        ImGui::DestroyContext();
        backFace = 1;
        shownModel = 0;
        currentPart = 0;
        compressionValue = 1.0f;
    }

    std::vector<int> frame() {
        ImGui::GetIO().DeltaTime = 1.0f / 60;
        ImGui::NewFrame();
        std::vector<int> changed = drawPanel(panelControls(), &rects, &width, &height);
        ImGui::Render();
        return changed;
    }

    // A click as two frames: one sees the button down, the next the release.
    std::vector<int> click(float x, float y) {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(x, y);
        io.MouseDown[0] = true;
        std::vector<int> changed = frame();
        io.MouseDown[0] = false;
        for (int row : frame())
            changed.push_back(row);
        return changed;
    }
    std::vector<int> clickRow(int row) {
        const ItemRect& r = rects[row];
        return click(r.x + r.width / 2, r.y + r.height / 2);
    }

    std::vector<ItemRect> rects;
    float width = 0, height = 0;
};

TEST_F(PanelDrawing, EveryButtonReportsItsOwnRow) {
    const std::vector<PanelControl>& rows = panelControls();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].kind == ControlKind::Button) {
            EXPECT_EQ(clickRow(static_cast<int>(row)), (std::vector<int>{static_cast<int>(row)}))
                << rows[row].label;
        }
    }
}

TEST_F(PanelDrawing, ChoicesStoreTheLiveVariableBeforeReportingTheControl) {
    EXPECT_EQ(clickRow(12), (std::vector<int>{12})); // "Back Face"
    EXPECT_EQ(backFace, 0);
    EXPECT_EQ(clickRow(12), (std::vector<int>{12}));
    EXPECT_EQ(backFace, 1);
    EXPECT_EQ(clickRow(10), (std::vector<int>{8})); // "Output Model": reported by its group
    EXPECT_EQ(shownModel, 1);
    EXPECT_EQ(clickRow(9), (std::vector<int>{8}));
    EXPECT_EQ(shownModel, 0);
    // The spinner's step buttons sit at its right end: "+" stops at 1, "-" goes down.
    const ItemRect& spin = rects[30];
    const float step = ImGui::GetFrameHeight();
    EXPECT_EQ(click(spin.x + spin.width - step / 2, spin.y + spin.height / 2),
              (std::vector<int>{30}));
    EXPECT_EQ(compressionValue, 1.0f);
    const float minus = spin.x + spin.width - step * 1.5f - ImGui::GetStyle().ItemInnerSpacing.x;
    EXPECT_EQ(click(minus, spin.y + spin.height / 2), (std::vector<int>{30}));
    EXPECT_FLOAT_EQ(compressionValue, 0.99f);
}

TEST_F(PanelDrawing, ListBoxOffersTheFourPartsAndStoresTheChoice) {
    clickRow(20); // opens the drop-down, which shows from the next frame on
    frame();
    // The popup lists the items below the box, one text line each; pick the last one, "3".
    const ItemRect& box = rects[20];
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const std::vector<int> changed =
        click(box.x + box.width - 20,
              box.y + box.height + ImGui::GetStyle().WindowPadding.y + line * 3.5f);
    EXPECT_EQ(changed, (std::vector<int>{20}));
    EXPECT_EQ(currentPart, 3);
}

TEST_F(PanelDrawing, TwoColumnsSideBySideAndAWindowSizedToShowEverything) {
    const std::vector<PanelControl>& rows = panelControls();
    float firstColumnRight = 0;
    for (int row = 0; row < 18; ++row)
        firstColumnRight = std::max(firstColumnRight, rects[row].x + rects[row].width);
    for (int row = 19; row < static_cast<int>(rows.size()); ++row) {
        EXPECT_GT(rects[row].x, firstColumnRight) << rows[row].label;
        EXPECT_LE(rects[row].x + rects[row].width, width) << rows[row].label;
        EXPECT_LE(rects[row].y + rects[row].height, height) << rows[row].label;
    }
    // "Quit" comes last, below everything else in the second column.
    EXPECT_GT(rects[34].y, rects[32].y + rects[32].height);
    // The spacer texts set the width of their panels.
    EXPECT_GE(rects[0].width, rects[3].width);
    EXPECT_GT(rects[3].width, rects[1].width);
}

TEST(ReleaseLatch, ReleaseBeforeAnyFrameSawThePressIsHeldForTheNextFrame) {
    ReleaseLatch latch;
    const MouseEvent press{kLeftButton, kButtonDown, 10, 20};
    const MouseEvent release{kLeftButton, kButtonUp, 11, 21};
    EXPECT_TRUE(latch.onEvent(press));
    EXPECT_FALSE(latch.onEvent(release)); // same frame as the press: held back
    const std::optional<MouseEvent> due = latch.afterFrame();
    ASSERT_TRUE(due);
    EXPECT_EQ(due->state, kButtonUp);
    EXPECT_EQ(due->x, 11);
    EXPECT_FALSE(latch.afterFrame()); // delivered once

    // A release after a frame has seen the press goes through at once.
    EXPECT_TRUE(latch.onEvent(press));
    EXPECT_FALSE(latch.afterFrame());
    EXPECT_TRUE(latch.onEvent(release));
    EXPECT_FALSE(latch.afterFrame());
}

TEST_F(PanelDrawing, FastClickIsLostWithoutTheLatchAndKeptWithIt) {
    const ItemRect& quit = rects[34];
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(quit.x + quit.width / 2, quit.y + quit.height / 2);
    frame();
    // Without the latch both events land before the next frame: ImGui sees no click.
    io.MouseDown[0] = true;
    io.MouseDown[0] = false;
    EXPECT_TRUE(frame().empty());
    EXPECT_TRUE(frame().empty());

    ReleaseLatch latch;
    auto deliver = [&io](const std::optional<MouseEvent>& e) {
        if (e)
            io.MouseDown[0] = e->state == kButtonDown;
    };
    deliver(latch.onEvent({kLeftButton, kButtonDown, 0, 0}));
    deliver(latch.onEvent({kLeftButton, kButtonUp, 0, 0}));
    std::vector<int> changed = frame();
    deliver(latch.afterFrame());
    for (int row : frame())
        changed.push_back(row);
    EXPECT_EQ(changed, (std::vector<int>{34}));
}

} // namespace
