#include "mesh/part_paint.h"

#include "mesh/simple_mesh.h"

#include <algorithm>
#include <span>

namespace {

// The coat's part of face f (0 to 2 for parts 1 to 3), or -1 when the face wears no coat.
int coatOf(const SimpleMesh& mesh, std::size_t f) {
    const int part = mesh.facePart[f];
    const std::vector<int>& visible = mesh.faceVisible;
    if (part < 1 || part > 3 || (f < visible.size() && visible[f] == 0))
        return -1;
    const std::span<const int> corners = mesh.faces.get()[f];
    if (corners.size() < 3)
        return -1;
    const std::size_t vertexCount = mesh.vertices.size();
    for (int v : corners)
        if (v < 0 || static_cast<std::size_t>(v) >= vertexCount)
            return -1;
    return part - 1;
}

std::size_t coatedFaces(const SimpleMesh& mesh) {
    return std::min(mesh.faces->size(), mesh.facePart.size());
}

} // namespace

std::array<std::size_t, 3> paintIndexCounts(const SimpleMesh& mesh) {
    std::array<std::size_t, 3> counts{};
    for (std::size_t f = 0; f < coatedFaces(mesh); ++f) {
        const int coat = coatOf(mesh, f);
        if (coat >= 0)
            counts[coat] += 3 * (mesh.faces->count(f) - 2);
    }
    return counts;
}

void writePaintTriangles(const SimpleMesh& mesh, const std::array<std::size_t, 3>& counts,
                         std::uint32_t* out) {
    std::array<std::uint32_t*, 3> next = {out, out + counts[0], out + counts[0] + counts[1]};
    for (std::size_t f = 0; f < coatedFaces(mesh); ++f) {
        const int coat = coatOf(mesh, f);
        if (coat < 0)
            continue;
        const std::span<const int> corners = mesh.faces.get()[f];
        std::uint32_t*& at = next[coat];
        for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
            *at++ = static_cast<std::uint32_t>(corners[0]);
            *at++ = static_cast<std::uint32_t>(corners[k]);
            *at++ = static_cast<std::uint32_t>(corners[k + 1]);
        }
    }
}
