// The picture kept from the set-up camera, checked against a brute-force count: the test draws
// the input model and the output model face by face in their ID colours under the set-up
// camera, reads both back and compares every pixel itself.
#include "app/app_state.h"
#include "app/camera.h"
#include "app/picture_check.h"
#include "selection/projection.h"
#include "selection/view_transform_gl.h"
#include "tests/app/app_fixture.h"

#include <GL/gl.h>

#include <cstdio>
#include <set>

namespace {

std::string rectangle(int x0, int y0, int x1, int y1);

class PictureKept : public OffscreenAppTest {
  protected:
    // The ID image of the mesh's faces (only those with faceVisible 1 when onlyVisible) drawn
    // one GL_POLYGON at a time under the set-up camera, culling as "Back Face" says.
    RgbImage referenceIdImage(const SimpleMesh& mesh, bool onlyVisible) {
        run("key s\n");
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DITHER);
        if (backFace)
            glDisable(GL_CULL_FACE);
        applyProjection();
        for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
            if (onlyVisible && mesh.faceVisible[f] == 0)
                continue;
            glColor3ub(f & 255, (f >> 8) & 255, (f >> 16) & 255);
            glBegin(GL_POLYGON);
            for (int v : mesh.faces[f])
                glVertex3fv(&mesh.vertices[v].x);
            glEnd();
        }
        RgbImage image = readWindow(windowWidth, windowHeight);
        glPopAttrib();
        return image;
    }

    struct Count {
        long long differ = 0, model = 0;
        std::set<long long> changed;
    };

    // The brute-force count of the current models.
    Count referenceCount() {
        const RgbImage before = referenceIdImage(inputMesh, false);
        const RgbImage after = referenceIdImage(outputMesh, true);
        const long long n = static_cast<long long>(inputMesh.faces.size());
        auto id = [n](const unsigned char* p) {
            const long long v = p[0] + 256LL * p[1] + 65536LL * p[2];
            return v < n ? v : -1;
        };
        Count c;
        for (int y = 0; y < before.height; ++y)
            for (int x = 0; x < before.width; ++x) {
                const long long a = id(before.at(x, y)), b = id(after.at(x, y));
                if (a < 0 && b < 0)
                    continue;
                ++c.model;
                if (a == b)
                    continue;
                ++c.differ;
                for (long long face : {a, b})
                    if (face >= 0)
                        c.changed.insert(face);
            }
        return c;
    }

    // Runs the script's picture command and checks its line against the brute-force count;
    // returns the count.
    Count expectMeasureMatchesReference() {
        const Console console = captureConsole([&] { EXPECT_EQ(run("picture\n"), 0); });
        const Count c = referenceCount();
        char percent[32];
        const long long hundredths = c.model ? (c.model - c.differ) * 10000 / c.model : 10000;
        std::snprintf(percent, sizeof percent, "%lld.%02lld", hundredths / 100, hundredths % 100);
        EXPECT_EQ(console.out, std::string("picture kept: ") + percent +
                                   "% of the model's pixels from the set-up camera (" +
                                   std::to_string(c.differ) + " of " + std::to_string(c.model) +
                                   " differ)\n");
        std::set<long long> changed;
        const std::vector<unsigned char>& flags = lastPictureComparison().changedFaces;
        for (std::size_t f = 0; f < flags.size(); ++f)
            if (flags[f])
                changed.insert(static_cast<long long>(f));
        EXPECT_EQ(changed, c.changed);
        return c;
    }

    // A lasso round the window rectangle that the model points low and high project to.
    std::string rectangleAround(const DPoint3& low, const DPoint3& high) {
        run("key s\n");
        const ViewTransform view = viewTransformAfter(applyProjection);
        DPoint3 a{}, b{};
        EXPECT_TRUE(projectPoint(view, low, a));
        EXPECT_TRUE(projectPoint(view, high, b));
        return rectangle(int(a.x), windowHeight - int(b.y), int(b.x), windowHeight - int(a.y));
    }

    void open(const std::string& obj) {
        writeFile(dir.file("scene.obj"), obj);
        ASSERT_EQ(run("open-mesh " + dir.file("scene.obj")), 0);
    }

    TempDir dir;
};

// Quad 0 at depth 0, quad 1 nearer and over its right half. Mirrored as one part, quad 1 goes
// behind quad 0: the pixels where they overlap change from quad 1 to quad 0.
const char* kHalfBehind = "v -4 -4 0\nv 4 -4 0\nv 4 4 0\nv -4 4 0\n"
                          "v 0 -3 2\nv 8 -3 2\nv 8 3 2\nv 0 3 2\n"
                          "f 1 2 3 4\nf 5 6 7 8\n";

