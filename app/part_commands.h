// The mouse-driven part-editing steps: closing a lasso and toggling one face by hand.
#pragma once

// Lasso release: paints the faces inside lassoPolygon into currentPart and leaves lassoStroke
// and lassoPolygon empty.
void applyLassoCommand();

// Shift+click in Camera mode at window pixel (x, y), y counted from the top: names the face
// under the pointer and switches it in or out of the visible faces, then rebuilds the output
// model.
void toggleFaceCommand(int x, int y);
