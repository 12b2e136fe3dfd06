#include "app/app_state.h"

#include <iostream>
#include <ostream>

int windowWidth = 640;
int windowHeight = 480;
int mainWindow = 0;
int controlPanel = 0;

int shownModel = 0;
int backFace = 1;
int wireframe = 0;
int currentPart = 0;
int editMode = 0;
float compressionValue = 1.0f;
int solidScale = 2;
double solidTolerance = -1;

float partPosition[4] = {0.5f, 0.5f, 0.5f, 0.5f};
float partCompression[4] = {1.0f, 1.0f, 1.0f, 1.0f};
float partMinDepth[4] = {0, 0, 0, 0};
float partMaxDepth[4] = {0, 0, 0, 0};
float partMedianDepth[4] = {0, 0, 0, 0};
bool partsMeasured = false;

int fieldOfView = 30;
Trackball viewCamera(640, 480);
ModelFraming viewFraming;
CameraPose setupCamera;
CameraPose savedViewPose;
std::string openModelPath;
std::uint64_t openModelSize = 0, openModelHash = 0;
std::string openTexturePath;

SimpleMesh inputMesh;
SimpleMesh outputMesh;
std::vector<Point2> lassoStroke;
std::vector<Point2> lassoPolygon;
Point2 lastStrokePoint;
std::vector<std::string> meshSearchDirs;
std::vector<MeshPair> meshPairs;

bool quietTraces = false;

std::ostream& traceOutput() {
    // A stream without a buffer fails every write and so prints nothing.
    static std::ostream nowhere(nullptr);
    return quietTraces ? nowhere : std::cout;
}
