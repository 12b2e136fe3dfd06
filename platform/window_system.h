// The few window-system calls the handlers make, behind one interface: GLUT for the GUI,
// an offscreen EGL surface for batch runs and tests. Everything else is plain OpenGL in
// whatever context the window system made current.
#pragma once

#include <memory>

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    // Asks for the 3-D window to be drawn again.
    virtual void postRedisplay() = 0;
    virtual int currentWindow() = 0;
    virtual void setWindow(int id) = 0;
    virtual void swapBuffers() = 0;
    // Modifier keys held during the current input event (kShiftModifier bit).
    virtual int modifiers() = 0;
    // Makes modifiers() report bits until the next call: a scripted event with keys held.
    virtual void holdModifiers(int bits) = 0;
    // Gives the 3-D window a new size (the reshape handler follows). False when the window
    // system cannot make a window of that size.
    virtual bool resizeWindow(int width, int height) = 0;
    // The white reference cube: a wire cube of the given edge, centred on the origin.
    virtual void wireCube(double size) = 0;
};

constexpr int kShiftModifier = 1; // same bit as GLUT_ACTIVE_SHIFT

WindowSystem& windowSystem();
void setWindowSystem(std::unique_ptr<WindowSystem> system);

// Draws a wire cube exactly as freeglut's glutWireCube does (six line loops, one per face,
// with face normals), for window systems without GLUT.
void drawWireCube(double size);
