// Calls chooseInputFile a given number of times and prints each answer, the working directory
// and (with --window) the current GLUT window after each call, for the file chooser test.
//
//   chooser_probe [--window] COUNT
//
// With --window the calls run from a GLUT idle handler while two GLUT windows exist and the
// first is current, as "Open Mesh" runs in the program. Each answer is flushed at once so
// that the driving script can wait for it.
#include "app/file_chooser.h"
#include "platform/glut_window_system.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

int callCount = 0;
int firstWindow = 0;

void printLine(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Runs the calls and prints what the caller can observe after each.
void runCalls(bool withWindow) {
    for (int k = 1; k <= callCount; ++k) {
        const std::string choice = chooseInputFile();
        char cwd[4096];
        printLine("choice " + std::to_string(k) + ": " + choice);
        printLine(std::string("cwd: ") + (getcwd(cwd, sizeof cwd) ? cwd : "?"));
        if (withWindow)
            printLine("window: " + std::to_string(glutGetWindow()));
    }
}

void display() {
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
}

void idleOnce() {
    glutIdleFunc(nullptr);
    runCalls(true);
    std::exit(0);
}

// Creates two windows and leaves the first one current, so that a chooser that lost track of
// the current window shows up as "window: 2".
void createWindows(int& argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
    glutInitWindowSize(200, 150);
    firstWindow = glutCreateWindow("probe main");
    glutDisplayFunc(display);
    glutCreateWindow("probe panel");
    glutDisplayFunc(display);
    glutSetWindow(firstWindow);
    setWindowSystem(std::make_unique<GlutWindowSystem>());
}

} // namespace

int main(int argc, char** argv) {
    const bool withWindow = argc == 3 && std::strcmp(argv[1], "--window") == 0;
    if (argc != 2 && !withWindow) {
        std::fprintf(stderr, "usage: chooser_probe [--window] COUNT\n");
        return 2;
    }
    callCount = std::atoi(argv[argc - 1]);
    if (!withWindow) {
        runCalls(false);
        return 0;
    }
    createWindows(argc, argv);
    glutIdleFunc(idleOnce);
    glutMainLoop();
    return 0;
}
