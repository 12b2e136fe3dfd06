#include "app/edit_history.h"

#include "app/app_state.h"

#include <deque>
#include <iostream>
#include <vector>

std::size_t editHistoryBudget = std::size_t(1) << 30;
void (*afterEditHook)() = nullptr;

namespace {

struct Step {
    std::string name;
    EditState state; // before the step (undo list) or after it (redo list)
    std::size_t bytes = 0;
};

std::deque<Step> undoSteps;  // oldest first
std::vector<Step> redoSteps; // newest undone last

template <typename T> std::size_t arrayBytes(const Shared<std::vector<T>>& a) {
    return a.size() * sizeof(T);
}

std::size_t arrayBytes(const Shared<IndexLists>& a) {
    return a->indices().size() * sizeof(int) + a->offsets().size() * sizeof(std::uint32_t);
}

// Calls visit(a, b) for every array of two meshes, member by member.
template <typename Visit> void forEachArray(const SimpleMesh& a, const SimpleMesh& b, Visit visit) {
    visit(a.faceVisible, b.faceVisible);
    visit(a.vertexPart, b.vertexPart);
    visit(a.facePart, b.facePart);
    visit(a.vertexInPart, b.vertexInPart);
    visit(a.faceMaterial, b.faceMaterial);
    visit(a.vertexColours, b.vertexColours);
    visit(a.vertices, b.vertices);
    visit(a.normals, b.normals);
    visit(a.texCoords, b.texCoords);
    visit(a.faces, b.faces);
    visit(a.normalFaces, b.normalFaces);
    visit(a.texCoordFaces, b.texCoordFaces);
}

bool sameMesh(const SimpleMesh& a, const SimpleMesh& b) {
    bool same = a.hideInvisibleFaces == b.hideInvisibleFaces &&
                a.drawBackFaces == b.drawBackFaces && a.textureId == b.textureId &&
                a.textureOwner == b.textureOwner && a.textureOnAllFaces == b.textureOnAllFaces &&
                a.materials.stamp() == b.materials.stamp() &&
                a.materialTextures == b.materialTextures;
    forEachArray(a, b,
                 [&same](const auto& x, const auto& y) { same = same && x.stamp() == y.stamp(); });
    return same;
}

bool samePose(const CameraPose& a, const CameraPose& b) {
    return a.rotation == b.rotation && a.translation == b.translation &&
           a.fieldOfView == b.fieldOfView && a.framing == b.framing;
}

std::size_t bytesOfMesh(const SimpleMesh& mesh, const SimpleMesh& other1,
                        const SimpleMesh& other2) {
    std::size_t bytes = 0;
    // Arrays are paired member by member: an array shared with the other state's same member,
    // or with the other model of the same state, costs nothing more.
    const auto add = [&bytes](const auto& x, const auto& y) {
        if (!x.sharesWith(y))
            bytes += arrayBytes(x);
    };
    std::size_t notInOther1 = 0;
    forEachArray(mesh, other1, add);
    notInOther1 = bytes;
    bytes = 0;
    forEachArray(mesh, other2, add);
    return std::min(notInOther1, bytes);
}

void dropOldestOverBudget() {
    std::size_t total = editHistoryBytes();
    std::size_t dropped = 0;
    while (total > editHistoryBudget && !undoSteps.empty()) {
        total -= undoSteps.front().bytes;
        undoSteps.pop_front();
        ++dropped;
    }
    if (dropped > 0)
        std::cout << "undo: history over its budget of " << editHistoryBudget
                  << " bytes; dropped the " << dropped << " oldest steps" << std::endl;
}

} // namespace

EditState captureEditState() {
    EditState s;
    s.input = inputMesh;
    s.output = outputMesh;
    for (int p = 0; p < 4; ++p) {
        s.position[p] = partPosition[p];
        s.compression[p] = partCompression[p];
        s.minDepth[p] = partMinDepth[p];
        s.maxDepth[p] = partMaxDepth[p];
        s.medianDepth[p] = partMedianDepth[p];
    }
    s.measured = partsMeasured;
    s.setupCamera = setupCamera;
    s.notes = currentStatusNotes();
    s.modelPath = openModelPath;
    s.texturePath = openTexturePath;
    s.modelSize = openModelSize;
    s.modelHash = openModelHash;
    return s;
}

