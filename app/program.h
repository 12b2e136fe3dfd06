// The two ways the program runs: the GUI in the GLUT main loop, and a session script offscreen.
#pragma once

#include <optional>
#include <string>
#include <vector>

class OffscreenContext;
class OffscreenWindowSystem;

// True when an X display (named by GLUT's -display option, else $DISPLAY) can be opened.
bool displayAvailable(int argc, char** argv);

// Start-up of the GUI: glutInit (which removes GLUT's options from argc/argv), the 3-D window
// "Make Hollowvista Models" with its handlers, the OpenGL, GLEW and DevIL state, the
// "GLUI version: " line, the control panel, the files named on the command line, then the
// GLUT main loop, which ends the process itself. Returns 2 after printing why when the
// remaining arguments are not usable.
int runGui(int& argc, char** argv);

// The 3-D window of a run without display: an offscreen context kept to the end of the process
// (static destruction still deletes the meshes' textures in it, and a leak check does not
// report it), installed as the window system, with the program's OpenGL, DevIL and start-up
// state. nullopt when no offscreen OpenGL context can be made.
struct OffscreenProgram {
    OffscreenContext* context;
    OffscreenWindowSystem* windows;
};
std::optional<OffscreenProgram> startOffscreenProgram();

// Runs the session script in scriptPath on an offscreen 640 x 480 window after opening files
// as the GUI would. Returns the script's status: 0 when it ran to its end, 2 when it could not
// be read, has a bad line or a command failed (reported as "script:LINE: reason"), 1 when no
// offscreen OpenGL context can be made.
int runBatch(const std::string& scriptPath, const std::vector<std::string>& files);
