// The conversion from the user's side: sessions that open a model, fix a camera, lasso parts
// and run the part-editing commands, checked against what the depth inversion promises for
// every vertex.
#include "app/camera.h"
#include "app/commands.h"
#include "selection/projection.h"
#include "selection/view_transform_gl.h"
#include "tests/app/app_fixture.h"

#include <cmath>
#include <sstream>

namespace {

const std::string kModel = kAssimpModels + "WusonOBJ.obj";
const std::string kTexture = kAssimpModels + "drkwood2.jpg";

class Conversion : public OffscreenAppTest {
  protected:
    // The matrices of the set-up camera, taken into the view with key s (not through the
    // wrapper the converting commands use, which is what is checked).
    ViewTransform setupView() {
        run("key s\n");
        return viewTransformAfter(applyProjection);
    }

    static DPoint3 project(const ViewTransform& view, const Vec3& p) {
        DPoint3 window{};
        EXPECT_TRUE(projectPoint(view, {p.x, p.y, p.z}, window));
        return window;
    }

    // What the conversion promises for every vertex under the set-up camera: a painted vertex
    // keeps its pixel and its window depth is mirrored about its part's position (held between
    // the clipping planes); an unpainted one does not move at all. Returns how many painted
    // vertices of each part were checked; those mirrored onto the far plane, which float
    // positions cannot hold exactly, are only checked to stay on it.
    std::array<int, 4> expectConverted() {
        const ViewTransform view = setupView();
        EXPECT_EQ(outputMesh.vertices.size(), inputMesh.vertices.size());
        std::array<int, 4> checked{};
        for (std::size_t v = 0; v < inputMesh.vertices.size(); ++v) {
            const Vec3 &in = inputMesh.vertices[v], &out = outputMesh.vertices[v];
            const int part = outputMesh.vertexPart[v];
            if (outputMesh.vertexInPart[v] == 0) {
                EXPECT_TRUE(out.x == in.x && out.y == in.y && out.z == in.z) << "vertex " << v;
                continue;
            }
            const DPoint3 before = project(view, in), after = project(view, out);
            const double b = partPosition[part], k = partCompression[part];
            const double depth = std::clamp(b + k * (b - before.z), 0.0, 1.0);
            EXPECT_NEAR(after.x, before.x, 0.01) << "vertex " << v;
            EXPECT_NEAR(after.y, before.y, 0.01) << "vertex " << v;
            if (depth >= 1.0 - 1e-3) {
                EXPECT_LE(after.z, 1 + 1e-5) << "vertex " << v;
                continue;
            }
            EXPECT_NEAR(after.z, depth, 2e-5) << "vertex " << v;
            ++checked[part];
        }
        return checked;
    }

    // A small grid of quads (split into triangles) facing the viewer, with a ridge so the
    // parts have depth relief; about a third of the window wide from the start-up view.
    void openRidgeModel() {
        std::ostringstream obj;
        const int n = 8;
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i) {
                const double x = -6 + 1.5 * i, y = -6 + 1.5 * j;
                obj << "v " << x << " " << y << " " << 3 - std::abs(x) * 0.5 << "\n";
            }
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const int a = j * (n + 1) + i + 1, b = a + 1, c = a + n + 2, d = a + n + 1;
                obj << "f " << a << " " << b << " " << c << "\nf " << a << " " << c << " " << d
                    << "\n";
            }
        writeFile(dir.file("ridge.obj"), obj.str());
        ASSERT_EQ(run("open-mesh " + dir.file("ridge.obj")), 0);
        ASSERT_EQ(inputMesh.faces.size(), 128u);
    }

    TempDir dir;
};

