// The status block of the panel: where the user stands, read from the application state each
// time the panel is drawn. Nothing of it goes to the console.
#pragma once

#include "mesh/shared.h"

#include <string>
#include <vector>

// "Set Up a Camera", key g: the set-up camera now holds a view the user chose.
void noteSetupCameraStored();
// "Preview" has just converted the model: later painting makes the output out of date.
void notePreviewPainting();
// "Open Mesh" loaded a model: nothing is converted, the set-up camera stays as it was.
void noteModelOpened();
// Start-up: no camera set up, nothing converted.
void resetStatusNotes();

// What the notes above remember, so that undo can put them back with the rest of the state.
struct StatusNotes {
    bool setupCameraStored = false;
    Shared<std::vector<int>> facePartAtPreview, vertexPartAtPreview;
};
StatusNotes currentStatusNotes();
void restoreStatusNotes(const StatusNotes& notes);

// The block's lines, each ending in a line break:
//   "Camera: not set up" | "Camera: set up"
//   "Output: not converted yet" | "Output: converted" | "Output: painting changed since Preview"
// then for parts 1 to 3 two lines (the current part's first one starts with "> " instead of
// two spaces):
//   "  Part N: F faces"
//   "    position P, compression C"
// F counts the faces of the input model painted whole into part N; P (five decimals: a step
// of "Push" is a twentieth of the part's depth range, often a few ten-thousandths) and C
// (three decimals) are the part's mirror depth and compression.
std::string statusText();
