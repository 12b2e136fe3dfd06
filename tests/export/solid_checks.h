// What every exported solid must be, checked the same way on solids built in memory and on
// the files a session wrote: closed and outward, and its front on its pixels.
#pragma once

#include "export/solid.h"
#include "mesh/simple_mesh.h"
#include "selection/projection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
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

inline Vec3d toVec3d(const DPoint3& p) {
    return {p.x, p.y, p.z};
}

// The first pixel whose line of sight no front triangle meets, meets one farther than
// tolerance (object units) from the point of the pixel's sample, or meets one whose texture
// there is not its own texel within half a pixel; "" when there is none. frontDepth is where
// the background samples lie.
inline std::string boundFault(const SolidMesh& solid, const DepthImage& image,
                              const ViewTransform& view, double frontDepth, double tolerance) {
    const int w = image.width, h = image.height;
    const Unprojector unproject(view);
    std::vector<char> covered(image.depth.size(), 0);
    for (std::size_t f = 0; f < solid.frontTriangles; ++f) {
        const auto& t = solid.triangles[f];
        Vec3d corner[3];
        Vec2 tex[3];
        double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
        for (int k = 0; k < 3; ++k) {
            corner[k] = widen(solid.vertices[t[k]]);
            tex[k] = solid.texCoords[t[k]];
            DPoint3 window;
            projectPoint(view, {corner[k].x, corner[k].y, corner[k].z}, window);
            x0 = std::min(x0, window.x), x1 = std::max(x1, window.x);
            y0 = std::min(y0, window.y), y1 = std::max(y1, window.y);
        }
        const Vec3d e1 = corner[1] - corner[0], e2 = corner[2] - corner[0];
        // Float corners stand a few ten-thousandths of a pixel off their pixels' lines of sight;
        // along a triangle steep to the camera (much depth over few pixels) that shifts the
        // point a line of sight meets by as much again times its slope.
        const double reach = std::max({length(e1), length(e2), length(corner[2] - corner[1])});
        const double slack = 5e-4 + 1e-3 * reach / std::max(0.5, std::max(x1 - x0, y1 - y0));
        for (int y = std::max(0, int(std::floor(y0))); y < std::min(h, int(std::ceil(y1)) + 1); ++y)
            for (int x = std::max(0, int(std::floor(x0))); x < std::min(w, int(std::ceil(x1)) + 1);
                 ++x) {
                const std::size_t i = std::size_t(y) * w + x;
                const double px = x + 0.5, py = y + 0.5;
                const double depth = image.depth[i] < 1 ? image.depth[i] : frontDepth;
                DPoint3 nearP, farP, own;
                unproject({px, py, 0}, nearP);
                unproject({px, py, 1}, farP);
                unproject({px, py, depth}, own);
                // The line of sight against the triangle's plane, in barycentric terms.
                const Vec3d origin = toVec3d(nearP), direction = toVec3d(farP) - origin;
                const Vec3d across = cross(direction, e2);
                const double det = dot(e1, across);
                if (std::abs(det) < 1e-12)
                    continue;
                const Vec3d s = origin - corner[0];
                const double b = dot(s, across) / det, c = dot(direction, cross(s, e1)) / det;
                // A pixel centre on an edge or a corner, seen through float corners, may fall just
                // outside every triangle it touches: such a near miss covers the pixel, and the
                // bounds are checked where the line of sight meets a triangle inside.
                if (b < -1e-3 || c < -1e-3 || b + c > 1 + 1e-3)
                    continue;
                covered[i] = 1;
                if (b < 0 || c < 0 || b + c > 1)
                    continue;
                const Vec3d hit{corner[0].x + b * e1.x + c * e2.x,
                                corner[0].y + b * e1.y + c * e2.y,
                                corner[0].z + b * e1.z + c * e2.z};
                const double off = length(hit - toVec3d(own));
                const double u = ((1 - b - c) * tex[0].u + b * tex[1].u + c * tex[2].u) * w,
                             v = ((1 - b - c) * tex[0].v + b * tex[1].v + c * tex[2].v) * h;
                std::ostringstream where;
                where << "pixel " << x << ", " << y << " under front triangle " << f << ": ";
                if (off > tolerance + slack)
                    return where.str() + std::to_string(off) + " from its sample";
                if (std::abs(u - px) > 0.5 + 1e-4 || std::abs(v - py) > 0.5 + 1e-4)
                    return where.str() + "texture at " + std::to_string(u) + ", " +
                           std::to_string(v);
            }
    }
    const auto bare = std::find(covered.begin(), covered.end(), 0);
    if (bare != covered.end())
        return "pixel " + std::to_string((bare - covered.begin()) % w) + ", " +
               std::to_string((bare - covered.begin()) / w) + " is under no front triangle";
    return "";
}

// The window depth at which a view puts the panel's background: that of any front vertex
// whose pixel is background (the front plane's place is checked in solid_test).
inline double frontDepthOf(const SolidMesh& solid, const DepthImage& image,
                           const ViewTransform& view) {
    for (std::size_t i = 0; i < solid.frontVertices; ++i) {
        const int x = int(solid.texCoords[i].u * image.width),
                  y = int(solid.texCoords[i].v * image.height);
        if (!(image.depth[std::size_t(y) * image.width + x] < 1)) {
            DPoint3 window;
            const Vec3& v = solid.vertices[i];
            projectPoint(view, {v.x, v.y, v.z}, window);
            return window.z;
        }
    }
    return 1;
}
