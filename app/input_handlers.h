// The mouse and keyboard handlers of the 3-D window. Buttons, states and keys carry GLUT's
// values, so the same functions serve GLUT and the session-script runner.
#pragma once

constexpr int kLeftButton = 0;   // GLUT_LEFT_BUTTON
constexpr int kMiddleButton = 1; // GLUT_MIDDLE_BUTTON
constexpr int kRightButton = 2;  // GLUT_RIGHT_BUTTON
constexpr int kButtonDown = 0;   // GLUT_DOWN
constexpr int kButtonUp = 1;     // GLUT_UP
constexpr unsigned char kEscapeKey = 27;

// Camera mode: Shift+left press toggles the face under the pointer; left, middle and right
// presses start a rotate, dolly or pan drag when none runs; any release ends it.
// Lasso mode (any button): a press starts a new stroke, a release closes it into the lasso
// and paints it. Always posts a redisplay.
void mouseButton(int button, int state, int x, int y);

// Motion with a button held: moves the camera drag and draws at once (Camera mode), or
// extends the stroke (Lasso mode). Posts a redisplay.
void mouseMotion(int x, int y);

// Esc and q end the process with status 0; c prints the camera; g stores the set-up camera;
// r resets the view; s loads the set-up camera; d pairs border triangles. Every key but Esc
// and q posts a redisplay; others do nothing else.
void keyPressed(unsigned char key, int x, int y);
