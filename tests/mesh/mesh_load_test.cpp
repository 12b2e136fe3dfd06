// Opening a model: what a failed load prints and that it leaves the model as it was (files
// that are no regular file, indices beyond every integer type), the lists a successful load
// builds, and the normals it computes; third-party files as found in the wild (Debian's
// assimp-testmodels); the reader's lines, coordinates and material files. (Lines longer than a
// block are read by the fuzz chain's readings in small blocks.)
#include "mesh/index_lists.h"
#include "mesh/line_cursor.h"
#include "mesh/obj_loader.h"
#include "mesh/simple_mesh.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>

inline void PrintTo(const IndexLists& lists, std::ostream* out) {
    *out << "{";
    for (std::size_t f = 0; f < lists.size(); ++f) {
        *out << (f ? ", {" : "{");
        for (std::size_t k = 0; k < lists.count(f); ++k)
            *out << (k ? " " : "") << lists[f][k];
        *out << "}";
    }
    *out << "}";
}

namespace {

using Triple = std::array<float, 3>;
using Pair = std::array<float, 2>;

std::vector<Triple> triples(const std::vector<Vec3>& values) {
    std::vector<Triple> out;
    for (const Vec3& v : values)
        out.push_back({v.x, v.y, v.z});
    return out;
}

std::vector<Pair> pairs(const std::vector<Vec2>& values) {
    std::vector<Pair> out;
    for (const Vec2& v : values)
        out.push_back({v.u, v.v});
    return out;
}

const std::vector<std::string>& programSearchDirs() {
    static const std::vector<std::string> dirs{".", "..", "Mesh", "../Mesh", "../../Mesh"};
    return dirs;
}

// All thirteen members equal.
void expectSameMesh(const SimpleMesh& a, const SimpleMesh& b) {
    auto members = [](const SimpleMesh& m) {
        return std::tuple(m.faceVisible.get(), m.vertexPart.get(), m.facePart.get(),
                          m.vertexInPart.get(), m.hideInvisibleFaces, m.drawBackFaces, m.textureId,
                          triples(m.vertices), triples(m.normals), pairs(m.texCoords), m.faces,
                          m.normalFaces, m.texCoordFaces);
    };
    EXPECT_EQ(members(a), members(b));
}

struct Read {
    ObjLoader reader;
    bool ok = false;
    Console console;
};

// Writes text as NAME in a fresh folder and runs the reader on it.
Read readObj(const std::string& text, const std::string& name = "model.obj") {
    TempDir dir;
    writeFile(dir.file(name), text);
    Read r;
    r.console = captureConsole([&] { r.ok = r.reader.loader(dir.file(name)); });
    return r;
}

const std::string invalid = "ObjLoader::readFace: invalid vertex index\n";
const std::string third = "3rd continue\n";

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

// Faces without texture coordinates or normals among faces with them get (0, 0) and their
// own normal, counted in one line; the file's normals become unit length, and a normal of no
// direction gives way to the face's own.
TEST_F(MeshLoad, FacesWithoutTexCoordsOrNormalsAreCompleted) {
    struct Case {
        std::string name, text;
        std::vector<Triple> normals;
        IndexLists normalFaces;
        std::vector<Pair> texCoords;
        IndexLists texCoordFaces;
        std::string line; // the count line's numbers, "" for none
    };
    const Case cases[] = {
        {"some.obj",
         "vn 0 0 1\nf 1//1 2//1 3//1\nf 1 2 3\n",
         {{0, 0, 1}, {0, 0, 1}},
         {{0, 0, 0}, {1, 1, 1}},
         {},
         {},
         "0|1"},
        {"fewer.obj", "vn 0 0 1\nf 1//1 2 3\n", {{0, 0, 1}, {0, 0, 1}}, {{1, 1, 1}}, {}, {}, "0|1"},
        {"mixed.obj",
         "vt 0.5 0.5\nf 1/1 2/1 3/1\nf 1 2 3\n",
         {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}},
         {{0, 1, 2}, {0, 1, 2}},
         {{0.5f, 0.5f}, {0, 0}},
         {{0, 0, 0}, {1, 1, 1}},
         "1|0"},
        {"short.obj",
         "vn 0 0 0.5\nvn 0 3 4\nvn 0.57735 0.57735 0.57735\nf 1//1 2//2 3//3\n",
         {{0, 0, 1}, {0, 0.6f, 0.8f}, {0.57735f, 0.57735f, 0.57735f}},
         {{0, 1, 2}},
         {},
         {},
         ""},
        {"zero.obj",
         "vn 0 0 0\nvn 0 0 1\nf 1//1 2//2 3//2\nf 1//2 2//2 3//2\n",
         {{0, 0, 0}, {0, 0, 1}, {0, 0, 1}},
         {{2, 2, 2}, {1, 1, 1}},
         {},
         {},
         "0|1"},
    };
    for (const Case& c : cases) {
        const Console console = load(c.name, triangle + c.text);
        ASSERT_TRUE(loaded) << c.name;
        std::string line;
        if (!c.line.empty())
            line = "SimpleMesh::load: faces without texture coordinates: " +
                   c.line.substr(0, c.line.find('|')) +
                   ", given (0, 0); faces without a usable normal: " +
                   c.line.substr(c.line.find('|') + 1) + ", given their own: " + c.name + "\n";
        const bool computed = c.texCoords.size() > 0;
        EXPECT_EQ(console.err, line + (computed ? "SimpleMesh::computeNormals: called\n" : "") +
                                   "SimpleMesh::load: " + c.name + " loaded\n");
        EXPECT_EQ(std::tuple(triples(mesh.normals), pairs(mesh.texCoords)),
                  std::tuple(c.normals, c.texCoords))
            << c.name;
        if (!computed) {
            EXPECT_EQ(mesh.normalFaces, c.normalFaces) << c.name;
        }
        EXPECT_EQ(mesh.texCoordFaces, c.texCoordFaces) << c.name;
    }
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

// Each material a mesh's faces wear, in order: "NAME FACES IMAGE" (the image's file name,
// "-" for none), joined by " | ".
std::string looks(const SimpleMesh& mesh) {
    std::vector<std::size_t> counts(mesh.materials.size());
    for (std::size_t f = 0; f < mesh.faces.size(); ++f)
        ++counts[f < mesh.faceMaterial.size() ? mesh.faceMaterial[f] : 0];
    std::string out;
    for (std::size_t m = 0; m < counts.size(); ++m) {
        if (counts[m] == 0)
            continue;
        const MeshMaterial& material = mesh.materials[m];
        const std::string image = material.image.empty()
                                      ? "-"
                                      : std::filesystem::path(material.image).filename().string();
        out += (out.empty() ? "" : " | ") + material.name + " " + std::to_string(counts[m]) + " " +
               image;
    }
    return out;
}

TEST(RealModels, CountsMaterialsAndOutcomeLines) {
    SKIP_WITHOUT_ASSIMP_MODELS();
    const std::string normals = "SimpleMesh::computeNormals: called\n";
    struct Case {
        std::string file, err; // err: the lines before the outcome line
        std::string outcome;   // "loaded" or the failure's text
        std::size_t vertices, texCoords, normals, faces, corners, withCorners, colours;
        std::string looks;        // the materials the faces wear (see looks above)
        std::string texture = ""; // a model of one material: its image, beside the MTL file
    };
    const std::string completed = "SimpleMesh::load: faces without texture coordinates: ";
    const Case cases[] = {
        // Four materials with four images, named ".\NAME" in the MTL file beside the model
        // (its fifth material is never used); one "vn 0 0 0" that 52 faces name.
        {"spider.obj",
         completed + "0, given (0, 0); faces without a usable normal: 52, given their own: " +
             kAssimpModels + "spider.obj\n",
         "loaded", 762, 302, 747 + 52, 1368, 3, 1368, 0,
         "Skin 260 wal67ar_small.jpg | HLeibTex 80 SpiderTex.jpg | BeinTex 952 drkwood2.jpg | "
         "Augentex 76 engineflare1.jpg"},
        {"WusonOBJ.obj", "", "loaded", 2117, 1, 2076, 3732, 3, 3732, 0, "(default) 3732 -"},
        // 2042 faces with plain corners among 668 with "p/t" corners; twelve materials.
        {"regr01.obj",
         completed + "2042, given (0, 0); faces without a usable normal: 0, given their own: " +
             kAssimpModels + "regr01.obj\n" + normals,
         "loaded", 2108, 688 + 1, 2108, 2710, 3, 2710, 0,
         "Base 48 - | Door 96 - | Floor 1340 - | Rafter 96 - | Ridging 488 - | Sill 60 - | "
         "Site 40 - | Roof 68 - | Terraind\xe6k 68 - | Wall-inner 56 - | Wall-out 290 - | "
         "Windows 60 -"},
        // Faces before the first "usemtl" and after one naming no material wear the default.
        {"cube_usemtl.obj", "", "loaded", 8, 0, 6, 12, 3, 12, 0,
         "(default) 2 - | mtl 6 - | mtl2 4 -"},
        {"box_mat_with_spaces.obj", normals, "loaded", 8, 0, 8, 6, 4, 6, 0, "Material 6 -"},
        {"cube_with_vertexcolors.obj", "", "loaded", 8, 0, 6, 12, 3, 12, 8, "(default) 12 -"},
        {"box.obj", normals, "loaded", 8, 0, 8, 6, 4, 6, 0, "(default) 6 -"},
        {"box_longline.obj", normals, "loaded", 8, 0, 8, 6, 936, 1, 0, "(default) 6 -"},
        // A 66-gon with "p//n" corners; a file with carriage returns and doubled blanks.
        {"concave_polygon.obj", "", "loaded", 64, 0, 1, 1, 66, 1, 0, "test 1 -"},
        {"cube_mtllib_after_g.obj",
         "ObjLoader::readMaterialFile: cannot open file: cube_mtllib_after_g.mat\n", "loaded", 8, 0,
         6, 12, 3, 12, 0, "(default) 12 -"},
        {"box_UTF16BE.obj", "", "no vertices loaded: ", 0, 0, 0, 0, 0, 0, 0, ""},
        {"../invalid/empty.obj", "", "no vertices loaded: ", 0, 0, 0, 0, 0, 0, 0, ""},
        {"point_cloud.obj", "", "no triangles loaded: ", 0, 0, 0, 0, 0, 0, 0, ""},
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
        EXPECT_EQ(
            (std::array{mesh.vertices.size(), mesh.texCoords.size(), mesh.normals.size(),
                        mesh.faces.size(), facesWithCorners(mesh.faces, c.corners),
                        mesh.vertexColours.size()}),
            (std::array{c.vertices, c.texCoords, c.normals, c.faces, c.withCorners, c.colours}))
            << c.file;
        EXPECT_EQ(looks(mesh), c.looks) << c.file;
        EXPECT_EQ(texture, !ok                 ? "untouched"
                           : c.texture.empty() ? ""
                                               : kAssimpModels + c.texture)
            << c.file;
    }
}

TEST(ObjLoader, RefusesOtherExtensionsAndUnopenableFiles) {
    EXPECT_EQ(readObj("v 1 2 3\n", "model.OBJ").console.err,
              "ObjLoader::loader: error: invalid extention\n");
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.obj"));
    for (const std::string& path :
         {std::string(), dir.file("missing.obj"), dir.file("folder.obj")}) {
        ObjLoader reader;
        Console c = captureConsole([&] { EXPECT_FALSE(reader.loader(path)); });
        EXPECT_EQ(c.err, path.empty()
                             ? "ObjLoader::loader: error: invalid extention\n"
                             : "ObjLoader::loader: error: cannot open file: " + path + "\n");
    }
    Read empty = readObj("");
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.console.err, "");
    EXPECT_TRUE(empty.reader.vertices.empty() && empty.reader.faces.empty());
}

