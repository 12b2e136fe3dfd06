#include "app/commands.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/command_table.h"
#include "app/edit_history.h"
#include "app/file_chooser.h"
#include "app/framing.h"
#include "app/panel.h"
#include "app/progress.h"
#include "app/selection_reset.h"
#include "app/session_file.h"
#include "app/status_block.h"
#include "platform/window_system.h"
#include "selection/view_transform_gl.h"

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

bool commandFailed = false;

namespace {

// Remembers the model file just read, for session files: its absolute path, size and hash.
void noteModelFile(const std::string& found) {
    openModelPath = std::filesystem::absolute(found).lexically_normal().string();
    const std::optional<FileFingerprint> print = fingerprintFile(found);
    openModelSize = print ? print->size : 0;
    openModelHash = print ? print->hash : 0;
    openTexturePath.clear();
}

} // namespace

void openMeshCommand() {
    openMeshFile(chooseInputFile(FileKind::Model));
}

bool openMeshFile(const std::string& path) {
    std::string texture;
    // A cancelled or failed open keeps the model and every part painted on it.
    progressStep("reading the model", 0);
    if (path.empty())
        return false;
    // The drawing's buffers of the open models go before the new model is read, so that the
    // renderer's copies of the old arrays are not held beside the new ones; should the read
    // fail, the next frame builds them again.
    inputMesh.caches.clear();
    outputMesh.caches.clear();
    if (!inputMesh.load(path, meshSearchDirs, &texture))
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
    noteModelFile(findFile(path, meshSearchDirs));
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
    outputMesh.textureOwner = inputMesh.textureOwner;
    outputMesh.textureOnAllFaces = true;
    const std::string found = findFile(path, meshSearchDirs);
    openTexturePath = found.empty() ? path : std::filesystem::absolute(found).string();
    return true;
}

void backFaceCommand() {
    inputMesh.drawBackFaces = backFace;
    outputMesh.drawBackFaces = backFace;
}

void wireframeCommand() {
    glPolygonMode(GL_FRONT_AND_BACK, wireframe != 0 ? GL_LINE : GL_FILL);
}

std::string editStepName(int id) {
    const std::string part = ", part " + std::to_string(currentPart);
    switch (id) {
    case kOpenMesh:
        return "Open Mesh";
    case kOpenTexture:
        return "Open Texture";
    case kSetUpCamera:
        return "Set Up a Camera";
    case kPush:
        return "Push" + part;
    case kBack:
        return "Back" + part;
    case kCompression:
        return "compression" + part;
    case kPreview:
        return "Preview";
    default:
        return "";
    }
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
    const auto run = [id] {
        for (const Command& c : commandTable())
            if (c.control == id && c.command)
                c.command();
    };
    const std::string step = editStepName(id);
    if (step.empty())
        run();
    else
        recordEdit(step, run);
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
