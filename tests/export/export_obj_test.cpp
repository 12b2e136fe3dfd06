#include "export/export_obj.h"
#include "mesh/simple_mesh.h"
#include "platform/replace_file.h"
#include "tests/export/obj_counts.h"
#include "tests/export/test_meshes.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

// The model file of an export written as "Export" writes it: into a temporary file that then
// replaces path.
std::string writeExportFile(const std::string& path, const SimpleMesh& in, const SimpleMesh& out,
                            std::vector<MeshPair>& pairs, std::ostream& log) {
    return replaceFile(path, [&](const std::string& tempPath) {
        return writeObjFile(tempPath, [&](ObjWriter& writer) {
            writeExport(writer, in, out, kAllInverted, pairs, log);
        });
    });
}

struct Exported {
    std::string why, file, log;
};

Exported exportTo(const std::string& path, const SimpleMesh& in, const SimpleMesh& out) {
    std::vector<MeshPair> pairs;
    std::ostringstream log;
    Exported e;
    e.why = writeExportFile(path, in, out, pairs, log);
    e.file = readFile(path);
    e.log = log.str();
    return e;
}

// The face lines of an OBJ text: what follows the normal section.
std::string faceLines(const std::string& obj) {
    std::size_t start = obj.find(" normal vertices\n\n");
    return start == std::string::npos ? "" : obj.substr(start + 18);
}

std::string golden(const std::string& name) {
    return readFile(sourcePath("tests/data/export/" + name));
}

} // namespace

TEST(ExportFile, GoldenFilesAndTraceLines) {
    TempDir dir;
    const std::string path = dir.file("data/export.obj"); // the folder does not exist yet
    const SimpleMesh strip = stripModel();

    // Unconverted: the border pair keeps its diagonal and is written first, unchanged.
    Exported plain = exportTo(path, strip, strip);
    EXPECT_EQ(plain.why, "");
    EXPECT_EQ(plain.file, golden("strip_plain.obj"));
    EXPECT_EQ(plain.log, "f[2, 3] : v[0] --- v[1] --- v[4] --- v[3] --- \n1 \n"
                         "size(MeshPair): 1\nf[2, 3] : 1\n");

    // Vertex 3 moved inside the quad: the pair is written along the other diagonal.
    SimpleMesh folded = strip;
    folded.vertices.edit()[3] = {0.7f, 0.3f, 0};
    Exported flipped = exportTo(path, strip, folded);
    EXPECT_EQ(flipped.file, golden("strip_flipped.obj"));
    EXPECT_EQ(flipped.log, "f[2, 3] : v[0] --- v[1] --- v[4] --- v[3] --- \n0.904581 \n"
                           "size(MeshPair): 1\nf[2, 3] : 0.904581\n");

    // A hidden face is left out but still counted; any flag of 1 or more counts as visible.
    SimpleMesh hidden = strip;
    hidden.faceVisible = {2, 0, 1, 1, 1};
    EXPECT_EQ(exportTo(path, hidden, hidden).file, golden("strip_hidden.obj"));

    Exported empty = exportTo(path, SimpleMesh(), SimpleMesh());
    EXPECT_EQ(empty.file, golden("empty.obj"));
    EXPECT_EQ(empty.log, "\nsize(MeshPair): 0\n");

    // Writing into memory gives the same text as the file.
    std::vector<MeshPair> pairs;
    std::ostringstream ignored;
    EXPECT_EQ(
        objText([&](ObjWriter& w) { writeExport(w, strip, folded, kAllInverted, pairs, ignored); }),
        golden("strip_flipped.obj"));
}

