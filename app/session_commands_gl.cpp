#include "app/session_commands.h"

#include "app/app_state.h"
#include "app/command_table.h"
#include "app/commands.h"
#include "app/edit_history.h"
#include "app/file_chooser.h"
#include "app/session_file.h"
#include "app/status_block.h"
#include "platform/replace_file.h"

#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

namespace {

// The session data of the open work, without its arrays.
SessionData currentSessionHeader() {
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
    return d;
}

SessionData currentSession() {
    SessionData d = currentSessionHeader();
    d.arrays = encodeMeshArrays(inputMesh, outputMesh);
    return d;
}

std::string writeSessionText(const std::string& path, const std::string& text) {
    return replaceFile(path, [&text](const std::string& temp) {
        std::ofstream out(temp, std::ios::binary);
        out << text;
        out.close();
        return out ? std::string() : "cannot write " + temp + ": " + errnoText();
    });
}

bool autosaveOn = false;
bool autosaveWritten = false; // this run has written the autosave
bool earlierKept = false;     // the file of an earlier run was moved aside

// The autosave's writer: one thread at a time writes the newest state handed to it. An edit
// made while it writes replaces what waits, so the edit never waits for a write and a burst
// of edits writes only its last state once the one in progress ends.
struct AutosaveState {
    SessionData header;
    SimpleMesh input, output;
};
std::mutex autosaveMutex;
std::condition_variable autosaveIdle;
std::optional<AutosaveState> autosavePending; // guarded by autosaveMutex
bool autosaveRunning = false;                 // guarded by autosaveMutex
std::thread autosaveWriter;

// The writer thread: runs at the lowest priority, so that on a busy machine the frames and
// the next edit go first, and writes until nothing waits.
void writeAutosaves() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
    std::unique_lock lock(autosaveMutex);
    while (autosavePending) {
        AutosaveState state = std::move(*autosavePending);
        autosavePending.reset();
        lock.unlock();
        state.header.arrays = encodeMeshArrays(state.input, state.output);
        const std::string failed = writeSessionText(kAutosavePath, sessionText(state.header));
        if (!failed.empty())
            std::cerr << "autosave: " << failed << std::endl;
        lock.lock();
    }
    autosaveRunning = false;
    autosaveIdle.notify_all();
}

// A copy of a model that a writing thread may hold: its arrays only, no texture names (the
// last copy of a texture name must be let go where its OpenGL context is current).
SimpleMesh arraysOf(const SimpleMesh& mesh) {
    SimpleMesh copy = mesh;
    copy.textureOwner.reset();
    copy.materialTextures.reset();
    return copy;
}

void autosaveAfterEdit() {
    if (!autosaveOn || openModelPath.empty())
        return;
    if (!earlierKept) {
        earlierKept = true;
        std::error_code ignored;
        if (std::filesystem::exists(kAutosavePath, ignored))
            std::filesystem::rename(kAutosavePath, "data/autosave.previous.hvsession", ignored);
    }
    // The arrays are shared copy-on-write values: the live model copies an array before it
    // writes it while this copy holds it, so the writer reads values nothing changes.
    AutosaveState state{currentSessionHeader(), arraysOf(inputMesh), arraysOf(outputMesh)};
    std::unique_lock lock(autosaveMutex);
    autosavePending = std::move(state);
    if (!autosaveRunning) {
        autosaveRunning = true;
        if (autosaveWriter.joinable())
            autosaveWriter.join(); // it has ended: it cleared the flag as its last step
        autosaveWriter = std::thread(writeAutosaves);
    }
    autosaveWritten = true;
}

void reportAutosaveAtExit() {
    finishAutosave();
    if (autosaveWritten)
        std::cout << "The work is saved in " << kAutosavePath
                  << ": \"Open Session\" or open-session " << kAutosavePath << " reopens it"
                  << std::endl;
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
    const std::string failed = writeSessionText(path, sessionText(currentSession()));
    if (!failed.empty())
        return failed;
    std::cout << "Session saved: " << path << std::endl;
    return "";
}

std::string openSessionFile(const std::string& path) {
    // A FIFO or a device would block the program or be read for ever; a folder is no file.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return path + " is not a regular file";
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

void saveSessionCommand() {
    const std::string path = chooseOutputFile(FileKind::Session, "session.hvsession");
    if (path.empty())
        return;
    const std::string why = saveSessionFile(path);
    if (!why.empty())
        std::cout << "save-session: " << why << std::endl;
}

void openSessionCommand() {
    const std::string path = chooseInputFile(FileKind::Session);
    if (path.empty())
        return;
    const std::string why = openSessionFile(path);
    if (!why.empty())
        std::cout << "open-session: " << why << std::endl;
}

void setAutosave(bool on) {
    static bool exitHandler = false;
    if (on && !exitHandler) {
        exitHandler = true;
        std::atexit(reportAutosaveAtExit);
    }
    autosaveOn = on;
    afterEditHook = on ? autosaveAfterEdit : nullptr;
    if (!on)
        finishAutosave();
}

void finishAutosave() {
    std::unique_lock lock(autosaveMutex);
    autosaveIdle.wait(lock, [] { return !autosaveRunning; });
    if (autosaveWriter.joinable())
        autosaveWriter.join();
}

void reportEarlierAutosave() {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(kAutosavePath, ignored))
        std::cout << "An autosave of earlier work exists: \"Open Session\" " << kAutosavePath
                  << ", or open-session " << kAutosavePath << ", reopens it" << std::endl;
}

std::string scriptedAutosave(const CommandArgs& args) {
    setAutosave(args.value == 1);
    return "";
}
