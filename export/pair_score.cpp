// Scoring of one quad's two possible diagonals. The vector work is single precision and the
// weighted means double precision, so that scores (and with them the chosen diagonals and
// the order of the pair list) are reproducible from one build to the next.
#include "export/mesh_pair.h"

#include "mesh/simple_mesh.h"

#include <cmath>
#include <limits>

namespace {

// a / |a|, or the zero vector when a has no length.
Vec3 unit(const Vec3& a) {
    float l = length(a);
    if (l == 0)
        return {};
    return {a.x / l, a.y / l, a.z / l};
}

// Normal of the triangle whose first two corners are a, b and third is c, seen from a.
Vec3 normalOf(const Vec3& a, const Vec3& b, const Vec3& c) {
    return cross(b - a, c - a);
}

// Area-weighted mean of the cosines between the reference normals and the two output
// normals; NaN when both output triangles have no area.
double weightedCosine(const Vec3& ref1, const Vec3& out1, const Vec3& ref2, const Vec3& out2) {
    float l1 = length(out1), l2 = length(out2);
    float c1 = dot(unit(ref1), unit(out1)), c2 = dot(unit(ref2), unit(out2));
    return (double(c1) * double(l1) + double(c2) * double(l2)) / (double(l1) + double(l2));
}

} // namespace

void scoreQuad(const SimpleMesh& input, const SimpleMesh& output, MeshPair& pair) {
    const int* q = pair.quadVertex;
    const Vec3 *P = input.vertices.data(), *Q = output.vertices.data();
    // Reference normals of the two input triangles q0 q1 q2 and q2 q3 q0.
    Vec3 r1 = normalOf(P[q[0]], P[q[1]], P[q[2]]);
    Vec3 r2 = normalOf(P[q[2]], P[q[3]], P[q[0]]);
    // Keeping q0-q2: q0 q1 q2 and q2 q3 q0. Flipping to q1-q3: q0 q1 q3 and q2 q3 q1; each
    // new triangle is compared with the input triangle that shares its first two corners.
    double keepScore = weightedCosine(r1, normalOf(Q[q[0]], Q[q[1]], Q[q[2]]), r2,
                                      normalOf(Q[q[2]], Q[q[3]], Q[q[0]]));
    double flipScore = weightedCosine(r1, normalOf(Q[q[0]], Q[q[1]], Q[q[3]]), r2,
                                      normalOf(Q[q[2]], Q[q[3]], Q[q[1]]));
    if (std::isnan(keepScore) || std::isnan(flipScore)) {
        // A split without area gives no reason to move the diagonal.
        pair.flipped = 0;
        pair.score = std::isnan(keepScore) ? -std::numeric_limits<double>::infinity() : keepScore;
        return;
    }
    pair.flipped = keepScore < flipScore ? 1 : 0;
    pair.score = pair.flipped ? flipScore : keepScore;
}
