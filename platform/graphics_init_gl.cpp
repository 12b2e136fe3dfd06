#include "platform/graphics_init.h"

#include <GL/glew.h>
#include <GL/glxew.h>
#define ILUT_USE_OPENGL
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <cstring>

void initGraphicsState(bool headless) {
    glewExperimental = GL_TRUE;
    (void)glewInit(); // returns "no GLX display" in an EGL context; the entry points still work
    (void)headless;

    glClearColor(0.1f, 0.25f, 0.35f, 1.0f);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // Set while the model-view matrix is the identity: the light stays fixed to the eye.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat position[] = {-2, 5, 8, 1};
    const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);

    ilInit();
    iluInit();
    ilutInit();
    ilutRenderer(ILUT_OPENGL);
    // ilutRenderer leaves 2-D texturing on in most builds; the textured pass relies on it.
    glEnable(GL_TEXTURE_2D);
}

void disableSwapWait() {
    // Under Mesa's software renderer the GLX swap-interval entry points crash or kill the
    // process with an X error although they are advertised: only ask a hardware driver.
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!renderer || std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe"))
        return;
    Display* display = glXGetCurrentDisplay();
    GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable || !glXIsDirect(display, glXGetCurrentContext()))
        return;
    if (GLXEW_MESA_swap_control && glXSwapIntervalMESA)
        glXSwapIntervalMESA(0);
    else if (GLXEW_EXT_swap_control && glXSwapIntervalEXT)
        glXSwapIntervalEXT(display, drawable, 0);
}
