// "Triangulate Faces": the remesh file of a model of every kind of face against its golden file.
#include "export/remesh.h"
#include "selection/triangulate.h"
#include "tests/export/test_meshes.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

namespace {

const float kEye[3] = {0.5f, 0.5f, 10};

// Two bent quads, a quad hidden from view, a flat quad centred under the eye (both splits
// weigh the same), a pentagon and a triangle. The first quad takes its normals in reverse
// corner order, so each written corner must come from its own corner position.
SimpleMesh remeshModel() {
    const std::vector<Vec3> vertices = {
        {0, 0, 0},  {1, 0, 0}, {1, 1, 1},    {0, 1, 0},    {0, 0, 0},   {1, 0, 0},
        {1, 1, -1}, {0, 1, 0}, {-1, -1, 0},  {2, -1, 0},   {2, 2, 0},   {-1, 2, 0},
        {4, 0, 0},  {5, 0, 0}, {5.5f, 1, 0}, {4.5f, 2, 0}, {3.5f, 1, 0}};
    SimpleMesh m = meshOf(vertices, {{0, 1, 2, 3},
                                     {4, 5, 6, 7},
                                     {8, 9, 10, 11},
                                     {8, 9, 10, 11},
                                     {12, 13, 14, 15, 16},
                                     {0, 1, 3}});
    m.normalFaces.edit()[0][0] = 3, m.normalFaces.edit()[0][1] = 2, m.normalFaces.edit()[0][2] = 1,
    m.normalFaces.edit()[0][3] = 0;
    m.faceVisible.edit()[2] = 0;
    return m;
}

} // namespace

// The choices for the bent, the flat (a tie) and the hidden quads show in the remesh file
// below; a quad naming a vertex the model lacks keeps its q0-q2 diagonal.
TEST(ChooseQuadDiagonal, QuadWithAMissingCornerKeepsItsDiagonal) {
    const int missing[4] = {0, 1, 2, 17};
    EXPECT_FALSE(chooseQuadDiagonal(remeshModel(), missing, kEye));
}

// The data folder is missing at first and created; each run replaces the file.
TEST(TriangulateFaces, WritesTheRemeshFile) {
    TempDir dir;
    const std::string folder = dir.file("data");
    const SimpleMesh model = remeshModel(), none;
    for (const auto& [mesh, golden] :
         {std::pair{&model, "remesh.obj"}, {&model, "remesh.obj"}, {&none, "empty.obj"}}) {
        const Console console =
            captureConsole([&] { EXPECT_EQ(triangulateFaces(*mesh, kEye, folder), 0); });
        EXPECT_EQ(console.err, "Done!\n");
        EXPECT_EQ(readFile(folder + "/remesh.obj"),
                  readFile(sourcePath(std::string("tests/data/export/") + golden)));
    }
}
