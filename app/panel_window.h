// The control panel's own GLUT window, titled "GLUI", drawn with Dear ImGui.
#pragma once

// Creates the panel window at (windowWidth + 25, 0), stores its identifier in controlPanel,
// and installs the idle handler that redraws both windows. Leaves the 3-D window current.
// Needs glutInit and the 3-D window.
void createControlPanel();
