// Helpers of the mesh tests: readable comparison of index lists and vectors, and running the
// reader or the loader on a text with its console output captured.
#pragma once

#include "mesh/index_lists.h"
#include "mesh/obj_loader.h"
#include "mesh/simple_mesh.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"
#include "tests/support/images.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

inline void PrintTo(const IndexLists& lists, std::ostream* out) {
    *out << "{";
    for (std::size_t f = 0; f < lists.size(); ++f) {
        *out << (f ? ", {" : "{");
        for (std::size_t k = 0; k < lists.count(f); ++k)
            *out << (k ? " " : "") << lists[f][k];
        *out << "}";
    }
    *out << "}";
}

using Triple = std::array<float, 3>;
using Pair = std::array<float, 2>;

inline std::vector<Triple> triples(const std::vector<Vec3>& values) {
    std::vector<Triple> out;
    for (const Vec3& v : values)
        out.push_back({v.x, v.y, v.z});
    return out;
}

inline std::vector<Pair> pairs(const std::vector<Vec2>& values) {
    std::vector<Pair> out;
    for (const Vec2& v : values)
        out.push_back({v.u, v.v});
    return out;
}

// The mesh search directories of the program.
inline const std::vector<std::string>& programSearchDirs() {
    static const std::vector<std::string> dirs{".", "..", "Mesh", "../Mesh", "../../Mesh"};
    return dirs;
}

// All thirteen members equal.
inline void expectSameMesh(const SimpleMesh& a, const SimpleMesh& b) {
    auto members = [](const SimpleMesh& m) {
        return std::tuple(m.faceVisible.get(), m.vertexPart.get(), m.facePart.get(),
                          m.vertexInPart.get(), m.hideInvisibleFaces, m.drawBackFaces, m.textureId,
                          triples(m.vertices), triples(m.normals), pairs(m.texCoords), m.faces,
                          m.normalFaces, m.texCoordFaces);
    };
    EXPECT_EQ(members(a), members(b));
}
