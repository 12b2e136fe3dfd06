#include "app/camera.h"

#include "app/app_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

void loadCamera(bool framed) {
    viewCamera.width = windowWidth;
    viewCamera.height = windowHeight;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, static_cast<double>(windowWidth) / windowHeight, 5.0, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const auto& t = viewCamera.translation;
    glTranslatef(t[0], t[1], t[2]);
    const std::array<float, 16> rotation = quaternionToMatrix(viewCamera.rotation);
    glMultMatrixf(rotation.data());
    if (framed && !viewFraming.isIdentity()) {
        const auto& c = viewFraming.centre;
        glScalef(viewFraming.scale, viewFraming.scale, viewFraming.scale);
        glTranslatef(-c[0], -c[1], -c[2]);
    }
}

} // namespace

void applyProjection() {
    loadCamera(true);
}

void applyUnframedProjection() {
    loadCamera(false);
}
