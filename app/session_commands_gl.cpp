#include "app/session_commands.h"

#include "app/app_state.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/edit_history.h"
#include "app/session_file.h"
#include "app/status_block.h"
#include "platform/replace_file.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

SessionData currentSession() {
    SessionData d;
    d.modelPath = openModelPath;
    d.model = {openModelSize, openModelHash};
    d.texturePath = openTexturePath;
    d.viewRotation = viewCamera.rotation;
    d.viewTranslation = viewCamera.translation;
    d.fieldOfView = fieldOfView;
    d.viewFraming = viewFraming;
    d.setupCamera = setupCamera;
    const StatusNotes notes = currentStatusNotes();
    d.setupCameraStored = notes.setupCameraStored;
    d.paintingChangedSincePreview = !notes.facePartAtPreview.sharesWith(inputMesh.facePart) ||
                                    !notes.vertexPartAtPreview.sharesWith(inputMesh.vertexPart);
    d.shownModel = shownModel;
    d.backFace = backFace;
    d.wireframe = wireframe;
    d.currentPart = currentPart;
    d.editMode = editMode;
    d.compressionValue = compressionValue;
    for (int p = 0; p < 4; ++p) {
        d.position[p] = partPosition[p];
        d.compression[p] = partCompression[p];
        d.minDepth[p] = partMinDepth[p];
        d.maxDepth[p] = partMaxDepth[p];
        d.medianDepth[p] = partMedianDepth[p];
    }
    d.measured = partsMeasured;
    d.inputHideInvisible = inputMesh.hideInvisibleFaces;
    d.outputHideInvisible = outputMesh.hideInvisibleFaces;
    d.arrays = encodeMeshArrays(inputMesh, outputMesh);
    return d;
}

// What an edit does not keep: the view and the panel's display settings.
struct ViewState {
    Trackball camera;
    int fieldOfView, shownModel, backFace, wireframe, currentPart, editMode;
    ModelFraming framing;
    float compressionValue;
};

ViewState currentView() {
    return {viewCamera,  fieldOfView, shownModel,  backFace,        wireframe,
            currentPart, editMode,    viewFraming, compressionValue};
}

void restoreView(const ViewState& v) {
    viewCamera = v.camera;
    fieldOfView = v.fieldOfView;
    shownModel = v.shownModel;
    backFace = v.backFace;
    wireframe = v.wireframe;
    currentPart = v.currentPart;
    editMode = v.editMode;
    viewFraming = v.framing;
    compressionValue = v.compressionValue;
    backFaceCommand();
    wireframeCommand();
}

// Reads the session's model and texture and puts its state in place; "" or why not.
std::string applySession(const SessionData& d) {
    const std::optional<FileFingerprint> print = fingerprintFile(d.modelPath);
    if (!print)
        return "its model is missing: " + d.modelPath;
    if (!(*print == d.model))
        return "its model has changed since the session was saved: " + d.modelPath;
    if (!openMeshFile(d.modelPath))
        return "its model cannot be read: " + d.modelPath;
    if (!d.texturePath.empty() && !openTextureFile(d.texturePath))
        return "its texture cannot be read: " + d.texturePath;
    const std::string misfit = decodeMeshArrays(d.arrays, inputMesh, outputMesh);
    if (!misfit.empty())
        return "its arrays do not fit the model: " + misfit;
    inputMesh.hideInvisibleFaces = d.inputHideInvisible;
    outputMesh.hideInvisibleFaces = d.outputHideInvisible;
    for (int p = 0; p < 4; ++p) {
        partPosition[p] = d.position[p];
        partCompression[p] = d.compression[p];
        partMinDepth[p] = d.minDepth[p];
        partMaxDepth[p] = d.maxDepth[p];
        partMedianDepth[p] = d.medianDepth[p];
    }
    partsMeasured = d.measured;
    setupCamera = d.setupCamera;
    StatusNotes notes{d.setupCameraStored, {}, {}};
    if (!d.paintingChangedSincePreview) {
        notes.facePartAtPreview = inputMesh.facePart;
        notes.vertexPartAtPreview = inputMesh.vertexPart;
    }
    restoreStatusNotes(notes);
    viewCamera.rotation = d.viewRotation;
    viewCamera.translation = d.viewTranslation;
    fieldOfView = d.fieldOfView;
    viewFraming = d.viewFraming;
    shownModel = d.shownModel;
    backFace = d.backFace;
    wireframe = d.wireframe;
    currentPart = d.currentPart;
    editMode = d.editMode;
    compressionValue = d.compressionValue;
    inputMesh.drawBackFaces = outputMesh.drawBackFaces = backFace;
    wireframeCommand();
    return "";
}

} // namespace

std::string saveSessionFile(const std::string& path) {
    if (openModelPath.empty())
        return "no model is open";
    const std::string text = sessionText(currentSession());
    const std::string failed = replaceFile(path, [&text](const std::string& temp) {
        std::ofstream out(temp, std::ios::binary);
        out << text;
        out.close();
        return out ? std::string() : "cannot write " + temp + ": " + errnoText();
    });
    if (!failed.empty())
        return failed;
    std::cout << "Session saved: " << path << std::endl;
    return "";
}

std::string openSessionFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "cannot read " + path;
    std::ostringstream content;
    content << in.rdbuf();
    std::string why;
    const std::optional<SessionData> data = parseSessionText(content.str(), why);
    if (!data)
        return path + " is " + why;
    EditState before = captureEditState();
    const ViewState view = currentView();
    why = applySession(*data);
    if (!why.empty()) {
        restoreEditState(before);
        restoreView(view);
        return path + ": " + why;
    }
    recordStep("Open Session", std::move(before));
    std::cout << "Session opened: " << path << std::endl;
    return "";
}

std::string scriptedSaveSession(const CommandArgs& args) {
    const std::string why = saveSessionFile(args.path);
    if (!why.empty())
        std::cout << "save-session: " << why << std::endl;
    return "";
}

std::string scriptedOpenSession(const CommandArgs& args) {
    const std::string why = openSessionFile(args.path);
    if (!why.empty())
        std::cout << "open-session: " << why << std::endl;
    return "";
}
