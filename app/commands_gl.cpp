#include "app/commands.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/command_table.h"
#include "app/file_chooser.h"
#include "app/framing.h"
#include "app/selection_reset.h"
#include "platform/window_system.h"
#include "selection/view_transform_gl.h"

#include <GL/gl.h>

#include <cstdlib>
#include <iostream>
#include <string>

void openMeshCommand() {
    const std::string path = chooseInputFile();
    std::string texture;
    // A cancelled or failed open keeps the model and every part painted on it.
    if (path.empty() || !inputMesh.load(path, meshSearchDirs, &texture))
        return;
    if (!texture.empty())
        inputMesh.loadTexture(texture, meshSearchDirs);
    inputMesh.loadMaterialTextures();
    const std::string advice = framingAdvice(
        inputMesh.vertices, viewTransformAfter(applyProjection), windowWidth, windowHeight);
    if (!advice.empty())
        std::cerr << advice << std::endl;
    resetSelectionState(inputMesh);
    resetPartSettings();
    outputMesh = inputMesh;
}

void openTextureCommand() {
    const std::string path = chooseInputFile();
    // The output model keeps its conversion: only the picture changes, in both models.
    if (!path.empty() && inputMesh.loadTexture(path, meshSearchDirs)) {
        outputMesh.textureId = inputMesh.textureId;
        outputMesh.textureOnAllFaces = true;
    }
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
    for (const Command& c : commandTable())
        if (c.control == id && c.command)
            c.command();
    windowSystem().postRedisplay();
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
