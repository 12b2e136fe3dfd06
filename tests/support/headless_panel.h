// The control panel drawn by ImGui with the panel's own style but no renderer: the layout and
// pointer input need no OpenGL.
#pragma once

#include "app/panel.h"
#include "app/panel_draw.h"

#include <imgui.h>

#include <vector>

struct HeadlessPanel {
    // A context on a display of width x height, drawn for the few frames an auto-sized window
    // takes to reach its size and accept input.
    HeadlessPanel(float width, float height) {
        ImGui::CreateContext();
        setUpPanelStyle();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(width, height);
        unsigned char* pixels = nullptr;
        int w = 0, h = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
        for (int i = 0; i < 3; ++i)
            frame();
    }
    ~HeadlessPanel() { ImGui::DestroyContext(); }

    // One frame; returns the rows the user changed in it.
    std::vector<int> frame() {
        ImGui::GetIO().DeltaTime = 1.0f / 60;
        ImGui::NewFrame();
        std::vector<int> changed = drawPanel(panelControls(), &rects, &width, &height);
        ImGui::Render();
        return changed;
    }

    std::vector<ItemRect> rects; // one a row
    float width = 0, height = 0; // the display size that shows every control
};
