#include "app/progress.h"

#include "app/app_state.h"
#include "app/panel.h"
#include "app/panel_draw.h"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <chrono>

namespace {

// The panel window drawn in the middle of a command: its controls greyed out, and over their
// foot a bar with the step's name. The 3-D window shows GLUT's busy cursor meanwhile.
class PanelProgress : public ProgressDisplay {
  public:
    void show(const std::string& text, double fraction) override {
        // Before the panel's first frame its size is not known yet: nothing to draw into.
        if (controlPanel == 0 || ImGui::GetCurrentContext() == nullptr ||
            !(ImGui::GetIO().DisplaySize.x > 0 && ImGui::GetIO().DisplaySize.y > 0))
            return;
        const int previous = glutGetWindow();
        glutSetWindow(controlPanel);
        ImGui_ImplOpenGL2_NewFrame();
        ImGui_ImplGLUT_NewFrame();
        ImGui::BeginDisabled();
        drawPanel(panelControls(), nullptr);
        ImGui::EndDisabled();
        const ImGuiIO& io = ImGui::GetIO();
        const float barHeight = 2 * ImGui::GetFrameHeightWithSpacing();
        ImGui::SetNextWindowPos(ImVec2(0, io.DisplaySize.y - barHeight));
        ImGui::SetNextWindowSize(ImVec2(io.DisplaySize.x, barHeight));
        ImGui::Begin("##progress", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                         ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing);
        ImGui::TextUnformatted(text.c_str());
        ImGui::ProgressBar(float(fraction), ImVec2(-1, 0));
        ImGui::End();
        ImGui::Render();
        glViewport(0, 0, static_cast<int>(io.DisplaySize.x), static_cast<int>(io.DisplaySize.y));
        const ImVec4 background = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
        glClearColor(background.x, background.y, background.z, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        glutSwapBuffers();
        glutSetWindow(previous);
    }

    void busy(bool on) override {
        if (controlPanel == 0 || mainWindow == 0)
            return;
        const int previous = glutGetWindow();
        glutSetWindow(mainWindow);
        if (on)
            cursor_ = glutGet(GLUT_WINDOW_CURSOR);
        glutSetCursor(on ? GLUT_CURSOR_WAIT : cursor_);
        glutSetWindow(controlPanel);
        if (!on)
            glutPostRedisplay(); // the controls as they are again
        glutSetWindow(previous);
    }

  private:
    int cursor_ = GLUT_CURSOR_INHERIT;
};

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

ProgressMeter& progressMeter() {
    static PanelProgress display;
    static ProgressMeter meter(secondsNow, display);
    return meter;
}