// Triangle 0 has border neighbours across two edges, so it is in two records. The one with
// the higher score (0, 2, kept diagonal) claims it; the other (0, 1, flipped) is printed but
// not written, and triangle 1 follows among the remaining faces as it is.
TEST(ExportFile, FaceInTwoRecordsIsWrittenOnce) {
    SimpleMesh in = meshOf({{0, 0, 0}, {2, 0, 0}, {1, 2, 0}, {1, -1, 0.3f}, {2, 2, 1}},
                           {{0, 1, 2}, {1, 0, 3}, {2, 1, 4}});
    in.vertexPart.edit()[0] = in.vertexPart.edit()[2] = 1;
    in.facePart.edit().assign(3, -1);
    SimpleMesh out = in;
    out.vertices.edit()[3] = {1, 0.5f, 0};
    TempDir dir;
    Exported e = exportTo(dir.file("export.obj"), in, out);
    EXPECT_EQ(e.log, "f[0, 1] : v[1] --- v[2] --- v[0] --- v[3] --- \n"
                     "f[0, 2] : v[2] --- v[0] --- v[1] --- v[4] --- \n"
                     "1 0.978913 \nsize(MeshPair): 2\n"
                     "f[0, 2] : 1\nf[0, 1] : 0.978913\n");
    EXPECT_EQ(faceLines(e.file), "f 1/1/1 2/2/2 3/3/3\n"
                                 "f 3/3/3 2/2/2 5/5/5\n"
                                 "f 2/2/2 1/1/1 4/4/4\n"
                                 "# 3 elements\n\n");
}

// Faces without texture-coordinate or normal indices are written in the OBJ short forms.
TEST(ExportFile, MissingIndicesGiveShortForms) {
    SimpleMesh strip = stripModel();
    strip.texCoords.clear();
    strip.texCoordFaces.clear();
    strip.normalFaces = {{1, 2, 5}, {1, 5, 4}, {0, 1, 4}, {0, 4, 3}, {}};
    TempDir dir;
    Exported e = exportTo(dir.file("export.obj"), strip, strip);
    EXPECT_EQ(faceLines(e.file), "f 1//1 2//2 5//5\nf 1//1 5//5 4//4\n"
                                 "f 2//2 3//3 6//6\nf 2//2 6//6 5//5\n"
                                 "f 3 7 8 6\n# 5 elements\n\n");
    EXPECT_EQ(e.log.substr(0, 9), "f[2, 3] :"); // pairs on vertex indices alone
}

// A failed write reports why and leaves the file that was there; nothing is half-written.
TEST(ExportFile, FailureKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("export.obj");
    writeFile(path, "good");
    std::filesystem::create_directory(path + ".tmp"); // the temporary file cannot be made
    const SimpleMesh strip = stripModel();
    std::vector<MeshPair> pairs(3);
    std::ostringstream log;
    EXPECT_EQ(writeExportFile(path, strip, strip, pairs, log), "Is a directory");
    EXPECT_EQ(readFile(path), "good");
    EXPECT_EQ(log.str(), ""); // the pairs are not rebuilt when the file cannot be created
    EXPECT_EQ(pairs.size(), 3u);
}

// Our own reader and assimp both read every kind of file the export writes.
TEST(ExportFile, ReadersAcceptTheFiles) {
    SimpleMesh strip = stripModel(), folded = strip, bare = strip;
    folded.vertices.edit()[3] = {0.7f, 0.3f, 0};
    bare.texCoords.clear();
    bare.texCoordFaces.clear();
    const bool assimp = haveAssimp();
    TempDir dir;
    int n = 0;
    for (const SimpleMesh* out : {&strip, &folded, &bare}) {
        const std::string path = dir.file("export" + std::to_string(n++) + ".obj");
        const SimpleMesh& in = out == &folded ? strip : *out;
        Exported e = exportTo(path, in, *out);
        std::array<long, 2> written = writtenCounts(e.file);
        ASSERT_EQ(written[1], 5);

        SimpleMesh back;
        ASSERT_TRUE(back.load(path, {}));
        EXPECT_EQ(back.vertices.size(), out->vertices.size());
        EXPECT_EQ(back.texCoords.size(), out->texCoords.size());
        EXPECT_EQ(back.normals.size(), out->normals.size());
        EXPECT_EQ(long(back.faces.size()), written[1]);
        EXPECT_EQ(long(back.faces->totalSize()), written[0]);
        if (assimp) {
            EXPECT_EQ(assimpCounts(path), written) << path;
        }
    }
    if (!assimp)
        GTEST_SKIP() << "assimp is not installed; only our own reader was checked";
}
