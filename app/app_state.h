// The process-wide application state: window size, the live variables of the control panel,
// per-part settings, camera poses, the two meshes, the lasso lists and the pair list. Every
// handler and command reads and writes these directly; lower layers get them as arguments.
#pragma once

#include "app/trackball.h"
#include "export/mesh_pair.h"
#include "mesh/simple_mesh.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// Identifiers of the panel's controls, passed to dispatchCommand.
enum ControlId : int {
    kOpenMesh = 0,
    kOpenTexture = 1,
    kSetUpCamera = 2,
    kPush = 4,
    kBack = 5,
    kCompression = 6,
    kEditMode = 7,
    kParts = 8,
    kPreview = 12,
    kExport = 13,
    kTriangulate = 14,
    kBackFace = 18,
    kWireframe = 19,
    kShownModel = 20,
    kFrameModel = 21,
    kExportSolid = 22,
    kShowChanges = 23,
    kUndo = 24,
    kRedo = 25,
    kSaveSession = 26,
    kOpenSession = 27,
    kQuit = -1,
};

// Window.
extern int windowWidth;  // 640
extern int windowHeight; // 480
extern int mainWindow;
extern int controlPanel; // GLUT identifier of the panel window, 0 when there is none

// Live variables of the controls.
extern int shownModel;         // 0 input, 1 output
extern int backFace;           // 1
extern int wireframe;          // 0
extern int currentPart;        // 0
extern int editMode;           // 0 camera, 1 lasso
extern float compressionValue; // 1.0, clamped to -1 .. 1
// SCALE of "Export Solid", 1 .. 4: the panel's button leaves it at 2; a session script's
// export-solid line sets it before working the button.
extern int solidScale;
// TOLERANCE of "Export Solid" in model units (0: one front vertex per sample); the button
// leaves it at -1, a thousandth of the depth range; an export-solid line
// sets it.
extern double solidTolerance;

// Per-part settings, indexed by part number 0..3.
extern float partPosition[4];
extern float partCompression[4];
extern float partMinDepth[4];
extern float partMaxDepth[4];
extern float partMedianDepth[4];
// Whether "Preview" has measured the parts of the open model: until it has, rebuilds leave the
// output model's positions equal to the input's (there is no measured depth to mirror about).
extern bool partsMeasured;

// Camera.
extern int fieldOfView; // 30
extern Trackball viewCamera;
extern ModelFraming viewFraming; // the view's framing of the model ("Frame Model")
extern CameraPose setupCamera;
extern CameraPose savedViewPose;

// Models and selection.
extern SimpleMesh inputMesh;
extern SimpleMesh outputMesh;
extern std::vector<Point2> lassoStroke;
extern std::vector<Point2> lassoPolygon;
extern Point2 lastStrokePoint;
extern std::vector<std::string> meshSearchDirs;
extern std::vector<MeshPair> meshPairs;
// The files the open work came from: the model's absolute path with its size and hash when it
// was read, and the image "Open Texture" put on it ("" for none). Session files name them.
extern std::string openModelPath;
extern std::uint64_t openModelSize, openModelHash;
extern std::string openTexturePath;

// Console. With quietTraces (--quiet) the passes' trace lines (painted vertices, part depths,
// pair lines) are dropped; diagnostics and progress lines are printed either way.
extern bool quietTraces;
// Where the passes write their trace lines: standard output, or nowhere with quietTraces.
std::ostream& traceOutput();
