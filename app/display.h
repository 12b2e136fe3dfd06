// Drawing of the 3-D window and keeping its size: the display and reshape handlers, the frame
// drawn at once, and the OpenGL error check around every frame. The GUI draws the window when
// asked to (an input, a command, a resize, an expose), never on idle.
#pragma once

// Prints "OpenGL Error: TEXT (File: FILE, line LINE)" on standard output when an OpenGL error
// is pending; fetches one error flag per call.
void checkGlError(const char* file, int line);

// One frame: the white reference cube, the model chosen by shownModel (the input model with
// the coat of its painted parts, drawPartPaint), the lasso stroke as a green overlay, then a
// buffer swap. Errors pending before and after are printed.
void displayScene();

// The picture of one frame drawn into the back buffer, without the swap, the error checks and
// the coat of paint: what the export's snapshot reads.
void renderScene();

// Viewport (-w, -h, 3w, 3h) and the stored window size; a height of 0 (a minimised window)
// changes nothing.
void reshapeWindow(int w, int h);

// Selects the 3-D window and draws a frame at once: the frame a session script draws after
// every command.
void idleRedraw();
