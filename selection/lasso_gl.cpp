#include "selection/lasso_gl.h"

#include "selection/lasso.h"
#include "selection/view_transform_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

// Draws the lasso black on white over the whole window under a window-sized orthographic
// projection (on the viewport (-W, -H, 3W, 3H) an overlay point lands on its pixel).
void drawLassoMask(const std::vector<Point2>& polygon, int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, width, 0, height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL); // whatever "Wireframe" left in the window
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glColor3f(0, 0, 0);
    fillPolygonStencil(polygon);
    // The outline is drawn smoothed and blended: only its fully covered pixels turn black,
    // so the inside test takes pure black pixels only.
    glColor3f(0, 0, 0);
    drawPolygonOutline(polygon);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

} // namespace

void drawPolygonFan(const std::vector<Point2>& polygon) {
    glBegin(GL_TRIANGLE_FAN);
    for (const Point2& p : polygon)
        glVertex2f(p.x, p.y);
    glEnd();
}

void drawPolygonOutline(const std::vector<Point2>& polygon) {
    glBegin(GL_LINE_LOOP);
    for (const Point2& p : polygon)
        glVertex2f(p.x, p.y);
    glEnd();
}

void fillPolygonStencil(const std::vector<Point2>& polygon) {
    glEnable(GL_STENCIL_TEST);
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);
    // First fan: flip the stencil's low bit once per covering triangle, colour untouched.
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_ALWAYS, 0, 1);
    glStencilOp(GL_INVERT, GL_INVERT, GL_INVERT);
    drawPolygonFan(polygon);
    // Second fan: colour only the pixels covered an odd number of times.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilFunc(GL_NOTEQUAL, 0, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    drawPolygonFan(polygon);
    glDisable(GL_STENCIL_TEST);
}

void applyLasso(SimpleMesh& input, const std::vector<Point2>& polygon, int part, int width,
                int height, const std::function<void()>& applyProjection, std::ostream& trace) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    drawLassoMask(polygon, width, height);
    const RgbImage mask = readWindow(width, height);
    const ViewTransform view = viewTransformAfter(applyProjection);
    paintLasso(input, mask, view, part, trace);
    trace.flush();
    glPopAttrib();
}
