// The parts of start-up that are plain state: shared by the GUI and the batch runner.
#pragma once

// Appends the mesh search directories ".", "..", "Mesh", "../Mesh", "../../Mesh" and sets the
// start-up camera poses: the view (-0.21, 0.2, 0.04, 0.95) at (0, 0, -100), the set-up camera
// the identity rotation at (0, 0, -100) with the current field of view. Also sets how the heap
// treats large blocks (see returnLargeBlocksWhenFreed).
void initApplicationState();

// Makes every block of a megabyte or more a mapping of its own, given back to the system when
// it is freed. The large arrays of a model (its own, the drawing's, the renderer's buffers) are
// replaced whole on every open and rebuild, in new sizes; kept in the heap once freed, as the
// allocator otherwise does, they stay resident beside their successors, and a session's peak
// memory grows by every size of array it has ever held.
void returnLargeBlocksWhenFreed();
