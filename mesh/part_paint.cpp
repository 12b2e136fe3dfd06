#include "mesh/part_paint.h"

#include "mesh/simple_mesh.h"

#include <algorithm>
#include <span>

std::array<std::vector<std::uint32_t>, 3> paintTriangles(const SimpleMesh& mesh) {
    std::array<std::vector<std::uint32_t>, 3> triangles;
    const std::vector<int>& parts = mesh.facePart;
    const std::vector<int>& visible = mesh.faceVisible;
    const std::size_t vertexCount = mesh.vertices.size();
    const std::size_t faceCount = std::min(mesh.faces->size(), parts.size());
    for (std::size_t f = 0; f < faceCount; ++f) {
        const int part = parts[f];
        if (part < 1 || part > 3 || (f < visible.size() && visible[f] == 0))
            continue;
        const std::span<const int> corners = mesh.faces.get()[f];
        bool named = corners.size() >= 3;
        for (int v : corners)
            named = named && v >= 0 && static_cast<std::size_t>(v) < vertexCount;
        if (!named)
            continue;
        std::vector<std::uint32_t>& out = triangles[part - 1];
        for (std::size_t k = 1; k + 1 < corners.size(); ++k)
            out.insert(out.end(), {static_cast<std::uint32_t>(corners[0]),
                                   static_cast<std::uint32_t>(corners[k]),
                                   static_cast<std::uint32_t>(corners[k + 1])});
    }
    return triangles;
}
