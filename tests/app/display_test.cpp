// The 3-D window on the offscreen surface: the reference cube, the coat of paint of the parts
// and the OpenGL error report (reshaping and the stroke overlay are checked through session
// commands, the surface's stencil and depth buffers by the lasso and ID-pass tests).
#include "app/camera.h"
#include "tests/app/app_fixture.h"
#include "tests/support/images.h"

#include <algorithm>
#include <array>
#include <sstream>

#include <cstdlib>
#include <regex>
#include <vector>

namespace {

using Display = OffscreenAppTest;

TEST_F(Display, ReferenceCubeIsDrawnWhiteOnTheClearColour) {
    displayScene();
    std::vector<unsigned char> pixels(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    int white = 0, background = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        const unsigned char* p = &pixels[i];
        white += p[0] > 200 && p[1] > 200 && p[2] > 200;
        background +=
            std::abs(p[0] - 26) <= 1 && std::abs(p[1] - 64) <= 1 && std::abs(p[2] - 89) <= 1;
    }
    // Twelve edges of a cube 10 wide seen from 100 away: thin lines on the clear colour.
    EXPECT_GT(white, 1000);
    EXPECT_LT(white, 20000);
    EXPECT_GT(background, 600 * 400);
    GLboolean lighting = GL_FALSE;
    glGetBooleanv(GL_LIGHTING, &lighting);
    EXPECT_TRUE(lighting); // drawing the cube and the overlay leaves lighting as it found it
}

// Four separate textured quads, 3 x 6 units with a unit between them, facing a straight-on
// camera 100 away; their centres fall on the pixels kQuadCentres of row 240.
std::string fourQuads() {
    std::ostringstream obj;
    obj << "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    for (int k = 0; k < 4; ++k) {
        const int left = -8 + 4 * k, right = left + 3;
        obj << "v " << left << " -3 0\nv " << right << " -3 0\nv " << right << " 3 0\nv " << left
            << " 3 0\n";
        obj << "f " << 4 * k + 1 << "/1 " << 4 * k + 2 << "/2 " << 4 * k + 3 << "/3 " << 4 * k + 4
            << "/4\n";
    }
    return obj.str();
}
constexpr std::array<int, 4> kQuadCentres = {145, 253, 360, 468};

// The largest difference in one channel between two pixels.
int channelDistance(const unsigned char* a, const unsigned char* b) {
    return std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
}

// The smallest channelDistance between any two of the quads' centre pixels in a top-down RGB
// picture of the window.
int closestQuads(const std::vector<unsigned char>& picture) {
    int closest = 255;
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            closest =
                std::min(closest, channelDistance(&picture[(240 * 640 + kQuadCentres[a]) * 3],
                                                  &picture[(240 * 640 + kQuadCentres[b]) * 3]));
    return closest;
}

// Quads 1 to 3 painted as parts 1 to 3, the last one not: on a near-black and a near-white
// texture each part differs clearly from the others and from the bare texture on the screen,
// while the picture the export's snapshot reads keeps the tint alone (which on the dark texture
// all but vanishes).
TEST_F(Display, PaintedPartsStandApartOnDarkAndLightTextures) {
    const TempDir dir;
    writeFile(dir.file("quads.obj"), fourQuads());
    std::string lassos;
    for (int k = 0; k < 3; ++k) {
        const std::string l = std::to_string(kQuadCentres[k] - 47),
                          r = std::to_string(kQuadCentres[k] + 47);
        lassos += "part " + std::to_string(k + 1) + "\ndrag left " + l + " 140 " + l + " 140 " + r +
                  " 140 " + r + " 140 " + r + " 340 " + r + " 340 " + l + " 340 " + l + " 340 " +
                  l + " 140\n";
    }
    for (const std::uint8_t grey : {6, 249}) {
        const std::string texture = dir.file("grey" + std::to_string(grey) + ".png");
        saveImage(texture, 2, 2, std::vector<Rgba>(4, Rgba{grey, grey, grey, 255}));
        const std::string shot = dir.file("shot.png");
        ASSERT_EQ(run("open-mesh " + dir.file("quads.obj") + "\nopen-texture " + texture +
                      "\ncamera 0 0 0 1 0 0 -100\nmode lasso\n" + lassos + "screenshot " + shot),
                  0);
        EXPECT_EQ(inputMesh.facePart.get(), (std::vector<int>{1, 2, 3, 0})) << int(grey);
        int width = 0, height = 0;
        EXPECT_GE(closestQuads(loadTopDown(shot, width, height)), 48) << int(grey);
        renderScene();
        std::vector<unsigned char> snapshot(640 * 480 * 3), topDown;
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, snapshot.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        for (int row = 479; row >= 0; --row)
            topDown.insert(topDown.end(), &snapshot[row * 640 * 3], &snapshot[(row + 1) * 640 * 3]);
        if (grey < 128) {
            EXPECT_LE(closestQuads(topDown), 12);
        }
    }
}

TEST_F(Display, OpenGlErrorIsPrintedOnceWithTheCheckLocation) {
    glEnable(0x1234); // GL_INVALID_ENUM left behind, as a faulty command would
    testing::internal::CaptureStdout();
    checkGlError("commands.cpp", 77);
    checkGlError("commands.cpp", 78);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "OpenGL Error: invalid enumerant (File: commands.cpp, line 77)\n");

    glEnable(0x1234);
    testing::internal::CaptureStdout();
    displayScene();
    displayScene();
    const std::string frames = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(std::regex_match(
        frames, std::regex("OpenGL Error: invalid enumerant \\(File: .*display_gl\\.cpp, line "
                           "[0-9]+\\)\n")))
        << frames;
}

} // namespace
