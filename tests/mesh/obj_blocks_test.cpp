// The reader splits files into blocks of lines and blocks into parts read side by side; what
// it delivers and prints must not depend on where those cuts fall.
#include "tests/mesh/mesh_test_util.h"

#include <filesystem>

namespace {

struct Outcome {
    ObjLoader reader;
    bool ok = false;
    Console console;
};

Outcome readWith(const std::string& path, ObjReadOptions options) {
    Outcome o;
    o.reader.options = options;
    o.console = captureConsole([&] { o.ok = o.reader.loader(path); });
    return o;
}

void expectSameOutcome(const Outcome& a, const Outcome& b, const std::string& what) {
    EXPECT_EQ(a.ok, b.ok) << what;
    EXPECT_EQ(a.console.err, b.console.err) << what;
    EXPECT_EQ(triples(a.reader.vertices), triples(b.reader.vertices)) << what;
    EXPECT_EQ(triples(a.reader.normals), triples(b.reader.normals)) << what;
    EXPECT_EQ(pairs(a.reader.texCoords), pairs(b.reader.texCoords)) << what;
    EXPECT_EQ(a.reader.faces, b.reader.faces) << what;
    EXPECT_EQ(a.reader.texCoordFaces, b.reader.texCoordFaces) << what;
    EXPECT_EQ(a.reader.normalFaces, b.reader.normalFaces) << what;
    EXPECT_EQ(a.reader.groupName, b.reader.groupName) << what;
    EXPECT_EQ(a.reader.material.name, b.reader.material.name) << what;
    EXPECT_EQ(a.reader.material.diffuse, b.reader.material.diffuse) << what;
}

// Whole-file reading on one thread against tiny blocks split into many parts.
void expectCutsDoNotMatter(const std::string& path) {
    const Outcome whole = readWith(path, {std::size_t{1} << 24, 1, std::size_t{1} << 24, {}});
    expectSameOutcome(whole, readWith(path, {7, 3, 1, {}}), path + " in 7-byte blocks");
    expectSameOutcome(whole, readWith(path, {300, 4, 20, {}}), path + " in 300-byte blocks");
    expectSameOutcome(whole, readWith(path, {4096, 2, 64, {}}), path + " in 4096-byte blocks");
}

} // namespace

TEST(ObjBlocks, EventsAndGeometryKeepFileOrder) {
    // Console lines, names and the MTL file interleave with geometry all through the file;
    // the material named last must win, and the last line has no end-of-line.
    TempDir dir;
    std::string text;
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i + 1);
        text += "v " + n + " 0." + n + " -" + n + "e-1\nvt 0." + n + " 1\nvn 0 0 1\n";
        text += "g group" + n + "\nusemtl m" + n + "\n";
        text += i % 7 == 0 ? "mtllib missing" + n + ".mtl\n" : "";
        text += i % 5 == 0 ? "f 1/1/1 2/2/2 x\n" : "f " + n + "/" + n + "/1 1/1/ 1/1/1\n";
        text += i % 9 == 0 ? "mtllib tests/data/mesh/two_materials.mtl\n" : "";
        text += i % 4 == 0 ? "f 1 2 3\n" : "f\n";
    }
    text += "usemtl final\nf 1//1 2//1 3//1";
    writeFile(dir.file("mixed.obj"), text);
    expectCutsDoNotMatter(dir.file("mixed.obj"));

    const Outcome whole = readWith(dir.file("mixed.obj"), {});
    EXPECT_EQ(whole.reader.material.name, "final");
    EXPECT_EQ(whole.reader.groupName, "group40");
    EXPECT_EQ(whole.reader.faces.size(), 40u + 40u - 8u + 1u);
}

TEST(ObjBlocks, RealModelsReadTheSameInAnyCuts) {
    const std::string dir = "/usr/share/assimp/models/OBJ/";
    if (!std::filesystem::exists(dir))
        GTEST_SKIP() << "assimp-testmodels is not installed";
    for (const char* name :
         {"spider.obj", "WusonOBJ.obj", "regr01.obj", "box_longline.obj", "cube_mtllib_after_g.obj",
          "box_without_lineending.obj", "box_UTF16BE.obj", "number_formats.obj"})
        expectCutsDoNotMatter(dir + name);
}
