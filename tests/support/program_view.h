// The program's camera without OpenGL: gluPerspective(fov, w / h, 5, 200), a column-major
// model-view (by default the model 100 units in front of the eye) and the viewport three times
// the window with the window in its middle.
#pragma once

#include "selection/projection.h"

#include <algorithm>
#include <array>
#include <cmath>

inline ViewTransform programView(int w, int h, double fovDegrees = 30,
                                 const std::array<double, 16>& modelview = {
                                     1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -100, 1}) {
    ViewTransform view{};
    const double f = 1 / std::tan(fovDegrees * M_PI / 360), zNear = 5, zFar = 200;
    view.projection[0] = f * h / w;
    view.projection[5] = f;
    view.projection[10] = (zFar + zNear) / (zNear - zFar);
    view.projection[11] = -1;
    view.projection[14] = 2 * zFar * zNear / (zNear - zFar);
    std::copy(modelview.begin(), modelview.end(), view.modelview);
    const int viewport[4] = {-w, -h, 3 * w, 3 * h};
    std::copy_n(viewport, 4, view.viewport);
    return view;
}
