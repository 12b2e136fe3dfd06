#include "tests/mesh/mesh_test_util.h"

#include <cmath>
#include <filesystem>

namespace {

// A folder of model files searched by load, and a mesh that already holds a textured model
// with selection state, as "Open Mesh" leaves it.
class MeshLoad : public testing::Test {
  protected:
    void SetUp() override {
        load("previous.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/1 3/1\n");
        ASSERT_TRUE(loaded);
        mesh.faceVisible = mesh.facePart = {1};
        mesh.vertexPart = mesh.vertexInPart = {1, 1, 1};
        mesh.hideInvisibleFaces = mesh.drawBackFaces = 1;
        mesh.textureId = 5;
        before = mesh;
    }
    void TearDown() override { mesh.textureId = before.textureId = 0; }

    // Writes text as name (unless text is empty) and loads name.
    Console load(const std::string& name, const std::string& text) {
        if (!text.empty())
            writeFile(dir.file(name), text);
        return captureConsole([&] { loaded = mesh.load(name, {dir.path().string()}); });
    }

    TempDir dir;
    SimpleMesh mesh, before;
    bool loaded = false;
};

const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

} // namespace

TEST_F(MeshLoad, FailuresLeaveTheMeshUnchanged) {
    std::string garbage, utf16 = "\xff\xfe", hugeLine;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>(i & 255);
    for (char c : triangle + "f 1 2 3\n")
        utf16 += std::string{c, '\0'};
    while (hugeLine.size() < (8u << 20))
        hugeLine += "v 1 2 3 ";
    const std::string cannot = "SimpleMesh::load: cannot load file: ";
    const std::string range = "SimpleMesh::load: index out of range: ";
    const std::string sizes = "SimpleMesh::load: buffer sizes not same\n";
    struct Case {
        std::string name, text, out, err;
    };
    const Case cases[] = {
        {"", "", "", ""},
        {"nope.obj", "", "file not found: nope.obj\n",
         "ObjLoader::loader: error: invalid extention\n" + cannot + "nope.obj\n"},
        {"model.txt", triangle + "f 1 2 3\n", "",
         "ObjLoader::loader: error: invalid extention\n" + cannot + "model.txt\n"},
        {"faces.obj", "f 1 2 3\n", "", "SimpleMesh::load: no vertices loaded: faces.obj\n"},
        {"garbage.obj", garbage, "", "SimpleMesh::load: no vertices loaded: garbage.obj\n"},
        {"utf16.obj", utf16, "", "SimpleMesh::load: no vertices loaded: utf16.obj\n"},
        {"points.obj", triangle, "", "SimpleMesh::load: no triangles loaded: points.obj\n"},
        {"huge.obj", hugeLine, "", "SimpleMesh::load: no triangles loaded: huge.obj\n"},
        {"zero.obj", triangle + "f 0 1 2\n", "", range + "zero.obj\n"},
        {"beyond.obj", triangle + "f 1 2 3\nf 1 2 4\n", "", range + "beyond.obj\n"},
        {"tex.obj", triangle + "vt 0 0\nvt 1 1\nf 1/1 2/2 3/3\n", "", range + "tex.obj\n"},
        {"norm.obj", triangle + "vn 0 0 1\nf 1//1 2//1 3//2\n", "", range + "norm.obj\n"},
        {"vn.obj", triangle + "vn 0 0 1\nvn 0 0 1\nf 1 2 3\n", "", range + "vn.obj\n"},
        {"vt.obj", triangle + "vt 0 0\nf 1 2 3\n", "", range + "vt.obj\n"},
        // Index lists that disagree: only some faces carry normal indices; a face with fewer
        // normal than position indices; texture indices on some faces only.
        {"some.obj", triangle + "vn 0 0 1\nf 1//1 2//1 3//1\nf 1 2 3\n", "", sizes},
        {"fewer.obj", triangle + "vn 0 0 1\nf 1//1 2 3\n", "", sizes},
        {"mixed.obj", triangle + "vt 0 0\nf 1/1 2/1 3/1\nf 1 2 3\n", "", sizes},
    };
    for (const Case& c : cases) {
        Console console = load(c.name, c.text);
        EXPECT_FALSE(loaded) << c.name;
        EXPECT_EQ(console.out, c.out) << c.name;
        EXPECT_EQ(console.err, c.err) << c.name;
        expectSameMesh(mesh, before);
    }
}

// An absolute name opens that file, never a file of the same name below a search folder.
TEST_F(MeshLoad, AbsoluteNameIsNotSearchedForInTheSearchFolders) {
    TempDir shadow;
    const std::string model = dir.file("model.obj");
    writeFile(model, triangle + "f 1 2 3\n");
    // What "." + "/" + model would name, with the search folder standing for ".".
    const std::string shadowed = shadow.path().string() + "/" + model;
    std::filesystem::create_directories(std::filesystem::path(shadowed).parent_path());
    writeFile(shadowed, triangle + "v 5 5 5\nf 1 2 4\n");
    EXPECT_EQ(findFile(model, {shadow.path().string()}), model);
    EXPECT_TRUE(mesh.load(model, {shadow.path().string()}));
    EXPECT_EQ(mesh.vertices.size(), 3u);
}

