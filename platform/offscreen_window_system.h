// The window system of batch runs and tests: one offscreen EGL surface stands for the 3-D
// window. Redisplay requests are counted, not acted on: the session runner draws a frame
// after every command as the idle handler would.
#pragma once

#include "platform/offscreen_context.h"
#include "platform/window_system.h"

class OffscreenWindowSystem : public WindowSystem {
  public:
    explicit OffscreenWindowSystem(OffscreenContext& context) : context_(context) {}
    void postRedisplay() override { ++redisplayRequests; }
    int currentWindow() override { return window_; }
    void setWindow(int id) override { window_ = id; }
    void swapBuffers() override { context_.swapBuffers(); }
    int modifiers() override { return heldModifiers_; }
    void holdModifiers(int bits) override { heldModifiers_ = bits; }
    bool resizeWindow(int width, int height) override { return context_.resize(width, height); }
    void wireCube(double size) override { drawWireCube(size); }

    int redisplayRequests = 0;

  private:
    OffscreenContext& context_;
    int window_ = 1;
    int heldModifiers_ = 0;
};
