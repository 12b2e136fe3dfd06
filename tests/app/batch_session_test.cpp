// Session scripts replayed through the GUI's handlers on the offscreen window: the file
// commands' edge cases, the panel controls, pointer commands, window size and screenshots.
#include "tests/app/app_fixture.h"
#include "tests/support/images.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

class BatchSession : public OffscreenAppTest {
  protected:
    // Opens a five-vertex, three-face model, then does what a user would since: paints parts,
    // hides faces, tunes the parts and converts the output.
    void openAndEditModel() {
        writeFile(model, "v 0 0 0\nv 10 0 0\nv 10 10 0\nv 0 10 0\nv 20 0 0\n"
                         "f 1 2 3\nf 1 3 4\nf 2 5 3\n");
        ASSERT_EQ(run("open-mesh " + model), 0);
        ASSERT_EQ(inputMesh.faces.size(), 3u);
        inputMesh.facePart = {2, -1, 1};
        inputMesh.vertexPart = {2, 2, 1, 2, 1};
        inputMesh.vertexInPart = {1, 1, 1, 1, 1};
        inputMesh.faceVisible = {0, 1, 0};
        for (int p = 0; p < 4; ++p) {
            partPosition[p] = partMedianDepth[p] = 0.2f;
            partCompression[p] = -0.5f;
            partMinDepth[p] = 0.3f;
            partMaxDepth[p] = 0.6f;
        }
        compressionValue = -0.5f;
        outputMesh = inputMesh;
        outputMesh.vertices.edit()[0].z = 42;
        outputMesh.hideInvisibleFaces = 1;
    }

    TempDir dir;
    std::string model = dir.file("three faces.obj");
};

// A model that loads starts afresh: every part, label and setting, and back faces drawn in
// both meshes whatever the checkbox says. (Cancelled and failed opens change nothing: see
// kept_work_test.cpp.)
TEST_F(BatchSession, OpenMeshStartsEveryPartAndLabelAfresh) {
    openAndEditModel();
    ASSERT_EQ(run("back-face off\nopen-mesh " + model + "\n"), 0);
    for (const SimpleMesh* mesh : {&inputMesh, &outputMesh}) {
        EXPECT_EQ(mesh->vertices.size(), 5u);
        EXPECT_EQ(mesh->vertices[0].z, 0.0f); // the output model is a plain copy of the input
        EXPECT_EQ(std::tuple(mesh->faceVisible.get(), mesh->facePart.get(), mesh->vertexPart.get(),
                             mesh->vertexInPart.get(), mesh->hideInvisibleFaces,
                             mesh->drawBackFaces),
                  std::tuple(std::vector<int>{1, 1, 1}, std::vector<int>{0, 0, 0},
                             std::vector<int>(5, 0), std::vector<int>(5, 0), 0, 1));
    }
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ((std::array{partPosition[p], partCompression[p], partMedianDepth[p],
                              partMinDepth[p], partMaxDepth[p]}),
                  (std::array{0.5f, 1.0f, 0.5f, 1.0f, 0.0f}))
            << "part " << p;
    EXPECT_EQ(std::pair(compressionValue, backFace), std::pair(1.0f, 0));
}

// A texture that loads goes to both models; the conversion shown in the output model stays.
TEST_F(BatchSession, OpenTextureKeepsTheConversion) {
    openAndEditModel();
    const std::string image = dir.file("paint.bmp");
    saveImage(image, 2, 1, {{255, 0, 0, 255}, {0, 0, 255, 255}});
    ASSERT_EQ(run("open-texture " + image + "\n"), 0);
    EXPECT_TRUE(glIsTexture(inputMesh.textureId));
    EXPECT_EQ(outputMesh.textureId, inputMesh.textureId);
    EXPECT_EQ(outputMesh.vertices[0].z, 42.0f);
    EXPECT_EQ(outputMesh.hideInvisibleFaces, 1);
}

