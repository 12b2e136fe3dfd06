// The parts of start-up that are plain state: shared by the GUI and the batch runner.
#pragma once

// Appends the mesh search directories ".", "..", "Mesh", "../Mesh", "../../Mesh" and sets the
// start-up camera poses: the view (-0.21, 0.2, 0.04, 0.95) at (0, 0, -100), the set-up camera
// the identity rotation at (0, 0, -100) with the current field of view.
void initApplicationState();
