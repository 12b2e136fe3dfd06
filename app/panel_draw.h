// Drawing the panel rows with Dear ImGui. Needs a current ImGui context inside a frame, but no
// OpenGL: the layout alone can be computed headless.
#pragma once

#include "app/panel.h"

#include <vector>

struct ItemRect {
    float x = 0, y = 0, width = 0, height = 0; // panel-window pixels, y from the top
};

// The panel's look: ImGui's classic colours, no rounding, no ini file. Call once after
// ImGui::CreateContext.
void setUpPanelStyle();

// Draws rows as one borderless ImGui window filling the top left of the display and sized to
// its contents. Returns the indices of the rows the user changed in this frame, in order;
// their live variables already hold the new values (a spinner's clamped to its limits).
// rects, when given, receives one rectangle per row; width and height, when given, the size
// the display needs to show every control.
std::vector<int> drawPanel(const std::vector<PanelControl>& rows, std::vector<ItemRect>* rects,
                           float* width = nullptr, float* height = nullptr);
