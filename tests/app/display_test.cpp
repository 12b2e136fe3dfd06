// The 3-D window on the offscreen surface: the reference cube and the OpenGL error report
// (reshaping and the stroke overlay are checked through session commands, the surface's
// stencil and depth buffers by the lasso and ID-pass tests).
#include "app/camera.h"
#include "tests/app/app_fixture.h"

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
