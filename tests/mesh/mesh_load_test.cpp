// Opening a model: what a failed load prints and that it leaves the model as it was (files
// that are no regular file, indices beyond every integer type), the lists a successful load
// builds, and the normals it computes; third-party files as found in the wild (Debian's
// assimp-testmodels). (Lines longer than a block are read by the fuzz chain's readings in
// small blocks.)
#include "tests/mesh/mesh_test_util.h"

#include <cmath>
#include <filesystem>

#include <sys/stat.h>

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

std::size_t facesWithCorners(const IndexLists& faces, std::size_t count) {
    std::size_t n = 0;
    for (std::size_t f = 0; f < faces.size(); ++f)
        n += faces[f].size() == count;
    return n;
}

} // namespace

TEST_F(MeshLoad, FailuresLeaveTheMeshUnchanged) {
    std::string garbage, utf16 = "\xff\xfe";
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>(i & 255);
    for (char c : triangle + "f 1 2 3\n")
        utf16 += std::string{c, '\0'};
    ASSERT_EQ(mkfifo(dir.file("fifo.obj").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("folder.obj"));
    std::filesystem::create_symlink("/dev/zero", dir.file("device.obj"));
    const std::string cannot = "SimpleMesh::load: cannot load file: ";
    const std::string range = "SimpleMesh::load: index out of range: ";
    const std::string sizes = "SimpleMesh::load: buffer sizes not same\n";
    struct Case {
        std::string name, text, out, err;
    };
    std::vector<Case> cases = {
        {"", "", "", ""},
        {"nope.obj", "", "file not found: nope.obj\n",
         "ObjLoader::loader: error: invalid extention\n" + cannot + "nope.obj\n"},
        {"model.txt", triangle + "f 1 2 3\n", "",
         "ObjLoader::loader: error: invalid extention\n" + cannot + "model.txt\n"},
        {"faces.obj", "f 1 2 3\n", "", "SimpleMesh::load: no vertices loaded: faces.obj\n"},
        {"garbage.obj", garbage, "", "SimpleMesh::load: no vertices loaded: garbage.obj\n"},
        {"utf16.obj", utf16, "", "SimpleMesh::load: no vertices loaded: utf16.obj\n"},
        {"points.obj", triangle, "", "SimpleMesh::load: no triangles loaded: points.obj\n"},
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
    // Files that are no regular file are never read.
    for (const std::string name : {"fifo.obj", "folder.obj", "device.obj"})
        cases.push_back({name, "", "file not found: " + name + "\n",
                         "findFile: not a regular file: " + dir.file(name) +
                             "\nObjLoader::loader: error: invalid extention\n" + cannot + name +
                             "\n"});
    // Indices beyond every integer type, in each of the three places of a corner.
    const std::string full = triangle + "vt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 ";
    for (const std::string i : {"2147483648", "4294967296", "4294967297", "18446744073709551617",
                                "99999999999999999999999999999999999999"})
        for (const std::string& text : {triangle + "f 1 2 " + i + "\n", full + i + "/1/1\n",
                                        full + "1/" + i + "/1\n", full + "1/1/" + i + "\n"})
            cases.push_back({"big.obj", text, "", range + "big.obj\n"});
    for (const Case& c : cases) {
        Console console = load(c.name, c.text);
        EXPECT_FALSE(loaded) << c.name;
        EXPECT_EQ(console.out + "|" + console.err, c.out + "|" + c.err) << c.name << ": " << c.text;
        expectSameMesh(mesh, before);
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

    // Texture and normal indices without "vt" and "vn" lines are not used: the previous
    // model's texture coordinates go; its selection state and texture stay.
    load("lists.obj", triangle + "f 1/7/9 2/8/9 3/9/9\n");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(mesh.texCoords.empty() && mesh.texCoordFaces.empty());
    EXPECT_EQ(mesh.normalFaces, mesh.faces);
    EXPECT_EQ(mesh.vertexPart, before.vertexPart);
    EXPECT_EQ(mesh.textureId, 5u);

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
    // An absolute name is that file, never a file of the same name below a search folder.
    const std::string shadowed = a.path().string() + "/" + b.file("model.obj");
    std::filesystem::create_directories(std::filesystem::path(shadowed).parent_path());
    writeFile(shadowed, "");
    EXPECT_EQ(findFile(b.file("model.obj"), dirs), b.file("model.obj"));
}

TEST_F(MeshLoad, MaterialFilesThatAreNoFilesAreSkipped) {
    // The reader resolves MTL names against the working directory: name them absolutely.
    ASSERT_EQ(mkfifo(dir.file("fifo.mtl").c_str(), 0600), 0);
    const std::string names[] = {dir.file("fifo.mtl"), "/dev/zero", dir.path().string()};
    for (const std::string& name : names) {
        const Console c = load("m.obj", "mtllib " + name + "\n" + triangle + "f 1 2 3\n");
        EXPECT_TRUE(loaded) << name;
        EXPECT_EQ(c.err, "ObjLoader::readMaterialFile: cannot open file: " + name +
                             "\nSimpleMesh::computeNormals: called\nSimpleMesh::load: m.obj "
                             "loaded\n");
    }
}

// Counts that would overflow the index lists' 32-bit offsets or the int face numbers are
// refused; the limits are lowered here so that small files reach them, read whole and read
// in parts side by side.
TEST(ObjLimits, FilesBeyondTheCornerOrFaceLimitAreRefused) {
    TempDir dir;
    const std::string path = dir.file("many.obj");
    struct Case {
        std::string text;
        std::size_t corners, faces;
        std::string err;
    };
    const std::string cornersLine =
                          "ObjLoader::loader: error: too many face corners: " + path + "\n",
                      facesLine = "ObjLoader::loader: error: too many faces: " + path + "\n";
    const std::string threeFaces = triangle + "f 1 2 3\n" + "f 1 2 3\nf 3 2 1\n";
    const Case cases[] = {
        {threeFaces, 9, 3, ""},
        {threeFaces, 8, 3, cornersLine},
        {threeFaces, 9, 2, facesLine},
        {"f\nf\nf\nf\n", 0, 3, facesLine}, // faces without corners count too
    };
    for (const Case& c : cases) {
        writeFile(path, c.text);
        for (const std::size_t partBytes : {std::size_t{1} << 20, std::size_t{1}}) {
            ObjLoader reader;
            reader.options = {16, 3, partBytes, {c.corners, c.faces}};
            bool read = false;
            const Console console = captureConsole([&] { read = reader.loader(path); });
            EXPECT_EQ(read, c.err.empty()) << c.text << " in parts of " << partBytes;
            EXPECT_EQ(console.err, c.err) << c.text << " in parts of " << partBytes;
        }
    }
}

TEST(RealModels, CountsAndOutcomeLines) {
    SKIP_WITHOUT_ASSIMP_MODELS();
    const std::string normals = "SimpleMesh::computeNormals: called\n";
    struct Case {
        std::string file, err; // err: the lines before the outcome line
        std::string outcome;   // "loaded" or the failure's text
        std::size_t vertices, texCoords, normals, faces, corners, withCorners;
        std::string texture = ""; // the image the material names, found beside the MTL file
    };
    const Case cases[] = {
        // A textured triangle mesh whose MTL file, beside it, names its image as ".\NAME".
        {"spider.obj", "", "loaded", 762, 302, 747, 1368, 3, 1368, "wal67ar_small.jpg"},
        {"WusonOBJ.obj", "", "loaded", 2117, 1, 2076, 3732, 3, 3732},
        // 2042 faces with plain corners and 668 with "p/t" corners.
        {"regr01.obj", "", "buffer sizes not same", 0, 0, 0, 0, 0, 0},
        {"box.obj", normals, "loaded", 8, 0, 8, 6, 4, 6},
        {"box_longline.obj", normals, "loaded", 8, 0, 8, 6, 936, 1},
        // A 66-gon with "p//n" corners; a file with carriage returns and doubled blanks.
        {"concave_polygon.obj", "", "loaded", 64, 0, 1, 1, 66, 1},
        {"cube_mtllib_after_g.obj",
         "ObjLoader::readMaterialFile: cannot open file: cube_mtllib_after_g.mat\n", "loaded", 8, 0,
         6, 12, 3, 12},
        {"box_UTF16BE.obj", "", "no vertices loaded: ", 0, 0, 0, 0, 0, 0},
        {"../invalid/empty.obj", "", "no vertices loaded: ", 0, 0, 0, 0, 0, 0},
        {"point_cloud.obj", "", "no triangles loaded: ", 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const std::string path = kAssimpModels + c.file;
        SimpleMesh mesh;
        bool ok = false;
        std::string texture = "untouched";
        Console console =
            captureConsole([&] { ok = mesh.load(path, programSearchDirs(), &texture); });
        const std::string outcome = c.outcome == "loaded"     ? path + " loaded"
                                    : c.outcome.back() == ' ' ? c.outcome + path
                                                              : c.outcome;
        EXPECT_EQ(ok, c.outcome == "loaded") << c.file;
        EXPECT_EQ(console.err, c.err + "SimpleMesh::load: " + outcome + "\n") << c.file;
        EXPECT_EQ((std::array{mesh.vertices.size(), mesh.texCoords.size(), mesh.normals.size(),
                              mesh.faces.size(), facesWithCorners(mesh.faces, c.corners)}),
                  (std::array{c.vertices, c.texCoords, c.normals, c.faces, c.withCorners}))
            << c.file;
        EXPECT_EQ(texture, !ok                 ? "untouched"
                           : c.texture.empty() ? ""
                                               : kAssimpModels + c.texture)
            << c.file;
    }
}
