#include "platform/window_system.h"

#include <GL/gl.h>

namespace {

// Draws nothing and reports no modifiers: the state before a real window system is chosen.
class NoWindowSystem : public WindowSystem {
  public:
    void postRedisplay() override {}
    int currentWindow() override { return 0; }
    void setWindow(int) override {}
    void swapBuffers() override {}
    int modifiers() override { return 0; }
    void holdModifiers(int) override {}
    bool resizeWindow(int, int) override { return false; }
    void wireCube(double size) override { drawWireCube(size); }
};

std::unique_ptr<WindowSystem>& holder() {
    static std::unique_ptr<WindowSystem> system = std::make_unique<NoWindowSystem>();
    return system;
}

} // namespace

WindowSystem& windowSystem() {
    return *holder();
}

void setWindowSystem(std::unique_ptr<WindowSystem> system) {
    holder() = system ? std::move(system) : std::make_unique<NoWindowSystem>();
}

void drawWireCube(double size) {
    // freeglut's cube: eight corners, six faces as line loops, each with its face normal.
    static const GLfloat corners[8][3] = {{.5f, .5f, .5f},   {-.5f, .5f, .5f},  {-.5f, -.5f, .5f},
                                          {.5f, -.5f, .5f},  {.5f, -.5f, -.5f}, {.5f, .5f, -.5f},
                                          {-.5f, .5f, -.5f}, {-.5f, -.5f, -.5f}};
    static const GLubyte faces[6][4] = {{0, 1, 2, 3}, {0, 3, 4, 5}, {0, 5, 6, 1},
                                        {1, 6, 7, 2}, {7, 4, 3, 2}, {4, 7, 6, 5}};
    static const GLfloat normals[6][3] = {{0, 0, 1},  {1, 0, 0},  {0, 1, 0},
                                          {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    const float s = static_cast<float>(size);
    for (int f = 0; f < 6; ++f) {
        glBegin(GL_LINE_LOOP);
        for (int k = 0; k < 4; ++k) {
            const GLfloat* c = corners[faces[f][k]];
            glNormal3fv(normals[f]);
            glVertex3f(c[0] * s, c[1] * s, c[2] * s);
        }
        glEnd();
    }
}
