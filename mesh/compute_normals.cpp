#include "mesh/simple_mesh.h"

#include <cmath>
#include <iostream>

namespace {

// Twice-the-area normal of the triangle of the face's first three corners, b x a with
// a = p2 - p1 and b = p1 - p0, so larger faces weigh more. A face with fewer than three
// corners, or one naming a vertex that does not exist, has no area and gives (0, 0, 0).
Vec3 faceNormal(std::span<const int> corners, const std::vector<Vec3>& vertices) {
    if (corners.size() < 3)
        return {};
    for (std::size_t k = 0; k < 3; ++k)
        if (!isIndex(corners[k], vertices.size()))
            return {};
    const Vec3& p0 = vertices[corners[0]];
    const Vec3& p1 = vertices[corners[1]];
    const Vec3& p2 = vertices[corners[2]];
    return cross(p1 - p0, p2 - p1);
}

// s / |s|, or (0, 0, 0) when s has no direction (a vertex used by no face, or whose face
// normals cancel) so that no NaN reaches lighting or export.
Vec3 unitOrZero(const Vec3& s) {
    const double l = length(widen(s));
    if (!(l > 0) || !std::isfinite(l))
        return {};
    return {float(s.x / l), float(s.y / l), float(s.z / l)};
}

} // namespace

Vec3 unitFaceNormal(std::span<const int> corners, const std::vector<Vec3>& vertices) {
    return unitOrZero(faceNormal(corners, vertices));
}

void SimpleMesh::computeNormals() {
    std::cerr << "SimpleMesh::computeNormals: called\n";
    // Adding each face's normal to its corners' sums, faces in ascending order, gives every
    // vertex the sum over its incident faces in the same order as a per-vertex face list
    // would, without building that list.
    std::vector<Vec3> sums(vertices.size());
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const Vec3 n = faceNormal(faces[f], vertices);
        for (const int v : faces[f]) {
            if (!isIndex(v, sums.size()))
                continue;
            sums[v].x += n.x;
            sums[v].y += n.y;
            sums[v].z += n.z;
        }
    }
    for (Vec3& s : sums)
        s = unitOrZero(s);
    normals = std::move(sums);
}
