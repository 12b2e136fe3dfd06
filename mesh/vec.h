// Plain value types shared by every layer: positions, normals, texture coordinates.
#pragma once

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

struct Vec2 {
    float u = 0, v = 0;
};

// A 2-D point of the lasso overlay (window-sized orthographic coordinates).
struct Point2 {
    float x = 0, y = 0;
};
