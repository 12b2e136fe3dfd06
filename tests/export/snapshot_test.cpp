// "Export" writes the model file and a snapshot of the window beside it.
#include "export/export_model.h"
#include "tests/export/test_meshes.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"
#include "tests/support/images.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

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

// Each export writes the model file and a snapshot of the window as seen: its size (after a
// resize, too), upright, drawn fresh by renderView once; the second export replaces both.
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
        const Console console = captureConsole([&] {
            EXPECT_EQ(exportModel(
                          strip, strip, kAllInverted, pairs, w, h,
                          [&] { drawCorners(w, h), ++renders; }, folder),
                      0);
        });
        EXPECT_EQ(console.err, "Done!\n");
        EXPECT_EQ(renders, 1);
        EXPECT_EQ(console.out, "f[2, 3] : v[0] --- v[1] --- v[4] --- v[3] --- \n1 \n"
                               "size(MeshPair): 1\nf[2, 3] : 1\n");
        EXPECT_EQ(readFile(folder + "/export.obj"),
                  readFile(sourcePath("tests/data/export/strip_plain.obj")));
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
