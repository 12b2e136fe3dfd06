// Draws the white reference cube of the 3-D view as the program does at start-up and writes
// the 640 x 480 window as raw RGB bytes, to compare freeglut's cube with the program's own.
//
//   wire_cube_pixels glut-cube|glut-draw|egl-draw OUT
//
// glut-cube: glutWireCube in a GLUT window (needs a display); glut-draw: drawWireCube in the
// same kind of window; egl-draw: drawWireCube on the offscreen EGL surface of batch runs.
// Prints the number of white pixels.
#include "app/app_state.h"
#include "app/camera.h"
#include "app/display.h"
#include "app/startup.h"
#include "platform/graphics_init.h"
#include "platform/offscreen_context.h"
#include "platform/window_system.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string mode, outPath;

void drawCubeAndSave() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applyProjection();
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    if (mode == "glut-cube")
        glutWireCube(10.0);
    else
        drawWireCube(10.0);
    glEnable(GL_LIGHTING);
    glFinish();
    std::vector<unsigned char> pixels(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::ofstream(outPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(pixels.data()), pixels.size());
    int white = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 3)
        white += pixels[i] > 200 && pixels[i + 1] > 200 && pixels[i + 2] > 200;
    std::printf("%d\n", white);
    std::fflush(stdout);
}

void display() {
    drawCubeAndSave();
    std::exit(0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wire_cube_pixels glut-cube|glut-draw|egl-draw OUT\n");
        return 2;
    }
    mode = argv[1];
    outPath = argv[2];
    if (mode == "egl-draw") {
        // Kept to the end of the process, as in a batch run (a leak check ignores it).
        static OffscreenContext& context = *new OffscreenContext;
        if (!context.create(640, 480))
            return 1;
        initGraphicsState(true);
        initApplicationState();
        reshapeWindow(640, 480);
        drawCubeAndSave();
        return 0;
    }
    int glutArgc = 1;
    glutInit(&glutArgc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH | GLUT_STENCIL);
    glutInitWindowSize(640, 480);
    glutCreateWindow("wire cube");
    initGraphicsState(false);
    initApplicationState();
    glutReshapeFunc(reshapeWindow);
    glutDisplayFunc(display);
    glutMainLoop();
    return 1;
}
