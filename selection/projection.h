// Window projection and unprojection with explicit matrices and viewport, computing exactly
// what gluProject and gluUnProject compute (same formulas, same order of operations, double
// precision), so that the conversion math runs without an OpenGL context.
#pragma once

// The matrices and viewport of one pass, read once from OpenGL (or built by hand in tests).
// Matrices are column-major as OpenGL stores them.
struct ViewTransform {
    double modelview[16];
    double projection[16];
    int viewport[4];
};

// A point in double precision: an object position or a window position (x, y in pixels,
// z the window depth in [0, 1] for points between the clipping planes).
struct DPoint3 {
    double x = 0, y = 0, z = 0;
};

// Object position -> window position, as gluProject. Returns false (window left untouched)
// when the clip-space w is exactly 0, where gluProject fails too. Non-finite input gives
// non-finite output and true, as in gluProject: callers check std::isfinite where it matters.
bool projectPoint(const ViewTransform& view, const DPoint3& object, DPoint3& window);

// Window position -> object position, as gluUnProject, with the inverted combined matrix
// computed once for passes that unproject many points under one view.
class Unprojector {
  public:
    explicit Unprojector(const ViewTransform& view);
    // False (object left untouched) when modelview x projection is singular or the point's w
    // is exactly 0.
    bool operator()(const DPoint3& window, DPoint3& object) const;

  private:
    double inverse_[16];
    double viewport_[4];
    bool invertible_ = false;
};
