// The conversion: painted vertices keep their pixel and get their window depth mirrored about
// their part's position, scaled by its compression.
#include "selection/depth_inversion.h"

#include "tests/selection/selection_fixture.h"
#include "tests/support/part_arrays.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

using namespace selection_test;

namespace {

// Checks that output vertex i shows on input vertex i's pixel at the given window depth.
void expectAt(const ViewTransform& view, const SimpleMesh& input, const SimpleMesh& output,
              std::size_t i, double depth) {
    const DPoint3 before = windowOf(view, input.vertices[i]);
    const DPoint3 after = windowOf(view, output.vertices[i]);
    EXPECT_NEAR(after.x, before.x, 1e-3) << "vertex " << i;
    EXPECT_NEAR(after.y, before.y, 1e-3) << "vertex " << i;
    EXPECT_NEAR(after.z, depth, 2e-6) << "vertex " << i;
}

bool sameBits(const Vec3& a, const Vec3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(DepthInversion, EachPartIsMirroredAboutItsPositionScaledByItsCompression) {
    const ViewTransform view = programView(640, 480);
    SimpleMesh input;
    addQuad(input, view, 100, 100, 140, 140, 0.40); // part 1: compression 1
    addQuad(input, view, 200, 100, 240, 140, 0.30); // part 2: compression 0
    addQuad(input, view, 300, 100, 340, 140, 0.35); // part 3: compression -1
    addQuad(input, view, 400, 100, 440, 140, 0.20); // part 0: never moves
    openSelection(input);
    input.vertices.edit()[1] = atPixel(view, 140.2, 100.2, 0.6); // part 1, behind its position
    input.vertices.edit()[5] = atPixel(view, 240.2, 100.2, 0.9);
    for (int v = 0; v < 12; ++v) {
        input.vertexPart.edit()[v] = 1 + v / 4;
        input.vertexInPart.edit()[v] = 1;
    }
    PartArrays parts;
    parts.median[1] = 0.3f; // the median cancels out of the mirror
    parts.position[1] = 0.45f;
    parts.position[2] = 0.7f;
    parts.compression[2] = 0;
    parts.compression[3] = -1;
    parts.position[3] = 0.1f;
    parts.median[0] = 0.9f; // whatever part 0 holds
    parts.position[0] = 0.05f;
    parts.compression[0] = 0.5f;

    SimpleMesh output;
    std::ostringstream out;
    rebuildOutputModelWith(input, output, parts.settings(), view, out);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(output.hideInvisibleFaces, 1);
    expectAt(view, input, output, 0, 0.50); // 0.40 about 0.45
    expectAt(view, input, output, 1, 0.30); // 0.60 about 0.45
    for (int v = 4; v < 8; ++v)
        expectAt(view, input, output, v, 0.70); // flattened onto the position
    for (int v = 8; v < 12; ++v)
        for (float Vec3::*c : {&Vec3::x, &Vec3::y, &Vec3::z})
            EXPECT_NEAR(output.vertices[v].*c, input.vertices[v].*c, 1e-4);
    for (int v = 12; v < 16; ++v)
        EXPECT_TRUE(sameBits(output.vertices[v], input.vertices[v]));

    // Halfway: the mirrored relief at half depth.
    parts.compression[1] = 0.5f;
    rebuildOutputModelWith(input, output, parts.settings(), view, out);
    expectAt(view, input, output, 0, 0.475);
    expectAt(view, input, output, 1, 0.375);
}

TEST(DepthInversion, NothingPaintedPutsEverythingInPartOneAndMeasuresIt) {
    const ViewTransform view = programView(640, 480);
    SimpleMesh input;
    addQuad(input, view, 100, 100, 140, 140, 0.2);
    addQuad(input, view, 200, 100, 240, 140, 0.6);
    openSelection(input);
    input.faceVisible = {1, 0}; // only the first quad is measured

    PartArrays parts;
    SimpleMesh output;
    std::ostringstream out;
    rebuildOutputModelWith(input, output, parts.settings(), view, out);
    for (const SimpleMesh* mesh : {&input, &output}) {
        EXPECT_EQ(mesh->vertexPart, std::vector<int>(8, 1));
        EXPECT_EQ(mesh->vertexInPart, std::vector<int>(8, 1));
        EXPECT_EQ(mesh->facePart, std::vector<int>(2, 1));
    }
    EXPECT_NEAR(parts.median[1], 0.2, kDepthTolerance);
    EXPECT_NEAR(parts.minDepth[1], 0.2, kDepthTolerance);
    EXPECT_NEAR(parts.maxDepth[1], 0.2, kDepthTolerance);
    EXPECT_EQ(out.str(), "");
    // Mirrored about the untouched position 0.5 of part 1.
    expectAt(view, input, output, 0, 0.8);
    expectAt(view, input, output, 7, 0.4);

    // An empty model is not "nothing painted": no labels appear.
    SimpleMesh empty, emptyOut;
    rebuildOutputModelWith(empty, emptyOut, parts.settings(), view, out);
    EXPECT_TRUE(empty.vertexPart.empty());
    EXPECT_TRUE(emptyOut.facePart.empty());
}

// Large enough for the vertex loop to run on two threads: every vertex of either half is
// converted (the left columns are in part 0 and stay), and a second rebuild gives the same bits.
TEST(DepthInversion, LargeModelConvertsEveryVertex) {
    const ViewTransform view = programView(640, 480);
    SimpleMesh input;
    const int columns = 400, rows = 300;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            addVertex(input, view, 100 + x + 0.25, 50 + y + 0.25, 0.4);
    input.faces.edit().push_back(std::vector<int>{0, 1, columns});
    openSelection(input);
    for (std::size_t i = 0; i < input.vertices.size(); ++i)
        input.vertexPart.edit()[i] = input.vertexInPart.edit()[i] = i % columns >= 20;
    PartArrays parts;
    parts.position[1] = 0.45f;

    SimpleMesh first, second;
    std::ostringstream out;
    rebuildOutputModelWith(input, first, parts.settings(), view, out);
    rebuildOutputModelWith(input, second, parts.settings(), view, out);
    ASSERT_EQ(first.vertices.size(), input.vertices.size());
    EXPECT_EQ(std::memcmp(first.vertices.data(), second.vertices.data(),
                          first.vertices.size() * sizeof(Vec3)),
              0);
    int wrong = 0;
    for (std::size_t i = 0; i < input.vertices.size(); ++i) {
        const DPoint3 before = windowOf(view, input.vertices[i]);
        const DPoint3 after = windowOf(view, first.vertices[i]);
        const double depth = input.vertexPart[i] ? 0.5 : 0.4; // 0.4 mirrored about 0.45
        wrong += std::abs(after.x - before.x) > 1e-3 || std::abs(after.y - before.y) > 1e-3 ||
                 std::abs(after.z - depth) > 2e-6;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(DepthInversion, APositionBeyondTheFloatRangeKeepsTheInputPosition) {
    // Model-view scale 1e-40: a depth mirrored to 1.3 unprojects to z = 1.6e40, a finite
    // double that no float holds.
    ViewTransform view{};
    view.modelview[0] = view.modelview[5] = view.modelview[10] = 1e-40;
    view.modelview[15] = 1;
    view.projection[0] = view.projection[5] = view.projection[10] = view.projection[15] = 1;
    view.viewport[2] = view.viewport[3] = 1;
    SimpleMesh input;
    input.vertices = {{0, 0, 0}, {1e30f, 0, 0}, {0, 1e30f, 0}};
    input.faces = {{0, 1, 2}};
    openSelection(input);
    input.vertexPart.edit().assign(3, 1);
    input.vertexInPart.edit().assign(3, 1);
    input.facePart = {1};

    PartArrays parts;
    parts.position[1] = 0.9f; // window depth 0.5 mirrors to 0.9 + (0.9 - 0.5) = 1.3
    std::ostringstream out;
    SimpleMesh output;
    rebuildOutputModelWith(input, output, parts.settings(), view, out);
    for (std::size_t v = 0; v < 3; ++v)
        EXPECT_TRUE(sameBits(output.vertices[v], input.vertices[v])) << "vertex " << v;
}
