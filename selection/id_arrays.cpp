#include "selection/id_arrays.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// Calls visit(f, corners) for each of the first drawnFaces faces with its usable corners.
// onlyShown skips the faces that drawing the mesh hides.
template <typename Visit>
void forEachFace(const SimpleMesh& mesh, std::size_t drawnFaces, bool onlyShown, Visit&& visit) {
    const std::size_t count = std::min(drawnFaces, mesh.faces.size());
    const std::size_t vertexCount = mesh.vertices.size();
    const bool skipHidden = onlyShown && mesh.hideInvisibleFaces == 1;
    const std::vector<int>& visible = mesh.faceVisible;
    std::vector<int> corners;
    for (std::size_t f = 0; f < count; ++f) {
        if (skipHidden && f < visible.size() && visible[f] == 0)
            continue;
        corners.clear();
        for (int v : mesh.faces[f])
            if (isIndex(v, vertexCount))
                corners.push_back(v);
        visit(f, corners);
    }
}

} // namespace

void forEachIdBatch(const SimpleMesh& mesh, std::size_t drawnFaces, bool onlyShown,
                    std::size_t batchTriangles, const std::function<void(const IdBatch&)>& draw) {
    const std::size_t batchVertices = 3 * std::max<std::size_t>(batchTriangles, 1);
    IdBatch batch;
    batch.positions.reserve(batchVertices);
    batch.colours.reserve(batchVertices);
    forEachFace(mesh, drawnFaces, onlyShown, [&](std::size_t f, const std::vector<int>& corners) {
        const std::array<unsigned char, 4> id = {static_cast<unsigned char>(f & 255),
                                                 static_cast<unsigned char>((f >> 8) & 255),
                                                 static_cast<unsigned char>((f >> 16) & 255), 255};
        const std::size_t n = corners.size();
        for (std::size_t k = 1; k + 1 < n; ++k) {
            if (batch.positions.size() == batchVertices) {
                draw(batch);
                batch.positions.clear();
                batch.colours.clear();
            }
            for (int v : {corners[k], corners[k + 1], corners[0]}) {
                batch.positions.push_back(mesh.vertices[v]);
                batch.colours.push_back(id);
            }
        }
    });
    if (!batch.positions.empty())
        draw(batch);
}
