// Plain value types shared by every layer: positions, normals, texture coordinates.
#pragma once

#include <cmath>

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

// A position or direction in double precision, for sums and products that must not lose
// what float would.
struct Vec3d {
    double x = 0, y = 0, z = 0;
};

inline Vec3d widen(const Vec3& v) {
    return {v.x, v.y, v.z};
}

// Vector arithmetic in the precision of its arguments (Vec3: float, Vec3d: double).
template <typename V>
concept Vector3 = requires(V v) {
    v.x + v.y + v.z;
};

template <Vector3 V> V operator-(const V& a, const V& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
template <Vector3 V> V cross(const V& a, const V& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
template <Vector3 V> auto dot(const V& a, const V& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
template <Vector3 V> auto length(const V& a) {
    return std::sqrt(dot(a, a));
}

struct Vec2 {
    float u = 0, v = 0;
};

// A 2-D point of the lasso overlay (window-sized orthographic coordinates).
struct Point2 {
    float x = 0, y = 0;
};
