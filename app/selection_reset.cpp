#include "app/selection_reset.h"

#include "app/app_state.h"
#include "mesh/growth.h"

#include <cstddef>
#include <vector>

void resetSelectionState(SimpleMesh& mesh) {
    const std::size_t faceCount = mesh.faces.size();
    const std::size_t vertexCount = mesh.vertices.size();
    mesh.faceVisible = filledValues(faceCount, 1);
    mesh.facePart = filledValues(faceCount, 0);
    mesh.vertexPart = filledValues(vertexCount, 0);
    mesh.vertexInPart = mesh.vertexPart;
    mesh.hideInvisibleFaces = 0;
    mesh.drawBackFaces = 1;
}

void resetPartSettings() {
    for (int p = 0; p < 4; ++p) {
        partMedianDepth[p] = 0.5f;
        partMaxDepth[p] = 0.0f;
        partMinDepth[p] = 1.0f;
        partCompression[p] = 1.0f;
        partPosition[p] = 0.5f;
    }
    compressionValue = 1.0f;
    partsMeasured = false;
}
