// "Trim Hidden": the output model is converted from the input model cut to what the set-up
// camera sees, so that the mirror cannot bring a covered part of a face in front of what
// covered it.
#pragma once

#include "mesh/simple_mesh.h"
#include "selection/trim_hidden.h"

#include <vector>

// Live variable of "Trim Hidden" (0 at start).
extern int trimHidden;

// The model the output model was converted from: the cut model of the last trimmed rebuild
// when the output model is that rebuild's, else the input model. "Export", "Export Solid",
// "Triangulate Faces" and the picture's measure pair the output model with it.
const SimpleMesh& conversionInput();

// Per face of the output model, the face of the input model it is a piece of; null when the
// output model is not a trimmed one (its faces are the input's).
const std::vector<int>* outputSourceFaces();

// trimToVisible of input, made again only when its geometry or the camera changed since the
// last cut: the rebuilds of "Push", "Back", the compression and the second round of "Preview"
// take the last cut, with input's selection as it is now. The cut model's faces are its own,
// so that each rebuild's cut is told apart from the others kept.
TrimmedModel cutToVisible(const SimpleMesh& input, const ViewTransform& view, bool backFaces,
                          const StepProgress& progress = {});

// Starts the cut that cutToVisible(input, view, backFaces) will want on a thread of its own,
// unless it is made or under way already: what the caller does meanwhile (the first measuring
// round of "Preview") runs beside it.
void startCutting(const SimpleMesh& input, const ViewTransform& view, bool backFaces);

// Lets go of the last cut: the next rebuild cuts afresh (for measuring a first cut).
void forgetLastCut();

// Keeps the cut model that the output model is now converted from, with the output model the
// same rebuild made from the whole faces (the last few are kept, so that an undo back to an
// earlier trimmed output still finds its own).
void keepTrimmedInput(SimpleMesh cut, std::vector<int> sourceFace, SimpleMesh wholeOutput);

// The output model as converted from the whole faces: the one a session file holds, whose
// faces are the input model's (a trimmed output model is made again from it when opened).
const SimpleMesh& wholeFaceOutput();

// After a session is opened: with "Trim Hidden" on and the parts measured, the output model
// is rebuilt trimmed.
void reapplyTrimHidden();

// "Trim Hidden" was switched: once the parts are measured the output model is rebuilt at once.
void trimHiddenCommand();