void restoreEditState(const EditState& s) {
    inputMesh = s.input;
    outputMesh = s.output;
    for (int p = 0; p < 4; ++p) {
        partPosition[p] = s.position[p];
        partCompression[p] = s.compression[p];
        partMinDepth[p] = s.minDepth[p];
        partMaxDepth[p] = s.maxDepth[p];
        partMedianDepth[p] = s.medianDepth[p];
    }
    partsMeasured = s.measured;
    setupCamera = s.setupCamera;
    restoreStatusNotes(s.notes);
    openModelPath = s.modelPath;
    openTexturePath = s.texturePath;
    openModelSize = s.modelSize;
    openModelHash = s.modelHash;
    compressionValue = partCompression[currentPart];
}

bool sameEditState(const EditState& a, const EditState& b) {
    return sameMesh(a.input, b.input) && sameMesh(a.output, b.output) && a.position == b.position &&
           a.compression == b.compression && a.minDepth == b.minDepth && a.maxDepth == b.maxDepth &&
           a.medianDepth == b.medianDepth && a.measured == b.measured &&
           samePose(a.setupCamera, b.setupCamera) &&
           a.notes.setupCameraStored == b.notes.setupCameraStored &&
           a.notes.facePartAtPreview.stamp() == b.notes.facePartAtPreview.stamp() &&
           a.notes.vertexPartAtPreview.stamp() == b.notes.vertexPartAtPreview.stamp() &&
           a.modelPath == b.modelPath && a.texturePath == b.texturePath;
}

std::size_t bytesNotSharedWith(const EditState& state, const EditState& other) {
    // The output model mostly shares its arrays with the input model of its own state.
    return bytesOfMesh(state.input, other.input, other.output) +
           bytesOfMesh(state.output, other.output, state.input);
}

void recordStep(const std::string& name, EditState before) {
    const EditState after = captureEditState();
    if (sameEditState(before, after))
        return;
    redoSteps.clear();
    const std::size_t bytes = bytesNotSharedWith(before, after);
    undoSteps.push_back({name, std::move(before), bytes});
    dropOldestOverBudget();
    if (afterEditHook)
        afterEditHook();
}

std::string undoStepName() {
    return undoSteps.empty() ? "" : undoSteps.back().name;
}

std::string redoStepName() {
    return redoSteps.empty() ? "" : redoSteps.back().name;
}

void undoCommand() {
    if (undoSteps.empty()) {
        std::cout << "undo: nothing to undo" << std::endl;
        return;
    }
    Step step = std::move(undoSteps.back());
    undoSteps.pop_back();
    EditState now = captureEditState();
    restoreEditState(step.state);
    std::cout << "undo: " << step.name << std::endl;
    redoSteps.push_back({step.name, std::move(now), step.bytes});
    if (afterEditHook)
        afterEditHook();
}

void redoCommand() {
    if (redoSteps.empty()) {
        std::cout << "redo: nothing to redo" << std::endl;
        return;
    }
    Step step = std::move(redoSteps.back());
    redoSteps.pop_back();
    EditState now = captureEditState();
    restoreEditState(step.state);
    std::cout << "redo: " << step.name << std::endl;
    undoSteps.push_back({step.name, std::move(now), step.bytes});
    if (afterEditHook)
        afterEditHook();
}

void clearEditHistory() {
    undoSteps.clear();
    redoSteps.clear();
}

std::size_t editHistoryBytes() {
    std::size_t total = 0;
    for (const Step& s : undoSteps)
        total += s.bytes;
    for (const Step& s : redoSteps)
        total += s.bytes;
    return total;
}

std::size_t undoStepCount() {
    return undoSteps.size();
}
