// The coat of paint's triangles: which faces wear it, in which part's list, as which fans.
#include "mesh/part_paint.h"
#include "mesh/simple_mesh.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

// The coat's index lists of mesh, as writePaintTriangles lays them out, cut into the parts.
std::array<std::vector<std::uint32_t>, 3> coatLists(const SimpleMesh& mesh) {
    const std::array<std::size_t, 3> counts = paintIndexCounts(mesh);
    std::vector<std::uint32_t> all(counts[0] + counts[1] + counts[2], 0xDEADu);
    writePaintTriangles(mesh, counts, all.data());
    std::array<std::vector<std::uint32_t>, 3> lists;
    std::size_t at = 0;
    for (int p = 0; p < 3; ++p) {
        lists[p].assign(all.begin() + at, all.begin() + at + counts[p]);
        at += counts[p];
    }
    return lists;
}

} // namespace

// Faces of every kind in one model: a triangle and a pentagon of part 1 (the pentagon as a fan
// around its first corner), a quad of part 3, a face of part 2 not seen from the camera, a
// border face (-1), an unpainted face, a face naming a vertex that does not exist, a face of
// two corners, and a face beyond the labels. Parts keep their faces' order.
TEST(PartPaint, CoatTrianglesArePaintedSeenFacesAsFansPartByPart) {
    SimpleMesh mesh;
    mesh.vertices = std::vector<Vec3>(8);
    mesh.faces = IndexLists{{0, 1, 2}, {3, 4, 5, 6}, {1, 2, 3},       {2, 3, 4}, {4, 5, 6},
                            {0, 1, 9}, {5, 6},       {7, 6, 5, 4, 3}, {0, 2, 4}};
    mesh.facePart = std::vector<int>{1, 3, 2, -1, 0, 1, 1, 1};
    mesh.faceVisible = std::vector<int>{1, 1, 0, 1, 1, 1, 1, 1, 1};
    const auto lists = coatLists(mesh);
    EXPECT_EQ(lists[0], (std::vector<std::uint32_t>{0, 1, 2, 7, 6, 5, 7, 5, 4, 7, 4, 3}));
    EXPECT_EQ(lists[1], (std::vector<std::uint32_t>{}));
    EXPECT_EQ(lists[2], (std::vector<std::uint32_t>{3, 4, 5, 3, 5, 6}));

    // The unseen face of part 2 comes in once seen; labels shorter than the faces leave the
    // rest bare.
    mesh.faceVisible = std::vector<int>{1, 1, 1};
    const auto seen = coatLists(mesh);
    EXPECT_EQ(seen[0], lists[0]);
    EXPECT_EQ(seen[1], (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(seen[2], lists[2]);
}
