#include "app/part_commands.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/display.h"
#include "app/picture_check.h"
#include "app/progress.h"
#include "app/status_block.h"
#include "app/trim_setting.h"
#include "export/export_model.h"
#include "export/export_solid.h"
#include "export/remesh.h"
#include "selection/depth_inversion.h"
#include "selection/lasso_gl.h"
#include "selection/part_depth.h"
#include "selection/picking.h"
#include "selection/trim_hidden.h"
#include "selection/view_transform_gl.h"

#include <iostream>
#include <sstream>

namespace {

PartDepthSettings partSettings() {
    return {partMedianDepth, partMinDepth, partMaxDepth, partPosition, partCompression};
}

// The body of a rebuild, for callers already under the set-up camera; once the parts are
// measured it measures the picture kept too (inputImage: the input's ID image just read).
// The steps of a cut show on the command's progress between from and to.
void rebuildUnderCurrentCamera(const RgbImage* inputImage = nullptr, double from = 0,
                               double to = 1) {
    if (!partsMeasured) {
        outputMesh = inputMesh;
        outputMesh.hideInvisibleFaces = 1;
        return;
    }
    const ViewTransform view = viewTransformAfter(applyProjection);
    rebuildOutputModelWith(inputMesh, outputMesh, partSettings(), view);
    if (trimHidden != 0) {
        // The rebuild above labelled the input model when nothing was painted and said what it
        // had to say; the cut model's conversion repeats it silently.
        TrimmedModel cut =
            cutToVisible(inputMesh, view, backFace != 0, [from, to](const char* step, double f) {
                progressStep(std::string("cutting to what the camera sees: ") + step,
                             from + (to - from) * f);
            });
        SimpleMesh wholeOutput = outputMesh;
        std::ostringstream repeated;
        rebuildOutputModelWith(cut.mesh, outputMesh, partSettings(), view, repeated);
        keepTrimmedInput(std::move(cut.mesh), std::move(cut.sourceFace), std::move(wholeOutput));
    }
    measurePictureKept(inputImage);
}

void movePartPosition(float direction) {
    const int p = currentPart;
    const float step = (partMaxDepth[p] - partMinDepth[p]) / 20;
    partPosition[p] = partPosition[p] + direction * step;
    rebuildOutputModel();
}

// One measuring round of "Preview": what the camera sees, then each part's depths. Returns the
// input model's ID image that the visibility pass read.
RgbImage measureParts() {
    RgbImage image =
        markVisibleFaces(inputMesh, backFace != 0, windowWidth, windowHeight, applyProjection);
    const ViewTransform view = viewTransformAfter(applyProjection);
    for (int p = 0; p < 4; ++p) {
        partMedianDepth[p] =
            medianPartDepth(inputMesh, p, view, partMinDepth[p], partMaxDepth[p], traceOutput());
        partPosition[p] = boundaryPartDepth(inputMesh, p, partMedianDepth[p], view, traceOutput());
    }
    return image;
}

} // namespace

void applyLassoCommand() {
    applyLasso(inputMesh, lassoPolygon, currentPart, windowWidth, windowHeight, applyProjection,
               traceOutput());
    lassoStroke.clear();
    lassoPolygon.clear();
}

void toggleFaceCommand(int x, int y) {
    // Row y from the top is row windowHeight - 1 - y from the bottom.
    const int id = pickFace(inputMesh, x, windowHeight - 1 - y, applyProjection);
    std::cerr << "Mesh ID : " << id << std::endl;
    if (!isIndex(id, std::min(inputMesh.faces.size(), inputMesh.faceVisible.size())))
        return;
    int& flag = inputMesh.faceVisible.edit()[id];
    flag = flag == 1 ? 0 : 1;
    rebuildOutputModel();
}

void rebuildOutputModel() {
    withSetupCamera([] { rebuildUnderCurrentCamera(); });
}

void pushCommand() {
    movePartPosition(+1);
}
void backCommand() {
    movePartPosition(-1);
}

void compressionCommand() {
    partCompression[currentPart] = compressionValue;
    rebuildOutputModel();
}

void previewCommand() {
    partsMeasured = true;
    withSetupCamera([] {
        // The cut depends on the geometry and the camera alone: it runs beside the first
        // measuring round.
        if (trimHidden != 0)
            startCutting(inputMesh, viewTransformAfter(applyProjection), backFace != 0);
        for (int round = 0; round < 2; ++round) {
            progressStep("measuring the parts", 0.5 * round);
            const RgbImage inputImage = measureParts();
            progressStep("rebuilding the output model", 0.5 * round + 0.25);
            rebuildUnderCurrentCamera(&inputImage, 0.5 * round + 0.25, 0.5 * round + 0.5);
        }
    });
    notePreviewPainting();
}

int exportCommand() {
    return exportModel(
        conversionInput(), outputMesh, partCompression, meshPairs, windowWidth, windowHeight,
        renderScene, "data",
        {viewCamera.translation[0], viewCamera.translation[1], viewCamera.translation[2]},
        traceOutput(), [](const char* step, double fraction) { progressStep(step, fraction); });
}

int exportSolidCommand() {
    int status = 1;
    withSetupCamera([&status] {
        status =
            exportSolid({outputMesh, conversionInput(), backFace != 0, windowWidth, windowHeight,
                         [](const char* step, double fraction) { progressStep(step, fraction); }},
                        solidScale, applyProjection, solidTolerance);
    });
    return status;
}

int triangulateCommand() {
    const float translation[3] = {viewCamera.translation[0], viewCamera.translation[1],
                                  viewCamera.translation[2]};
    return triangulateFaces(
        conversionInput(), translation, "data",
        [](const char* step, double fraction) { progressStep(step, fraction); });
}

void pairDiagnosticCommand() {
    buildMeshPairs(conversionInput(), outputMesh, partCompression, meshPairs, traceOutput());
}
