#include "selection/id_arrays.h"

#include <algorithm>

namespace {

// Triangles the first `count` faces give, for reserving the arrays.
std::size_t triangleCount(const IndexLists& faces, std::size_t count) {
    std::size_t triangles = 0;
    for (std::size_t f = 0; f < count; ++f)
        triangles += faces[f].size() > 2 ? faces[f].size() - 2 : 0;
    return triangles;
}

} // namespace

IdArrays idArrays(const SimpleMesh& mesh, std::size_t drawnFaces) {
    IdArrays out;
    const std::size_t count = std::min(drawnFaces, mesh.faces.size());
    const std::size_t vertexCount = mesh.vertices.size();
    const std::size_t vertices = 3 * triangleCount(mesh.faces, count);
    out.positions.reserve(vertices);
    out.colours.reserve(vertices);

    std::vector<int> corners;
    for (std::size_t f = 0; f < count; ++f) {
        corners.clear();
        for (int v : mesh.faces[f])
            if (isIndex(v, vertexCount))
                corners.push_back(v);
        const std::array<unsigned char, 4> colour = {
            static_cast<unsigned char>(f & 255), static_cast<unsigned char>((f >> 8) & 255),
            static_cast<unsigned char>((f >> 16) & 255), 255};
        const std::size_t n = corners.size();
        for (std::size_t k = 1; k + 1 < n; ++k) {
            for (int v : {corners[k], corners[k + 1], corners[0]}) {
                out.positions.push_back(mesh.vertices[v]);
                out.colours.push_back(colour);
            }
        }
    }
    return out;
}
