#include "mesh/line_cursor.h"
#include "tests/mesh/mesh_test_util.h"

#include <cstring>
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

const std::string fourVertices = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

} // namespace

TEST(ObjLoaderFiles, ExtensionMustBeLowerCaseObjAndFileMustOpen) {
    Read upper = readObj(fourVertices + "f 1 2 3\n", "model.OBJ");
    EXPECT_FALSE(upper.ok);
    EXPECT_EQ(upper.console.err, "ObjLoader::loader: error: invalid extention\n");
    EXPECT_TRUE(upper.reader.vertices.empty());

    ObjLoader reader;
    Console empty = captureConsole([&] { EXPECT_FALSE(reader.loader("")); });
    EXPECT_EQ(empty.err, "ObjLoader::loader: error: invalid extention\n");

    TempDir dir;
    const std::string missing = dir.file("missing.obj");
    Console absent = captureConsole([&] { EXPECT_FALSE(reader.loader(missing)); });
    EXPECT_EQ(absent.err, "ObjLoader::loader: error: cannot open file: " + missing + "\n");

    std::filesystem::create_directory(dir.file("folder.obj"));
    Console folder = captureConsole([&] { EXPECT_FALSE(reader.loader(dir.file("folder.obj"))); });
    EXPECT_EQ(folder.err,
              "ObjLoader::loader: error: cannot open file: " + dir.file("folder.obj") + "\n");

    EXPECT_EQ(fileExtension("a.b.obj"), "obj");
    EXPECT_EQ(fileExtension("noext"), "");
    EXPECT_EQ(fileExtension("dir.d/file"), "d/file");
    EXPECT_EQ(fileExtension("trailing."), "");
}

TEST(ObjLoaderFiles, EmptyFileReadsAsNothing) {
    Read r = readObj("");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.console.err, "");
    EXPECT_TRUE(r.reader.vertices.empty() && r.reader.normals.empty() &&
                r.reader.texCoords.empty());
    EXPECT_TRUE(r.reader.faces.empty() && r.reader.normalFaces.empty() &&
                r.reader.texCoordFaces.empty());
}

TEST(ObjLoaderFaces, CornerFormsFillTheirLists) {
    Read r = readObj(fourVertices + "f 1 2 3 4\n"
                                    "f 1/2 2/3 3/4\n"
                                    "f 1//4 2//3 3//2\n"
                                    "f 1/2/3 2/3/4 3/4/1\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.console.err, "");
    EXPECT_EQ(r.reader.faces, (IndexLists{{0, 1, 2, 3}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}));
    EXPECT_EQ(r.reader.texCoordFaces, (IndexLists{{1, 2, 3}, {1, 2, 3}}));
    EXPECT_EQ(r.reader.normalFaces, (IndexLists{{3, 2, 1}, {2, 3, 0}}));
}

TEST(ObjLoaderFaces, BadIndicesDropTheFaceWithOneLine) {
    const std::string invalid = "ObjLoader::readFace: invalid vertex index\n";
    struct Case {
        const char* line;
        const char* before; // lines printed before the invalid-index line
    };
    const Case cases[] = {
        {"f -1 -2 -3", ""},
        {"f +1 2 3", ""},
        {"f 1 2.5 3", ""},
        {"f 1 2 3.", ""},
        {"f 1/2.5 2 3", ""},
        {"f 1 2 3 # comment", ""},
        {"f 1/1/1 2/2/2 3/3/3 #comment", ""},
        {"f 1/1/1 2/2/2 3/3/3 #4", ""},
        {"f 1 x 3", ""},
        {"f   ", ""},
        {"f 1/1/ 2/2/ 3/3/ # comment", "3rd continue\n3rd continue\n3rd continue\n"},
        {"f 1/1/ 2/2/ 3/3/ #4", "3rd continue\n3rd continue\n3rd continue\n"},
    };
    for (const Case& c : cases) {
        Read r = readObj(fourVertices + c.line + "\n");
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.console.err, std::string(c.before) + invalid) << c.line;
        EXPECT_TRUE(r.reader.faces.empty()) << c.line;
        EXPECT_TRUE(r.reader.texCoordFaces.empty() && r.reader.normalFaces.empty()) << c.line;
    }
}

