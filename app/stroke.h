// The lasso stroke as the mouse draws it: pointer positions mapped into overlay coordinates,
// smoothed by one step of averaging, and handed over as the closed lasso on release.
#pragma once

#include "mesh/vec.h"

// The overlay point of the pointer at window column x and row y (from the top):
// ((W + x) / 3, (2H - y) / 3) for the current window size. Drawn under gluOrtho2D(0, W, 0, H)
// on the viewport (-W, -H, 3W, 3H) it lands on the pointer's pixel.
Point2 toOverlayPoint(int x, int y);

// Empties lassoStroke.
void clearStroke();
// Empties lassoPolygon.
void clearPolygon();
// Appends p to lassoStroke, or, after the first point, the midpoint of p and the previous
// raw point; remembers p as lastStrokePoint.
void addStrokePoint(Point2 p);
// Draws lassoStroke as one line strip in the current colour and matrices.
void drawStroke();
