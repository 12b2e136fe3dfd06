#include "app/app_state.h"
#include "app/stroke.h"

#include <GL/gl.h>

void drawStroke() {
    glBegin(GL_LINE_STRIP);
    for (const Point2& p : lassoStroke)
        glVertex2f(p.x, p.y);
    glEnd();
}
