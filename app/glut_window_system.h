// The window system of the GUI: freeglut.
#pragma once

#include "app/window_system.h"

class GlutWindowSystem : public WindowSystem {
  public:
    void postRedisplay() override;
    int currentWindow() override;
    void setWindow(int id) override;
    void swapBuffers() override;
    int modifiers() override;
    void wireCube(double size) override;
};
