#include "app/program.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "app/display.h"
#include "app/file_chooser.h"
#include "app/input_handlers.h"
#include "app/panel.h"
#include "app/panel_window.h"
#include "app/session_commands.h"
#include "app/startup.h"
#include "mesh/texture.h"
#include "platform/glut_window_system.h"
#include "platform/graphics_init.h"
#include "platform/offscreen_context.h"
#include "platform/offscreen_window_system.h"
#include "platform/window_system.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <iostream>

namespace {

void specialKey(int, int, int) {
    windowSystem().postRedisplay();
}

} // namespace

std::string openStartupFiles(const std::vector<std::string>& files) {
    // As the dispatcher runs "Open Mesh" and "Open Texture": in the 3-D window, then a redraw.
    // The dialog is answered with the file, so the next one proposes it.
    bool (*const open[])(const std::string&) = {openMeshFile, openTextureFile};
    const FileKind kinds[] = {FileKind::Model, FileKind::Image};
    const char* const what[] = {"model", "texture"};
    // A session file named first puts its work back instead.
    if (!files.empty() && files[0].ends_with(".hvsession")) {
        windowSystem().setWindow(mainWindow);
        const std::string why = openSessionFile(files[0]);
        windowSystem().postRedisplay();
        return why.empty() ? "" : "cannot open the session " + why;
    }
    for (std::size_t i = 0; i < files.size() && i < 2; ++i) {
        windowSystem().setWindow(mainWindow);
        scriptedFileChoice = files[i];
        const bool opened = open[i](chooseInputFile(kinds[i]));
        windowSystem().postRedisplay();
        std::cout.flush();
        if (!opened)
            return std::string("cannot open the ") + what[i] + " \"" + files[i] + "\"";
    }
    return {};
}

void printPanelVersion() {
    std::cerr << "GLUI version: " << panelLibraryVersion() << std::endl;
}

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

void initGlut(int& argc, char** argv) {
    glutInit(&argc, argv);
}

void runGui(const std::vector<std::string>& files) {
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
    reportEarlierAutosave();
    setAutosave(true);
    openStartupFiles(files);
    glutMainLoop();
    std::exit(0); // the windows were closed
}

bool startOffscreenProgram() {
    static auto* context = new OffscreenContext;
    if (!context->create(windowWidth, windowHeight))
        return false;
    auto windows = std::make_unique<OffscreenWindowSystem>(*context);
    mainWindow = windows->currentWindow();
    setWindowSystem(std::move(windows));
    initGraphicsState(true);
    installTextureDeleter();
    initApplicationState();
    return true;
}
