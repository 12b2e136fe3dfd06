#include "platform/offscreen_context.h"
#include "tests/support/gl_test.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

// The offscreen surface must really have the buffers the lasso and read-back passes rely on.
TEST(OffscreenContext, HasColourDepthAndStencilAndResizes) {
    OffscreenContext& context = testContext(64, 32);
    GLint stencil = 0, depth = 0, alpha = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    EXPECT_EQ(stencil, 8);
    EXPECT_EQ(depth, 24);
    EXPECT_EQ(alpha, 8);

    context.resize(100, 70);
    glViewport(0, 0, 100, 70);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(99, 69, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(context.width(), 100);
}
