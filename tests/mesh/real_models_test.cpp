// Third-party OBJ files as found in the wild (Debian's assimp-testmodels).
#include "tests/mesh/mesh_test_util.h"

namespace {

std::size_t facesWithCorners(const IndexLists& faces, std::size_t count) {
    std::size_t n = 0;
    for (std::size_t f = 0; f < faces.size(); ++f)
        n += faces[f].size() == count;
    return n;
}

} // namespace

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
