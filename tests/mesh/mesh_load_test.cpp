#include "tests/mesh/mesh_test_util.h"

#include <cmath>

namespace {

// A folder of model files searched by load, and a mesh that already holds a textured model
// with selection state, as "Open Mesh" leaves it.
class MeshLoad : public testing::Test {
  protected:
    void SetUp() override {
        write("previous.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                              "f 1/1 2/2 3/3\n");
        load("previous.obj");
        ASSERT_TRUE(loaded);
        mesh.faceVisible = {1};
        mesh.facePart = {2};
        mesh.vertexPart = {2, 2, 2};
        mesh.vertexInPart = {1, 1, 1};
        mesh.hideInvisibleFaces = 1;
        mesh.drawBackFaces = 1;
        mesh.vertexFaces = {{0}, {0}, {0}};
        mesh.textureId = 5;
        before = mesh;
    }
    void TearDown() override { mesh.textureId = before.textureId = 0; }

    void write(const std::string& name, const std::string& text) {
        writeFile(dir.file(name), text);
    }
    Console load(const std::string& name) {
        return captureConsole([&] { loaded = mesh.load(name, {dir.path().string()}); });
    }

    TempDir dir;
    SimpleMesh mesh, before;
    bool loaded = false;
};

const std::string triangleVertices = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

} // namespace

TEST_F(MeshLoad, FailuresLeaveTheMeshUnchanged) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>(i & 255);
    std::string utf16 = "\xff\xfe";
    for (char c : triangleVertices + "f 1 2 3\n")
        utf16 += std::string{c, '\0'};
    std::string hugeLine;
    while (hugeLine.size() < (8u << 20))
        hugeLine += "v 1 2 3 ";

    struct Case {
        std::string name, text, out, err;
    };
    const std::string cannotLoad = "SimpleMesh::load: cannot load file: ";
    const Case cases[] = {
        {"", "", "", ""},
        {"nope.obj", "", "file not found: nope.obj\n",
         "ObjLoader::loader: error: invalid extention\n" + cannotLoad + "nope.obj\n"},
        {"model.txt", triangleVertices + "f 1 2 3\n", "",
         "ObjLoader::loader: error: invalid extention\n" + cannotLoad + "model.txt\n"},
        {"faces.obj", "f 1 2 3\n", "", "SimpleMesh::load: no vertices loaded: faces.obj\n"},
        {"garbage.obj", garbage, "", "SimpleMesh::load: no vertices loaded: garbage.obj\n"},
        {"utf16.obj", utf16, "", "SimpleMesh::load: no vertices loaded: utf16.obj\n"},
        {"points.obj", triangleVertices, "", "SimpleMesh::load: no triangles loaded: points.obj\n"},
        {"huge.obj", hugeLine, "", "SimpleMesh::load: no triangles loaded: huge.obj\n"},
        {"zero.obj", triangleVertices + "f 0 1 2\n", "",
         "SimpleMesh::load: index out of range: zero.obj\n"},
        {"beyond.obj", triangleVertices + "f 1 2 3\nf 1 2 4\n", "",
         "SimpleMesh::load: index out of range: beyond.obj\n"},
        {"tex.obj", triangleVertices + "vt 0 0\nvt 1 1\nf 1/1 2/2 3/3\n", "",
         "SimpleMesh::load: index out of range: tex.obj\n"},
        {"norm.obj", triangleVertices + "vn 0 0 1\nf 1//1 2//1 3//2\n", "",
         "SimpleMesh::load: index out of range: norm.obj\n"},
        {"plainnorm.obj", triangleVertices + "vn 0 0 1\nvn 0 0 1\nf 1 2 3\n", "",
         "SimpleMesh::load: index out of range: plainnorm.obj\n"},
        {"plaintex.obj", triangleVertices + "vt 0 0\nf 1 2 3\n", "",
         "SimpleMesh::load: index out of range: plaintex.obj\n"},
    };
    for (const Case& c : cases) {
        if (!c.name.empty() && c.name != "nope.obj")
            write(c.name, c.text);
        Console console = load(c.name);
        EXPECT_FALSE(loaded) << c.name;
        EXPECT_EQ(console.out, c.out) << c.name;
        EXPECT_EQ(console.err, c.err) << c.name;
        expectSameMesh(mesh, before);
    }
}

TEST_F(MeshLoad, DisagreeingIndexListsEmptyTheGeometryOnly) {
    struct Case {
        std::string text, err;
    };
    const std::string sizes = "SimpleMesh::load: buffer sizes not same\n";
    const Case cases[] = {
        // Only some faces carry normal indices: the face counts differ.
        {triangleVertices + "vn 0 0 1\nf 1//1 2//1 3//1\nf 1 2 3\n", sizes},
        // Same face counts, but a face with fewer normal than position indices.
        {triangleVertices + "vn 0 0 1\nf 1//1 2 3\n", sizes},
        // Without "vn" lines the normals are computed before the check.
        {triangleVertices + "vt 0 0\nf 1/1 2/1 3/1\nf 1 2 3\n",
         "SimpleMesh::computeNormals: called\n" + sizes},
    };
    for (const Case& c : cases) {
        write("mixed.obj", c.text);
        Console console = load("mixed.obj");
        EXPECT_FALSE(loaded);
        EXPECT_EQ(console.err, c.err);
        EXPECT_TRUE(mesh.vertices.empty() && mesh.normals.empty() && mesh.texCoords.empty());
        EXPECT_TRUE(mesh.faces.empty() && mesh.normalFaces.empty() && mesh.texCoordFaces.empty());
        EXPECT_EQ(mesh.facePart, before.facePart);
        EXPECT_EQ(mesh.vertexFaces, before.vertexFaces);
        EXPECT_EQ(mesh.textureId, 5u);
    }
}

