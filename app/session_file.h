// Session files: all that is needed to go on working on a model, as text. The model and its
// texture are named by their paths (the model with its size and a hash of its bytes, so a
// changed file is noticed); the selection is written per array, run-length encoded. The
// format is described in docs/session-file.md.
#pragma once

#include "app/trackball.h"
#include "mesh/simple_mesh.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr int kSessionVersion = 1;

// The size and FNV-1a 64-bit hash of a file's bytes; nullopt when it cannot be read.
struct FileFingerprint {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    bool operator==(const FileFingerprint&) const = default;
};
std::optional<FileFingerprint> fingerprintFile(const std::string& path);

// One array of a model as written: its member name, and either "same" (the output model
// shares the input model's array) or its values as text.
struct SessionArray {
    std::string model; // "input" or "output"
    std::string name;  // "face-visible", "vertices", ...
    bool sameAsInput = false;
    std::string values; // the encoded values (see encodeArray)
};

// Everything a session file holds.
struct SessionData {
    std::string modelPath, texturePath; // absolute; texturePath "" when none was opened
    FileFingerprint model{};
    Quat viewRotation{0, 0, 0, 1};
    std::array<float, 3> viewTranslation{0, 0, -100};
    int fieldOfView = 30;
    ModelFraming viewFraming{};
    CameraPose setupCamera{};
    bool setupCameraStored = false;
    int shownModel = 0, backFace = 1, wireframe = 0, currentPart = 0, editMode = 0;
    float compressionValue = 1;
    std::array<float, 4> position{}, compression{}, minDepth{}, maxDepth{}, medianDepth{};
    bool measured = false;
    bool paintingChangedSincePreview = false; // the status block's note
    int inputHideInvisible = 0, outputHideInvisible = 0;
    std::vector<SessionArray> arrays;
};

// The session file's text for data.
std::string sessionText(const SessionData& data);
// Reads a session file's text. Returns the data, or nullopt with why in error: "not a
// session file", "written by a later version (N)", "truncated", "corrupt at line N".
std::optional<SessionData> parseSessionText(const std::string& text, std::string& error);

// The arrays of input and output as session arrays (output arrays it shares with input as
// "same").
std::vector<SessionArray> encodeMeshArrays(const SimpleMesh& input, const SimpleMesh& output);
// Puts arrays into input and output, which hold the model just read. Returns "" or why the
// arrays do not fit the model (then input and output may be partly changed: the caller keeps
// copies).
std::string decodeMeshArrays(const std::vector<SessionArray>& arrays, SimpleMesh& input,
                             SimpleMesh& output);
