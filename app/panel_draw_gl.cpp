#include "app/panel_draw.h"

#include <imgui.h>

#include <algorithm>

const char* panelLibraryVersion() {
    return ImGui::GetVersion();
}

void setUpPanelStyle() {
    ImGui::StyleColorsClassic();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0;
    style.FrameRounding = 0;
    style.WindowBorderSize = 0;
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // nothing is written into the working directory
    io.LogFilename = nullptr;
}

namespace {

class PanelWalker {
  public:
    PanelWalker(const std::vector<PanelControl>& rows, std::vector<ItemRect>* rects)
        : rows_(rows), children_(rows.size()), rects_(rects) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].parent >= 0 && static_cast<std::size_t>(rows[i].parent) < rows.size())
                children_[rows[i].parent].push_back(static_cast<int>(i));
            else if (rows[i].parent < 0)
                topLevel_.push_back(static_cast<int>(i));
        if (rects_)
            rects_->assign(rows.size(), ItemRect{});
    }

    // Top-level rows in columns: a Column row closes one group and opens the next beside it.
    // Returns the size of everything drawn.
    ImVec2 drawAll() {
        ImGui::BeginGroup();
        ImGui::BeginGroup();
        for (int row : topLevel_) {
            if (rows_[row].kind == ControlKind::Column) {
                ImGui::EndGroup();
                ImGui::SameLine(0, ImGui::GetStyle().ItemSpacing.x * 3);
                ImGui::BeginGroup();
                continue;
            }
            draw(row);
        }
        ImGui::EndGroup();
        ImGui::EndGroup();
        return ImGui::GetItemRectSize();
    }

    const std::vector<int>& changed() const { return changed_; }

  private:
    void draw(int row) {
        const PanelControl& c = rows_[row];
        ImGui::PushID(row);
        switch (c.kind) {
        case ControlKind::Panel:
            drawFrame(row); // records its own rectangle before its right margin
            ImGui::PopID();
            return;
        case ControlKind::RadioGroup:
            ImGui::BeginGroup();
            for (int child : children_[row])
                drawRadioButton(row, child);
            ImGui::EndGroup();
            break;
        case ControlKind::Button: {
            const bool disabled = c.enabled && !c.enabled();
            ImGui::BeginDisabled(disabled);
            if (ImGui::Button(c.label.c_str()))
                changed_.push_back(row);
            ImGui::EndDisabled();
            break;
        }
        case ControlKind::StaticText: {
            const std::string text = c.liveText ? c.liveText() : c.label;
            ImGui::TextUnformatted(text.c_str());
            break;
        }
        case ControlKind::Checkbox:
            if (c.intVariable && ImGui::CheckboxFlags(c.label.c_str(), c.intVariable, 1))
                changed_.push_back(row);
            break;
        case ControlKind::ListBox:
            drawListBox(row);
            break;
        case ControlKind::Spinner:
            drawSpinner(row);
            break;
        case ControlKind::RadioButton:
        case ControlKind::Column:
            break;
        }
        record(row);
        ImGui::PopID();
    }

    // A panel: its label, then its rows indented, inside a frame line (light for embossed,
    // doubled for raised).
    void drawFrame(int row) {
        const PanelControl& c = rows_[row];
        const ImVec2 pad = ImGui::GetStyle().FramePadding;
        ImGui::BeginGroup();
        ImGui::Dummy(ImVec2(0, pad.y));
        ImGui::Indent(pad.x * 2);
        if (!c.label.empty())
            ImGui::TextDisabled("%s", c.label.c_str());
        for (int child : children_[row])
            draw(child);
        ImGui::Unindent(pad.x * 2);
        ImGui::Dummy(ImVec2(0, pad.y));
        ImGui::EndGroup();
        record(row);
        const ImVec2 min = ImGui::GetItemRectMin();
        const ImVec2 max(ImGui::GetItemRectMax().x + pad.x * 2, ImGui::GetItemRectMax().y);
        // The right margin, matching the indent on the left, belongs to the panel's width.
        ImGui::SameLine(0, 0);
        ImGui::Dummy(ImVec2(pad.x * 2 + 1, 1));
        ImDrawList* draw = ImGui::GetWindowDrawList();
        const ImU32 light = ImGui::GetColorU32(ImGuiCol_Border);
        draw->AddRect(min, max, light);
        if (c.frame == PanelFrame::Raised)
            draw->AddRect(ImVec2(min.x + 1, min.y + 1), ImVec2(max.x - 1, max.y - 1), light);
    }

    void drawRadioButton(int group, int button) {
        const PanelControl& g = rows_[group];
        const PanelControl& b = rows_[button];
        ImGui::PushID(button);
        if (g.intVariable && ImGui::RadioButton(b.label.c_str(), g.intVariable, b.value))
            changed_.push_back(group);
        record(button);
        ImGui::PopID();
    }

    // The label on the left and a drop-down of the items, as a list box shows them.
    void drawListBox(int row) {
        const PanelControl& c = rows_[row];
        if (!c.intVariable)
            return;
        ImGui::BeginGroup();
        ImGui::AlignTextToFramePadding();
        ImGui::TextUnformatted(c.label.c_str());
        ImGui::SameLine();
        const char* shown = "";
        for (const ListItem& item : c.items)
            if (item.value == *c.intVariable)
                shown = item.text.c_str();
        ImGui::SetNextItemWidth(ImGui::GetFontSize() * 8);
        if (ImGui::BeginCombo("##items", shown)) {
            for (const ListItem& item : c.items)
                if (ImGui::Selectable(item.text.c_str(), item.value == *c.intVariable)) {
                    *c.intVariable = item.value;
                    changed_.push_back(row);
                }
            ImGui::EndCombo();
        }
        ImGui::EndGroup();
    }

    // A number field with "-" and "+" step buttons. A typed value takes effect when the field
    // is left, by Enter or by clicking elsewhere; until then the live variable keeps its value.
    void drawSpinner(int row) {
        const PanelControl& c = rows_[row];
        if (!c.floatVariable)
            return;
        static float typed = 0; // what the field holds while it is being edited
        const float side = ImGui::GetFrameHeight();
        const float spacing = ImGui::GetStyle().ItemInnerSpacing.x;
        ImGui::BeginGroup();
        ImGui::SetNextItemWidth(ImGui::GetFontSize() * 9 - 2 * (side + spacing));
        const std::string id = c.label + "##spinner";
        float shown = *c.floatVariable;
        if (ImGui::InputFloat(id.c_str(), &shown, 0, 0, "%.3f"))
            typed = shown;
        bool changed = ImGui::IsItemDeactivatedAfterEdit();
        float value = changed ? typed : *c.floatVariable;
        for (const auto& [text, step] : {std::pair{"-", -0.01f}, std::pair{"+", 0.01f}}) {
            ImGui::SameLine(0, spacing);
            if (ImGui::Button(text, ImVec2(side, side))) {
                value = *c.floatVariable + step;
                changed = true;
            }
        }
        ImGui::EndGroup();
        if (changed) {
            *c.floatVariable = std::clamp(value, c.minimum, c.maximum);
            changed_.push_back(row);
        }
    }

    void record(int row) {
        if (!rects_)
            return;
        const ImVec2 min = ImGui::GetItemRectMin();
        const ImVec2 max = ImGui::GetItemRectMax();
        const ImVec2 origin = ImGui::GetWindowPos();
        (*rects_)[row] = {min.x - origin.x, min.y - origin.y, max.x - min.x, max.y - min.y};
    }

    const std::vector<PanelControl>& rows_;
    std::vector<std::vector<int>> children_;
    std::vector<int> topLevel_;
    std::vector<ItemRect>* rects_;
    std::vector<int> changed_;
};

} // namespace

std::vector<int> drawPanel(const std::vector<PanelControl>& rows, std::vector<ItemRect>* rects,
                           float* width, float* height) {
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                                   ImGuiWindowFlags_AlwaysAutoResize |
                                   ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoSavedSettings;
    ImGui::Begin("GLUI", nullptr, flags);
    PanelWalker walker(rows, rects);
    // ImGui keeps a window within the display less its safe-area margins, which would clip
    // the right and bottom frames: the display is sized from the contents with both margins.
    const ImVec2 contents = walker.drawAll();
    const ImGuiStyle& style = ImGui::GetStyle();
    if (width)
        *width = contents.x + 2 * (style.WindowPadding.x + style.DisplaySafeAreaPadding.x);
    if (height)
        *height = contents.y + 2 * (style.WindowPadding.y + style.DisplaySafeAreaPadding.y);
    ImGui::End();
    return walker.changed();
}