// A lasso drag around the rectangle x0..x1, y0..y1 (window pixels), dense enough that the
// stroke's one-step smoothing keeps the corners, ending back at the start.
std::string rectangleDrag(int x0, int y0, int x1, int y1) {
    std::ostringstream drag;
    drag << "drag left";
    const int corners[5][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    for (int c = 0; c < 4; ++c)
        for (int s = 0; s < 10; ++s)
            drag << " " << corners[c][0] + (corners[c + 1][0] - corners[c][0]) * s / 10 << " "
                 << corners[c][1] + (corners[c + 1][1] - corners[c][1]) * s / 10;
    drag << " " << x0 << " " << y0 << " " << x0 << " " << y0 << "\n";
    return drag.str();
}

// Opening a real textured model, fixing a camera, lassoing two parts and previewing must
// keep every vertex on its pixel of the set-up camera and mirror each painted vertex's window
// depth about its part's position; unpainted vertices must not move at all.
TEST_F(Conversion, RealModelKeepsPixelsAndMirrorsDepthsAboutEachPartsPosition) {
    SKIP_WITHOUT_ASSIMP_MODELS();
    int status = -1;
    const Console console = captureConsole([&] {
        status =
            run("open-mesh " + kModel + "\nopen-texture " + kTexture +
                "\n"
                // The animal from its front right, 14 units away.
                "camera 0 0.3827 0 0.9239 0 -0.75 -14\nset-up-camera\nmode lasso\npart 1\n" +
                rectangleDrag(440, 130, 560, 300) + "part 2\n" + rectangleDrag(150, 110, 320, 400) +
                // The user looks elsewhere while the conversion runs.
                "camera 0 0 0 1 0 0 -100 30\npreview\n");
    });
    ASSERT_EQ(status, 0) << console.err;
    EXPECT_NE(console.err.find("SimpleMesh::loadTexture: " + kTexture + " ("), std::string::npos);
    for (const char* line : {"painted verts[", "[P]1: max = ", "[P]2: max = "})
        EXPECT_NE(console.out.find(line), std::string::npos) << line;

    // The user's view is untouched by the conversion.
    EXPECT_EQ(viewCamera.translation[2], -100.0f);
    EXPECT_EQ(viewCamera.rotation[3], 1.0f);

    const std::array<int, 4> checked = expectConverted();
    // Vertices mirrored past the far plane are not counted: enough of each part remain.
    EXPECT_GT(checked[1], 200);
    EXPECT_GT(checked[2], 200);
    // Both parts were measured: their positions are real window depths.
    for (int p : {1, 2}) {
        EXPECT_GT(partPosition[p], 0.5f);
        EXPECT_LT(partPosition[p], 1.0f);
        EXPECT_LE(partMinDepth[p], partMaxDepth[p]);
    }
}

// Before any "Preview" the depth bounds are min 1, max 0: "Push" moves the position nearer by
// 0.05 and "Back" farther; "0(deselect)" makes them act on part 0.
TEST_F(Conversion, PushAndBackStepByOneTwentiethOfTheDepthRange) {
    openRidgeModel();
    run("part 2\npush\npush\n");
    EXPECT_FLOAT_EQ(partPosition[2], 0.4f);
    run("back\n");
    EXPECT_FLOAT_EQ(partPosition[2], 0.45f);
    run("part 0\nback\n");
    EXPECT_FLOAT_EQ(partPosition[0], 0.55f);
    EXPECT_FLOAT_EQ(partPosition[1], 0.5f);

    // After a Preview the step is a twentieth of the measured extent and Push goes deeper.
    captureConsole(
        [&] { run("mode lasso\npart 1\n" + rectangleDrag(200, 100, 440, 380) + "preview\n"); });
    const float before = partPosition[1];
    const float step = (partMaxDepth[1] - partMinDepth[1]) / 20;
    ASSERT_GT(step, 0.0f);
    run("part 1\npush\n");
    EXPECT_FLOAT_EQ(partPosition[1], before + step);
}

// Every editing command converts under the set-up camera and gives the user's view back
// exactly, whatever the set-up camera holds.
TEST_F(Conversion, EditCommandsLeaveTheViewCameraExactlyAsItWas) {
    openRidgeModel();
    run("camera 0.1 0.2 0.05 0.97 1.5 -2 -90 40\nset-up-camera\n"
        "camera -0.3 0.1 0.2 0.9 3 4 -120 25\n");
    const Trackball view = viewCamera;
    for (const char* command : {"push", "back", "compression 0.25", "preview", "part 2", "push"}) {
        captureConsole([&] { run(std::string(command) + "\n"); });
        EXPECT_EQ(viewCamera.rotation, view.rotation) << command;
        EXPECT_EQ(viewCamera.translation, view.translation) << command;
        EXPECT_EQ(fieldOfView, 25) << command;
    }
}

// The same under a framed set-up camera; framing again later, for a narrow window, does not move
// the viewpoint of the conversion.
TEST_F(Conversion, FramedCameraKeepsEveryPixel) {
    openRidgeModel();
    captureConsole([&] {
        run("frame\ndrag left 320 240 360 250\nset-up-camera\nmode lasso\npart 1\n" +
            rectangleDrag(200, 100, 330, 380) + "mode camera\npreview\n");
    });
    EXPECT_GT(expectConverted()[1], 12);
    const std::vector<Vec3> converted = outputMesh.vertices;
    captureConsole([&] { run("window 300 600\nframe\nwindow 640 480\npreview\n"); });
    for (std::size_t v = 0; v < converted.size(); ++v)
        EXPECT_TRUE(outputMesh.vertices[v].x == converted[v].x &&
                    outputMesh.vertices[v].z == converted[v].z)
            << v;
}

// A spike towards the set-up camera, mirrored about the far-off position of the flat part
// around it, would land beyond the far plane and so behind the eye: it is held on the far
// plane, keeps its pixel, and the rebuild says how many vertices it held.
TEST_F(Conversion, MirroredVerticesStayBetweenTheClippingPlanes) {
    writeFile(dir.file("spike.obj"), "v -10 -10 0\nv 10 -10 0\nv 10 10 0\nv -10 10 0\nv 0 0 80\n"
                                     "f 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\nf 1 2 3 4\n");
    const Console console =
        captureConsole([&] { run("open-mesh " + dir.file("spike.obj") + "\npreview\n"); });
    EXPECT_NE(console.out.find("part 1: 1 mirrored vertices held between the clipping planes\n"),
              std::string::npos)
        << console.out;
    expectConverted();
    EXPECT_LT(outputMesh.vertices[4].z, 100 - 5); // in front of the near plane of the eye
}

// A Shift+click names the face under the pointer, hides it from the output and a second
// click brings it back; a click on the background names no face and changes nothing. Faces
// meeting on the window's middle row boundary: the rows just above and below it name
// different faces.
TEST_F(Conversion, ShiftClickTogglesTheFaceUnderThePointer) {
    openRidgeModel();
    run("camera 0 0 0 1 0 0 -100\nset-up-camera\n");
    std::string err =
        captureConsole([&] { run("press left 320 240 shift\nrelease left 320 240\n"); }).err;
    const auto at = err.find("Mesh ID : ");
    ASSERT_NE(at, std::string::npos) << err;
    const int id = std::stoi(err.substr(at + 10));
    ASSERT_GE(id, 0);
    ASSERT_LT(id, 128);
    EXPECT_EQ(inputMesh.faceVisible[id], 0);
    EXPECT_EQ(outputMesh.faceVisible[id], 0);
    EXPECT_EQ(outputMesh.hideInvisibleFaces, 1);

    err = captureConsole([&] {
              run("press left 320 240 shift\nrelease left 320 240\n"
                  "press left 5 5 shift\nrelease left 5 5\n");
          }).err;
    EXPECT_NE(err.find("Mesh ID : " + std::to_string(id) + "\nMesh ID : -1\n"), std::string::npos)
        << err;
    EXPECT_EQ(inputMesh.faceVisible[id], 1);
    EXPECT_EQ(std::count(inputMesh.faceVisible.begin(), inputMesh.faceVisible.end(), 1), 128);

    writeFile(dir.file("halves.obj"), "v -5 0 0\nv 5 0 0\nv 5 5 0\nv -5 5 0\nv -5 -5 0\nv 5 -5 0\n"
                                      "f 1 2 3 4\nf 5 6 2 1\n");
    err = captureConsole([&] {
              run("open-mesh " + dir.file("halves.obj") +
                  "\npress left 320 239 shift\nrelease left 320 239\n"
                  "press left 320 240 shift\nrelease left 320 240\n");
          }).err;
    EXPECT_NE(err.find("Mesh ID : 0\nMesh ID : 1\n"), std::string::npos) << err;
}

} // namespace
