#include "selection/view_transform_gl.h"

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
    RgbImage image(width, height);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    // Rows of 3 * width bytes are not a multiple of 4 for most widths: pack them tightly.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    glPopClientAttrib();
    return image;
}
