// The window system of the GUI: freeglut.
#pragma once

#include "platform/window_system.h"

class GlutWindowSystem : public WindowSystem {
  public:
    void postRedisplay() override;
    int currentWindow() override;
    void setWindow(int id) override;
    void swapBuffers() override;
    int modifiers() override;
    void holdModifiers(int) override {} // session scripts run offscreen only
    bool resizeWindow(int width, int height) override;
    void wireCube(double size) override;
};
