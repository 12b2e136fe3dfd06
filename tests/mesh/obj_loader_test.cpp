#include "mesh/line_cursor.h"
#include "tests/mesh/mesh_test_util.h"

#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>

namespace {

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

} // namespace

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
        // Texture and normal indices equal to the positions until a later face differs.
        {"f 1/1/1 2/2/2\nf 3/3/3 4/5/4\nf 6//6\nf",
         {{0, 1}, {2, 3}, {5}, {}},
         {{0, 1}, {2, 4}},
         {{0, 1}, {2, 3}, {5}},
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
        float expected[3] = {-9, -9, -9}, actual[3] = {-9, -9, -9};
        stream >> keyword >> expected[0] >> expected[1] >> expected[2];
        LineCursor cursor(text);
        std::string_view word;
        cursor.readWord(word);
        for (float& value : actual)
            cursor.readFloat(value);
        if (std::memcmp(expected, actual, sizeof actual) != 0 && ++mismatches <= 5)
            ADD_FAILURE() << "'" << token << "': stream " << expected[0] << " " << expected[1]
                          << " " << expected[2] << ", cursor " << actual[0] << " " << actual[1]
                          << " " << actual[2];
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
