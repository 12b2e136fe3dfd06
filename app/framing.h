// "Frame Model": the framing that fits a model into the window from the start-up pose.
#pragma once

#include "app/trackball.h"
#include "mesh/vec.h"
#include "selection/projection.h"

#include <optional>
#include <string>
#include <vector>

// The camera a framing is chosen for: its rotation, its distance from the model (the
// translation is (0, 0, -distance)), its vertical field of view in degrees and the window's
// width / height. The window shows the middle third of the projection in each direction.
struct FramingView {
    Quat rotation;
    double distance;
    double fieldOfView;
    double aspect;
};

// The framing under which every finite vertex, seen from view, lies inside the window with the
// farthest reaching one at fill of the way from the middle to the window's edge, and between
// the clipping planes 5 and 200. The centre is the middle of the vertices' box as the view's
// rotation turns them, so the model sits in the middle of the window. No finite vertex, or all
// on one point: the identity framing (centred on that point). Returns nullopt when the model is
// too small or too large for a float scale to frame it (the scale it needs is not a finite,
// normal positive float, or the framed model would not be finite); refusal, when given, then
// receives "too small" or "too large".
std::optional<ModelFraming> fitModelIntoWindow(const std::vector<Vec3>& vertices,
                                               const FramingView& view, double fill = 0.85,
                                               std::string* refusal = nullptr);

// The line that suggests "Frame Model" for a model just opened, when seen under view's
// matrices in a width x height window its box reaches beyond the clipping planes or covers
// fewer than a sixth of the window's smaller side in both directions; "" otherwise (and for no
// vertices). The viewport is the program's, three times the window with the window in its
// middle, whatever view.viewport holds: before the first reshape OpenGL's viewport is still
// the window itself, which would make the model look three times smaller.
std::string framingAdvice(const std::vector<Vec3>& vertices, const ViewTransform& view, int width,
                          int height);