TEST(ObjLoaderFaces, LineEndsAndOpenThirdSlash) {
    // Trailing blanks and a carriage return end a face like the end of the line; a corner
    // ending in its second slash keeps its position and texture index, with a console line
    // when whitespace follows it.
    Read r = readObj(fourVertices + "f 1 2 3   \n"
                                    "f 1 2 3\r\n"
                                    "f 1/1/ 2/2/ 3/3/\n"
                                    "f 1/1/1 2/2/2 3/3/3 \n"
                                    "f 4 3 2");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.console.err, "3rd continue\n3rd continue\n");
    EXPECT_EQ(r.reader.faces, (IndexLists{{0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {3, 2, 1}}));
    EXPECT_EQ(r.reader.texCoordFaces, (IndexLists{{0, 1, 2}, {0, 1, 2}}));
    EXPECT_EQ(r.reader.normalFaces, (IndexLists{{0, 1, 2}}));
}

TEST(ObjLoaderFaces, BareKeywordAppendsAnEmptyFaceAndZeroBecomesMinusOne) {
    Read r = readObj(fourVertices + "f\nf 0 1 2\nf 99999999999999 1 2\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.console.err, "");
    EXPECT_EQ(r.reader.faces, (IndexLists{{}, {-1, 0, 1}, {2147483646, 0, 1}}));
}

TEST(ObjLoaderLines, KeywordsAndCoordinates) {
    Read r = readObj("# comment\n"
                     "   # indented comment\n"
                     "\n"
                     "v 1 2 3 4\n"
                     "  v\t-1.5 +2. 3e1\n"
                     "V 9 9 9\n"
                     "vp 1 2 3\n"
                     "o object\ns 1\nl 1 2\n"
                     "v 1 2\n"
                     "v 1 x 3\n"
                     "vt 0.5 0.25 0\n"
                     "vt 0.75\n"
                     "vn 0 0 1\n"
                     "g first second\n"
                     "g\n"
                     "usemtl shiny\n"
                     "usemtl\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.console.err, "");
    EXPECT_EQ(triples(r.reader.vertices),
              (std::vector<Triple>{{1, 2, 3}, {-1.5f, 2, 30}, {1, 2, 0}, {1, 0, 0}}));
    EXPECT_EQ(pairs(r.reader.texCoords), (std::vector<Pair>{{0.5f, 0.25f}, {0.75f, 0}}));
    EXPECT_EQ(triples(r.reader.normals), (std::vector<Triple>{{0, 0, 1}}));
    EXPECT_EQ(r.reader.groupName, "first");
    EXPECT_EQ(r.reader.material.name, "shiny");
}

// Coordinates must read exactly as stream extraction of a float reads them, including the
// value left behind by a malformed number and what the following numbers then get.
TEST(ObjLoaderLines, CoordinatesReadLikeStreamExtraction) {
    const char* tokens[] = {
        "1",
        "2.",
        "+3.0",
        "-1e2",
        "2.e1",
        "3.1+e2",
        "1e+2",
        "3.1-e2",
        "1E2",
        ".5",
        "-.5",
        "e5",
        ".",
        "+",
        "-",
        "1e",
        "1e+",
        "1..2",
        "1e5.3",
        "0x1p3",
        "inf",
        "nan",
        "1e39",
        "-1e39",
        "1e-50",
        "-1e-50",
        "1e-40",
        "00001.5",
        "--1",
        "1,5",
        "7e",
        "0.1",
        "3.4028235e38",
        "3.4028236e38",
        "123456789012345678901234567890",
        "0.000000000000000000000000000000000000000000001",
        // Within half a double's precision of a point halfway between two floats.
        "0.0002749544946709648",
        "0.07723983749747276",
        "0.07723983749747277",
        "0.00927905598655343",
        "1e999999999999",
        "1e-999999999999",
        "0e999999999",
        "",
    };
    for (const char* token : tokens) {
        const std::string text = std::string("v ") + token + " 7 8";
        std::istringstream stream(text);
        std::string keyword;
        float expected[3] = {-9, -9, -9};
        stream >> keyword >> expected[0] >> expected[1] >> expected[2];

        LineCursor cursor(text);
        std::string_view word;
        ASSERT_TRUE(cursor.readWord(word));
        float actual[3] = {-9, -9, -9};
        for (float& value : actual)
            cursor.readFloat(value);
        EXPECT_EQ(std::memcmp(expected, actual, sizeof actual), 0)
            << "'" << token << "': stream " << expected[0] << " " << expected[1] << " "
            << expected[2] << ", cursor " << actual[0] << " " << actual[1] << " " << actual[2];
    }
}

// Many random decimals of the shapes OBJ files use, to catch rounding faults of the number
// conversion (its quick route must give the correctly rounded float every time).
TEST(ObjLoaderLines, RandomDecimalsRoundLikeStreamExtraction) {
    std::mt19937 random(12345);
    auto digits = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += static_cast<char>('0' + random() % 10);
        return text;
    };
    int mismatches = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string token = (random() % 3 == 0) ? "-" : "";
        token += digits(1 + random() % 9);
        if (random() % 4 != 0)
            token += "." + digits(random() % 12);
        if (random() % 5 == 0)
            token += "e" + std::string(random() % 2 ? "-" : "") + std::to_string(random() % 45);
        std::istringstream stream(token);
        float expected = -9;
        stream >> expected;
        LineCursor cursor(token);
        float actual = -9;
        cursor.readFloat(actual);
        if (std::memcmp(&expected, &actual, sizeof actual) != 0 && ++mismatches <= 5)
            ADD_FAILURE() << token << ": stream " << expected << ", cursor " << actual;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ObjLoaderMaterials, FirstMaterialOfTheFileNamedRelativeToTheWorkingDirectory) {
    // The MTL file is named relative to the working directory (the repository root).
    Read r = readObj("mtllib tests/data/mesh/two_materials.mtl other.mtl\nusemtl later\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.console.err, "");
    const Material& m = r.reader.material;
    EXPECT_EQ(m.name, "later");
    EXPECT_EQ(m.ambient, (Triple{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(m.diffuse, (Triple{0.4f, 0.5f, 0.6f}));
    EXPECT_EQ(m.specular, (Triple{0.9f, 1.0f, 1.0f})); // "Ks 0.9" sets only the first value
    EXPECT_EQ(m.dissolve, 0.5f);
    EXPECT_EQ(m.shininess, 10.0f);
    EXPECT_EQ(m.diffuseMap, "first.png");

    Read named = readObj("mtllib tests/data/mesh/two_materials.mtl\n");
    EXPECT_EQ(named.reader.material.name, "first");
}

TEST(ObjLoaderMaterials, MissingMaterialFileIsReportedAndReadingGoesOn) {
    // A file beside the OBJ is not found: names resolve against the working directory.
    TempDir dir;
    writeFile(dir.file("beside.mtl"), "newmtl beside\nKd 0 0 0\n");
    writeFile(dir.file("model.obj"), "mtllib beside.mtl\nv 1 2 3\nmtllib\n");
    ObjLoader reader;
    bool ok = false;
    Console c = captureConsole([&] { ok = reader.loader(dir.file("model.obj")); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(c.err, "ObjLoader::readMaterialFile: cannot open file: beside.mtl\n"
                     "ObjLoader::readMaterialFile: cannot open file: \n");
    EXPECT_EQ(reader.vertices.size(), 1u);
    EXPECT_EQ(reader.material.name, "");
    EXPECT_EQ(reader.material.diffuse, (Triple{0.8f, 0.8f, 0.8f}));
}
