// The export's model file against golden files, with the pair lines it prints; the golden
// files themselves must read back, with our reader and with assimp's.
#include "export/export_obj.h"
#include "mesh/simple_mesh.h"
#include "tests/export/obj_counts.h"
#include "tests/export/test_meshes.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Exported {
    std::string file, log;
};

Exported exportText(const SimpleMesh& in, const SimpleMesh& out) {
    std::vector<MeshPair> pairs;
    std::ostringstream log;
    Exported e;
    e.file = objText([&](ObjWriter& w) { writeExport(w, in, out, kAllInverted, pairs, log); });
    e.log = log.str();
    return e;
}

std::string golden(const std::string& name) {
    return readFile(sourcePath("tests/data/export/" + name));
}

} // namespace

TEST(ExportFile, GoldenFilesAndTraceLines) {
    const SimpleMesh strip = stripModel();

    // Unconverted: the border pair keeps its diagonal and is written first, unchanged.
    Exported plain = exportText(strip, strip);
    EXPECT_EQ(plain.file, golden("strip_plain.obj"));
    EXPECT_EQ(plain.log, "f[2, 3] : v[0] --- v[1] --- v[4] --- v[3] --- \n1 \n"
                         "size(MeshPair): 1\nf[2, 3] : 1\n");

    // Vertex 3 moved inside the quad: the pair is written along the other diagonal.
    SimpleMesh folded = strip;
    folded.vertices.edit()[3] = {0.7f, 0.3f, 0};
    Exported flipped = exportText(strip, folded);
    EXPECT_EQ(flipped.file, golden("strip_flipped.obj"));
    EXPECT_EQ(flipped.log, "f[2, 3] : v[0] --- v[1] --- v[4] --- v[3] --- \n0.904581 \n"
                           "size(MeshPair): 1\nf[2, 3] : 0.904581\n");

    // A hidden face is left out but still counted; any flag of 1 or more counts as visible.
    SimpleMesh hidden = strip;
    hidden.faceVisible = {2, 0, 1, 1, 1};
    EXPECT_EQ(exportText(hidden, hidden).file, golden("strip_hidden.obj"));

    Exported empty = exportText(SimpleMesh(), SimpleMesh());
    EXPECT_EQ(empty.file, golden("empty.obj"));
    EXPECT_EQ(empty.log, "\nsize(MeshPair): 0\n");
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
    Exported e = exportText(in, out);
    EXPECT_EQ(e.log, "f[0, 1] : v[1] --- v[2] --- v[0] --- v[3] --- \n"
                     "f[0, 2] : v[2] --- v[0] --- v[1] --- v[4] --- \n"
                     "1 0.978913 \nsize(MeshPair): 2\n"
                     "f[0, 2] : 1\nf[0, 1] : 0.978913\n");
    EXPECT_EQ(e.file, golden("two_records.obj"));
}

// Faces without texture-coordinate or normal indices are written in the OBJ short forms.
TEST(ExportFile, MissingIndicesGiveShortForms) {
    SimpleMesh strip = stripModel();
    strip.texCoords.clear();
    strip.texCoordFaces.clear();
    strip.normalFaces = {{1, 2, 5}, {1, 5, 4}, {0, 1, 4}, {0, 4, 3}, {}};
    Exported e = exportText(strip, strip);
    EXPECT_EQ(e.file, golden("strip_bare.obj"));
    EXPECT_EQ(e.log.substr(0, 9), "f[2, 3] :"); // pairs on vertex indices alone
}

// Every golden file of the export and the triangulation reads back whole with assimp's
// reader, where its command-line tool is installed, and with ours (which refuses strip_bare's
// mix of corners with and without normals, as any model mixing them).
TEST(ExportFile, GoldenFilesReadBack) {
    const bool assimp = haveAssimp();
    for (const std::string name : {"strip_plain.obj", "strip_flipped.obj", "strip_bare.obj",
                                   "two_records.obj", "remesh.obj"}) {
        const std::string path = sourcePath("tests/data/export/" + name);
        const std::array<long, 2> written = writtenCounts(readFile(path));
        ASSERT_GT(written[1], 0) << name;
        SimpleMesh back;
        if (name != "strip_bare.obj") {
            ASSERT_TRUE(back.load(path, {})) << name;
            EXPECT_EQ(long(back.faces.size()), written[1]) << name;
            EXPECT_EQ(long(back.faces->totalSize()), written[0]) << name;
        }
        if (assimp) {
            EXPECT_EQ(assimpCounts(path), written) << name;
        }
    }
    if (!assimp)
        GTEST_SKIP() << "assimp is not installed; only our own reader was checked";
}
