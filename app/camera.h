// The view camera as the program uses it: the projection of the current view, running a step
// under the set-up camera, the stored poses the keys r, s and g move between, and the print
// of key c.
#pragma once

#include <functional>
#include <iosfwd>

// Loads the perspective projection (fieldOfView, window aspect, near 5, far 200) and the
// model-view matrix translation * rotation of viewCamera * viewFraming into the current
// OpenGL context;
// also copies the window size into viewCamera. Leaves GL_MODELVIEW as the matrix mode.
void applyProjection();
// The same without the view's framing: for what belongs to the view rather than to the model
// (the reference cube keeps its size on the screen whatever the framing).
void applyUnframedProjection();

// Runs step with setupCamera as the view (rotation, translation, field of view truncated to
// an int, framing) and afterwards puts the user's view back exactly, whatever step did to it. Drag
// state and window size are not touched.
void withSetupCamera(const std::function<void()>& step);

// "Set Up a Camera" and key g: setupCamera becomes the current view, field of view and framing.
void storeSetupCamera();
// Key s: the view takes setupCamera's rotation, translation, field of view and framing.
void loadSetupCamera();
// "Frame Model" and key f: the view goes to the start-up pose and frames the input model so
// that it fills most of the window from there (see fitModelIntoWindow). The model's own
// coordinates are untouched; the framing is part of the view, stored with the set-up camera.
void frameModel();
// Key r, and the start-up pose: field of view 30, rotation (-0.21, 0.2, 0.04, 0.95),
// translation (0, 0, -100).
void resetViewCamera();

// Key c: three lines "camera qrot: (x,y,z,w)", "camera trans: (x,y,z)" and
// "camera distance: D" (D = |translation| / 10), numbers in the stream's default format; then,
// while the view frames the model, "camera framing: scale S about (x,y,z)".
void printCamera(std::ostream& out);
void printCamera();
