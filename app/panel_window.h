// The control panel's own GLUT window, titled "GLUI", drawn with Dear ImGui.
#pragma once

// Creates the panel window at (windowWidth + 25, 0) and stores its identifier in controlPanel.
// The panel draws itself after its input events (and a few frames more for ImGui to settle);
// nothing redraws on idle, so an idle program uses no processor time. Leaves the 3-D window
// current. Needs glutInit and the 3-D window.
void createControlPanel();
