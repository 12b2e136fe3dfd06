// Third-party OBJ files as found in the wild (Debian's assimp-testmodels).
#include "tests/mesh/mesh_test_util.h"

#include <filesystem>

namespace {

const std::string modelDir = "/usr/share/assimp/models/OBJ/";

struct Loaded {
    SimpleMesh mesh;
    bool ok = false;
    Console console;
};

Loaded loadModel(const std::string& path) {
    Loaded l;
    l.console = captureConsole([&] { l.ok = l.mesh.load(path, programSearchDirs()); });
    return l;
}

std::size_t cornersOf(const IndexLists& faces, std::size_t count) {
    std::size_t n = 0;
    for (std::size_t f = 0; f < faces.size(); ++f)
        n += faces.count(f) == count;
    return n;
}

class RealModels : public testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(modelDir + "spider.obj"))
            GTEST_SKIP() << "assimp-testmodels is not installed";
    }
};

} // namespace

TEST_F(RealModels, TexturedTriangleMeshes) {
    // Its MTL file is named relative to the working directory, where it is not.
    Loaded spider = loadModel(modelDir + "spider.obj");
    ASSERT_TRUE(spider.ok);
    EXPECT_EQ(spider.console.err, "ObjLoader::readMaterialFile: cannot open file: spider.mtl\n"
                                  "SimpleMesh::load: " +
                                      modelDir + "spider.obj loaded\n");
    EXPECT_EQ(spider.mesh.vertices.size(), 762u);
    EXPECT_EQ(spider.mesh.normals.size(), 747u);
    EXPECT_EQ(spider.mesh.texCoords.size(), 302u);
    EXPECT_EQ(spider.mesh.faces.size(), 1368u);
    EXPECT_EQ(cornersOf(spider.mesh.faces, 3), 1368u);
    EXPECT_EQ(spider.mesh.normalFaces.offsets(), spider.mesh.faces.offsets());
    EXPECT_EQ(spider.mesh.texCoordFaces.offsets(), spider.mesh.faces.offsets());

    Loaded wuson = loadModel(modelDir + "WusonOBJ.obj");
    ASSERT_TRUE(wuson.ok);
    EXPECT_EQ(wuson.console.err, "SimpleMesh::load: " + modelDir + "WusonOBJ.obj loaded\n");
    EXPECT_EQ(wuson.mesh.vertices.size(), 2117u);
    EXPECT_EQ(wuson.mesh.texCoords.size(), 1u);
    EXPECT_EQ(wuson.mesh.normals.size(), 2076u);
    EXPECT_EQ(wuson.mesh.faces.size(), 3732u);
}

TEST_F(RealModels, PlainAndTexturedCornersMixed) {
    // 2042 faces with plain corners and 668 with "p/t" corners: the texture lists do not
    // line up with the faces.
    Loaded mixed = loadModel(modelDir + "regr01.obj");
    EXPECT_FALSE(mixed.ok);
    EXPECT_EQ(mixed.console.err, "ObjLoader::readMaterialFile: cannot open file: ./regr01.mtl\n"
                                 "SimpleMesh::computeNormals: called\n"
                                 "SimpleMesh::load: buffer sizes not same\n");
    EXPECT_TRUE(mixed.mesh.vertices.empty() && mixed.mesh.faces.empty());
}

TEST_F(RealModels, QuadsAndLongPolygonsStayWhole) {
    Loaded box = loadModel(modelDir + "box.obj");
    ASSERT_TRUE(box.ok);
    EXPECT_EQ(box.console.err, "SimpleMesh::computeNormals: called\n"
                               "SimpleMesh::load: " +
                                   modelDir + "box.obj loaded\n");
    EXPECT_EQ(box.mesh.vertices.size(), 8u);
    EXPECT_EQ(cornersOf(box.mesh.faces, 4), 6u);
    EXPECT_EQ(box.mesh.faces.size(), 6u);

    Loaded longLine = loadModel(modelDir + "box_longline.obj");
    ASSERT_TRUE(longLine.ok);
    EXPECT_EQ(longLine.mesh.faces.size(), 6u);
    EXPECT_EQ(cornersOf(longLine.mesh.faces, 936), 1u);
    EXPECT_EQ(cornersOf(longLine.mesh.faces, 4), 5u);

    // A 66-gon with "p//n" corners and a file with carriage returns and doubled blanks.
    Loaded concave = loadModel(modelDir + "concave_polygon.obj");
    ASSERT_TRUE(concave.ok);
    EXPECT_EQ(concave.mesh.faces.size(), 1u);
    EXPECT_EQ(concave.mesh.faces.count(0), 66u);
    EXPECT_EQ(concave.mesh.normalFaces.offsets(), concave.mesh.faces.offsets());
    EXPECT_EQ(concave.mesh.normals.size(), 1u);

    Loaded crlf = loadModel(modelDir + "cube_mtllib_after_g.obj");
    ASSERT_TRUE(crlf.ok);
    EXPECT_EQ(crlf.mesh.faces.size(), 12u);
    EXPECT_EQ(cornersOf(crlf.mesh.faces, 3), 12u);
}

TEST_F(RealModels, NumberFormats) {
    Loaded numbers = loadModel(modelDir + "number_formats.obj");
    ASSERT_TRUE(numbers.ok);
    EXPECT_EQ(triples(numbers.mesh.vertices), (std::vector<Triple>{{0, 0, 0},
                                                                   {1, 2, 3},
                                                                   {1, 2, 3},
                                                                   {-1, -2, -3},
                                                                   {100, 20, 310},
                                                                   {100, 20, 310},
                                                                   {-100, -20, -310},
                                                                   {100, 20, 3.1f},
                                                                   {100, 20, 3.1f},
                                                                   {-100, -20, -3.1f},
                                                                   {0.01f, 0.2f, 3.1f},
                                                                   {0.01f, 0.2f, 3.1f},
                                                                   {-0.01f, -0.2f, -3.1f},
                                                                   {1e10f, 20, 3.1e10f},
                                                                   {100, 20, 310}}));
    EXPECT_EQ(numbers.mesh.faces, (IndexLists{{0, 1, 3}}));
}

TEST_F(RealModels, UnreadableAndEmptyFilesAreRefused) {
    struct Case {
        std::string path, err;
    };
    const Case cases[] = {
        {modelDir + "box_UTF16BE.obj", ": no vertices loaded: "},
        {modelDir + "../invalid/empty.obj", ": no vertices loaded: "},
        {modelDir + "point_cloud.obj", ": no triangles loaded: "},
        {modelDir + "testline.obj", ": no triangles loaded: "},
    };
    for (const Case& c : cases) {
        Loaded l = loadModel(c.path);
        EXPECT_FALSE(l.ok) << c.path;
        EXPECT_EQ(l.console.err, "SimpleMesh::load" + c.err + c.path + "\n");
        EXPECT_TRUE(l.mesh.vertices.empty() && l.mesh.faces.empty()) << c.path;
    }
}
