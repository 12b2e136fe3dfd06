// The OBJ writer's numbers, face lines and file replacement; the files "Export" and
// "Triangulate Faces" write: the export's model file against golden files, with the pair lines
// it prints, and the snapshot of the window beside it; the remesh file; the golden files
// themselves must read back, with our reader and with assimp's.
#include "export/export_model.h"
#include "export/export_obj.h"
#include "export/obj_writer.h"
#include "export/remesh.h"
#include "mesh/simple_mesh.h"
#include "platform/replace_file.h"
#include "selection/triangulate.h"
#include "tests/export/obj_counts.h"
#include "tests/export/test_meshes.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"
#include "tests/support/images.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <sstream>

#include <sys/stat.h>

namespace {

std::string fixed6(float value) {
    char buffer[kMaxFixed6Chars];
    return std::string(buffer, formatFixed6(buffer, value));
}

std::string printfFixed(float value) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%f", double(value));
    return buffer;
}

// The exported file's text and the pair lines printed on the way.
std::pair<std::string, std::string> exportText(const SimpleMesh& in, const SimpleMesh& out) {
    std::vector<MeshPair> pairs;
    std::ostringstream log;
    std::string file =
        objText([&](ObjWriter& w) { writeExport(w, in, out, kAllInverted, pairs, log); });
    return {file, log.str()};
}

std::string golden(const std::string& name) {
    return readFile(sourcePath("tests/data/export/" + name));
}

const std::string kStripPair = "f[2, 3] : v[0] --- v[1] --- v[4] --- v[3] --- \n",
                  kStripPlainLog = kStripPair + "1 \nsize(MeshPair): 1\nf[2, 3] : 1\n";

const float kEye[3] = {0.5f, 0.5f, 10};

// Two bent quads, a quad hidden from view, a flat quad centred under the eye (both splits
// weigh the same), a pentagon and a triangle. The first quad takes its normals in reverse
// corner order, so each written corner must come from its own corner position.
SimpleMesh remeshModel() {
    const std::vector<Vec3> vertices = {
        {0, 0, 0},  {1, 0, 0}, {1, 1, 1},    {0, 1, 0},    {0, 0, 0},   {1, 0, 0},
        {1, 1, -1}, {0, 1, 0}, {-1, -1, 0},  {2, -1, 0},   {2, 2, 0},   {-1, 2, 0},
        {4, 0, 0},  {5, 0, 0}, {5.5f, 1, 0}, {4.5f, 2, 0}, {3.5f, 1, 0}};
    SimpleMesh m = meshOf(vertices, {{0, 1, 2, 3},
                                     {4, 5, 6, 7},
                                     {8, 9, 10, 11},
                                     {8, 9, 10, 11},
                                     {12, 13, 14, 15, 16},
                                     {0, 1, 3}});
    std::ranges::reverse(m.normalFaces.edit()[0]);
    m.faceVisible.edit()[2] = 0;
    return m;
}

using Rgb = std::array<unsigned char, 3>;

// Draws a window whose corners differ: red top-left, green bottom-left, blue elsewhere.
void drawCorners(int width, int height) {
    glViewport(0, 0, width, height);
    glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, height - 4, 4, 4);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, 4, 4);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
}

} // namespace

// Edges (signed zeros, halfway cases, the largest and smallest floats, infinities, NaNs), then
// model-range values and arbitrary bit patterns.
TEST(FormatFixed6, WritesWhatPrintfWrites) {
    using F = std::numeric_limits<float>;
    const float edges[] = {
        0.0f,           -0.0f,           -0.0000004f,    0.0078125f, 0.0234375f,  1e-7f,
        -1e-7f,         0.0000005f,      -0.0000005f,    0.9999995f, 123456.789f, -1e10f,
        16777217.0f,    F::denorm_min(), -F::min(),      F::max(),   F::lowest(), F::infinity(),
        -F::infinity(), F::quiet_NaN(),  -F::quiet_NaN()};
    for (float v : edges)
        EXPECT_EQ(fixed6(v), printfFixed(v)) << "bits " << std::bit_cast<std::uint32_t>(v);

    std::mt19937 random(6);
    std::uniform_real_distribution<float> modelRange(-1000.0f, 1000.0f);
    std::uniform_int_distribution<std::uint32_t> anyBits;
    for (int n = 0; n < 200000; ++n) {
        float v = n % 2 ? modelRange(random) : std::bit_cast<float>(anyBits(random));
        ASSERT_EQ(fixed6(v), printfFixed(v)) << "bits " << std::bit_cast<std::uint32_t>(v);
    }
}

