// The drawing arrays of models whose faces name what does not exist: such corners are left
// out of their face, a face left with fewer than three corners draws nothing, and the arrays
// name only the positions that the drawn triangles use. (Every drawing state is compared
// pixel for pixel with the immediate-mode reference in tests/app/render_equality_test.cpp.)
#include "mesh/draw_arrays.h"
#include "mesh/simple_mesh.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Five positions, each with its own normal and texture coordinate of the same index; the lists
// of normals and texture coordinates share the faces' storage, as a model read from "v/t/n"
// corners does.
SimpleMesh sharedListsModel(IndexLists faces) {
    SimpleMesh mesh;
    mesh.vertices = std::vector<Vec3>{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 2, 0}};
    mesh.normals = std::vector<Vec3>(5, Vec3{0, 0, 1});
    mesh.texCoords = std::vector<Vec2>(5, Vec2{0.5f, 0.5f});
    mesh.faces = std::move(faces);
    mesh.normalFaces = mesh.texCoordFaces = mesh.faces;
    return mesh;
}

std::vector<int> positionsOf(const MeshArrays& a) {
    std::vector<int> positions;
    for (const DrawEntry& e : a.entries)
        positions.push_back(e.position);
    return positions;
}

} // namespace

// A corner beyond the positions in the second face (its other two corners are named by no
// other face), and a face of two corners: the first and the last face are drawn, their
// triangles as the fans (c1, c2, c0), over the positions they use, numbered in order; with the
// lists shared and with lists of their own.
TEST(DrawArrays, CornersNamingNothingLeaveTheirFaceAndItsPositionsOut) {
    const SimpleMesh mesh = sharedListsModel({{0, 1, 2}, {4, 9, 3}, {1, 3}, {1, 2, 3}});
    const SimpleMesh ownLists = [&] {
        SimpleMesh own = mesh;
        own.normalFaces = IndexLists(mesh.faces.get());
        own.texCoordFaces = IndexLists(mesh.faces.get());
        return own;
    }();
    ASSERT_FALSE(ownLists.normalFaces.sharesWith(ownLists.faces));
    for (const bool textured : {true, false})
        for (const SimpleMesh* m : {&mesh, &ownLists}) {
            const MeshArrays a = textured ? texturedArrays(*m, true) : plainArrays(*m);
            const bool shared = m == &mesh;
            EXPECT_EQ(positionsOf(a), (std::vector<int>{0, 1, 2, 3})) << textured << shared;
            EXPECT_EQ(a.indices, (std::vector<std::uint32_t>{1, 2, 0, 2, 3, 1}))
                << textured << shared;
            EXPECT_EQ(a.frontCount, 6u) << textured << shared;
            EXPECT_EQ(a.frontRanges, (std::vector<MaterialRange>{{0, 0, 6}})) << textured << shared;
        }
    // The same with the bad corner first, and a face of four corners, one of them bad.
    const SimpleMesh first = sharedListsModel({{7, 3, 4}, {0, 1, 8, 2}});
    const MeshArrays a = texturedArrays(first, true);
    EXPECT_EQ(positionsOf(a), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(a.indices, (std::vector<std::uint32_t>{1, 2, 0}));
}
