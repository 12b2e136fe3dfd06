#include "app/selection_reset.h"

#include "app/app_state.h"

#include <cstddef>
#include <cstdint>
#include <vector>

void buildVertexFaces(SimpleMesh& mesh) {
    const std::size_t vertexCount = mesh.vertices.size();
    const IndexLists& faces = mesh.faces.get();

    // Faces come in ascending order, so a face already appended to a vertex's list is that
    // list's last entry: comparing with the last entry replaces the linear search. Two passes
    // (count, then fill) build the flat lists without reallocating.
    std::vector<int> lastFace(vertexCount, -1);
    std::vector<std::uint32_t> offsets(vertexCount + 1, 0);
    for (std::size_t f = 0; f < faces.size(); ++f)
        for (int v : faces[f])
            if (isIndex(v, vertexCount) && lastFace[v] != static_cast<int>(f)) {
                lastFace[v] = static_cast<int>(f);
                ++offsets[v + 1];
            }
    for (std::size_t v = 0; v < vertexCount; ++v)
        offsets[v + 1] += offsets[v];

    std::vector<int> indices(offsets[vertexCount]);
    std::vector<std::uint32_t> next(offsets.begin(), offsets.end() - 1);
    lastFace.assign(vertexCount, -1);
    for (std::size_t f = 0; f < faces.size(); ++f)
        for (int v : faces[f])
            if (isIndex(v, vertexCount) && lastFace[v] != static_cast<int>(f)) {
                lastFace[v] = static_cast<int>(f);
                indices[next[v]++] = static_cast<int>(f);
            }
    mesh.vertexFaces.edit().assign(std::move(indices), std::move(offsets));
}

void resetSelectionState(SimpleMesh& mesh) {
    const std::size_t faceCount = mesh.faces.size();
    const std::size_t vertexCount = mesh.vertices.size();
    mesh.faceVisible = std::vector<int>(faceCount, 1);
    mesh.facePart = std::vector<int>(faceCount, 0);
    mesh.vertexPart = std::vector<int>(vertexCount, 0);
    mesh.vertexInPart = mesh.vertexPart;
    buildVertexFaces(mesh);
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
