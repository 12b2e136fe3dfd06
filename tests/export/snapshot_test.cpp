#include "export/export_model.h"
#include "export/snapshot.h"
#include "platform/offscreen_context.h"
#include "tests/export/test_meshes.h"
#include "tests/support/gl_test.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace {

using Rgb = std::array<int, 3>;

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

// A BMP file as stored on disk: its size and the colour of a pixel counted from the
// picture's top-left, honouring the row order the header declares.
struct Bmp {
    int width = 0, height = 0, pixelBytes = 0;
    std::string bytes;
    bool read(const std::string& path) {
        bytes = readFile(path);
        if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0)
            return false;
        pixelBytes = field16(28) / 8; // DevIL writes 24 or 32 bits per pixel
        if (pixelBytes != 3 && pixelBytes != 4)
            return false;
        width = field32(18);
        height = field32(22);
        return true;
    }
    Rgb pixelFromTop(int x, int y) const {
        int rows = std::abs(height), stride = (width * pixelBytes + 3) / 4 * 4;
        int stored = height > 0 ? rows - 1 - y : y; // positive height: bottom row first
        const char* p = bytes.data() + field32(10) + stored * stride + x * pixelBytes;
        return {std::uint8_t(p[2]), std::uint8_t(p[1]), std::uint8_t(p[0])};
    }
    std::int32_t field32(int at) const {
        std::int32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    }
    int field16(int at) const { return std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8; }
};

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

} // namespace

// The snapshot is the window as seen: its size, upright on disk, drawn fresh by renderView.
TEST(Snapshot, HasTheWindowSizeAndIsUpright) {
    TempDir dir;
    const std::string path = dir.file("shot.bmp");
    for (auto [w, h] : {std::array{64, 48}, std::array{37, 21}}) { // after a resize, too
        testContext(w, h);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT); // stale content that renderView must replace
        int renders = 0;
        ASSERT_EQ(writeSnapshot(
                      w, h, [&] { drawCorners(w, h), ++renders; }, path),
                  "");
        EXPECT_EQ(renders, 1);
        Bmp bmp;
        ASSERT_TRUE(bmp.read(path));
        EXPECT_EQ(bmp.width, w);
        EXPECT_EQ(std::abs(bmp.height), h);
        EXPECT_EQ(bmp.pixelFromTop(0, 0), kRed);
        EXPECT_EQ(bmp.pixelFromTop(0, h - 1), kGreen);
        EXPECT_EQ(bmp.pixelFromTop(w - 1, 0), kBlue);
    }
}

TEST(ExportModel, WritesModelAndSnapshotThenDone) {
    testContext(40, 30);
    TempDir dir;
    const std::string folder = dir.file("data"); // missing: the export creates it
    const SimpleMesh strip = stripModel();
    std::vector<MeshPair> pairs;
    for (int round = 0; round < 2; ++round) { // the second export replaces both files
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int result = exportModel(
            strip, strip, kAllInverted, pairs, 40 - round * 8, 30, [] { drawCorners(40, 30); },
            folder);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Done!\n");
        EXPECT_EQ(result, 0);
        EXPECT_EQ(out, "f[2, 3] : v[0] --- v[1] --- v[4] --- v[3] --- \n1 \n"
                       "size(MeshPair): 1\nf[2, 3] : 1\n");
        EXPECT_EQ(readFile(folder + "/export.obj"),
                  readFile(sourcePath("tests/data/export/strip_plain.obj")));
        Bmp bmp;
        ASSERT_TRUE(bmp.read(folder + "/export.bmp"));
        EXPECT_EQ(bmp.width, 40 - round * 8);
    }
    EXPECT_EQ(pairs.size(), 1u);
}

TEST(ExportModel, ReportsAFileItCannotWrite) {
    testContext(16, 16);
    TempDir dir;
    writeFile(dir.file("data"), "a file where the folder should be");
    const SimpleMesh strip = stripModel();
    std::vector<MeshPair> pairs;
    testing::internal::CaptureStderr();
    EXPECT_EQ(exportModel(
                  strip, strip, kAllInverted, pairs, 16, 16, [] {}, dir.file("data")),
              1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("exportModel: cannot write " + dir.file("data") + "/export.obj: ", 0), 0u)
        << err;
    EXPECT_EQ(err.find("Done!"), std::string::npos);

    // The model file can be written but the image cannot: that is reported too.
    TempDir other;
    std::filesystem::create_directories(other.file("export.bmp.tmp/x"));
    writeFile(other.file("export.obj"), "the previous export");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(exportModel(
                  strip, strip, kAllInverted, pairs, 16, 16, [] {}, other.path()),
              1);
    testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("exportModel: cannot write " + other.file("export.bmp") + ": ", 0), 0u)
        << err;
    // The previous model file is not replaced without its image.
    EXPECT_EQ(readFile(other.file("export.obj")), "the previous export");
    EXPECT_FALSE(std::filesystem::exists(other.file("export.obj.tmp")));
}
