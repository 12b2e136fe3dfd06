#include "app/input_handlers.h"

#include "app/app_state.h"
#include "app/camera.h"
#include "app/command_table.h"
#include "app/display.h"
#include "app/edit_history.h"
#include "app/part_commands.h"
#include "app/stroke.h"
#include "platform/image_file.h"
#include "platform/window_system.h"

#include <GL/freeglut.h>

#include <cstdlib>

static_assert(kLeftButton == GLUT_LEFT_BUTTON && kMiddleButton == GLUT_MIDDLE_BUTTON &&
              kRightButton == GLUT_RIGHT_BUTTON);
static_assert(kButtonDown == GLUT_DOWN && kButtonUp == GLUT_UP);
static_assert(kShiftModifier == GLUT_ACTIVE_SHIFT);

namespace {

// Where the last scripted pointer event happened: keys are reported there.
int pointerX = 0, pointerY = 0;

bool isWheel(int button) {
    return button == kWheelUp || button == kWheelDown;
}

void cameraButton(int button, int state, int x, int y) {
    if (isWheel(button)) {
        if (state == kButtonDown)
            viewCamera.wheel(button == kWheelUp ? 1 : -1);
        return;
    }
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
    // A lasso release and a Shift+click are edits; the history keeps a step when they changed
    // anything.
    const std::string part = ", part " + std::to_string(currentPart);
    if (editMode == 0)
        recordEdit("Shift+click" + part, [&] { cameraButton(button, state, x, y); });
    else if (editMode == 1 && !isWheel(button))
        recordEdit("lasso loop" + part, [&] { lassoButton(state, x, y); });
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
    case 'f':
        frameModel();
        break;
    case 'g':
        recordEdit("Set Up a Camera", storeSetupCamera);
        break;
    case kControlZ: // Ctrl+Z undoes, Ctrl+Shift+Z redoes
        if (windowSystem().modifiers() & kShiftModifier)
            redoCommand();
        else
            undoCommand();
        break;
    case kControlY:
        redoCommand();
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

std::string scriptedWindowSize(const CommandArgs& args) {
    const int width = args.points[0], height = args.points[1];
    // A height of 0 is a minimised window: the surface stays, the handler ignores it.
    if (height > 0 && !windowSystem().resizeWindow(width, height))
        return "cannot make a " + std::to_string(width) + "x" + std::to_string(height) + " window";
    reshapeWindow(width, height);
    return {};
}

std::string scriptedKey(const CommandArgs& args) {
    keyPressed(static_cast<unsigned char>(args.value), pointerX, pointerY);
    return {};
}

std::string scriptedPress(const CommandArgs& args) {
    pointerX = args.points[0];
    pointerY = args.points[1];
    windowSystem().holdModifiers(args.shift ? kShiftModifier : 0);
    mouseButton(args.button, kButtonDown, pointerX, pointerY);
    windowSystem().holdModifiers(0);
    return {};
}

std::string scriptedMove(const CommandArgs& args) {
    pointerX = args.points[0];
    pointerY = args.points[1];
    mouseMotion(pointerX, pointerY);
    return {};
}

std::string scriptedRelease(const CommandArgs& args) {
    pointerX = args.points[0];
    pointerY = args.points[1];
    mouseButton(args.button, kButtonUp, pointerX, pointerY);
    return {};
}

std::string scriptedDrag(const CommandArgs& args) {
    const std::vector<int>& p = args.points;
    CommandArgs step{.button = args.button, .points = {p[0], p[1]}};
    scriptedPress(step);
    for (std::size_t i = 2; i + 1 < p.size(); i += 2) {
        idleRedraw();
        step.points = {p[i], p[i + 1]};
        scriptedMove(step);
    }
    idleRedraw();
    step.points = {p[p.size() - 2], p.back()};
    return scriptedRelease(step);
}

std::string scriptedWheel(const CommandArgs& args) {
    const int button = args.value == 0 ? kWheelUp : kWheelDown;
    mouseButton(button, kButtonDown, pointerX, pointerY);
    mouseButton(button, kButtonUp, pointerX, pointerY);
    return {};
}

std::string scriptedCamera(const CommandArgs& args) {
    const auto& q = args.pose;
    viewCamera.rotation = {q[0], q[1], q[2], q[3]};
    viewCamera.translation = {q[4], q[5], q[6]};
    if (args.fieldOfView)
        fieldOfView = *args.fieldOfView;
    windowSystem().postRedisplay();
    return {};
}

std::string scriptedScreenshot(const CommandArgs& args) {
    const std::string why = saveWindowImage(args.path, windowWidth, windowHeight);
    if (!why.empty())
        return "cannot save the window as \"" + args.path + "\": " + why;
    return {};
}
