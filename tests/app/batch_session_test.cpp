// Session scripts replayed through the GUI's handlers on the offscreen window: the file
// commands' edge cases, the panel controls, pointer commands, window size and screenshots.
#include "tests/app/app_fixture.h"
#include "tests/support/images.h"

#include <IL/il.h>

#include <cstring>

namespace {

class BatchSession : public OffscreenAppTest {
  protected:
    // Opens a five-vertex, three-face model and checks it arrived.
    void openModel() {
        writeFile(model, "v 0 0 0\nv 10 0 0\nv 10 10 0\nv 0 10 0\nv 20 0 0\n"
                         "f 1 2 3\nf 1 3 4\nf 2 5 3\n");
        ASSERT_EQ(run("open-mesh " + model), 0);
        ASSERT_EQ(inputMesh.vertices.size(), 5u);
        ASSERT_EQ(inputMesh.faces.size(), 3u);
    }

    void expectOutputIsPlainCopy() {
        ASSERT_EQ(outputMesh.vertices.size(), inputMesh.vertices.size());
        for (std::size_t v = 0; v < inputMesh.vertices.size(); ++v) {
            EXPECT_EQ(outputMesh.vertices[v].x, inputMesh.vertices[v].x);
            EXPECT_EQ(outputMesh.vertices[v].z, inputMesh.vertices[v].z);
        }
        EXPECT_EQ(outputMesh.faces, inputMesh.faces);
        EXPECT_EQ(outputMesh.faceVisible, inputMesh.faceVisible);
        EXPECT_EQ(outputMesh.facePart, inputMesh.facePart);
        EXPECT_EQ(outputMesh.hideInvisibleFaces, inputMesh.hideInvisibleFaces);
        EXPECT_EQ(outputMesh.textureId, inputMesh.textureId);
    }

    TempDir dir;
    std::string model = dir.file("three faces.obj");
};

TEST_F(BatchSession, OpenMeshForcesBackFacesOnInBothMeshesWhateverTheCheckboxSays) {
    ASSERT_EQ(run("back-face off\n"), 0);
    EXPECT_EQ(backFace, 0);
    EXPECT_EQ(inputMesh.drawBackFaces, 0);
    openModel();
    EXPECT_EQ(backFace, 0);
    EXPECT_EQ(inputMesh.drawBackFaces, 1);
    EXPECT_EQ(outputMesh.drawBackFaces, 1);
    // Toggling the checkbox afterwards copies it into both meshes.
    for (int on : {0, 1}) {
        ASSERT_EQ(run(on ? "back-face on\n" : "back-face off\n"), 0);
        EXPECT_EQ(inputMesh.drawBackFaces, on);
        EXPECT_EQ(outputMesh.drawBackFaces, on);
    }
}

TEST_F(BatchSession, OpenTextureGivesBothMeshesTheSameTexture) {
    openModel();
    const std::string image = dir.file("paint.bmp");
    saveImage(image, 2, 1, {{255, 0, 0, 255}, {0, 0, 255, 255}});
    ASSERT_EQ(run("open-texture " + image + "\n"), 0);
    EXPECT_NE(inputMesh.textureId, 0u);
    EXPECT_TRUE(glIsTexture(inputMesh.textureId));
    expectOutputIsPlainCopy();
}

TEST_F(BatchSession, PanelCommandsStoreTheLiveVariablesAsTheControlsDo) {
    ASSERT_EQ(run("view output\npart 3\nmode lasso\nwireframe on\ncompression 4.5\n"), 0);
    EXPECT_EQ(shownModel, 1);
    EXPECT_EQ(currentPart, 3);
    EXPECT_EQ(editMode, 1);
    EXPECT_EQ(wireframe, 1);
    EXPECT_EQ(compressionValue, 1.0f); // clamped as the spinner clamps
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE); // front and back
    EXPECT_EQ(mode[1], GL_LINE);
    ASSERT_EQ(run("compression -7\n"), 0);
    EXPECT_EQ(compressionValue, -1.0f);
    ASSERT_EQ(run("compression -0.25\nview input\npart 0\nmode camera\nwireframe off\n"), 0);
    EXPECT_EQ(compressionValue, -0.25f);
    EXPECT_EQ(shownModel, 0);
    EXPECT_EQ(currentPart, 0);
    EXPECT_EQ(editMode, 0);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    EXPECT_EQ(mode[1], GL_FILL);
}

TEST_F(BatchSession, PointerAndCameraCommandsGoThroughTheHandlers) {
    ASSERT_EQ(run("drag right 0 240 320 240 640 240\n"), 0);
    EXPECT_EQ(viewCamera.translation, (std::array<float, 3>{20, 0, -100}));
    EXPECT_EQ(viewCamera.dragMode, 0);
    ASSERT_EQ(run("press middle 0 480\nmove 0 240\nmove 0 0\n"), 0);
    EXPECT_EQ(viewCamera.translation, (std::array<float, 3>{20, 0, -80}));
    EXPECT_EQ(viewCamera.dragMode, 3);
    ASSERT_EQ(run("release left 0 0\n"), 0);
    EXPECT_EQ(viewCamera.dragMode, 0);

    ASSERT_EQ(run("camera 0 0.6 0 0.8 1 2 -50 45\nset-up-camera\nkey r\n"), 0);
    EXPECT_EQ(setupCamera.rotation, (Quat{0, 0.6f, 0, 0.8f}));
    EXPECT_EQ(setupCamera.translation, (std::array<float, 3>{1, 2, -50}));
    EXPECT_EQ(setupCamera.fieldOfView, 45.0f);
    EXPECT_EQ(fieldOfView, 30);
    testing::internal::CaptureStdout();
    ASSERT_EQ(run("key s\nkey c\n"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "camera qrot: (0,0.6,0,0.8)\n"
                                                      "camera trans: (1,2,-50)\n"
                                                      "camera distance: 5.005\n");
}

TEST_F(BatchSession, WindowCommandResizesTheSurfaceAndReshapes) {
    ASSERT_EQ(run("window 320 200\n"), 0);
    EXPECT_EQ(context->width(), 320);
    EXPECT_EQ(context->height(), 200);
    GLint view[4] = {};
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(view[0], -320);
    EXPECT_EQ(view[3], 600);
    ASSERT_EQ(run("window 900 0\n"), 0); // minimised: nothing changes
    EXPECT_EQ(windowWidth, 320);
    EXPECT_EQ(context->width(), 320);
    context->resize(640, 480);
}

// Loads an image file with its top row first; returns width * height RGB bytes.
std::vector<unsigned char> loadTopDown(const std::string& path, int& width, int& height) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    std::vector<unsigned char> pixels;
    if (ilLoadImage(path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        width = ilGetInteger(IL_IMAGE_WIDTH);
        height = ilGetInteger(IL_IMAGE_HEIGHT);
        pixels.assign(ilGetData(), ilGetData() + width * height * 3);
    }
    ilDisable(IL_ORIGIN_SET);
    ilDeleteImages(1, &image);
    return pixels;
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

TEST_F(BatchSession, FailingCommandStopsTheScriptWithItsLine) {
    testing::internal::CaptureStderr();
    const int status = run("# a screenshot where no folder exists\nkey g\n\nscreenshot " +
                           dir.file("missing/shot.png") + "\nview output\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "script:4: cannot save the window as \"" + dir.file("missing/shot.png") + "\"\n");
    EXPECT_EQ(status, 2);
    EXPECT_EQ(shownModel, 0); // nothing after the failing line ran
}

} // namespace
