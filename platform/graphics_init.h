// OpenGL, GLEW and DevIL state that the program sets once its 3-D window's context is current.
#pragma once

// Clear colour, the eye-fixed light, colour material, depth test, culling, blending, alpha
// test, smooth lines, 2-D texturing, and DevIL with its OpenGL renderer. headless = the
// context is an offscreen EGL one (GLEW then reports "no GLX display", which is expected).
void initGraphicsState(bool headless);

// Turns off the wait for vertical retrace where the platform can do so safely.
void disableSwapWait();
