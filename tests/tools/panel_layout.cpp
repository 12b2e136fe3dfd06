// Prints where each control of the panel sits in the "GLUI" window, so that a script can click
// it with xdotool: one line per row with a label, "LABEL<TAB>CENTRE_X<TAB>CENTRE_Y", then
// "size<TAB>WIDTH<TAB>HEIGHT" for the whole window. The layout is computed by the panel's own
// drawing code with its own style, headless.
#include "tests/support/headless_panel.h"

#include <cstdio>

int main() {
    const HeadlessPanel panel(1000, 1000);
    const std::vector<PanelControl>& rows = panelControls();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].label.find_first_not_of(' ') != std::string::npos)
            std::printf("%s\t%d\t%d\n", rows[i].label.c_str(),
                        static_cast<int>(panel.rects[i].x + panel.rects[i].width / 2),
                        static_cast<int>(panel.rects[i].y + panel.rects[i].height / 2));
    std::printf("size\t%d\t%d\n", static_cast<int>(panel.width + 0.99f),
                static_cast<int>(panel.height + 0.99f));
    return 0;
}
