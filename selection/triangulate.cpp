#include "selection/triangulate.h"

#include "mesh/simple_mesh.h"

#include <cmath>

namespace {

// Twice the area of triangle a b c projected across the unit direction from its centre to
// the eye; positive when its counter-clockwise side faces the eye. An eye at the centre
// itself gives no direction and weight 0.
double viewWeight(const Vec3d& a, const Vec3d& b, const Vec3d& c, const Vec3d& eye) {
    Vec3d g = eye - Vec3d{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
    const double l = length(g);
    if (l == 0)
        return 0;
    g = {g.x / l, g.y / l, g.z / l};
    return dot(g, cross(b - a, c - a));
}

} // namespace

bool chooseQuadDiagonal(const SimpleMesh& mesh, const int q[4], const float cameraTranslation[3]) {
    Vec3d p[4];
    for (int k = 0; k < 4; ++k) {
        if (!isIndex(q[k], mesh.vertices.size()))
            return false;
        p[k] = widen(mesh.vertices[q[k]]);
    }
    const Vec3d eye{cameraTranslation[0], cameraTranslation[1], cameraTranslation[2]};
    double keep = viewWeight(p[0], p[1], p[2], eye) + viewWeight(p[0], p[2], p[3], eye);
    double flip = viewWeight(p[0], p[1], p[3], eye) + viewWeight(p[1], p[2], p[3], eye);
    return flip >= keep;
}
