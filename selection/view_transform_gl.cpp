#include "selection/view_transform_gl.h"

#include "platform/image_file.h"

#include <GL/gl.h>

ViewTransform readViewTransform() {
    ViewTransform view{};
    glGetDoublev(GL_MODELVIEW_MATRIX, view.modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, view.projection);
    glGetIntegerv(GL_VIEWPORT, view.viewport);
    return view;
}

ViewTransform viewTransformAfter(const std::function<void()>& applyProjection) {
    applyProjection();
    return readViewTransform();
}

RgbImage readWindow(int width, int height) {
    if (width < 1 || height < 1)
        return RgbImage();
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels = readPixels(width, height, 3);
    return image;
}
