#include "app/commands.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/file_chooser.h"
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
        // "Push": moves the current part one step deeper and rebuilds the output.
        break;
    case kBack:
        // "Back": moves the current part one step nearer and rebuilds the output.
        break;
    case kCompression:
        // Compression spinner: stores compressionValue for the current part and rebuilds.
        break;
    case kPreview:
        // "Preview": measures every part under the set-up camera and converts the model.
        break;
    case kExport:
        // "Export": writes the converted model and its texture snapshot.
        break;
    case kTriangulate:
        // "Triangulate Faces": writes the visible faces split into triangles.
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
