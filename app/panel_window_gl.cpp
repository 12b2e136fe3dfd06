#include "app/panel_window.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "app/display.h"
#include "app/panel_draw.h"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <cmath>

namespace {

// ImGui 1.86 reads the mouse state once per frame, so a press and its release that both
// arrive between two frames would never be seen as a click. A release that comes before any
// frame has seen its press is held back and delivered right after the next frame.
struct MouseLatch {
    bool pressUnseen = false;
    bool releaseHeld = false;
    int button = 0, x = 0, y = 0;
};
MouseLatch latch;

void panelMouse(int button, int state, int x, int y) {
    if (state == GLUT_UP && latch.pressUnseen) {
        latch.releaseHeld = true;
        latch.button = button;
        latch.x = x;
        latch.y = y;
    } else {
        ImGui_ImplGLUT_MouseFunc(button, state, x, y);
        if (state == GLUT_DOWN)
            latch.pressUnseen = true;
    }
    glutPostRedisplay();
}

void deliverHeldRelease() {
    latch.pressUnseen = false;
    if (!latch.releaseHeld)
        return;
    latch.releaseHeld = false;
    ImGui_ImplGLUT_MouseFunc(latch.button, GLUT_UP, latch.x, latch.y);
    glutPostRedisplay();
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
    // Commands run after the frame: they select the 3-D window and may open a modal dialog,
    // neither of which may happen in the middle of an ImGui frame.
    for (int row : changed)
        runControlCallback(rows[row]);
}

// GLUT has one idle function for all windows: draw the scene and keep the panel live.
void idleBothWindows() {
    idleRedraw();
    if (controlPanel != 0)
        glutPostWindowRedisplay(controlPanel);
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
    glutIdleFunc(idleBothWindows);
    glutSetWindow(mainWindow);
}
