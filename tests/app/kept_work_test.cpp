// Ordinary steps that must not lose work or change the converted model: the sample session
// with and without each step exports the same model file, byte for byte.
#include "app/camera.h"
#include "selection/projection.h"
#include "selection/view_transform_gl.h"
#include "tests/app/app_fixture.h"

#include <filesystem>

namespace {

// The sample conversion: the house as part 1, the crates as part 2, seen from the front right.
// {STEP} marks where a variant puts its step.
const std::string kSession = R"(open-mesh {MESH}
camera -0.21 0.1 0.02 0.97 0 0 -100
set-up-camera
{BEFORE PAINTING}
mode lasso
part 1
drag left 88 106 334 110 348 160 352 340 322 386 86 368 82 220 88 106
part 2
drag left 356 212 494 212 500 290 562 290 572 394 480 398 358 390 356 212
{BEFORE PREVIEW}
{PREVIEW}
{AFTER PREVIEW}
export
)";

class KeptWork : public OffscreenAppTest {
  protected:
    // Runs the session with the steps put in (placeholders left empty otherwise) in a scratch
    // folder and returns the exported model file.
    std::string exportWith(const std::string& beforePainting, const std::string& beforePreview,
                           const std::string& afterPreview, bool preview = true) {
        resetApplicationState();
        std::string script = kSession;
        auto put = [&script](const std::string& mark, const std::string& text) {
            script.replace(script.find(mark), mark.size(), text);
        };
        put("{MESH}", sourcePath("Mesh/sample.obj"));
        put("{BEFORE PAINTING}", beforePainting);
        put("{BEFORE PREVIEW}", beforePreview);
        put("{PREVIEW}", preview ? "preview" : "");
        put("{AFTER PREVIEW}", afterPreview);
        TempDir work;
        const auto home = std::filesystem::current_path();
        std::filesystem::current_path(work.path());
        int status = -1;
        captureConsole([&] { status = run(script); });
        std::filesystem::current_path(home);
        EXPECT_EQ(status, 0);
        return readFile(work.file("data/export.obj"));
    }

    // Runs a script with the console captured; the status must be 0.
    Console runCaptured(const std::string& script) {
        int status = -1;
        Console console = captureConsole([&] { status = run(script); });
        EXPECT_EQ(status, 0) << console.err;
        return console;
    }
};

TEST_F(KeptWork, StepsThatMustNotChangeTheExport) {
    TempDir files;
    const std::string brokenModel = files.file("broken.obj"); // index lists that disagree
    writeFile(brokenModel, "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\nf 1 2 3\n");
    const std::string texture = sourcePath("Mesh/sample.bmp");
    struct Variant {
        std::string what, beforePainting, beforePreview, afterPreview;
    };
    const Variant variants[] = {
        {"outlines shown while painting and measuring", "wireframe on", "", "wireframe off"},
        {"a cancelled Open Mesh after painting", "", "mode camera\nopen-mesh", ""},
        {"Open Mesh of a missing file after painting", "", "open-mesh " + files.file("none.obj"),
         ""},
        {"Open Mesh of a file that does not load", "", "open-mesh " + brokenModel, ""},
        {"a cancelled Open Texture after Preview", "", "", "open-texture"},
        {"Open Texture of a missing image after Preview", "", "",
         "open-texture " + files.file("none.bmp")},
        {"Open Texture of the same image after Preview", "", "", "open-texture " + texture},
        {"Push, Back and Shift+click before Preview", "",
         "part 1\npush\npush\nback\nmode camera\npress left 200 200 shift\nrelease left 200 200",
         ""},
    };
    const std::string plain = exportWith("", "", "");
    ASSERT_NE(plain.find("# 904 elements"), std::string::npos);
    for (const Variant& v : variants)
        EXPECT_TRUE(exportWith(v.beforePainting, v.beforePreview, v.afterPreview) == plain)
            << v.what;

    // Before any Preview there is no measured depth to mirror about: the rebuilds of Push,
    // Back and the spinner leave the output model as loaded.
    const std::string unconverted = exportWith("", "", "", false);
    EXPECT_FALSE(unconverted == plain);
    EXPECT_TRUE(exportWith("", "part 1\npush\nback\npush\ncompression 0.5", "", false) ==
                unconverted);
}

// A spike reaching towards the set-up camera, mirrored about the far-off position of the flat
// part around it, would land beyond the far plane and so behind the eye: it is held on the far
// plane instead, keeps its pixel, and the rebuild says how many vertices it held.
TEST_F(KeptWork, MirroredVerticesStayBetweenTheClippingPlanesOnTheirPixels) {
    TempDir dir;
    const std::string model = dir.file("spike.obj");
    writeFile(model, "v -10 -10 0\nv 10 -10 0\nv 10 10 0\nv -10 10 0\nv 0 0 80\n"
                     "f 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\nf 1 2 3 4\n");
    const Console console = runCaptured("open-mesh " + model + "\npreview\n");
    EXPECT_NE(console.out.find("part 1: 1 mirrored vertices held between the clipping planes\n"),
              std::string::npos)
        << console.out;
    ViewTransform view{};
    withSetupCamera([&] { view = viewTransformAfter(applyProjection); });
    ASSERT_EQ(outputMesh.vertices.size(), 5u);
    for (std::size_t v = 0; v < 5; ++v) {
        const Vec3 &in = inputMesh.vertices[v], &out = outputMesh.vertices[v];
        DPoint3 before, after;
        ASSERT_TRUE(projectPoint(view, {in.x, in.y, in.z}, before));
        ASSERT_TRUE(projectPoint(view, {out.x, out.y, out.z}, after));
        EXPECT_NEAR(after.x, before.x, 1e-3) << v;
        EXPECT_NEAR(after.y, before.y, 1e-3) << v;
        EXPECT_GE(after.z, -1e-6) << v;
        EXPECT_LE(after.z, 1 + 1e-5) << v;
        EXPECT_LT(out.z, 100 - 5) << v; // in front of the near plane of the eye at z = 100
    }
}

// Shift+click picks the face under the pointer's own pixel: two faces meet on the window's
// middle row boundary, and the rows just above and below it name different faces.
TEST_F(KeptWork, ShiftClickPicksTheFaceUnderThePointersPixel) {
    TempDir dir;
    const std::string model = dir.file("halves.obj");
    writeFile(model, "v -5 0 0\nv 5 0 0\nv 5 5 0\nv -5 5 0\nv -5 -5 0\nv 5 -5 0\n"
                     "f 1 2 3 4\nf 5 6 2 1\n");
    const Console console = runCaptured("open-mesh " + model +
                                        "\ncamera 0 0 0 1 0 0 -100\n"
                                        "press left 320 239 shift\nrelease left 320 239\n"
                                        "press left 320 240 shift\nrelease left 320 240\n");
    EXPECT_NE(console.err.find("Mesh ID : 0\nMesh ID : 1\n"), std::string::npos) << console.err;
    EXPECT_EQ(inputMesh.faceVisible.get(), (std::vector<int>{0, 0}));
}

} // namespace
