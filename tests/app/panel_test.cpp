// The control panel: every command names the control that runs it, and the controls as drawn
// by ImGui (headless: clicks need no OpenGL; the held-back release of a quick click over X is
// checked by script.gui_session).
#include "app/app_state.h"
#include "app/command_table.h"
#include "app/edit_history.h"
#include "tests/support/headless_panel.h"

#include <gtest/gtest.h>
#include <imgui_internal.h>

#include <algorithm>
#include <sstream>

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

// The panel on an 800 x 600 display, clicked with the pointer.
class PanelDrawing : public ::testing::Test {
  protected:
    void TearDown() override {
        backFace = 1;
        shownModel = 0;
        currentPart = 0;
        compressionValue = 1.0f;
    }

    // A click as two frames: one sees the button down, the next the release.
    std::vector<int> click(float x, float y) {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(x, y);
        io.MouseDown[0] = true;
        std::vector<int> changed = panel.frame();
        io.MouseDown[0] = false;
        for (int row : panel.frame())
            changed.push_back(row);
        return changed;
    }
    std::vector<int> clickRow(int row) {
        const ItemRect& r = panel.rects[row];
        return click(r.x + r.width / 2, r.y + r.height / 2);
    }

    HeadlessPanel panel{800, 600};
};

TEST_F(PanelDrawing, EveryButtonReportsItsOwnRow) {
    const std::vector<PanelControl>& rows = panelControls();
    clearEditHistory(); // nothing to undo or redo
    int buttons = 0, disabledButtons = 0;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        if (rows[row].kind == ControlKind::Button) {
            // Undo and Redo, with nothing to undo or redo, are drawn disabled and report nothing.
            const bool disabled = rows[row].enabled && !rows[row].enabled();
            EXPECT_EQ(clickRow(row), disabled ? std::vector<int>{} : std::vector<int>{row})
                << rows[row].label;
            ++buttons;
            disabledButtons += disabled;
        }
    EXPECT_GT(buttons, 0);
    EXPECT_EQ(disabledButtons, 2);
}

// Each step: the rows it reported, by the script word of their command, and then the live
// variables backFace, shownModel, compressionValue and currentPart.
TEST_F(PanelDrawing, ChoicesStoreTheLiveVariableBeforeReportingTheControl) {
    std::ostringstream log;
    auto note = [&log](const std::vector<int>& reported) {
        for (int row : reported)
            for (const Command& c : commandTable())
                if (c.control == panelControls()[row].id)
                    log << c.word << " ";
        log << "| " << backFace << " " << shownModel << " " << compressionValue << " "
            << currentPart << "\n";
    };
    note(clickRow(rowOf("Back Face")));
    note(clickRow(rowOf("Back Face")));
    note(clickRow(rowOf("Output Model"))); // a radio button reports its group
    note(clickRow(rowOf("Input Model")));
    // The spinner's step buttons sit at its right end: "+" stops at 1, "-" goes down.
    const ItemRect& spin = panel.rects[rowOf("Compression:") + 1];
    const float step = ImGui::GetFrameHeight(), middle = spin.y + spin.height / 2;
    note(click(spin.x + spin.width - step / 2, middle));
    note(click(spin.x + spin.width - step * 1.5f - ImGui::GetStyle().ItemInnerSpacing.x, middle));
    // A typed value takes effect when the field is left, by a click elsewhere or by Enter; a
    // value beyond the limits is clamped.
    ImGuiIO& io = ImGui::GetIO();
    std::vector<int> typing = click(spin.x + 10, middle); // selects the text
    for (char typed : std::string("-0.25")) {
        io.AddInputCharacter(typed);
        for (int row : panel.frame())
            typing.push_back(row);
    }
    note(typing);
    note(click(panel.width - 2, panel.height - 2));
    click(spin.x + 10, middle);
    io.AddInputCharacter('7');
    note(panel.frame());
    io.KeyMap[ImGuiKey_Enter] = 13;
    io.KeysDown[13] = true;
    note(panel.frame());
    io.KeysDown[13] = false;
    // The list box's drop-down shows from the frame after the click, one text line per item
    // below the box; the last item is part 3.
    const int parts = rowOf("Parts:");
    clickRow(parts);
    panel.frame();
    const ItemRect& box = panel.rects[parts];
    note(click(box.x + box.width - 20, box.y + box.height + ImGui::GetStyle().WindowPadding.y +
                                           ImGui::GetTextLineHeightWithSpacing() * 3.5f));
    EXPECT_EQ(log.str(), "back-face | 0 0 1 0\n"
                         "back-face | 1 0 1 0\n"
                         "view | 1 1 1 0\n"
                         "view | 1 0 1 0\n"
                         "compression | 1 0 1 0\n"
                         "compression | 1 0 0.99 0\n"
                         "| 1 0 0.99 0\n"
                         "compression | 1 0 -0.25 0\n"
                         "| 1 0 -0.25 0\n"
                         "compression | 1 0 1 0\n"
                         "part | 1 0 1 3\n");
}

// On a display of the size the panel asks for, no frame is clipped: every panel with its right
// margin lies in the window's clip rectangle.
TEST_F(PanelDrawing, WindowSizedToShowEveryFrame) {
    ImGui::GetIO().DisplaySize = ImVec2(panel.width, panel.height);
    for (int i = 0; i < 3; ++i)
        panel.frame();
    const ImRect clip = ImGui::FindWindowByName("GLUI")->InnerClipRect;
    const float margin = 2 * ImGui::GetStyle().FramePadding.x;
    const std::vector<PanelControl>& rows = panelControls();
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        if (rows[row].kind == ControlKind::Panel) {
            EXPECT_LE(panel.rects[row].x + panel.rects[row].width + margin, clip.Max.x)
                << rows[row].label;
            EXPECT_LE(panel.rects[row].y + panel.rects[row].height, clip.Max.y) << rows[row].label;
        }
}

} // namespace
