// The mouse and keyboard handlers of the 3-D window. Buttons, states and keys carry GLUT's
// values, so the same functions serve GLUT and the session-script runner.
#pragma once

#include <string>

constexpr int kLeftButton = 0;   // GLUT_LEFT_BUTTON
constexpr int kMiddleButton = 1; // GLUT_MIDDLE_BUTTON
constexpr int kRightButton = 2;  // GLUT_RIGHT_BUTTON
constexpr int kWheelUp = 3;      // freeglut reports a wheel notch as a press and release
constexpr int kWheelDown = 4;    // of these buttons
constexpr int kButtonDown = 0;   // GLUT_DOWN
constexpr int kButtonUp = 1;     // GLUT_UP
constexpr unsigned char kEscapeKey = 27;
constexpr unsigned char kControlZ = 26; // what the window system reports for Ctrl+Z
constexpr unsigned char kControlY = 25; // and Ctrl+Y

// Camera mode: Shift+left press toggles the face under the pointer; left, middle and right
// presses start a rotate, dolly or pan drag when none runs; any release ends it; a wheel notch
// (the press of kWheelUp or kWheelDown) moves the model nearer or farther (Trackball::wheel)
// and leaves a running drag alone.
// Lasso mode (any button but the wheel's): a press starts a new stroke, a release closes it
// into the lasso and paints it. Always posts a redisplay.
void mouseButton(int button, int state, int x, int y);

// Motion with a button held: moves the camera drag and draws at once (Camera mode), or
// extends the stroke (Lasso mode). Posts a redisplay.
void mouseMotion(int x, int y);

// Esc and q end the process with status 0; c prints the camera; g stores the set-up camera;
// r resets the view; s loads the set-up camera; d pairs border triangles; Ctrl+Z undoes the
// last edit, Ctrl+Shift+Z and Ctrl+Y redo. Every key but Esc
// and q posts a redisplay; others do nothing else.
void keyPressed(unsigned char key, int x, int y);

// The same events as a session script gives them (see the command table): each calls the
// handlers above as the window system would, and returns "" or why it could not be carried
// out. A frame is drawn after each motion step of a drag, as in the GUI.
struct CommandArgs;
std::string scriptedWindowSize(const CommandArgs& args); // resize, then the reshape handler
std::string scriptedKey(const CommandArgs& args);        // at the last pointer position
std::string scriptedPress(const CommandArgs& args);
std::string scriptedMove(const CommandArgs& args);
std::string scriptedRelease(const CommandArgs& args);
std::string scriptedDrag(const CommandArgs& args);
std::string scriptedWheel(const CommandArgs& args);  // one notch up (value 0) or down (1)
std::string scriptedCamera(const CommandArgs& args); // the view's pose, no redraw of its own
std::string scriptedScreenshot(const CommandArgs& args);
