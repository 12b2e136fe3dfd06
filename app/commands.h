// The control panel's one callback and the file and view commands it runs.
#pragma once

#include "app/panel.h"

// Runs the command of control id (found in the command table) with the 3-D window selected
// and then asks for that window to be redrawn. Identifiers without a command only do the
// selecting and the redraw.
void dispatchCommand(int id);

// "Quit": ends the process with the button's identifier, -1, as exit status.
[[noreturn]] void quitCommand();

// Runs what a control does once its live variable holds the new value: "Quit" ends the
// process, every other control with an identifier calls dispatchCommand with it.
void runControlCallback(const PanelControl& control);

// "Open Mesh": whether or not a file was chosen or could be read, the model that the mesh now
// holds gets a fresh selection, every part its start settings, and the output a plain copy.
void openMeshCommand();
// "Open Texture": the output is recopied even when the dialog was cancelled, which drops any
// conversion until the next rebuild.
void openTextureCommand();
// "Back Face": both meshes draw their back faces as the checkbox says.
void backFaceCommand();
// "Wireframe": polygons of the 3-D window drawn as outlines or filled.
void wireframeCommand();
