#include "app/trackball.h"

#include "mesh/vec.h"

#include <algorithm>
#include <cmath>

Trackball::Trackball(int w, int h) : width(w), height(h) {
    resetTrackball();
}

void Trackball::resetTrackball() {
    rotation = {0, 0, 0, 1};
    dragRotation = {0, 0, 0, 1};
    translation = {0, 0, -startDistance};
    moveScale = {startDistance, startDistance, startDistance};
}

void Trackball::beginDrag(int mode, int x, int y) {
    lastX = normalisePointer(x, 0, width);
    lastY = normalisePointer(y, height, -height);
    dragRotation = {0, 0, 0, 1};
    dragMode = mode;
}

void Trackball::dragTo(int x, int y) {
    const float nx = normalisePointer(x, 0, width);
    const float ny = normalisePointer(y, height, -height);
    switch (dragMode) {
    case 1:
        dragRotation = trackballRotation(radius, lastX, lastY, nx, ny);
        // Never renormalised: quaternionToMatrix turns any length into a pure rotation.
        rotation = multiply(rotation, dragRotation);
        break;
    case 2:
        translation[0] += (nx - lastX) * moveScale[0];
        translation[1] += (ny - lastY) * moveScale[1];
        break;
    case 3:
        translation[2] += (ny - lastY) * moveScale[2];
        break;
    default:
        break;
    }
    lastX = nx;
    lastY = ny;
}

void Trackball::wheel(int notches) {
    constexpr float kNearZ = -5, kFarZ = -200, kNotch = 2.0f / 8; // of the normalised height
    const float z = translation[2], moved = z + notches * kNotch * moveScale[2];
    if (notches > 0 && moved > z)
        translation[2] = std::max(z, std::min(moved, kNearZ));
    else if (notches < 0 && moved < z)
        translation[2] = std::min(z, std::max(moved, kFarZ));
}

float normalisePointer(int value, int offset, int extent) {
    // A window of zero extent has no position to speak of: report its centre rather than
    // dividing by zero and carrying a NaN into the camera.
    if (extent == 0)
        return 0.0f;
    const float t =
        std::clamp(static_cast<float>(value - offset) / static_cast<float>(extent), 0.0f, 1.0f);
    return 2.0f * t - 1.0f;
}

float projectToSphere(float r, float x, float y) {
    const float d = std::sqrt(x * x + y * y);
    if (d < r * 0.7071067811865476f)
        return std::sqrt(r * r - d * d);
    return r * r / (2.0f * d);
}

Quat trackballRotation(float radius, float p1x, float p1y, float p2x, float p2y) {
    const Quat identity{0, 0, 0, 1};
    if (p1x == p2x && p1y == p2y)
        return identity;
    const Vec3 p1{p1x, p1y, projectToSphere(radius, p1x, p1y)};
    const Vec3 p2{p2x, p2y, projectToSphere(radius, p2x, p2y)};
    const Vec3 a = cross(p1, p2);
    const float a2 = dot(a, a);
    // Points so close that their cross product vanishes in float give no axis to turn about.
    if (a2 == 0.0f)
        return identity;
    // Rounding can push the squared sine a hair above 1; clamp so the cosine stays a number.
    const float sine2 = std::min(a2 / (dot(p1, p1) * dot(p2, p2)), 1.0f);
    const float co = std::sqrt(1.0f - sine2);
    const float s = std::sqrt((1.0f - co) * 0.5f);
    const float h = std::sqrt((co + 1.0f) * 0.5f);
    const float aLength = std::sqrt(a2);
    return {-s * a.x / aLength, -s * a.y / aLength, -s * a.z / aLength, h};
}

Quat multiply(const Quat& r, const Quat& d) {
    return {r[3] * d[0] + r[0] * d[3] + r[1] * d[2] - r[2] * d[1],
            r[3] * d[1] + r[1] * d[3] + r[2] * d[0] - r[0] * d[2],
            r[3] * d[2] + r[2] * d[3] + r[0] * d[1] - r[1] * d[0],
            r[3] * d[3] - r[0] * d[0] - r[1] * d[1] - r[2] * d[2]};
}

std::array<float, 16> quaternionToMatrix(const Quat& q) {
    const float x = q[0], y = q[1], z = q[2], w = q[3];
    const float length2 = x * x + y * y + z * z + w * w;
    // The zero quaternion names no rotation; the identity keeps the view usable.
    const float k = length2 == 0.0f ? 0.0f : 2.0f / length2;
    return {1 - k * (y * y + z * z),
            k * (x * y - z * w),
            k * (z * x + w * y),
            0,
            k * (x * y + z * w),
            1 - k * (z * z + x * x),
            k * (y * z - x * w),
            0,
            k * (z * x - w * y),
            k * (y * z + x * w),
            1 - k * (x * x + y * y),
            0,
            0,
            0,
            0,
            1};
}
