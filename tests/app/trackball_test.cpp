// The virtual trackball: pointer normalisation, the sphere rotation, pan, dolly and wheel, and the
// quaternion arithmetic behind the view matrix.
#include "app/trackball.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr float kPi = 3.14159265358979f;

// Turning angle of a rotation quaternion of any length, in degrees.
float angleDegrees(const Quat& q) {
    const float length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    return 2.0f * std::acos(std::min(1.0f, std::fabs(q[3]) / length)) * 180.0f / kPi;
}

// Column-major 4x4 matrix times the point (x, y, z, 1).
std::array<float, 3> transform(const std::array<float, 16>& m, float x, float y, float z) {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}

TEST(Trackball, CentreToRightEdgeTurnsAboutTheVerticalAxisFollowingThePointer) {
    Trackball ball(640, 480);
    ball.beginDrag(1, 320, 240);
    ball.dragTo(640, 240);
    const Quat& d = ball.dragRotation;
    EXPECT_EQ(d[0], 0.0f);
    EXPECT_EQ(d[2], 0.0f);
    EXPECT_NE(d[1], 0.0f);
    // The front of the model (0, 0, 1) moves to the right, with the pointer.
    const auto front = transform(quaternionToMatrix(ball.rotation), 0, 0, 1);
    EXPECT_GT(front[0], 0.5f);
    EXPECT_NEAR(front[1], 0.0f, 1e-6f);
}

TEST(Trackball, NoSingleStepTurnsMoreThanNinetyDegrees) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    EXPECT_EQ(trackballRotation(1, 0.3f, -0.4f, 0.3f, -0.4f), (Quat{0, 0, 0, 1})); // no drag
    float largest = 0;
    for (int i = 0; i < 20000; ++i) {
        const Quat q = trackballRotation(1, coordinate(random), coordinate(random),
                                         coordinate(random), coordinate(random));
        ASSERT_TRUE(std::isfinite(q[0]) && std::isfinite(q[1]) && std::isfinite(q[2]) &&
                    std::isfinite(q[3]));
        largest = std::max(largest, angleDegrees(q));
    }
    EXPECT_LE(largest, 90.0f + 1e-3f);
    EXPECT_GT(largest, 80.0f); // corner-to-corner drags come close to the bound
    // Neighbouring points whose cross product vanishes in float give no turn, not a NaN.
    const Quat tiny = trackballRotation(1, 0.5f, 0.5f, 0.5f, std::nextafter(0.5f, 1.0f));
    EXPECT_TRUE(std::isfinite(tiny[3]));
}

TEST(Trackball, FullWidthPanAndFullHeightDollyMoveTwentyUnits) {
    Trackball ball(640, 480);
    ball.translation = {0, 0, -100};
    ball.beginDrag(2, 0, 240);
    ball.dragTo(640, 240);
    EXPECT_EQ(ball.translation, (std::array<float, 3>{20, 0, -100}));
    ball.dragTo(640, 0); // on up to the top edge: half the height pans 10 up
    EXPECT_EQ(ball.translation, (std::array<float, 3>{20, 10, -100}));

    Trackball dolly(640, 480);
    dolly.translation = {0, 0, -100};
    dolly.beginDrag(3, 100, 480);
    dolly.dragTo(500, 0); // upwards brings the model 20 units nearer; x is ignored
    EXPECT_EQ(dolly.translation, (std::array<float, 3>{0, 0, -80}));
    dolly.dragTo(500, 960); // beyond the bottom edge counts as the edge
    EXPECT_EQ(dolly.translation, (std::array<float, 3>{0, 0, -100}));
    // A window without extent gives 0, not a NaN that would poison the camera.
    EXPECT_EQ(normalisePointer(10, 0, 0), 0.0f);
}

// A wheel notch is a middle drag over an eighth of the height (2.5 units), held by the clipping
// planes 5 and 200 from the eye; a view already past one only comes back. Each row: start z,
// notches, end z.
TEST(Trackball, WheelNotchesStopAtTheClippingPlanes) {
    const std::array<float, 3> rows[] = {
        {-100, 1, -97.5f}, {-100, -2, -105}, {-6, 1, -5},      {-5, 1, -5},        {-3, 1, -3},
        {-3, -1, -5.5f},   {-199, -1, -200}, {-250, -1, -250}, {-250, 1, -247.5f},
    };
    Trackball middle(640, 480);
    middle.translation = {0, 0, -100};
    middle.beginDrag(3, 0, 240);
    middle.dragTo(0, 180); // an eighth of the height upwards
    EXPECT_EQ(middle.translation[2], rows[0][2]);
    for (const auto& [start, notches, end] : rows) {
        Trackball ball(640, 480);
        ball.translation = {1, 2, start};
        ball.wheel(static_cast<int>(notches));
        EXPECT_EQ(ball.translation, (std::array<float, 3>{1, 2, end})) << start << " " << notches;
    }
}

// The matrix of a quaternion of any length turns points as the conjugate rotation q* p q
// (which is what makes a drag carry the model with the pointer; built with multiply, so the
// product's order is checked too); the zero quaternion names no rotation: the identity, not NaNs.
TEST(Quaternion, MatrixTurnsPointsByTheConjugateRotation) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> any(-2.0f, 2.0f);
    for (int i = 0; i < 200; ++i) {
        const Quat q{any(random), any(random), any(random), any(random)};
        const Quat p{any(random), any(random), any(random), 0};
        const float norm = q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3];
        const Quat turned = multiply(multiply({-q[0], -q[1], -q[2], q[3]}, p), q);
        const auto m = transform(quaternionToMatrix(q), p[0], p[1], p[2]);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(m[k], turned[k] / norm, 1e-4f) << i;
    }
    EXPECT_EQ(quaternionToMatrix({0, 0, 0, 0}),
              (std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
}

} // namespace
