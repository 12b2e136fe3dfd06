// "Trim Hidden" as a user meets it: on a scene whose parts overlap on the screen the output
// model keeps the whole picture once trimming is on, the files follow the cut model, and with
// trimming off again everything is written exactly as before.
#include "app/app_state.h"
#include "app/camera.h"
#include "app/picture_check.h"
#include "app/trim_setting.h"
#include "selection/view_transform_gl.h"
#include "tests/app/app_fixture.h"

#include <cstring>
#include <filesystem>

namespace {

class TrimHiddenCommand : public OffscreenAppTest {
  protected:
    void SetUp() override {
        OffscreenAppTest::SetUp();
        home = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    void TearDown() override {
        std::filesystem::current_path(home);
        OffscreenAppTest::TearDown();
    }
    // The session's files after export and triangulate.
    std::string files() {
        captureConsole([&] { EXPECT_EQ(run("export\ntriangulate\n"), 0); });
        return readFile("data/export.obj") + readFile("data/remesh.obj");
    }
    long long differing() { return lastPictureComparison().differ; }

    std::filesystem::path home;
    TempDir dir;
};

// Two tilted strips overlapping on the screen and a quad half behind the first, the strips
// lassoed into parts 1 and 2: mirrored about their own positions they swap order.
const char* kScene = "v -7 -3 -2\nv 1 -3 2\nv 1 3 2\nv -7 3 -2\n"
                     "v -1 -2 1.5\nv 7 -2 -2.5\nv 7 2 -2.5\nv -1 2 1.5\n"
                     "v -4 -5 -4\nv 4 -5 -4\nv 4 0 -4\nv -4 0 -4\n"
                     "f 1 2 3 4\nf 5 6 7 8\nf 9 10 11 12\n";

TEST_F(TrimHiddenCommand, KeepsThePictureFollowsTheCutModelAndOffWritesAsBefore) {
    writeFile(dir.file("scene.obj"), kScene);
    captureConsole([&] {
        run("open-mesh " + dir.file("scene.obj") +
            "\ncamera 0 0 0 1 0 0 -60\nset-up-camera\nmode lasso\npart 1\n"
            "drag left 10 10 10 10 630 10 630 10 630 470 630 470 10 470 10 470 10 10 10 10\n"
            "part 2\n"
            "drag left 260 140 260 140 636 140 636 140 636 340 636 340 260 340 260 340 260 140 "
            "260 140\npreview\n");
    });
    ASSERT_EQ(inputMesh.facePart[1], 2);
    const long long untrimmed = differing();
    EXPECT_GT(untrimmed, 1000);
    const std::string before = files();
    EXPECT_EQ(&conversionInput(), &inputMesh);
    captureConsole([&] { run("save-session whole.hvsession\n"); });

    // Switched on, the output model is rebuilt at once from the cut model.
    const Console on = captureConsole([&] { run("trim on\npicture\n"); });
    EXPECT_LE(differing() * 1000, lastPictureComparison().modelPixels) << on.out;
    EXPECT_NE(&conversionInput(), &inputMesh);
    EXPECT_GT(outputMesh.faces.size(), inputMesh.faces.size());
    EXPECT_EQ(conversionInput().faces.size(), outputMesh.faces.size());
    EXPECT_EQ(inputMesh.faces.size(), 3u); // the input model is not cut
    // A session file holds the output model of whole faces (its faces are the model's), and
    // opened with trimming on it is trimmed again.
    captureConsole(
        [&] { run("save-session trimmed.hvsession\nopen-session trimmed.hvsession\n"); });
    EXPECT_EQ(readFile("trimmed.hvsession"), readFile("whole.hvsession"));
    EXPECT_NE(&conversionInput(), &inputMesh);
    // Every rebuild stays trimmed, whatever the parts' positions.
    captureConsole([&] { run("part 2\npush\npush\npush\npart 1\nback\ncompression 0.3\n"); });
    EXPECT_LE(differing() * 1000, lastPictureComparison().modelPixels);
    const std::string trimmed = files();
    EXPECT_NE(trimmed, before);

    // Off again: the same positions without the cut, then the first session's files.
    captureConsole([&] { run("trim off\n"); });
    EXPECT_EQ(outputMesh.faces.size(), inputMesh.faces.size());
    EXPECT_EQ(&conversionInput(), &inputMesh);
    captureConsole([&] { run("part 2\nback\nback\nback\npart 1\npush\ncompression 1\n"); });
    EXPECT_EQ(differing(), untrimmed);
    EXPECT_EQ(files(), before);
}

// The cut model the output model was converted from equals a cut made afresh from the input
// model as it is now (its geometry, and the selection painted since the cut was first made).
void expectCutOfTheInputAsItIsNow() {
    ViewTransform view{};
    withSetupCamera([&] { view = viewTransformAfter(applyProjection); });
    const TrimmedModel fresh = trimToVisible(inputMesh, view, backFace != 0);
    const SimpleMesh& cut = conversionInput();
    ASSERT_NE(&cut, &inputMesh);
    ASSERT_EQ(cut.vertices.size(), fresh.mesh.vertices.size());
    EXPECT_EQ(std::memcmp(cut.vertices.data(), fresh.mesh.vertices.data(),
                          cut.vertices.size() * sizeof(Vec3)),
              0);
    EXPECT_TRUE(cut.faces == fresh.mesh.faces);
    EXPECT_TRUE(cut.vertexPart == fresh.mesh.vertexPart);
    EXPECT_TRUE(cut.vertexInPart == fresh.mesh.vertexInPart);
    EXPECT_TRUE(cut.facePart == fresh.mesh.facePart);
    EXPECT_TRUE(cut.faceVisible == fresh.mesh.faceVisible);
    EXPECT_EQ(*outputSourceFaces(), fresh.sourceFace);
}

TEST_F(TrimHiddenCommand, RebuildsTakeTheLastCutWithTheSelectionAsItIsNow) {
    writeFile(dir.file("scene.obj"), kScene);
    captureConsole([&] {
        run("open-mesh " + dir.file("scene.obj") +
            "\ncamera 0 0 0 1 0 0 -60\nset-up-camera\nmode lasso\npart 1\n"
            "drag left 10 10 10 10 630 10 630 10 630 470 630 470 10 470 10 470 10 10 10 10\n"
            "trim on\npreview\n");
    });
    expectCutOfTheInputAsItIsNow();
    // Painted again after the cut: the rebuild of "Push" takes the new parts.
    captureConsole([&] {
        run("part 2\ndrag left 260 140 260 140 636 140 636 140 636 340 636 340 260 340 260 340 "
            "260 140 260 140\npush\n");
    });
    ASSERT_EQ(inputMesh.facePart[1], 2);
    expectCutOfTheInputAsItIsNow();
    // Each rebuild's cut is its own: undoing a "Push" finds the output model of whole faces
    // that belongs to the step undone to, so the session saved then is the one of before.
    captureConsole([&] { run("save-session before.hvsession\npush\nundo\n"); });
    captureConsole([&] { run("save-session after.hvsession\n"); });
    EXPECT_EQ(readFile("after.hvsession"), readFile("before.hvsession"));
    // A new camera cuts afresh.
    captureConsole([&] { run("camera 0 0 0 1 20 0 -60\nset-up-camera\npreview\n"); });
    expectCutOfTheInputAsItIsNow();
    // A cut started ahead for another camera is not taken for the rebuild's own.
    ViewTransform other{};
    withSetupCamera([&] { other = viewTransformAfter(applyProjection); });
    other.viewport[2] += 64;
    forgetLastCut();
    startCutting(inputMesh, other, backFace != 0);
    captureConsole([&] { run("push\n"); });
    expectCutOfTheInputAsItIsNow();
}

} // namespace
