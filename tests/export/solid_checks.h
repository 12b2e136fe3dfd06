// What every exported solid must be, checked the same way on solids built in memory and on
// the files a session wrote: closed and outward, and its front on its pixels.
#pragma once

#include "export/solid.h"
#include "mesh/simple_mesh.h"
#include "selection/projection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

// "" when every directed edge is used by exactly one triangle and its reverse by exactly one
// other, no triangle repeats a corner and the signed volume is positive; else the first fault.
inline std::string closedSolidFault(const SolidMesh& solid) {
    std::vector<std::pair<int, int>> edges;
    for (const auto& t : solid.triangles) {
        if (t[0] == t[1] || t[1] == t[2] || t[2] == t[0])
            return "a triangle repeats a corner";
        for (int k = 0; k < 3; ++k)
            edges.push_back({t[k], t[(k + 1) % 3]});
    }
    std::sort(edges.begin(), edges.end());
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const auto [a, b] = edges[i];
        const std::string name = std::to_string(a) + "-" + std::to_string(b);
        if (i > 0 && edges[i - 1] == edges[i])
            return "edge " + name + " runs the same way in two triangles";
        if (!std::binary_search(edges.begin(), edges.end(), std::pair{b, a}))
            return "edge " + name + " has no triangle on its other side";
    }
    if (!(signedVolume(solid) > 0))
        return "volume " + std::to_string(signedVolume(solid));
    return "";
}

// The solid an exported OBJ file reads back as: its faces as triangles, one texture coordinate
// per front vertex and the plate's texel last. A face that is no triangle, or texture
// coordinates that do not fit that layout, fail the test and give an empty solid.
inline SolidMesh solidOf(const SimpleMesh& mesh) {
    SolidMesh solid;
    solid.vertices.assign(mesh.vertices.begin(), mesh.vertices.end());
    solid.texCoords.assign(mesh.texCoords.begin(), mesh.texCoords.end());
    if (solid.texCoords.empty() || solid.texCoords.size() > solid.vertices.size() + 1) {
        ADD_FAILURE() << solid.texCoords.size() << " texture coordinates for "
                      << solid.vertices.size() << " vertices";
        return {};
    }
    solid.frontVertices = solid.texCoords.size() - 1;
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        if (mesh.faces[f].size() != 3) {
            ADD_FAILURE() << "face " << f << " has " << mesh.faces[f].size() << " corners";
            return {};
        }
        solid.triangles.push_back({mesh.faces[f][0], mesh.faces[f][1], mesh.faces[f][2]});
    }
    return solid;
}

// The largest distance in pixels between a front vertex's projection under view and the
// centre of its pixel, which its texture coordinate times the image size gives.
inline double frontPixelError(const SolidMesh& solid, const ViewTransform& view, int width,
                              int height) {
    double worst = 0;
    for (std::size_t i = 0; i < solid.frontVertices; ++i) {
        const Vec3& v = solid.vertices[i];
        DPoint3 window{};
        if (!projectPoint(view, {v.x, v.y, v.z}, window))
            return INFINITY;
        const Vec2& t = solid.texCoords[i];
        worst =
            std::max({worst, std::abs(window.x - t.u * width), std::abs(window.y - t.v * height)});
    }
    return worst;
}
