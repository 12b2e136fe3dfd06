// Start-up of the program: the GUI in the GLUT main loop, or the offscreen 3-D window of a run
// without display.
#pragma once

#include <string>
#include <vector>

// True when an X display (named by GLUT's -display option, else $DISPLAY) can be opened.
bool displayAvailable(int argc, char** argv);

// glutInit, which removes GLUT's own options from argc/argv.
void initGlut(int& argc, char** argv);

// The GUI after initGlut: the 3-D window "Make Hollowvista Models" with its handlers, the
// OpenGL, GLEW and DevIL state, the "GLUI version: " line, the control panel, the files given
// (opened as "Open Mesh" and "Open Texture" open a choice), then the GLUT main loop, which ends
// the process itself.
[[noreturn]] void runGui(const std::vector<std::string>& files);

// The 3-D window of a run without display: an offscreen context kept to the end of the process
// (static destruction still deletes the meshes' textures in it, and a leak check does not
// report it), installed as the window system, with the program's OpenGL, DevIL and start-up
// state. False when no offscreen OpenGL context can be made.
bool startOffscreenProgram();

// "GLUI version: " and the panel library's version on standard error.
void printPanelVersion();

// The model and texture named on the command line, opened as "Open Mesh" and "Open Texture"
// open what the dialog returns. Returns "" when both opened, else why not (the first that did
// not open; a texture is not tried after a model that did not open).
std::string openStartupFiles(const std::vector<std::string>& files);
