#include "app/session_runner.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "app/display.h"
#include "app/file_chooser.h"
#include "app/input_handlers.h"
#include "app/offscreen_window_system.h"
#include "app/panel.h"
#include "app/screenshot.h"

#include <iostream>

namespace {

class Runner {
  public:
    Runner(OffscreenContext& context, OffscreenWindowSystem& windows)
        : context_(context), windows_(windows) {}

    // Returns an empty string, or the reason the command could not be carried out.
    std::string run(const ScriptCommand& c) {
        switch (c.op) {
        case ScriptOp::Window:
            return reshape(c.points[0], c.points[1]);
        case ScriptOp::OpenMesh:
            scriptedFileChoice = c.path;
            return control(ControlKind::Button, kOpenMesh);
        case ScriptOp::OpenTexture:
            scriptedFileChoice = c.path;
            return control(ControlKind::Button, kOpenTexture);
        case ScriptOp::SetUpCamera:
            return control(ControlKind::Button, kSetUpCamera);
        case ScriptOp::View:
            return control(ControlKind::RadioGroup, kShownModel, c.value);
        case ScriptOp::BackFace:
            return control(ControlKind::Checkbox, kBackFace, c.value);
        case ScriptOp::Wireframe:
            return control(ControlKind::Checkbox, kWireframe, c.value);
        case ScriptOp::Part:
            return control(ControlKind::ListBox, kParts, c.value);
        case ScriptOp::Mode:
            return control(ControlKind::RadioGroup, kEditMode, c.value);
        case ScriptOp::Push:
            return control(ControlKind::Button, kPush);
        case ScriptOp::Back:
            return control(ControlKind::Button, kBack);
        case ScriptOp::Preview:
            return control(ControlKind::Button, kPreview);
        case ScriptOp::Compression:
            return control(ControlKind::Spinner, kCompression, c.number);
        case ScriptOp::Export:
            return control(ControlKind::Button, kExport);
        case ScriptOp::Triangulate:
            return control(ControlKind::Button, kTriangulate);
        case ScriptOp::Quit:
            return control(ControlKind::Button, kQuit);
        case ScriptOp::Key:
            keyPressed(static_cast<unsigned char>(c.value), pointerX_, pointerY_);
            return {};
        case ScriptOp::Press:
            press(c.button, c.points[0], c.points[1], c.shift);
            return {};
        case ScriptOp::Move:
            move(c.points[0], c.points[1]);
            return {};
        case ScriptOp::Release:
            release(c.button, c.points[0], c.points[1]);
            return {};
        case ScriptOp::Drag:
            drag(c.button, c.points);
            return {};
        case ScriptOp::Camera:
            setCamera(c);
            return {};
        case ScriptOp::Screenshot:
            if (!saveWindowImage(c.path, context_.width(), context_.height()))
                return "cannot save the window as \"" + c.path + "\"";
            return {};
        }
        return {};
    }

  private:
    // A panel control as the user works it: the live variable takes the new value (a spinner
    // clamps it), then the control's callback runs.
    std::string control(ControlKind kind, int id, std::optional<float> value = std::nullopt) {
        const int row = findControl(kind, id);
        if (row < 0)
            return "the panel has no such control";
        const PanelControl& control = panelControls()[row];
        if (value)
            setControlValue(control, *value);
        runControlCallback(control);
        return {};
    }

    std::string reshape(int width, int height) {
        // A height of 0 is a minimised window: the surface stays, the handler ignores it.
        if (height > 0 && !context_.resize(width, height))
            return "cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
                   " window";
        reshapeWindow(width, height);
        return {};
    }

    void press(int button, int x, int y, bool shift) {
        windows_.heldModifiers = shift ? kShiftModifier : 0;
        pointer(x, y);
        mouseButton(button, kButtonDown, x, y);
        windows_.heldModifiers = 0;
    }

    void move(int x, int y) {
        pointer(x, y);
        mouseMotion(x, y);
    }

    void release(int button, int x, int y) {
        pointer(x, y);
        mouseButton(button, kButtonUp, x, y);
    }

    // Press at the first point, move through the others, release at the last; each event is
    // followed by a frame as in the GUI, the last one by the runner's own.
    void drag(int button, const std::vector<int>& points) {
        press(button, points[0], points[1], false);
        for (std::size_t i = 2; i + 1 < points.size(); i += 2) {
            idleRedraw();
            move(points[i], points[i + 1]);
        }
        idleRedraw();
        release(button, points[points.size() - 2], points.back());
    }

    void setCamera(const ScriptCommand& c) {
        viewCamera.rotation = {c.pose[0], c.pose[1], c.pose[2], c.pose[3]};
        viewCamera.translation = {c.pose[4], c.pose[5], c.pose[6]};
        if (c.fieldOfView)
            fieldOfView = *c.fieldOfView;
        windows_.postRedisplay();
    }

    void pointer(int x, int y) {
        pointerX_ = x;
        pointerY_ = y;
    }

    OffscreenContext& context_;
    OffscreenWindowSystem& windows_;
    int pointerX_ = 0, pointerY_ = 0;
};

} // namespace

int runSessionCommands(const std::vector<ScriptCommand>& commands, OffscreenContext& context,
                       OffscreenWindowSystem& windows) {
    Runner runner(context, windows);
    for (const ScriptCommand& command : commands) {
        const std::string problem = runner.run(command);
        if (!problem.empty()) {
            std::cout.flush();
            std::cerr << "script:" << command.line << ": " << problem << std::endl;
            return 2;
        }
        idleRedraw();
    }
    return 0;
}
