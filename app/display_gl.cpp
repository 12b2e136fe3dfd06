#include "app/display.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/picture_check.h"
#include "app/stroke.h"
#include "mesh/part_paint.h"
#include "platform/window_system.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

void checkGlError(const char* file, int line) {
    const GLenum code = glGetError();
    if (code != GL_NO_ERROR)
        std::printf("OpenGL Error: %s (File: %s, line %d)\n",
                    reinterpret_cast<const char*>(gluErrorString(code)), file, line);
}

namespace {

void drawReferenceCube() {
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    windowSystem().wireCube(10.0);
    glEnable(GL_LIGHTING);
    glColor3f(1, 1, 1);
}

// The stroke in window pixels, on top of everything: no depth test, lighting or culling.
void drawStrokeOverlay() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, windowWidth, 0, windowHeight);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glColor3f(0.3f, 1.0f, 0.3f);
    drawStroke();
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}

// One frame; with paintCoat, the painted parts of the input model get their coat of colour.
void drawScene(bool paintCoat) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applyUnframedProjection();
    drawReferenceCube();
    applyProjection();
    if (shownModel == 0)
        inputMesh.draw(false);
    else
        outputMesh.draw(true);
    if (paintCoat && shownModel == 0)
        drawPartPaint(inputMesh);
    if (paintCoat)
        drawPictureChanges();
    drawStrokeOverlay();
}

} // namespace

void renderScene() {
    // The export's snapshot is the converted model's texture: it keeps the look it always had.
    drawScene(false);
}

void displayScene() {
    checkGlError(__FILE__, __LINE__);
    drawScene(true);
    windowSystem().swapBuffers();
    checkGlError(__FILE__, __LINE__);
}

void reshapeWindow(int w, int h) {
    if (h == 0)
        return;
    glViewport(-w, -h, 3 * w, 3 * h);
    windowWidth = w;
    windowHeight = h;
    windowSystem().postRedisplay();
}

void idleRedraw() {
    windowSystem().setWindow(mainWindow);
    displayScene();
}
