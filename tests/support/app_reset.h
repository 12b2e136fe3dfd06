// The process-wide state of the program put back to what it is right after start-up, for the
// tests and the fuzzer that run many sessions in one process.
#pragma once

#include "app/app_state.h"
#include "app/edit_history.h"
#include "app/startup.h"
#include "app/trim_setting.h"

// The state of a program that has just started (after the start-up sequence).
inline void resetApplicationState() {
    windowWidth = 640;
    windowHeight = 480;
    mainWindow = 1;
    shownModel = 0;
    backFace = 1;
    wireframe = 0;
    currentPart = 0;
    editMode = 0;
    compressionValue = 1.0f;
    solidScale = 2;
    for (int p = 0; p < 4; ++p) {
        partPosition[p] = 0.5f;
        partCompression[p] = 1.0f;
        partMinDepth[p] = partMaxDepth[p] = partMedianDepth[p] = 0.0f;
    }
    partsMeasured = false;
    trimHidden = 0;
    viewFraming = {};
    fieldOfView = 30;
    viewCamera = Trackball(640, 480);
    setupCamera = {};
    savedViewPose = {};
    inputMesh = SimpleMesh();
    outputMesh = SimpleMesh();
    lassoStroke.clear();
    lassoPolygon.clear();
    lastStrokePoint = {};
    meshSearchDirs.clear();
    meshPairs.clear();
    clearEditHistory();
    editHistoryBudget = std::size_t(1) << 30;
    initApplicationState();
}