// Two tilted strips side by side and overlapping on the screen, lassoed into parts 1 and 2:
// each part is mirrored about its own position, so where they overlap their order can swap.
const char* kTwoParts = "v -7 -3 -2\nv 1 -3 2\nv 1 3 2\nv -7 3 -2\n"
                        "v -1 -2 1.5\nv 7 -2 -2.5\nv 7 2 -2.5\nv -1 2 1.5\n"
                        "f 1 2 3 4\nf 5 6 7 8\n";

// A lasso drag round the rectangle x0..x1, y0..y1 of window pixels, corners held.
std::string rectangle(int x0, int y0, int x1, int y1) {
    std::string drag = "drag left";
    const int corners[5][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    for (int c = 0; c < 4; ++c)
        for (int s = 0; s < 10; ++s)
            drag +=
                " " + std::to_string(corners[c][0] + (corners[c + 1][0] - corners[c][0]) * s / 10) +
                " " + std::to_string(corners[c][1] + (corners[c + 1][1] - corners[c][1]) * s / 10);
    return drag + " " + std::to_string(x0) + " " + std::to_string(y0) + " " + std::to_string(x0) +
           " " + std::to_string(y0) + "\n";
}

TEST_F(PictureKept, CountsEqualTheBruteForceCountOnScenesWithKnownOverlaps) {
    open(kHalfBehind);
    // Nothing measured yet: the command refuses and the panel line is empty.
    captureConsole([&] { EXPECT_NE(run("picture\n"), 0); });
    EXPECT_EQ(pictureKeptText(), "");
    captureConsole([&] { run("set-up-camera\npreview\n"); });
    const Count half = expectMeasureMatchesReference();
    EXPECT_GT(half.differ, 1000); // the overlap of the two quads
    EXPECT_LT(half.differ, half.model);
    EXPECT_EQ(half.changed, (std::set<long long>{0, 1}));
    EXPECT_EQ(pictureKeptText().rfind("Picture kept: ", 0), 0u);

    // A rebuild under another window size reads the input's image again at that size.
    captureConsole([&] { run("window 900 400\npart 1\npush\npush\n"); });
    expectMeasureMatchesReference();
    captureConsole([&] { run("window 640 480\nback-face off\ncompression 0.4\n"); });
    expectMeasureMatchesReference();
    // A face hidden by Shift+click is counted as lost.
    captureConsole([&] { run("press left 262 240 shift\n"); });
    const Count hidden = expectMeasureMatchesReference();
    EXPECT_GT(hidden.differ, half.differ);

    open(kTwoParts);
    run("camera 0 0 0 1 0 0 -60\nset-up-camera\n");
    const std::string aroundStrip = rectangleAround({-1.5, -2.5, 0}, {7.5, 2.5, 0});
    captureConsole([&] {
        run("set-up-camera\nmode lasso\npart 1\n" + rectangle(10, 10, 630, 470) + "part 2\n" +
            aroundStrip + "preview\n");
    });
    ASSERT_EQ(inputMesh.facePart[0], 1);
    ASSERT_EQ(inputMesh.facePart[1], 2);
    const Count swapped = expectMeasureMatchesReference();
    EXPECT_GT(swapped.differ, 0);
}

// "Show Changes" tints exactly the faces that changed, and only in the output model's view.
TEST_F(PictureKept, ShowChangesTintsOnlyTheChangedFaces) {
    open(std::string(kHalfBehind) + "v -9 -9 0\nv -6 -9 0\nv -6 -6 0\nf 9 10 11\n");
    captureConsole([&] { run("set-up-camera\npreview\nview output\nkey s\n"); });
    displayScene();
    const RgbImage plain = readWindow(640, 480);
    run("show-changes on\n");
    displayScene();
    const RgbImage tinted = readWindow(640, 480);
    const RgbImage ids = referenceIdImage(outputMesh, true);
    long long changedPixels = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const unsigned char* id = ids.at(x, y);
            const long long face = id[0] + 256LL * id[1] + 65536LL * id[2];
            const bool differs = !std::equal(plain.at(x, y), plain.at(x, y) + 3, tinted.at(x, y));
            // Faces 0 and 1 overlap and change; the small triangle 2 keeps its pixels.
            if (face >= 2) {
                ASSERT_FALSE(differs) << x << " " << y;
            }
            changedPixels += differs;
        }
    EXPECT_GT(changedPixels, 10000);
    run("view input\n");
    displayScene();
    const RgbImage input = readWindow(640, 480);
    run("show-changes off\n");
    displayScene();
    EXPECT_EQ(readWindow(640, 480).pixels, input.pixels);
}

} // namespace