TEST(ObjLoader, FaceLinesAndTheirConsoleLines) {
    struct Case {
        std::string line;
        IndexLists faces, texCoordFaces, normalFaces;
        std::string err;
    };
    const Case cases[] = {
        {"f 1 2 3 4", {{0, 1, 2, 3}}, {}, {}, ""},
        {"f 1/2 2/3 3/4", {{0, 1, 2}}, {{1, 2, 3}}, {}, ""},
        {"f 1//4 2//3 3//2", {{0, 1, 2}}, {}, {{3, 2, 1}}, ""},
        {"f 1/2/3 2/3/4 3/4/1", {{0, 1, 2}}, {{1, 2, 3}}, {{2, 3, 0}}, ""},
        {"f 4 3 2   \r", {{3, 2, 1}}, {}, {}, ""},
        {"f 1/1/ 2/2/ 3/3/", {{0, 1, 2}}, {{0, 1, 2}}, {}, third + third},
        {"f 1 /2 3", {{0, 2}}, {{1}}, {}, ""}, // blanks may precede a slash
        // Texture and normal indices equal to the positions until a later face differs; from
        // then on every face has a list, empty where it has no index.
        {"f 1/1/1 2/2/2\nf 3/3/3 4/5/4\nf 6//6\nf",
         {{0, 1}, {2, 3}, {5}, {}},
         {{0, 1}, {2, 4}, {}, {}},
         {{0, 1}, {2, 3}, {5}, {}},
         ""},
        {"f", {{}}, {}, {}, ""},
        {"f 0 1 99999999999999", {{-1, 0, 2147483646}}, {}, {}, ""},
        // Dropped faces.
        {"f -1 -2 -3", {}, {}, {}, invalid},
        {"f +1 2 3", {}, {}, {}, invalid},
        {"f 1 2.5 3", {}, {}, {}, invalid},
        {"f 1/2.5 2 3", {}, {}, {}, invalid},
        {"f 1 x 3", {}, {}, {}, invalid},
        {"f   ", {}, {}, {}, invalid},
        {"f 1 2 3 # comment", {}, {}, {}, invalid},
        {"f 1/1/1 2/2/2 3/3/3 #4", {}, {}, {}, invalid},
        {"f 1/1/ 2/2/ 3/3/ #4", {}, {}, {}, third + third + third + invalid},
    };
    for (const Case& c : cases) {
        Read r = readObj("v 0 0 0\n" + c.line + "\n");
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(
            std::tie(r.console.err, r.reader.faces, r.reader.texCoordFaces, r.reader.normalFaces),
            std::tie(c.err, c.faces, c.texCoordFaces, c.normalFaces))
            << c.line;
    }
}

