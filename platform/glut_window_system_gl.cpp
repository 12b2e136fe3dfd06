#include "platform/glut_window_system.h"

#include <GL/freeglut.h>

void GlutWindowSystem::postRedisplay() {
    glutPostRedisplay();
}

int GlutWindowSystem::currentWindow() {
    return glutGetWindow();
}

void GlutWindowSystem::setWindow(int id) {
    if (id > 0)
        glutSetWindow(id);
}

void GlutWindowSystem::swapBuffers() {
    glutSwapBuffers();
}

int GlutWindowSystem::modifiers() {
    return (glutGetModifiers() & GLUT_ACTIVE_SHIFT) ? kShiftModifier : 0;
}

bool GlutWindowSystem::resizeWindow(int width, int height) {
    glutReshapeWindow(width, height);
    return true;
}

void GlutWindowSystem::wireCube(double size) {
    glutWireCube(size);
}
