// The virtual-trackball camera of the 3-D view and a stored camera pose. Pure math: no
// OpenGL, so it is tested directly.
#pragma once

#include <array>

using Quat = std::array<float, 4>; // x, y, z, w

struct Trackball {
    int width = 640;  // window width used to normalise pointer x
    int height = 480; // window height used to normalise pointer y
    Quat rotation{0, 0, 0, 1};
    Quat dragRotation{0, 0, 0, 1};
    std::array<float, 3> moveScale{10, 10, 10};
    std::array<float, 3> translation{0, 0, -10};
    float radius = 1.0f;
    float startDistance = 10.0f;
    float lastX = 0, lastY = 0;
    int dragMode = 0; // 0 none, 1 rotate, 2 pan, 3 dolly

    Trackball(int w = 640, int h = 480);
    // Identity rotation, translation (0, 0, -startDistance), move scale startDistance.
    void resetTrackball();
    // x, y in window pixels, y counted from the top. Starts a drag of the given mode at the
    // pointer (1 rotate, 2 pan, 3 dolly).
    void beginDrag(int mode, int x, int y);
    // Moves the running drag to the pointer: turns, pans or dollies by the pointer's travel
    // since the last call (positions outside the window count as its edge).
    void dragTo(int x, int y);
    // One turn of the mouse wheel by notches (positive: nearer): the translation's z moves
    // as a middle drag over an eighth of the window's height per notch (2.5 units with move
    // scale 10) and stops at the clipping planes, z = -5 and z = -200. A view already beyond
    // a plane only moves back towards it.
    void wheel(int notches);
};

// A uniform scale and a centring applied to the model inside the model-view, after the
// camera's translation and rotation: object point p is drawn at scale (p - centre). The
// identity (scale 1, centre at the origin) leaves the view exactly as the camera alone gives it.
struct ModelFraming {
    float scale = 1;
    std::array<float, 3> centre{0, 0, 0};
    bool isIdentity() const { return scale == 1 && centre == std::array<float, 3>{0, 0, 0}; }
    bool operator==(const ModelFraming&) const = default;
};

struct CameraPose {
    Quat rotation{0, 0, 0, 0};
    std::array<float, 3> translation{0, 0, 0};
    float fieldOfView = 0;
    ModelFraming framing{}; // the view's framing when the pose was stored
};

// 2t - 1 for t = (value - offset) / extent clamped to [0, 1]; 0 when extent is 0.
float normalisePointer(int value, int offset, int extent);
// Height of (x, y) over the virtual sphere of radius r, or over its hyperbolic sheet.
float projectToSphere(float r, float x, float y);
// Rotation that drags p1 to p2 on the virtual sphere, by at most 90 degrees; identity for
// equal points (and for points too close to give a turning axis).
Quat trackballRotation(float radius, float p1x, float p1y, float p2x, float p2y);
// Hamilton product a * b.
Quat multiply(const Quat& a, const Quat& b);
// Rotation matrix in OpenGL's column order; any non-zero quaternion length gives a rotation,
// the zero quaternion the identity.
std::array<float, 16> quaternionToMatrix(const Quat& q);
