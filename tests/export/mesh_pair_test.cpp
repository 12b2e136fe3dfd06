// The search for border triangle pairs and their scores: rules shown on small models, then
// random models checked against the all-pairs search.
#include "export/mesh_pair.h"
#include "tests/export/pair_reference.h"
#include "tests/export/test_meshes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <sstream>

namespace {

std::string build(const SimpleMesh& in, const float partCompression[4] = kAllInverted) {
    std::vector<MeshPair> pairs;
    std::ostringstream log;
    buildMeshPairs(in, in, partCompression, pairs, log);
    return log.str();
}

const char* kNoPairs = "\nsize(MeshPair): 0\n";

} // namespace

// Which side of the inversion a corner lies on comes from its part's compression, in the
// search and in the all-pairs reference alike, so it is checked here: part 1 not inverted
// (negative compression), or both sides inverted, leave all labels alike. (Visibility, seams,
// parts and odd faces are checked against the reference below.)
TEST(MeshPairs, CornersOnOneSideOfTheInversionFormNoPairs) {
    const float partOneKept[4] = {1, -0.5f, 1, 1};
    EXPECT_EQ(build(stripModel(), partOneKept), kNoPairs);
    SimpleMesh twoParts = stripModel();
    for (int v : {1, 2, 4, 5, 6, 7})
        twoParts.vertexPart.edit()[v] = 2;
    EXPECT_EQ(build(twoParts), kNoPairs);
    const float partTwoKept[4] = {1, 1, -1, 1};
    EXPECT_EQ(build(twoParts, partTwoKept).substr(0, 8), "f[2, 3] ");
}

// Faces of two materials never pair: their texture coordinates index different images.
TEST(MeshPairs, FacesOfTwoMaterialsFormNoPair) {
    SimpleMesh m = stripModel();
    ASSERT_EQ(build(m).substr(0, 8), "f[2, 3] ");
    m.faceMaterial = std::vector<int>{0, 0, 1, 1, 0};
    EXPECT_EQ(build(m).substr(0, 8), "f[2, 3] ");
    m.faceMaterial = std::vector<int>{0, 0, 1, 2, 0};
    EXPECT_EQ(build(m), kNoPairs);
}

// Every case keeps the q0-q2 diagonal, whatever flag the pair came with.
TEST(ScoreQuad, TiesAndSplitsWithoutArea) {
    const SimpleMesh square = meshOf({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {});
    const Vec3 centre{0.5f, 0.5f, 0};
    struct Case {
        const char* name;
        std::vector<std::pair<int, Vec3>> moved; // output corners off the square
        double score;
    };
    const Case cases[] = {
        {"flat square: both splits score exactly 1, the tie keeps the diagonal", {}, 1.0},
        {"every corner on one point: neither split has area",
         {{0, centre}, {1, centre}, {2, centre}, {3, centre}},
         -INFINITY},
        {"q0 on q2: only the kept split loses its area", {{2, {0, 0, 0}}}, -INFINITY},
        {"q1 on q3: only the flipped split loses its area; of the kept one, one triangle agrees "
         "and the other is turned over",
         {{3, {1, 0, 0}}},
         0.0},
    };
    for (const Case& c : cases) {
        SimpleMesh out = square;
        for (const auto& [v, position] : c.moved)
            out.vertices.edit()[std::size_t(v)] = position;
        MeshPair pair;
        std::iota(pair.quadVertex, pair.quadVertex + 4, 0);
        pair.flipped = 1;
        scoreQuad(square, out, pair);
        EXPECT_EQ(pair.flipped, 0) << c.name;
        EXPECT_EQ(pair.score, c.score) << c.name;
    }
}

namespace {

// A model of few vertices and texture coordinates, so that random faces share edges, seams,
// repeat corners and duplicate one another; with random labels, visibility and parts.
SimpleMesh randomModel(std::mt19937& random, bool withTexCoords) {
    auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const int V = 3 + pick(10), T = 1 + pick(4), F = pick(40);
    SimpleMesh m;
    for (int v = 0; v < V; ++v) // few distinct coordinates: coincident points, flat quads
        m.vertices.edit().push_back({float(pick(3)), float(pick(3)), float(pick(2))});
    m.normals.edit().assign(2, {0, 0, 1});
    m.texCoords.edit().assign(T, {});
    for (int f = 0; f < F; ++f) {
        int corners = pick(10) == 0 ? pick(5) : 3;
        for (int k = 0; k < corners; ++k) {
            m.faces.edit().addToOpenList(pick(10) == 0 ? pick(V + 2) - 1 : pick(V));
            m.texCoordFaces.edit().addToOpenList(pick(T));
            m.normalFaces.edit().addToOpenList(pick(2));
        }
        m.faces.edit().closeList();
        m.texCoordFaces.edit().closeList();
        m.normalFaces.edit().closeList();
        m.faceVisible.edit().push_back(pick(8) == 0 ? pick(3) : 1);
        m.facePart.edit().push_back(pick(6) == 0 ? pick(4) : -1);
    }
    if (!withTexCoords) {
        m.texCoords.clear();
        m.texCoordFaces.clear();
    }
    for (int v = 0; v < V; ++v)
        m.vertexPart.edit().push_back(pick(4));
    return m;
}

} // namespace

// The edge search finds exactly the pairs of the all-pairs comparison, with the same
// contents, the same pair lines in the same order and the same sorted list.
TEST(MeshPairs, EdgeSearchEqualsAllPairsSearch) {
    std::mt19937 random(2024);
    int pairsSeen = 0;
    for (int n = 0; n < 4000; ++n) {
        SimpleMesh in = randomModel(random, n % 5 != 0), out = in;
        for (Vec3& v : out.vertices.edit())
            v.z = -v.z + float(random() % 3);
        float partCompression[4] = {1, 1, random() % 3 == 0 ? -1.0f : 0.0f, 0.5f};

        std::string expectedLines;
        std::vector<MeshPair> expected =
            reference::allPairs(in, out, partCompression, expectedLines);
        std::stable_sort(expected.begin(), expected.end(),
                         [](const MeshPair& a, const MeshPair& b) { return a.score > b.score; });
        std::vector<MeshPair> pairs;
        std::ostringstream log;
        buildMeshPairs(in, out, partCompression, pairs, log);
        ASSERT_EQ(log.str().substr(0, expectedLines.size()), expectedLines) << "model " << n;
        ASSERT_EQ(pairs.size(), expected.size()) << "model " << n;
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            const MeshPair &a = pairs[k], &b = expected[k];
            ASSERT_TRUE(std::to_array(a.quadVertex) == std::to_array(b.quadVertex) &&
                        std::to_array(a.quadTexCoord) == std::to_array(b.quadTexCoord) &&
                        std::to_array(a.quadNormal) == std::to_array(b.quadNormal) &&
                        a.faceA == b.faceA && a.faceB == b.faceB && a.flipped == b.flipped &&
                        std::memcmp(&a.score, &b.score, sizeof(double)) == 0)
                << "model " << n << " record " << k;
            ASSERT_FALSE(std::isnan(a.score));
        }
        pairsSeen += int(pairs.size());
    }
    EXPECT_GT(pairsSeen, 2000); // the random models do form pairs, degenerate ones included
}
