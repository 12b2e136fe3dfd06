// Reading the state a measuring pass needs from the current OpenGL context.
#pragma once

#include "selection/projection.h"
#include "selection/rgb_image.h"

#include <functional>

// The current model-view and projection matrices and the viewport, read once.
ViewTransform readViewTransform();

// Runs applyProjection (which loads the camera's matrices) and reads the result once.
ViewTransform viewTransformAfter(const std::function<void()>& applyProjection);

// Reads the bottom-left width x height pixels of the current read buffer as RGB bytes, with
// the pack state set so that rows are tightly packed whatever the width; the client pixel
// state is restored afterwards. A size below 1 gives an empty image.
RgbImage readWindow(int width, int height);
