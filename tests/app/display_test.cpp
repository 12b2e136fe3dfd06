// The 3-D window on the offscreen surface: viewport and size under reshape, the stroke overlay
// landing on the pointer's pixels, the reference cube, and the OpenGL error report.
#include "app/camera.h"
#include "app/input_handlers.h"
#include "app/stroke.h"
#include "tests/app/app_fixture.h"

#include <cstdlib>
#include <regex>
#include <vector>

namespace {

std::array<int, 4> viewport() {
    std::array<int, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

// The window's pixels, top row first, 3 bytes each.
class Pixels {
  public:
    Pixels(int width, int height) : width_(width), height_(height), data_(width * height * 3) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, data_.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
    // Column x, row y counted from the top, as the pointer counts.
    const unsigned char* at(int x, int y) const {
        return &data_[((height_ - 1 - y) * width_ + x) * 3];
    }
    bool green(int x, int y) const {
        const unsigned char* p = at(x, y);
        return p[1] > 120 && p[1] > p[0] + 40 && p[1] > p[2] + 40;
    }
    int count(bool (*test)(const unsigned char*)) const {
        int n = 0;
        for (std::size_t i = 0; i < data_.size(); i += 3)
            n += test(&data_[i]);
        return n;
    }

  private:
    int width_, height_;
    std::vector<unsigned char> data_;
};

using Display = OffscreenAppTest;

TEST_F(Display, ReshapeMakesTheViewportThreeTimesTheWindowAroundIt) {
    context->resize(800, 600);
    reshapeWindow(800, 600);
    EXPECT_EQ(viewport(), (std::array<int, 4>{-800, -600, 2400, 1800}));
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);
    EXPECT_EQ(windows->redisplayRequests, 1);

    // A minimised window (height 0) changes nothing and asks for nothing.
    reshapeWindow(800, 0);
    EXPECT_EQ(viewport(), (std::array<int, 4>{-800, -600, 2400, 1800}));
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);
    EXPECT_EQ(windows->redisplayRequests, 1);

    // The camera learns the new size at the next projection: drags normalise by it.
    applyProjection();
    EXPECT_EQ(viewCamera.width, 800);
    EXPECT_EQ(viewCamera.height, 600);
    context->resize(640, 480);
}

TEST_F(Display, StrokeIsDrawnGreenOnThePointersRowUpToTheSmoothedPoint) {
    editMode = 1;
    mouseButton(kLeftButton, kButtonDown, 100, 50);
    mouseMotion(300, 50); // smoothed: the stroke runs from x = 100 to the midpoint x = 200
    displayScene();
    const Pixels shown(640, 480);
    // The line runs along the top edge of the pointer's row: that row is green along it.
    for (int x : {105, 150, 195})
        EXPECT_TRUE(shown.green(x, 50)) << x;
    for (int x : {60, 95, 210, 250, 300})
        EXPECT_FALSE(shown.green(x, 50)) << x;
    for (int y : {46, 47, 52, 53})
        EXPECT_FALSE(shown.green(150, y)) << y;

    // Released, the stroke is no longer drawn.
    mouseButton(kLeftButton, kButtonUp, 300, 50);
    displayScene();
    const Pixels after(640, 480);
    EXPECT_FALSE(after.green(150, 50));
}

TEST_F(Display, ReferenceCubeIsWhiteAndWireframeModeSurvivesFrames) {
    displayScene();
    const Pixels shown(640, 480);
    auto white = [](const unsigned char* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; };
    auto background = [](const unsigned char* p) {
        return std::abs(p[0] - 26) <= 1 && std::abs(p[1] - 64) <= 1 && std::abs(p[2] - 89) <= 1;
    };
    // Twelve edges of a cube 10 wide seen from 100 away: thin lines on the clear colour.
    EXPECT_GT(shown.count(white), 1000);
    EXPECT_LT(shown.count(white), 20000);
    EXPECT_GT(shown.count(background), 600 * 400);
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
