#include "app/program.h"

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/commands.h"
#include "app/display.h"
#include "app/file_chooser.h"
#include "app/glut_window_system.h"
#include "app/graphics_init.h"
#include "app/input_handlers.h"
#include "app/offscreen_context.h"
#include "app/offscreen_window_system.h"
#include "app/panel.h"
#include "app/panel_window.h"
#include "app/session_runner.h"
#include "app/startup.h"
#include "mesh/texture.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// The model and texture named on the command line, opened as "Open Mesh" and "Open Texture"
// open what the dialog returns.
void openStartupFiles(const std::vector<std::string>& files) {
    const ControlId commands[] = {kOpenMesh, kOpenTexture};
    for (std::size_t i = 0; i < files.size() && i < 2; ++i) {
        scriptedFileChoice = files[i];
        dispatchCommand(commands[i]);
    }
}

void printPanelVersion() {
    std::cerr << "GLUI version: " << panelLibraryVersion() << std::endl;
}

void specialKey(int, int, int) {
    windowSystem().postRedisplay();
}

} // namespace

bool displayAvailable(int argc, char** argv) {
    const char* name = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "-display")
            name = argv[i + 1];
    Display* display = XOpenDisplay(name);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

int runGui(int& argc, char** argv) {
    glutInit(&argc, argv);
    const CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::cerr << "hollowvista: " << line.error << "\n" << usageText();
        return 2;
    }
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH | GLUT_STENCIL);
    glutInitWindowSize(windowWidth, windowHeight);
    mainWindow = glutCreateWindow("Make Hollowvista Models");
    setWindowSystem(std::make_unique<GlutWindowSystem>());
    glutDisplayFunc(displayScene);
    glutReshapeFunc(reshapeWindow);
    glutMouseFunc(mouseButton);
    glutMotionFunc(mouseMotion);
    glutKeyboardFunc(keyPressed);
    glutSpecialFunc(specialKey);

    initGraphicsState(false);
    installTextureDeleter();
    disableSwapWait();
    initApplicationState();
    printPanelVersion();
    createControlPanel();
    openStartupFiles(line.files);
    glutMainLoop();
    return 0;
}

std::optional<OffscreenProgram> startOffscreenProgram() {
    static auto* context = new OffscreenContext;
    if (!context->create(windowWidth, windowHeight))
        return std::nullopt;
    auto windows = std::make_unique<OffscreenWindowSystem>(*context);
    OffscreenWindowSystem* offscreen = windows.get();
    setWindowSystem(std::move(windows));
    mainWindow = offscreen->currentWindow();
    initGraphicsState(true);
    installTextureDeleter();
    initApplicationState();
    return OffscreenProgram{context, offscreen};
}

int runBatch(const std::string& scriptPath, const std::vector<std::string>& files) {
    std::ifstream in(scriptPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::cerr << "hollowvista: cannot read the script \"" << scriptPath << "\"" << std::endl;
        return 2;
    }
    const ParsedScript script = parseSessionScript(text.str());
    if (script.error) {
        std::cerr << "script:" << script.error->line << ": " << script.error->reason << std::endl;
        return 2;
    }

    const std::optional<OffscreenProgram> program = startOffscreenProgram();
    if (!program)
        return 1;
    printPanelVersion();
    reshapeWindow(windowWidth, windowHeight); // as GLUT does before the first frame
    openStartupFiles(files);
    idleRedraw();
    return runSessionCommands(script.commands, *program->context, *program->windows);
}