TEST_F(MeshLoad, CubeOfQuadsGetsNormalsAlongItsDiagonals) {
    write("cube.obj", "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
                      "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                      "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 3 4 8 7\nf 2 3 7 6\nf 1 5 8 4\n");
    Console console = load("cube.obj");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(console.err,
              "SimpleMesh::computeNormals: called\nSimpleMesh::load: cube.obj loaded\n");
    EXPECT_EQ(
        mesh.faces,
        (IndexLists{
            {0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}}));
    EXPECT_EQ(mesh.normalFaces, mesh.faces);
    EXPECT_TRUE(mesh.texCoords.empty() && mesh.texCoordFaces.empty());
    ASSERT_EQ(mesh.normals.size(), 8u);
    const float d = static_cast<float>(1 / std::sqrt(3.0));
    for (std::size_t i = 0; i < 8; ++i) {
        const Vec3& p = mesh.vertices[i];
        const Vec3& n = mesh.normals[i];
        EXPECT_FLOAT_EQ(n.x, p.x * d) << i;
        EXPECT_FLOAT_EQ(n.y, p.y * d) << i;
        EXPECT_FLOAT_EQ(n.z, p.z * d) << i;
    }
    // Loading a model has no business with the selection state or the texture.
    EXPECT_EQ(mesh.facePart, before.facePart);
    EXPECT_EQ(mesh.vertexPart, before.vertexPart);
    EXPECT_EQ(mesh.drawBackFaces, 1);
    EXPECT_EQ(mesh.textureId, 5u);
}

TEST_F(MeshLoad, ComputedNormalsWeighByAreaAndNeverTurnNaN) {
    // Vertex 1 joins a triangle of normal (0, 0, 16), one of normal (1, 0, 0), one whose
    // corners lie on one line and a two-corner face; vertex 7 only the line-like face, vertex 6
    // only the two-corner face, so both have no direction.
    write("weights.obj", "v 0 0 0\nv 4 0 0\nv 0 4 0\nv 0 0 -1\nv 0 1 0\nv 9 9 9\nv 2 0 0\n"
                         "f 1 2 3\nf 1 4 5\nf 2 7 1\nf 6 1\n");
    Console console = load("weights.obj");
    ASSERT_TRUE(loaded);
    const float s = static_cast<float>(1 / std::sqrt(257.0));
    const std::vector<Triple> expected{{1 * s, 0, 16 * s}, {0, 0, 1}, {0, 0, 1}, {1, 0, 0},
                                       {1, 0, 0},          {0, 0, 0}, {0, 0, 0}};
    ASSERT_EQ(mesh.normals.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_FLOAT_EQ(triples(mesh.normals)[i][c], expected[i][c]) << i << " " << c;
}

TEST_F(MeshLoad, NormalAndTextureListsFollowTheFile) {
    // "vn" lines with plain indices: normal i belongs to position i.
    write("vn.obj", triangleVertices + "vn 0 0 1\nvn 0 1 0\nvn 1 0 0\nf 1 2 3\n");
    Console console = load("vn.obj");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(console.err, "SimpleMesh::load: vn.obj loaded\n");
    EXPECT_EQ(triples(mesh.normals), (std::vector<Triple>{{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}));
    EXPECT_EQ(mesh.normalFaces, (IndexLists{{0, 1, 2}}));
    // A model without "vt" lines drops the previous model's texture coordinates.
    EXPECT_TRUE(mesh.texCoords.empty() && mesh.texCoordFaces.empty());

    // Texture and normal indices without "vt" and "vn" lines are not used.
    write("lists.obj", triangleVertices + "f 1/7/9 2/8/9 3/9/9\n");
    console = load("lists.obj");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(mesh.texCoordFaces.empty());
    EXPECT_EQ(mesh.normalFaces, mesh.faces);
    EXPECT_EQ(mesh.normals.size(), 3u);

    // All three lists, each from its own indices.
    write("full.obj", triangleVertices + "vt 0 0\nvt 1 0\nvn 0 0 1\nvn 0 0 -1\n"
                                         "f 3/2/1 2/1/2 1/2/1\n");
    console = load("full.obj");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(mesh.faces, (IndexLists{{2, 1, 0}}));
    EXPECT_EQ(mesh.texCoordFaces, (IndexLists{{1, 0, 1}}));
    EXPECT_EQ(mesh.normalFaces, (IndexLists{{0, 1, 0}}));
    EXPECT_EQ(pairs(mesh.texCoords), (std::vector<Pair>{{0, 0}, {1, 0}}));
}

TEST(FindFile, SearchesTheDirectoriesInOrderThenTheNameItself) {
    TempDir a, b;
    writeFile(b.file("model.obj"), "");
    const std::vector<std::string> dirs{a.path().string(), b.path().string()};
    EXPECT_EQ(findFile("model.obj", dirs), b.file("model.obj"));
    writeFile(a.file("model.obj"), "");
    EXPECT_EQ(findFile("model.obj", dirs), a.file("model.obj"));

    // A name relative to the working directory (the repository root) is found through ".".
    EXPECT_EQ(findFile("tests/data/mesh/two_materials.mtl", programSearchDirs()),
              "./tests/data/mesh/two_materials.mtl");
    // An absolute name fails every directory and is found as it is.
    EXPECT_EQ(findFile(b.file("model.obj"), programSearchDirs()), b.file("model.obj"));

    // A folder is no file.
    std::filesystem::create_directory(a.file("folder"));
    std::string found = "?";
    Console c = captureConsole([&] { found = findFile("folder", {a.path().string()}); });
    EXPECT_EQ(found, "");
    EXPECT_EQ(c.out, "file not found: folder\n");
    EXPECT_EQ(c.err, "");
}