TEST_F(BatchSession, PanelCommandsStoreTheLiveVariablesAsTheControlsDo) {
    ASSERT_EQ(run("view output\npart 3\nmode lasso\nwireframe on\ncompression -4.5\n"
                  "back-face off\n"),
              0);
    EXPECT_EQ(std::vector<int>({shownModel, currentPart, editMode, wireframe, backFace}),
              std::vector<int>({1, 3, 1, 1, 0}));
    EXPECT_EQ(compressionValue, -1.0f); // clamped as the spinner clamps
    EXPECT_EQ(inputMesh.drawBackFaces, 0);
    std::array<GLint, 2> mode{}; // front and back
    glGetIntegerv(GL_POLYGON_MODE, mode.data());
    EXPECT_EQ(mode, (std::array<GLint, 2>{GL_LINE, GL_LINE}));
    ASSERT_EQ(run("compression -0.25\nwireframe off\n"), 0);
    EXPECT_EQ(compressionValue, -0.25f);
    glGetIntegerv(GL_POLYGON_MODE, mode.data());
    EXPECT_EQ(mode[0], GL_FILL);
}

TEST_F(BatchSession, WindowCommandResizesTheSurfaceAndReshapes) {
    ASSERT_EQ(run("window 320 200\n"), 0);
    EXPECT_EQ(std::pair(context->width(), context->height()), std::pair(320, 200));
    std::array<GLint, 4> view{};
    glGetIntegerv(GL_VIEWPORT, view.data());
    EXPECT_EQ(view, (std::array<GLint, 4>{-320, -200, 960, 600}));
    EXPECT_EQ(viewCamera.width, 320);    // drags normalise by the new size
    ASSERT_EQ(run("window 900 0\n"), 0); // minimised: nothing changes
    EXPECT_EQ(std::pair(windowWidth, context->width()), std::pair(320, 320));
    context->resize(640, 480);
}

TEST_F(BatchSession, ScreenshotSavesTheWindowUpright) {
    for (const char* name : {"shot.png", "shot.bmp"}) {
        const std::string path = dir.file(name);
        // A green stroke near the top of a 320 x 200 window.
        ASSERT_EQ(run("window 320 200\nmode lasso\npress left 20 30\nmove 300 30\nmove 300 30\n"
                      "screenshot " +
                      path + "\nrelease left 300 30\nscreenshot " + path + ".after.png\n"),
                  0);
        int width = 0, height = 0;
        const std::vector<unsigned char> shot = loadTopDown(path, width, height);
        ASSERT_EQ(width, 320) << name;
        ASSERT_EQ(height, 200);
        auto green = [&](int x, int y) {
            const unsigned char* p = &shot[(y * width + x) * 3];
            return p[1] > 120 && p[1] > p[0] + 40 && p[1] > p[2] + 40;
        };
        EXPECT_TRUE(green(160, 30)) << name;
        EXPECT_FALSE(green(160, 169)) << name; // the mirror row: the picture is not flipped
        EXPECT_FALSE(green(10, 30)) << name;
        const std::vector<unsigned char> after = loadTopDown(path + ".after.png", width, height);
        ASSERT_EQ(after.size(), shot.size());
        EXPECT_NE(after, shot); // taken after the release: the stroke is gone
    }
    context->resize(640, 480);
}

// Standard output written to a file (fully buffered) holds a command's lines as soon as the
// command has run, not only at exit: "Preview" prints the part depths and nothing on standard
// error, which would flush standard output first.
TEST_F(BatchSession, StandardOutputReachesItsFileAfterEachCommand) {
    openAndEditModel();
    const std::string log = dir.file("log");
    std::fflush(stdout);
    const int saved = dup(1), file = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    dup2(file, 1);
    close(file);
    const int status = run("preview\n");
    const std::string written = readFile(log);
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    EXPECT_EQ(status, 0);
    EXPECT_NE(written.find("\n[P]0: max = "), std::string::npos) << written;
}

} // namespace