// Each face line uses the richest OBJ corner form that every one of its corners supports (the
// sections and counts are checked by the export's golden files).
TEST(ObjWriter, FaceLineFormIsTheOneEveryCornerSupports) {
    using Face = std::vector<ObjCorner>;
    const Face faces[] = {{{0, 1, 2}, {3, 4, 5}, {6, 7, 8}},
                          {{0, 1, 2}, {3, -1, 5}, {6, 7, 8}}, // no texture coordinate
                          {{0, 1, 2}, {3, 4, 5}, {6, 7, -1}}, // no normal
                          {{9, -1, 2}, {10, 4, -1}, {11, 7, 8}, {12, 0, 0}},
                          {}};
    const std::string text = objText([&](ObjWriter& w) {
        for (const Face& face : faces)
            w.face(face);
    });
    EXPECT_EQ(text, "f 1/2/3 4/5/6 7/8/9\nf 1//3 4//6 7//9\nf 1/2 4/5 7/8\nf 10 11 12 13\n");
}

// What the sessions cannot easily stage: a folder or a FIFO where the temporary file goes. The
// folder is reported and the old file kept; the FIFO is cleared away rather than blocking.
TEST(ReplaceFile, TemporaryPathTakenByAFolderOrAFifo) {
    TempDir dir;
    const std::string path = dir.file("model.obj");
    writeFile(path, "old");
    auto header = [](const std::string& temp) {
        return writeObjFile(temp, [](ObjWriter& w) { w.header(); });
    };
    std::filesystem::create_directory(path + ".tmp");
    EXPECT_EQ(replaceFile(path, header), "Is a directory");
    EXPECT_EQ(readFile(path), "old");
    std::filesystem::remove(path + ".tmp");
    ASSERT_EQ(mkfifo((path + ".tmp").c_str(), 0600), 0);
    EXPECT_EQ(replaceFile(path, header), "");
    EXPECT_EQ(readFile(path), "#Created by HollowvistaConverter\n\n");
}

