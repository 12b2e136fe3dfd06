#include "selection/triangulate.h"

#include "export/export_obj.h"
#include "mesh/simple_mesh.h"
#include "platform/replace_file.h"

#include <cmath>
#include <iostream>

namespace {

struct Vec3d {
    double x, y, z;
};

Vec3d widen(const Vec3& v) {
    return {v.x, v.y, v.z};
}
Vec3d minus(const Vec3d& a, const Vec3d& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
double dot(const Vec3d& a, const Vec3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3d cross(const Vec3d& a, const Vec3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Twice the area of triangle a b c projected across the unit direction from its centre to
// the eye; positive when its counter-clockwise side faces the eye. An eye at the centre
// itself gives no direction and weight 0.
double viewWeight(const Vec3d& a, const Vec3d& b, const Vec3d& c, const Vec3d& eye) {
    Vec3d g = minus(eye, {(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3});
    double length = std::sqrt(dot(g, g));
    if (length == 0)
        return 0;
    g = {g.x / length, g.y / length, g.z / length};
    return dot(g, cross(minus(b, a), minus(c, a)));
}

void writeFaces(ObjWriter& writer, const SimpleMesh& input, const float cameraTranslation[3]) {
    static constexpr int kKeep[2][3] = {{0, 1, 2}, {0, 2, 3}};
    static constexpr int kFlip[2][3] = {{0, 1, 3}, {1, 2, 3}};
    for (std::size_t f = 0; f < input.faces.size(); ++f) {
        int visible = f < input.faceVisible.size() ? input.faceVisible[f] : 1;
        if (visible < 1)
            continue;
        std::span<const int> corners = input.faces[f];
        if (corners.size() != 4) {
            writer.meshFace(input, f);
            continue;
        }
        const int q[4] = {corners[0], corners[1], corners[2], corners[3]};
        const auto& split = chooseQuadDiagonal(input, q, cameraTranslation) ? kFlip : kKeep;
        writer.meshFace(input, f, split[0]);
        writer.meshFace(input, f, split[1]);
    }
}

} // namespace

bool chooseQuadDiagonal(const SimpleMesh& mesh, const int q[4], const float cameraTranslation[3]) {
    Vec3d p[4];
    for (int k = 0; k < 4; ++k) {
        if (q[k] < 0 || std::size_t(q[k]) >= mesh.vertices.size())
            return false;
        p[k] = widen(mesh.vertices[q[k]]);
    }
    const Vec3d eye{cameraTranslation[0], cameraTranslation[1], cameraTranslation[2]};
    double keep = viewWeight(p[0], p[1], p[2], eye) + viewWeight(p[0], p[2], p[3], eye);
    double flip = viewWeight(p[0], p[1], p[3], eye) + viewWeight(p[1], p[2], p[3], eye);
    return flip >= keep;
}

void writeTriangulatedModel(ObjWriter& writer, const SimpleMesh& input,
                            const float cameraTranslation[3]) {
    writer.header();
    writer.vertexSection(input.vertices);
    writer.texCoordSection(input.texCoords);
    writer.normalSection(input.normals);
    writeFaces(writer, input, cameraTranslation);
    writer.elements(input.faces.size());
}

int triangulateFaces(const SimpleMesh& input, const float cameraTranslation[3],
                     const std::string& folder) {
    const std::string path = folder + "/remesh.obj";
    std::string why = replaceFile(path, [&](const std::string& tempPath) {
        return writeObjFile(tempPath, [&](ObjWriter& writer) {
            writeTriangulatedModel(writer, input, cameraTranslation);
        });
    });
    if (!why.empty()) {
        std::cerr << "triangulateFaces: cannot write " << path << ": " << why << std::endl;
        return 1;
    }
    std::cerr << "Done!" << std::endl;
    return 0;
}
