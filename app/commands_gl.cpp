#include "app/commands.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/file_chooser.h"
#include "app/part_commands.h"
#include "app/selection_reset.h"
#include "app/window_system.h"

#include <GL/gl.h>

#include <cstdlib>
#include <string>

namespace {

// "Open Mesh": whether or not a file was chosen or could be read, the model that the mesh now
// holds gets a fresh selection, every part its start settings, and the output a plain copy.
void openMeshCommand() {
    const std::string path = chooseInputFile();
    if (!path.empty())
        inputMesh.load(path, meshSearchDirs);
    resetSelectionState(inputMesh);
    resetPartSettings();
    outputMesh = inputMesh;
}

// "Open Texture": the output is recopied even when the dialog was cancelled, which drops any
// conversion until the next rebuild.
void openTextureCommand() {
    const std::string path = chooseInputFile();
    if (!path.empty())
        inputMesh.loadTexture(path, meshSearchDirs);
    outputMesh = inputMesh;
}

void backFaceCommand() {
    inputMesh.drawBackFaces = backFace;
    outputMesh.drawBackFaces = backFace;
}

void wireframeCommand() {
    glPolygonMode(GL_FRONT_AND_BACK, wireframe != 0 ? GL_LINE : GL_FILL);
}

void runCommand(int id) {
    switch (id) {
    case kOpenMesh:
        openMeshCommand();
        break;
    case kOpenTexture:
        openTextureCommand();
        break;
    case kSetUpCamera:
        storeSetupCamera();
        break;
    case kPush:
        pushCommand();
        break;
    case kBack:
        backCommand();
        break;
    case kCompression:
        compressionCommand();
        break;
    case kPreview:
        previewCommand();
        break;
    case kExport:
        exportCommand();
        break;
    case kTriangulate:
        triangulateCommand();
        break;
    case kBackFace:
        backFaceCommand();
        break;
    case kWireframe:
        wireframeCommand();
        break;
    case kEditMode:
    case kParts:
    case kShownModel:
        // The new live value takes effect where it is read; only the redraw is needed.
        break;
    default:
        break;
    }
}

} // namespace

void dispatchCommand(int id) {
    // The panel calls in with its own window current; every command works in the 3-D
    // window's OpenGL context.
    windowSystem().setWindow(mainWindow);
    runCommand(id);
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
