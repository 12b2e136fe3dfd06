// Small hand-made models for the export tests.
#pragma once

#include "mesh/simple_mesh.h"

#include <vector>

// A mesh with the given positions and faces, texture-coordinate and normal indices equal to
// the vertex indices (one texture coordinate u = x / 3, v = y and one normal (0, 0, 1) per
// vertex), every face visible and in part 0, every vertex in part 0.
inline SimpleMesh meshOf(std::vector<Vec3> vertices, IndexLists faces) {
    SimpleMesh m;
    m.vertices = std::move(vertices);
    for (const Vec3& v : m.vertices) {
        m.texCoords.edit().push_back({v.x / 3, v.y});
        m.normals.edit().push_back({0, 0, 1});
    }
    m.faces = m.texCoordFaces = m.normalFaces = faces;
    m.faceVisible.edit().assign(m.faces.size(), 1);
    m.facePart.edit().assign(m.faces.size(), 0);
    m.vertexPart.edit().assign(m.vertices.size(), 0);
    m.vertexInPart.edit().assign(m.vertices.size(), 0);
    return m;
}

// A strip of four triangles and a quad. Vertices 0 and 3 are in part 1, so triangles 2
// (0 1 4) and 3 (0 4 3) lie on the part border and share the edge 0-4; vertex 4 is raised
// so that the quad 0 1 4 3 is not flat. Normal 5 is (-0.0000004, -0, 1).
inline SimpleMesh stripModel() {
    SimpleMesh m = meshOf(
        {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0.5f}, {2, 1, 0}, {3, 0, 0}, {3, 1, 0}},
        {{1, 2, 5}, {1, 5, 4}, {0, 1, 4}, {0, 4, 3}, {2, 6, 7, 5}});
    m.normals.edit()[5] = {-0.0000004f, -0.0f, 1};
    m.vertexPart.edit()[0] = m.vertexPart.edit()[3] = 1;
    m.vertexInPart.edit()[0] = m.vertexInPart.edit()[3] = 1;
    m.facePart.edit()[2] = m.facePart.edit()[3] = -1;
    return m;
}

inline const float kAllInverted[4] = {1, 1, 1, 1};
