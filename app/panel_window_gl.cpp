#include "app/panel_window.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "app/display.h"
#include "app/panel_draw.h"
#include "app/release_latch.h"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>

namespace {

ReleaseLatch latch;

// The panel is drawn only when something may have changed what it shows: after an input event
// and for a few frames more, which ImGui needs to settle its hover and active states.
constexpr int kFramesAfterInput = 2;
int framesDue = 0;

void inputArrived() {
    framesDue = kFramesAfterInput;
    glutPostRedisplay();
}

void panelMouse(int button, int state, int x, int y) {
    if (const std::optional<MouseEvent> now = latch.onEvent({button, state, x, y}))
        ImGui_ImplGLUT_MouseFunc(now->button, now->state, now->x, now->y);
    inputArrived();
}

// The backend's handler of one event, followed by a redraw of the panel.
template <auto handler, typename... Args> void redrawAfter(Args... args) {
    handler(args...);
    inputArrived();
}

void deliverHeldRelease() {
    if (const std::optional<MouseEvent> due = latch.afterFrame()) {
        ImGui_ImplGLUT_MouseFunc(due->button, due->state, due->x, due->y);
        glutPostRedisplay(); // the next frame sees the release and reports the click
    }
}

// The panel window takes the size of its contents, like a GLUI window.
void fitWindow(float width, float height) {
    const int w = static_cast<int>(std::ceil(width));
    const int h = static_cast<int>(std::ceil(height));
    if (w > 0 && h > 0 && (w != glutGet(GLUT_WINDOW_WIDTH) || h != glutGet(GLUT_WINDOW_HEIGHT)))
        glutReshapeWindow(w, h);
}

void panelDisplay() {
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame();
    float width = 0, height = 0;
    const std::vector<PanelControl>& rows = panelControls();
    const std::vector<int> changed = drawPanel(rows, nullptr, &width, &height);
    ImGui::Render();
    const ImGuiIO& io = ImGui::GetIO();
    glViewport(0, 0, static_cast<int>(io.DisplaySize.x), static_cast<int>(io.DisplaySize.y));
    const ImVec4 background = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
    glClearColor(background.x, background.y, background.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glutSwapBuffers();
    deliverHeldRelease();
    fitWindow(width, height);
    // A control held down or being typed into, a control just used (whose command may change
    // what the panel shows), or frames still due after an input: draw again.
    if (framesDue > 0 || !changed.empty() || ImGui::IsAnyItemActive()) {
        framesDue = std::max(framesDue - 1, 0);
        glutPostRedisplay();
    }
    // Commands run after the frame: they select the 3-D window and may open a modal dialog,
    // neither of which may happen in the middle of an ImGui frame.
    for (int row : changed)
        runControlCallback(rows[row]);
}

} // namespace

void createControlPanel() {
    glutInitWindowPosition(windowWidth + 25, 0);
    glutInitWindowSize(420, 320);
    controlPanel = glutCreateWindow("GLUI");
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    setUpPanelStyle();
    ImGui_ImplGLUT_Init();
    ImGui_ImplGLUT_InstallFuncs();
    ImGui_ImplOpenGL2_Init();
    glutDisplayFunc(panelDisplay);
    glutMouseFunc(panelMouse);
    glutMotionFunc(redrawAfter<ImGui_ImplGLUT_MotionFunc, int, int>);
    glutPassiveMotionFunc(redrawAfter<ImGui_ImplGLUT_MotionFunc, int, int>);
    glutMouseWheelFunc(redrawAfter<ImGui_ImplGLUT_MouseWheelFunc, int, int, int, int>);
    glutKeyboardFunc(redrawAfter<ImGui_ImplGLUT_KeyboardFunc, unsigned char, int, int>);
    glutKeyboardUpFunc(redrawAfter<ImGui_ImplGLUT_KeyboardUpFunc, unsigned char, int, int>);
    glutSpecialFunc(redrawAfter<ImGui_ImplGLUT_SpecialFunc, int, int, int>);
    glutSpecialUpFunc(redrawAfter<ImGui_ImplGLUT_SpecialUpFunc, int, int, int>);
    glutSetWindow(mainWindow);
}
