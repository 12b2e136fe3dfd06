// The camera as the user drives it: the print of key c, the poses behind r, s and g, the
// set-up camera wrapper, and the mouse routing between camera drags and the lasso stroke.
#include "app/camera.h"
#include "app/input_handlers.h"
#include "app/stroke.h"
#include "tests/app/app_fixture.h"

#include <sstream>

namespace {

void drag(int button, int x1, int y1, int x2, int y2) {
    mouseButton(button, kButtonDown, x1, y1);
    mouseMotion(x2, y2);
    mouseButton(button, kButtonUp, x2, y2);
}

using CameraKeys = OffscreenAppTest;

// (The start-up pose's print is checked by script.batch_runs.)
TEST_F(CameraKeys, KeyCPrintsThePoseAndDistance) {
    viewCamera.translation = {3, 4, -12};
    viewCamera.rotation = {0.5f, -0.25f, 0.125f, 1.0f / 3};
    std::ostringstream printed;
    printCamera(printed);
    EXPECT_EQ(printed.str(), "camera qrot: (0.5,-0.25,0.125,0.333333)\n"
                             "camera trans: (3,4,-12)\n"
                             "camera distance: 1.3\n");
}

// g stores the view (g then s changes nothing), r goes back to the start-up view after any
// navigation, s brings the stored pose back, its field of view truncated; upper-case and
// other keys only redraw.
TEST_F(CameraKeys, GStoresRResetsSRestores) {
    drag(kLeftButton, 100, 100, 500, 300);
    drag(kRightButton, 10, 10, 300, 400);
    drag(kMiddleButton, 10, 400, 10, 20);
    fieldOfView = 41;
    const Trackball turned = viewCamera;
    keyPressed('g', 0, 0);
    keyPressed('s', 0, 0);
    EXPECT_EQ(viewCamera.rotation, turned.rotation);
    EXPECT_EQ(fieldOfView, 41);
    keyPressed('r', 0, 0);
    EXPECT_EQ(viewCamera.rotation, (Quat{-0.21f, 0.2f, 0.04f, 0.95f}));
    EXPECT_EQ(viewCamera.translation, (std::array<float, 3>{0, 0, -100}));
    EXPECT_EQ(fieldOfView, 30);
    for (unsigned char key : {'C', 'R', 'S', 'G', 'x', ' '})
        keyPressed(key, 5, 5);
    EXPECT_EQ(fieldOfView, 30);
    EXPECT_EQ(windows->redisplayRequests, 18); // nine mouse events and nine keys
    setupCamera.fieldOfView = 52.9f;           // a pose holds a float
    keyPressed('s', 0, 0);
    EXPECT_EQ(viewCamera.rotation, turned.rotation);
    EXPECT_EQ(viewCamera.translation, turned.translation);
    EXPECT_EQ(fieldOfView, 52);
}

TEST_F(CameraKeys, SetUpCameraStepRunsUnderTheStoredPoseAndRestoresTheViewExactly) {
    viewCamera.rotation = {0.1f, 0.2f, 0.3f, 0.9f};
    viewCamera.translation = {1, 2, -70};
    fieldOfView = 50;
    viewCamera.dragMode = 2;
    setupCamera = {{0, 0.6f, 0, 0.8f}, {0, -3, -90}, 20.9f};
    const Trackball before = viewCamera;
    bool ran = false;
    // A step may move the camera as it likes, and run a step of its own under the set-up
    // camera; the user's view comes back regardless.
    withSetupCamera([&] {
        ran = true;
        EXPECT_EQ(viewCamera.rotation, setupCamera.rotation);
        EXPECT_EQ(viewCamera.translation, setupCamera.translation);
        EXPECT_EQ(fieldOfView, 20);
        viewCamera.rotation = {1, 1, 1, 1};
        withSetupCamera([] { fieldOfView = 10; });
        applyProjection();
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(viewCamera.rotation, before.rotation);
    EXPECT_EQ(viewCamera.translation, before.translation);
    EXPECT_EQ(fieldOfView, 50);
    EXPECT_EQ(viewCamera.dragMode, 2);
    EXPECT_EQ(setupCamera.fieldOfView, 20.9f);
}

TEST_F(CameraKeys, CameraModeStartsOneDragAtATimeAndAnyReleaseEndsIt) {
    const Trackball before = viewCamera;
    mouseButton(kRightButton, kButtonDown, 0, 240);
    EXPECT_EQ(viewCamera.dragMode, 2);
    mouseButton(kLeftButton, kButtonDown, 10, 10); // ignored while panning
    EXPECT_EQ(viewCamera.dragMode, 2);
    mouseMotion(640, 240);
    EXPECT_GT(viewCamera.translation[0], 0.0f); // panned, not turned
    EXPECT_EQ(viewCamera.rotation, before.rotation);
    mouseButton(kLeftButton, kButtonUp, 640, 240);
    EXPECT_EQ(viewCamera.dragMode, 0);
    // Motion without a drag only asks for a redraw.
    const std::array<float, 3> moved = viewCamera.translation;
    mouseMotion(0, 0);
    EXPECT_EQ(viewCamera.translation, moved);
    mouseButton(3, kButtonDown, 5, 5); // a wheel "button" starts nothing
    EXPECT_EQ(viewCamera.dragMode, 0);
    EXPECT_TRUE(lassoStroke.empty());
    // A Shift+click picks a face and still starts a rotation.
    windows->holdModifiers(kShiftModifier);
    mouseButton(kLeftButton, kButtonDown, 320, 240);
    windows->holdModifiers(0);
    EXPECT_EQ(viewCamera.dragMode, 1);
}

TEST_F(CameraKeys, LassoModeSmoothsTheStrokeAndHandsItOverOnRelease) {
    editMode = 1;
    mouseButton(kMiddleButton, kButtonDown, 100, 50);
    mouseMotion(300, 50);
    mouseMotion(300, 250);
    ASSERT_EQ(lassoStroke.size(), 3u);
    // The first point is the press itself; each later one averages two raw pointer points.
    EXPECT_EQ(lassoStroke[0].x, toOverlayPoint(100, 50).x);
    EXPECT_FLOAT_EQ(lassoStroke[1].x, toOverlayPoint(200, 50).x);
    EXPECT_FLOAT_EQ(lassoStroke[1].y, toOverlayPoint(200, 50).y);
    EXPECT_FLOAT_EQ(lassoStroke[2].x, toOverlayPoint(300, 150).x);
    EXPECT_FLOAT_EQ(lassoStroke[2].y, toOverlayPoint(300, 150).y);
    EXPECT_EQ(viewCamera.dragMode, 0); // the camera does not move in Lasso mode
    mouseButton(kMiddleButton, kButtonUp, 10, 10);
    // The release point is not added; the stroke is emptied and the lasso applied.
    EXPECT_TRUE(lassoStroke.empty());
    EXPECT_TRUE(lassoPolygon.empty());
    // A new press starts a fresh stroke.
    mouseButton(kLeftButton, kButtonDown, 7, 9);
    ASSERT_EQ(lassoStroke.size(), 1u);
    EXPECT_EQ(lassoStroke[0].x, toOverlayPoint(7, 9).x);
}

} // namespace
