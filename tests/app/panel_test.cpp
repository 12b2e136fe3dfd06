// The control panel: every command names the control that runs it, the controls as drawn by
// ImGui (headless: clicks need no OpenGL), and the held-back release (a quick click over X is
// checked by script.gui_session).
#include "app/app_state.h"
#include "app/command_table.h"
#include "app/input_handlers.h"
#include "app/panel.h"
#include "app/panel_draw.h"
#include "app/release_latch.h"

#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>

namespace {

// The row of the control labelled label (blanks around it ignored).
int rowOf(const std::string& label) {
    const std::vector<PanelControl>& rows = panelControls();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& l = rows[i].label;
        const std::size_t first = l.find_first_not_of(' ');
        if (first != std::string::npos &&
            l.substr(first, l.find_last_not_of(' ') + 1 - first) == label)
            return static_cast<int>(i);
    }
    ADD_FAILURE() << "no control labelled " << label;
    return 0;
}

// The help text of each command that a control runs quotes that control's label (a radio
// group's is its panel's); the spinner has none and is found by its kind. So a control that
// reports another command's identifier is caught.
TEST(PanelTable, EveryCommandNamesTheControlThatRunsIt) {
    const std::vector<PanelControl>& rows = panelControls();
    int controls = 0;
    for (const Command& c : commandTable()) {
        if (!c.control)
            continue;
        const int row = static_cast<int>(
            std::find_if(rows.begin(), rows.end(),
                         [&](const PanelControl& r) { return r.id == c.control; }) -
            rows.begin());
        ASSERT_LT(row, static_cast<int>(rows.size())) << c.word;
        ++controls;
        if (rows[row].kind == ControlKind::Spinner) {
            EXPECT_NE(c.meaning.find("spinner"), std::string_view::npos) << c.word;
            continue;
        }
        const int named = rows[row].kind == ControlKind::RadioGroup ? rows[row].parent : row;
        EXPECT_EQ(rowOf(std::string(c.meaning.substr(1, c.meaning.find('"', 1) - 1))), named)
            << c.word;
        EXPECT_EQ(rows[row].callback,
                  c.control == kQuit ? ControlCallback::Quit : ControlCallback::Dispatch)
            << c.word;
    }
    EXPECT_GT(controls, 0);
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
    int buttons = 0;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        if (rows[row].kind == ControlKind::Button) {
            EXPECT_EQ(clickRow(row), std::vector<int>{row}) << rows[row].label;
            ++buttons;
        }
    EXPECT_GT(buttons, 0);
}

TEST_F(PanelDrawing, ChoicesStoreTheLiveVariableBeforeReportingTheControl) {
    const int backFaceRow = rowOf("Back Face"), output = rowOf("Output Model");
    EXPECT_EQ(clickRow(backFaceRow), std::vector<int>{backFaceRow});
    EXPECT_EQ(backFace, 0);
    EXPECT_EQ(clickRow(backFaceRow), std::vector<int>{backFaceRow});
    EXPECT_EQ(backFace, 1);
    const int group = panelControls()[output].parent; // a radio button reports its group
    EXPECT_EQ(clickRow(output), std::vector<int>{group});
    EXPECT_EQ(shownModel, 1);
    EXPECT_EQ(clickRow(rowOf("Input Model")), std::vector<int>{group});
    EXPECT_EQ(shownModel, 0);
    // The spinner's step buttons sit at its right end: "+" stops at 1, "-" goes down.
    const int spinner = rowOf("Compression:") + 1;
    const ItemRect& spin = rects[spinner];
    const float step = ImGui::GetFrameHeight();
    EXPECT_EQ(click(spin.x + spin.width - step / 2, spin.y + spin.height / 2),
              std::vector<int>{spinner});
    EXPECT_EQ(compressionValue, 1.0f);
    const float minus = spin.x + spin.width - step * 1.5f - ImGui::GetStyle().ItemInnerSpacing.x;
    EXPECT_EQ(click(minus, spin.y + spin.height / 2), std::vector<int>{spinner});
    EXPECT_FLOAT_EQ(compressionValue, 0.99f);
    // A typed value takes effect when the field is left, by a click elsewhere or by Enter; a
    // value beyond the limits is clamped.
    ImGuiIO& io = ImGui::GetIO();
    EXPECT_TRUE(click(spin.x + 10, spin.y + spin.height / 2).empty()); // selects the text
    for (char typed : std::string("-0.25")) {
        io.AddInputCharacter(typed);
        EXPECT_TRUE(frame().empty());
    }
    EXPECT_FLOAT_EQ(compressionValue, 0.99f);
    EXPECT_EQ(click(width - 2, height - 2), std::vector<int>{spinner});
    EXPECT_FLOAT_EQ(compressionValue, -0.25f);
    click(spin.x + 10, spin.y + spin.height / 2);
    io.AddInputCharacter('7');
    frame();
    io.KeyMap[ImGuiKey_Enter] = 13;
    io.KeysDown[13] = true;
    EXPECT_EQ(frame(), std::vector<int>{spinner});
    io.KeysDown[13] = false;
    EXPECT_FLOAT_EQ(compressionValue, 1.0f);

    // The list box's drop-down shows from the frame after the click, one text line per item
    // below the box; the last item is part 3.
    const int parts = rowOf("Parts:");
    clickRow(parts);
    frame();
    const ItemRect& box = rects[parts];
    const float line = ImGui::GetTextLineHeightWithSpacing();
    EXPECT_EQ(click(box.x + box.width - 20,
                    box.y + box.height + ImGui::GetStyle().WindowPadding.y + line * 3.5f),
              std::vector<int>{parts});
    EXPECT_EQ(currentPart, 3);
}

// On a display of the size the panel asks for, no frame is clipped: every panel with its right
// margin lies in the window's clip rectangle.
TEST_F(PanelDrawing, WindowSizedToShowEveryFrame) {
    ImGui::GetIO().DisplaySize = ImVec2(width, height);
    for (int i = 0; i < 3; ++i)
        frame();
    const ImRect clip = ImGui::FindWindowByName("GLUI")->InnerClipRect;
    const float margin = 2 * ImGui::GetStyle().FramePadding.x;
    const std::vector<PanelControl>& rows = panelControls();
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        if (rows[row].kind == ControlKind::Panel) {
            EXPECT_LE(rects[row].x + rects[row].width + margin, clip.Max.x) << rows[row].label;
            EXPECT_LE(rects[row].y + rects[row].height, clip.Max.y) << rows[row].label;
        }
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

} // namespace
