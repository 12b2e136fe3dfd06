// An OpenGL 2.1 compatibility context on an offscreen EGL pbuffer (Mesa's surfaceless
// platform): RGBA8, depth 24, stencil 8. Runs every drawing and read-back pass with no
// display at all.
#pragma once

class OffscreenContext {
  public:
    OffscreenContext() = default;
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;
    ~OffscreenContext();

    // Creates the context with a width x height surface and makes it current. Returns false
    // (and prints why on standard error) when EGL offers no such context.
    bool create(int width, int height);
    // Replaces the surface by one of the new size; the context and its state are kept.
    bool resize(int width, int height);
    void swapBuffers();
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    void* display_ = nullptr;
    void* config_ = nullptr;
    void* context_ = nullptr;
    void* surface_ = nullptr;
    int width_ = 0, height_ = 0;
};