TEST(ExportFile, GoldenFilesAndTraceLines) {
    const SimpleMesh strip = stripModel(), none;
    SimpleMesh folded = strip, hidden = strip, bare = strip;
    folded.vertices.edit()[3] = {0.7f, 0.3f, 0};
    hidden.faceVisible = {2, 0, 1, 1, 1};
    bare.texCoords.clear();
    bare.texCoordFaces.clear();
    bare.normalFaces = {{1, 2, 5}, {1, 5, 4}, {0, 1, 4}, {0, 4, 3}, {}};
    // Triangle 0 has border neighbours across two edges, so it is in two records.
    SimpleMesh twoIn = meshOf({{0, 0, 0}, {2, 0, 0}, {1, 2, 0}, {1, -1, 0.3f}, {2, 2, 1}},
                              {{0, 1, 2}, {1, 0, 3}, {2, 1, 4}});
    twoIn.vertexPart.edit()[0] = twoIn.vertexPart.edit()[2] = 1;
    twoIn.facePart.edit().assign(3, -1);
    SimpleMesh twoOut = twoIn;
    twoOut.vertices.edit()[3] = {1, 0.5f, 0};
    struct Case {
        const char* why;
        std::string file;
        const SimpleMesh &in, &out;
        std::string log;
    };
    const Case cases[] = {
        {"unconverted: the border pair keeps its diagonal and is written first, unchanged",
         "strip_plain.obj", strip, strip, kStripPlainLog},
        {"vertex 3 inside the quad: the pair is written along the other diagonal",
         "strip_flipped.obj", strip, folded,
         kStripPair + "0.904581 \nsize(MeshPair): 1\nf[2, 3] : 0.904581\n"},
        {"a hidden face is left out but still counted; any flag of 1 or more is visible",
         "strip_hidden.obj", hidden, hidden, kStripPlainLog},
        {"faces without texture-coordinate or normal indices take the OBJ short forms; pairs "
         "form on vertex indices alone",
         "strip_bare.obj", bare, bare, kStripPlainLog},
        {"the higher-scoring record (0, 2, kept diagonal) claims triangle 0; the other (0, 1, "
         "flipped) is printed but not written, and triangle 1 follows among the other faces",
         "two_records.obj", twoIn, twoOut,
         "f[0, 1] : v[1] --- v[2] --- v[0] --- v[3] --- \n"
         "f[0, 2] : v[2] --- v[0] --- v[1] --- v[4] --- \n"
         "1 0.978913 \nsize(MeshPair): 2\nf[0, 2] : 1\nf[0, 1] : 0.978913\n"},
        {"nothing", "empty.obj", none, none, "\nsize(MeshPair): 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const auto [file, log] = exportText(c.in, c.out);
        EXPECT_EQ(file, golden(c.file));
        EXPECT_EQ(log, c.log);
    }
}

// Every golden file of the export and the triangulation reads back whole with assimp's
// reader, where its command-line tool is installed, and with ours (strip_bare's faces mix
// corners with and without normals).
TEST(ExportFile, GoldenFilesReadBack) {
    const bool assimp = std::system("command -v assimp >/dev/null 2>&1") == 0;
    for (const std::string name : {"strip_plain.obj", "strip_flipped.obj", "strip_bare.obj",
                                   "two_records.obj", "remesh.obj"}) {
        const std::string path = sourcePath("tests/data/export/" + name);
        const std::array<long, 2> written = writtenCounts(readFile(path));
        ASSERT_GT(written[1], 0) << name;
        SimpleMesh back;
        bool loaded = false;
        captureConsole([&] { loaded = back.load(path, {}); });
        ASSERT_TRUE(loaded) << name;
        EXPECT_EQ(long(back.faces.size()), written[1]) << name;
        EXPECT_EQ(long(back.faces->totalSize()), written[0]) << name;
        if (assimp) {
            EXPECT_EQ(assimpCounts(path), written) << name;
        }
    }
    if (!assimp)
        GTEST_SKIP() << "assimp is not installed; only our own reader was checked";
}

// Each step of a writing pass told to its progress, "NAME FRACTION; " each.
struct StepLog {
    std::ostringstream text;
    StepProgress progress() {
        return
            [this](const char* step, double fraction) { text << step << ' ' << fraction << "; "; };
    }
};

// Each export writes the model file and a snapshot of the window as seen: its size (after a
// resize, too), upright, drawn fresh by renderView once; the second export replaces both. It
// tells its progress file by file.
TEST(ExportModel, WritesModelAndSnapshotThenDone) {
    TempDir dir;
    const std::string folder = dir.file("data"); // missing: the export creates it
    const SimpleMesh strip = stripModel();
    std::vector<MeshPair> pairs;
    for (auto [w, h] : {std::array{40, 30}, std::array{37, 21}}) {
        testContext(w, h);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT); // stale content that renderView must replace
        int renders = 0;
        StepLog steps;
        const Console console = captureConsole([&] {
            EXPECT_EQ(exportModel(
                          strip, strip, kAllInverted, pairs, w, h,
                          [&] { drawCorners(w, h), ++renders; }, folder, {0, 0, 0}, std::cout,
                          steps.progress()),
                      0);
        });
        EXPECT_EQ(console.err, "Done!\n");
        EXPECT_EQ(steps.text.str(),
                  "writing the model 0; taking the snapshot 0.6; writing the glTF file 0.7; ");
        EXPECT_EQ(renders, 1);
        EXPECT_EQ(console.out, kStripPlainLog);
        EXPECT_EQ(readFile(folder + "/export.obj"), golden("strip_plain.obj"));
        int width = 0, height = 0;
        const std::vector<unsigned char> shot = loadTopDown(folder + "/export.bmp", width, height);
        ASSERT_EQ((std::array{width, height}), (std::array{w, h}));
        auto at = [&](int x, int y) {
            const unsigned char* p = &shot[(y * width + x) * 3];
            return Rgb{p[0], p[1], p[2]};
        };
        EXPECT_EQ((std::array{at(0, 0), at(0, h - 1), at(w - 1, 0)}),
                  (std::array{Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}}));
    }
    EXPECT_EQ(pairs.size(), 1u);
}

// The choices for the bent, the flat (a tie) and the hidden quads show in the remesh file
// below; a quad naming a vertex the model lacks keeps its q0-q2 diagonal.
TEST(ChooseQuadDiagonal, QuadWithAMissingCornerKeepsItsDiagonal) {
    const int missing[4] = {0, 1, 2, 17};
    EXPECT_FALSE(chooseQuadDiagonal(remeshModel(), missing, kEye));
}

// The data folder is missing at first and created; each run replaces the file and tells its
// progress (the faces' step only where there are faces).
TEST(TriangulateFaces, WritesTheRemeshFile) {
    TempDir dir;
    const std::string folder = dir.file("data");
    const SimpleMesh model = remeshModel(), none;
    for (const auto& [mesh, file] :
         {std::pair{&model, "remesh.obj"}, {&model, "remesh.obj"}, {&none, "empty.obj"}}) {
        StepLog steps;
        const Console console = captureConsole(
            [&] { EXPECT_EQ(triangulateFaces(*mesh, kEye, folder, steps.progress()), 0); });
        EXPECT_EQ(console.err, "Done!\n");
        EXPECT_EQ(readFile(folder + "/remesh.obj"), golden(file));
        EXPECT_EQ(steps.text.str(), mesh == &model
                                        ? "writing the vertices 0; writing the faces 0.3; "
                                        : "writing the vertices 0; ");
    }
}
