#include "app/commands.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/command_table.h"
#include "app/file_chooser.h"
#include "app/framing.h"
#include "app/panel.h"
#include "app/progress.h"
#include "app/selection_reset.h"
#include "app/status_block.h"
#include "platform/window_system.h"
#include "selection/view_transform_gl.h"

#include <GL/gl.h>

#include <cstdlib>
#include <iostream>
#include <string>

bool commandFailed = false;

void openMeshCommand() {
    openMeshFile(chooseInputFile(FileKind::Model));
}

bool openMeshFile(const std::string& path) {
    std::string texture;
    // A cancelled or failed open keeps the model and every part painted on it.
    progressStep("reading the model", 0);
    if (path.empty() || !inputMesh.load(path, meshSearchDirs, &texture))
        return false;
    progressStep("reading the texture", 0.8);
    if (!texture.empty())
        inputMesh.loadTexture(texture, meshSearchDirs);
    inputMesh.loadMaterialTextures();
    progressStep("framing", 0.9);
    const std::string advice = framingAdvice(
        inputMesh.vertices, viewTransformAfter(applyProjection), windowWidth, windowHeight);
    if (!advice.empty())
        std::cerr << advice << std::endl;
    resetSelectionState(inputMesh);
    resetPartSettings();
    outputMesh = inputMesh;
    noteModelOpened();
    return true;
}

void openTextureCommand() {
    openTextureFile(chooseInputFile(FileKind::Image));
}

bool openTextureFile(const std::string& path) {
    // The output model keeps its conversion: only the picture changes, in both models.
    if (path.empty() || !inputMesh.loadTexture(path, meshSearchDirs))
        return false;
    outputMesh.textureId = inputMesh.textureId;
    outputMesh.textureOnAllFaces = true;
    return true;
}

void backFaceCommand() {
    inputMesh.drawBackFaces = backFace;
    outputMesh.drawBackFaces = backFace;
}

void wireframeCommand() {
    glPolygonMode(GL_FRONT_AND_BACK, wireframe != 0 ? GL_LINE : GL_FILL);
}

void dispatchCommand(int id) {
    // The panel calls in with its own window current; every command works in the 3-D
    // window's OpenGL context.
    windowSystem().setWindow(mainWindow);
    const int button = findControl(ControlKind::Button, id);
    // The button's label names the command ("Preview" is padded with spaces to its width).
    std::string name = button >= 0 ? panelControls()[button].label : "";
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    const CommandProgress progress(name);
    for (const Command& c : commandTable())
        if (c.control == id && c.command)
            c.command();
    windowSystem().postRedisplay();
    std::cout.flush(); // a log written to a file shows each command's lines when they happen
}

void quitCommand() {
    // Static destruction deletes the meshes' textures: let it happen in their context.
    windowSystem().setWindow(mainWindow);
    std::exit(kQuit);
}

void runControlCallback(const PanelControl& control) {
    if (control.callback == ControlCallback::Quit)
        quitCommand();
    if (control.callback == ControlCallback::Dispatch && control.id)
        dispatchCommand(*control.id);
}
