#include "app/input_handlers.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/display.h"
#include "app/part_commands.h"
#include "app/stroke.h"
#include "app/window_system.h"

#include <GL/freeglut.h>

#include <cstdlib>

static_assert(kLeftButton == GLUT_LEFT_BUTTON && kMiddleButton == GLUT_MIDDLE_BUTTON &&
              kRightButton == GLUT_RIGHT_BUTTON);
static_assert(kButtonDown == GLUT_DOWN && kButtonUp == GLUT_UP);
static_assert(kShiftModifier == GLUT_ACTIVE_SHIFT);

namespace {

void cameraButton(int button, int state, int x, int y) {
    const bool shift = (windowSystem().modifiers() & kShiftModifier) != 0;
    if (button == kLeftButton && state == kButtonDown && shift)
        toggleFaceCommand(x, y);
    // A Shift+click starts a rotation as well, as any left press does.
    if (viewCamera.dragMode == 0 && state == kButtonDown) {
        if (button == kLeftButton)
            viewCamera.beginDrag(1, x, y);
        else if (button == kMiddleButton)
            viewCamera.beginDrag(3, x, y);
        else if (button == kRightButton)
            viewCamera.beginDrag(2, x, y);
    } else if (viewCamera.dragMode != 0 && state == kButtonUp) {
        viewCamera.dragMode = 0;
    }
}

void lassoButton(int state, int x, int y) {
    const Point2 p = toOverlayPoint(x, y);
    if (state == kButtonDown) {
        clearPolygon();
        clearStroke();
        addStrokePoint(p);
    } else if (state == kButtonUp) {
        // The release point itself is not part of the lasso.
        lassoPolygon = lassoStroke;
        clearStroke();
        applyLassoCommand();
    }
}

} // namespace

void mouseButton(int button, int state, int x, int y) {
    if (editMode == 0)
        cameraButton(button, state, x, y);
    else if (editMode == 1)
        lassoButton(state, x, y);
    windowSystem().postRedisplay();
}

void mouseMotion(int x, int y) {
    if (editMode == 0) {
        if (viewCamera.dragMode == 0) {
            windowSystem().postRedisplay();
            return;
        }
        viewCamera.dragTo(x, y);
        // Draw at once so the view follows the pointer without waiting for the idle redraw.
        windowSystem().setWindow(mainWindow);
        displayScene();
    } else if (editMode == 1) {
        addStrokePoint(toOverlayPoint(x, y));
    }
    windowSystem().postRedisplay();
}

void keyPressed(unsigned char key, int, int) {
    switch (key) {
    case kEscapeKey:
    case 'q':
        std::exit(0);
    case 'c':
        printCamera();
        break;
    case 'd':
        pairDiagnosticCommand();
        break;
    case 'g':
        storeSetupCamera();
        break;
    case 'r':
        resetViewCamera();
        break;
    case 's':
        loadSetupCamera();
        break;
    default:
        break;
    }
    windowSystem().postRedisplay();
}
