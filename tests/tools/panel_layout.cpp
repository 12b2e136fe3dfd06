// Prints where each control of the panel sits in the "GLUI" window, so that a script can click
// it with xdotool: one line per row with a label, "LABEL<TAB>CENTRE_X<TAB>CENTRE_Y", then
// "size<TAB>WIDTH<TAB>HEIGHT" for the whole window. The layout is computed by the panel's own
// drawing code with its own style, headless.
#include "app/panel.h"
#include "app/panel_draw.h"

#include <imgui.h>

#include <cstdio>

int main() {
    ImGui::CreateContext();
    setUpPanelStyle();
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(1000, 1000);
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    std::vector<ItemRect> rects;
    float width = 0, height = 0;
    for (int frame = 0; frame < 3; ++frame) {
        io.DeltaTime = 1.0f / 60;
        ImGui::NewFrame();
        drawPanel(panelControls(), &rects, &width, &height);
        ImGui::Render();
    }
    const std::vector<PanelControl>& rows = panelControls();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].label.find_first_not_of(' ') != std::string::npos)
            std::printf("%s\t%d\t%d\n", rows[i].label.c_str(),
                        static_cast<int>(rects[i].x + rects[i].width / 2),
                        static_cast<int>(rects[i].y + rects[i].height / 2));
    std::printf("size\t%d\t%d\n", static_cast<int>(width + 0.99f),
                static_cast<int>(height + 0.99f));
    ImGui::DestroyContext();
    return 0;
}
