// The window system of batch runs and tests: one offscreen EGL surface stands for the 3-D
// window. Redisplay requests are counted, not acted on: the session runner draws a frame
// after every command as the idle handler would.
#pragma once

#include "app/offscreen_context.h"
#include "app/window_system.h"

class OffscreenWindowSystem : public WindowSystem {
  public:
    explicit OffscreenWindowSystem(OffscreenContext& context) : context_(context) {}
    void postRedisplay() override { ++redisplayRequests; }
    int currentWindow() override { return window_; }
    void setWindow(int id) override { window_ = id; }
    void swapBuffers() override { context_.swapBuffers(); }
    int modifiers() override { return heldModifiers; }
    void wireCube(double size) override { drawWireCube(size); }

    int heldModifiers = 0; // set by the session runner around a scripted press
    int redisplayRequests = 0;

  private:
    OffscreenContext& context_;
    int window_ = 1;
};
