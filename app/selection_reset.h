// The fresh selection state that "Open Mesh" gives a model, and the per-part settings reset.
#pragma once

class SimpleMesh;

// Every face visible and in no part, every vertex in no part, invisible faces drawn
// translucent (hideInvisibleFaces 0) and back faces drawn (drawBackFaces 1).
void resetSelectionState(SimpleMesh& mesh);

// Every part: position 0.5, compression 1, median 0.5, minimum 1, maximum 0, none measured;
// the spinner's variable compressionValue 1.
void resetPartSettings();