TEST_F(MeshLoad, CubeOfQuadsGetsNormalsAlongItsDiagonals) {
    Console console = load("cube.obj", "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
                                       "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                                       "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 3 4 8 7\nf 2 3 7 6\n"
                                       "f 1 5 8 4\n");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(console.err,
              "SimpleMesh::computeNormals: called\nSimpleMesh::load: cube.obj loaded\n");
    EXPECT_EQ(mesh.faces[5].size(), 4u);
    EXPECT_EQ(mesh.normalFaces, mesh.faces);
    // A model without "vt" lines drops the previous model's texture coordinates, and loading
    // leaves the selection state and the texture alone.
    EXPECT_TRUE(mesh.texCoords.empty() && mesh.texCoordFaces.empty());
    EXPECT_EQ(mesh.vertexPart, before.vertexPart);
    EXPECT_EQ(mesh.textureId, 5u);
    ASSERT_EQ(mesh.normals.size(), 8u);
    const float d = static_cast<float>(1 / std::sqrt(3.0));
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(mesh.normals[i].x, mesh.vertices[i].x * d) << i;
        EXPECT_FLOAT_EQ(mesh.normals[i].y, mesh.vertices[i].y * d) << i;
        EXPECT_FLOAT_EQ(mesh.normals[i].z, mesh.vertices[i].z * d) << i;
    }
}

TEST_F(MeshLoad, ComputedNormalsWeighByAreaAndNeverTurnNaN) {
    // Vertex 1 joins a triangle of normal (0, 0, 16), one of normal (1, 0, 0), one whose
    // corners lie on one line and a two-corner face; vertex 7 only the line-like face, vertex 6
    // only the two-corner face, so both have no direction.
    load("weights.obj", "v 0 0 0\nv 4 0 0\nv 0 4 0\nv 0 0 -1\nv 0 1 0\nv 9 9 9\nv 2 0 0\n"
                        "f 1 2 3\nf 1 4 5\nf 2 7 1\nf 6 1\n");
    ASSERT_TRUE(loaded);
    const float s = static_cast<float>(1 / std::sqrt(257.0));
    const std::vector<Triple> expected{{s, 0, 16 * s}, {0, 0, 1}, {0, 0, 1}, {1, 0, 0},
                                       {1, 0, 0},      {0, 0, 0}, {0, 0, 0}};
    const std::vector<Triple> actual = triples(mesh.normals);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_FLOAT_EQ(actual[i][c], expected[i][c]) << i << " " << c;
}

TEST_F(MeshLoad, NormalAndTextureListsFollowTheFile) {
    // "vn" lines with plain indices: normal i belongs to position i.
    EXPECT_EQ(load("vn.obj", triangle + "vn 0 0 1\nvn 0 1 0\nvn 1 0 0\nf 1 2 3\n").err,
              "SimpleMesh::load: vn.obj loaded\n");
    EXPECT_EQ(triples(mesh.normals), (std::vector<Triple>{{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}));
    EXPECT_EQ(mesh.normalFaces, (IndexLists{{0, 1, 2}}));

    // Texture and normal indices without "vt" and "vn" lines are not used.
    load("lists.obj", triangle + "f 1/7/9 2/8/9 3/9/9\n");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(mesh.texCoordFaces.empty());
    EXPECT_EQ(mesh.normalFaces, mesh.faces);

    // All three lists, each from its own indices.
    load("full.obj", triangle + "vt 0 0\nvt 1 0\nvn 0 0 1\nvn 0 0 -1\nf 3/2/1 2/1/2 1/2/1\n");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(mesh.faces, (IndexLists{{2, 1, 0}}));
    EXPECT_EQ(mesh.texCoordFaces, (IndexLists{{1, 0, 1}}));
    EXPECT_EQ(mesh.normalFaces, (IndexLists{{0, 1, 0}}));
}

TEST(FindFile, SearchesTheDirectoriesInOrderThenTheNameItself) {
    TempDir a, b;
    writeFile(b.file("model.obj"), "");
    const std::vector<std::string> dirs{a.path().string(), b.path().string()};
    EXPECT_EQ(findFile("model.obj", dirs), b.file("model.obj"));
    writeFile(a.file("model.obj"), "");
    EXPECT_EQ(findFile("model.obj", dirs), a.file("model.obj"));
    EXPECT_EQ(findFile("tests/data/mesh/two_materials.mtl", programSearchDirs()),
              "./tests/data/mesh/two_materials.mtl");
    EXPECT_EQ(findFile(b.file("model.obj"), programSearchDirs()), b.file("model.obj"));

    std::filesystem::create_directory(a.file("folder")); // a folder is no file
    std::string found = "?";
    Console c = captureConsole([&] { found = findFile("folder", {a.path().string()}); });
    EXPECT_EQ(found, "");
    EXPECT_EQ(c.out, "file not found: folder\n");
}
