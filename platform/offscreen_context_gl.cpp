#include "platform/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace {

EGLDisplay openDisplay() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay) {
        EGLDisplay d =
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (d != EGL_NO_DISPLAY)
            return d;
    }
    return eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

EGLSurface makeSurface(EGLDisplay display, EGLConfig config, int width, int height) {
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    return eglCreatePbufferSurface(display, config, attributes);
}

} // namespace

OffscreenContext::~OffscreenContext() {
    if (!display_)
        return;
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface_)
        eglDestroySurface(display_, surface_);
    if (context_)
        eglDestroyContext(display_, context_);
    eglTerminate(display_);
}

bool OffscreenContext::create(int width, int height) {
    EGLDisplay display = openDisplay();
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        std::fprintf(stderr, "offscreen: no EGL display\n");
        return false;
    }
    display_ = display;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        std::fprintf(stderr, "offscreen: EGL has no desktop OpenGL\n");
        return false;
    }
    const EGLint configAttributes[] = {EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_ALPHA_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_STENCIL_SIZE,
                                       8,
                                       EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        std::fprintf(stderr, "offscreen: no RGBA8/depth24/stencil8 pbuffer config\n");
        return false;
    }
    config_ = config;
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        2,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        1,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                        EGL_NONE};
    context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (!context_) {
        std::fprintf(stderr, "offscreen: cannot create an OpenGL 2.1 context\n");
        return false;
    }
    return resize(width, height);
}

bool OffscreenContext::resize(int width, int height) {
    if (!display_ || !context_ || width < 1 || height < 1)
        return false;
    EGLSurface surface = makeSurface(display_, config_, width, height);
    if (surface == EGL_NO_SURFACE) {
        std::fprintf(stderr, "offscreen: cannot create a %dx%d surface\n", width, height);
        return false;
    }
    if (!eglMakeCurrent(display_, surface, surface, context_)) {
        eglDestroySurface(display_, surface);
        std::fprintf(stderr, "offscreen: cannot make the context current\n");
        return false;
    }
    if (surface_)
        eglDestroySurface(display_, surface_);
    surface_ = surface;
    width_ = width;
    height_ = height;
    return true;
}

void OffscreenContext::swapBuffers() {
    if (display_ && surface_)
        eglSwapBuffers(display_, surface_);
}
