// The control panel's one callback and the file and view commands it runs.
#pragma once

#include "app/panel.h"

#include <string>

// Runs the command of control id (found in the command table) with the 3-D window selected
// and then asks for that window to be redrawn. Identifiers without a command only do the
// selecting and the redraw.
void dispatchCommand(int id);
// The name of the undo step that control id's command makes ("Push, part 2"), or "" for a
// control that changes only the view or writes files.
std::string editStepName(int id);

// Set when a command could not write its files ("Export", "Export Solid", "Triangulate
// Faces"); it has printed why. A session script clears it before each command and stops when a
// command sets it; the panel leaves it alone.
extern bool commandFailed;

// "Quit": ends the process with the button's identifier, -1, as exit status.
[[noreturn]] void quitCommand();

// Runs what a control does once its live variable holds the new value: "Quit" ends the
// process, every other control with an identifier calls dispatchCommand with it.
void runControlCallback(const PanelControl& control);

// "Open Mesh": a model that loads replaces the input model, with the image its material names
// beside its MTL file as texture (when there is one), a fresh selection and every part's start
// settings; the output model becomes a plain copy. A cancelled dialog or a file that does not
// load changes nothing.
void openMeshCommand();
// What "Open Mesh" does with the path its dialog returned; true when the model loaded.
bool openMeshFile(const std::string& path);
// "Open Texture": an image that loads becomes the texture of both models; the output model
// keeps its positions. A cancelled dialog or an image that does not load changes nothing.
void openTextureCommand();
// What "Open Texture" does with the path its dialog returned; true when the image loaded.
bool openTextureFile(const std::string& path);
// "Back Face": both meshes draw their back faces as the checkbox says.
void backFaceCommand();
// "Wireframe": polygons of the 3-D window drawn as outlines or filled.
void wireframeCommand();