TEST(ObjLoader, KeywordsAndCoordinates) {
    Read r = readObj("# comment\n   # indented comment\n\n"
                     "v 1 2 3 4\n  v\t-1.5 +2. 3e1\nV 9 9 9\nvp 1 2 3\no object\ns 1\nl 1 2\n"
                     "v 1 2\nv 1 x 3\nvt 0.5 0.25 0\nvt 0.75\nvn 0 0 1\n"
                     "g first second\ng\nusemtl shiny\nusemtl\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.console.err, "");
    EXPECT_EQ(triples(r.reader.vertices),
              (std::vector<Triple>{{1, 2, 3}, {-1.5f, 2, 30}, {1, 2, 0}, {1, 0, 0}}));
    EXPECT_EQ(pairs(r.reader.texCoords), (std::vector<Pair>{{0.5f, 0.25f}, {0.75f, 0}}));
    EXPECT_EQ(triples(r.reader.normals), (std::vector<Triple>{{0, 0, 1}}));
    EXPECT_EQ(r.reader.groupName, "first");
    EXPECT_EQ(r.reader.material.name, "shiny");
}

// Coordinates must read exactly as stream extraction of a float reads them: the accepted
// syntax, the value a malformed number leaves and what the following numbers then get, and
// correct rounding on every route of the conversion.
TEST(ObjLoader, CoordinatesReadLikeStreamExtraction) {
    std::vector<std::string> tokens{
        "1", "2.", "+3.0", "-1e2", "2.e1", "3.1+e2", "1e+2", "3.1-e2", "1E2", ".5", "-.5", "e5",
        ".", "+", "-", "1e", "1e+", "1..2", "1e5.3", "0x1p3", "inf", "nan", "1e39", "-1e39",
        "1e-50", "-1e-50", "1e-40", "00001.5", "--1", "1,5", "3.4028235e38", "3.4028236e38",
        "123456789012345678901234567890", "1e999999999999", "1e-999999999999", "",
        // Within half a double's precision of a point halfway between two floats.
        "0.0002749544946709648", "0.07723983749747276", "0.00927905598655343"};
    std::mt19937 random(12345);
    auto digits = [&](int count) {
        std::string text;
        while (count-- > 0)
            text += static_cast<char>('0' + random() % 10);
        return text;
    };
    // Built by appending, one draw after another (GCC's -O3 reports false overlaps inside
    // chains of string concatenation).
    for (int i = 0; i < 100000; ++i) {
        std::string token = random() % 3 ? "" : "-";
        token += digits(1 + random() % 9);
        if (random() % 4) {
            token += '.';
            token += digits(random() % 12);
        }
        if (random() % 5 == 0) {
            token += "e-";
            token += std::to_string(random() % 45);
        }
        tokens.push_back(token);
    }
    int mismatches = 0;
    for (const std::string& token : tokens) {
        std::string text = "v ";
        text += token;
        text += " 7 8";
        std::istringstream stream(text);
        std::string keyword;
        Triple expected{-9, -9, -9}, actual{-9, -9, -9};
        stream >> keyword >> expected[0] >> expected[1] >> expected[2];
        // A line alone, and one followed by its '\n' (where digit runs stop at the '\n').
        const std::string line = text + "\n";
        for (const bool newlineFollows : {false, true}) {
            LineCursor cursor(std::string_view(line).substr(0, text.size()), newlineFollows);
            std::string_view word;
            cursor.readWord(word);
            actual = {-9, -9, -9};
            for (float& value : actual)
                cursor.readFloat(value);
            if (std::memcmp(expected.data(), actual.data(), sizeof actual) != 0 &&
                ++mismatches <= 5)
                ADD_FAILURE() << "'" << token << "': stream " << testing::PrintToString(expected)
                              << ", cursor " << testing::PrintToString(actual)
                              << (newlineFollows ? " (newline follows)" : "");
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ObjLoader, FirstMaterialOfTheFileBesideTheObjOrInTheWorkingDirectory) {
    // The working directory is the repository root; a later "usemtl" renames the material.
    Read r = readObj("mtllib tests/data/mesh/two_materials.mtl other.mtl\nusemtl later\n");
    EXPECT_EQ(r.console.err, "");
    const Material& m = r.reader.material;
    EXPECT_EQ(m.name, "later");
    EXPECT_EQ(m.ambient, (Triple{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(m.diffuse, (Triple{0.4f, 0.5f, 0.6f}));
    EXPECT_EQ(m.specular, (Triple{0.9f, 1.0f, 1.0f})); // "Ks 0.9" sets only the first value
    EXPECT_EQ(m.dissolve, 0.5f);
    EXPECT_EQ(m.shininess, 10.0f); // given before "newmtl"
    EXPECT_EQ(m.diffuseMap, "first.png");
    EXPECT_EQ(readObj("mtllib tests/data/mesh/two_materials.mtl\n").reader.material.name, "first");

    // A file beside the OBJ comes first, a name written with backslashes included; its image
    // counts only when it lies beside the MTL file. A name found nowhere is reported and
    // reading goes on.
    TempDir dir;
    std::filesystem::create_directories(dir.file("materials"));
    writeFile(dir.file("materials/beside.mtl"), "newmtl beside\nmap_Kd -s 1 1 1 ..\\paint.png\n");
    writeFile(dir.file("model.obj"), "mtllib materials\\beside.mtl\nv 1 2 3\nmtllib missing\n");
    ObjLoader reader;
    Console c = captureConsole([&] { EXPECT_TRUE(reader.loader(dir.file("model.obj"))); });
    EXPECT_EQ(c.err, "ObjLoader::readMaterialFile: cannot open file: missing\n");
    EXPECT_EQ(reader.vertices.size(), 1u);
    EXPECT_EQ(reader.material.name, "beside");
    EXPECT_EQ(reader.material.diffuseMap, "..\\paint.png");
    EXPECT_EQ(reader.diffuseMapFile(), "");
    writeFile(dir.file("paint.png"), "");
    EXPECT_EQ(reader.diffuseMapFile(), dir.file("paint.png"));
}
