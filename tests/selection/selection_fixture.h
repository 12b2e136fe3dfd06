// Scenes for the selection tests: a camera like the program's (30 degrees, planes 5 and 200,
// model 100 units away, viewport three times the window), meshes placed by window pixel and
// window depth, and lasso loops given in pointer pixels.
#pragma once

#include "mesh/simple_mesh.h"
#include "selection/projection.h"
#include "selection/view_transform_gl.h"
#include "tests/support/gl_test.h"
#include "tests/support/program_view.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace selection_test {

// Vertices are stored as floats, so a measured window depth is off by up to a few 1e-7.
constexpr double kDepthTolerance = 1e-6;

// The offscreen context at width x height with the program's viewport, and the camera above
// as an applyProjection routine, with the matrices it loads.
struct GlScene {
    int width = 0, height = 0;
    std::function<void()> applyProjection;
    ViewTransform view{};
};

inline GlScene glScene(int width, int height) {
    testContext(width, height);
    glViewport(-width, -height, 3 * width, 3 * height);
    GlScene scene;
    scene.width = width;
    scene.height = height;
    scene.applyProjection = [width, height] {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(30, width / static_cast<double>(height), 5, 200);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -100);
    };
    scene.view = viewTransformAfter(scene.applyProjection);
    return scene;
}

// The object position that shows at window column x, row y (from the bottom), window depth.
inline Vec3 atPixel(const ViewTransform& view, double x, double y, double depth) {
    DPoint3 object;
    const Unprojector unproject(view);
    unproject({x, y, depth}, object);
    return {static_cast<float>(object.x), static_cast<float>(object.y),
            static_cast<float>(object.z)};
}

// Window position (x, y, depth) of a vertex.
inline DPoint3 windowOf(const ViewTransform& view, const Vec3& v) {
    DPoint3 window;
    projectPoint(view, {v.x, v.y, v.z}, window);
    return window;
}

// Gives the mesh the selection state of a freshly opened model: every face visible, no
// labels.
inline void openSelection(SimpleMesh& mesh) {
    mesh.faceVisible.edit().assign(mesh.faces.size(), 1);
    mesh.facePart.edit().assign(mesh.faces.size(), 0);
    mesh.vertexPart.edit().assign(mesh.vertices.size(), 0);
    mesh.vertexInPart.edit().assign(mesh.vertices.size(), 0);
}

// Adds a vertex at a window pixel and depth; returns its index.
inline int addVertex(SimpleMesh& mesh, const ViewTransform& view, double x, double y,
                     double depth) {
    mesh.vertices.edit().push_back(atPixel(view, x, y, depth));
    return static_cast<int>(mesh.vertices.size()) - 1;
}

inline int addFace(SimpleMesh& mesh, std::initializer_list<int> corners) {
    mesh.faces.edit().push_back(std::vector<int>(corners));
    return static_cast<int>(mesh.faces.size()) - 1;
}

// A quad covering window columns x0..x1 and rows y0..y1 (from the bottom) at one depth,
// counter-clockwise on screen (front-facing) unless facingAway. Corners get a 0.2 pixel
// offset so that each lands inside pixel (x, y) rather than on a pixel border.
inline int addQuad(SimpleMesh& mesh, const ViewTransform& view, double x0, double y0, double x1,
                   double y1, double depth, bool facingAway = false) {
    const int a = addVertex(mesh, view, x0 + 0.2, y0 + 0.2, depth);
    const int b = addVertex(mesh, view, x1 + 0.2, y0 + 0.2, depth);
    const int c = addVertex(mesh, view, x1 + 0.2, y1 + 0.2, depth);
    const int d = addVertex(mesh, view, x0 + 0.2, y1 + 0.2, depth);
    return facingAway ? addFace(mesh, {a, d, c, b}) : addFace(mesh, {a, b, c, d});
}

// A lasso loop through pointer positions (x column, y row from the top) of a W x H window,
// in the overlay coordinates the mouse handler stores.
inline std::vector<Point2> lassoThrough(int width, int height,
                                        std::initializer_list<std::pair<double, double>> pts) {
    std::vector<Point2> polygon;
    for (auto [x, y] : pts)
        polygon.push_back(
            {static_cast<float>((width + x) / 3), static_cast<float>((2.0 * height - y) / 3)});
    return polygon;
}

// The overlay point of window column x, row y counted from the bottom.
inline Point2 overlayAt(int width, int height, double x, double y) {
    return lassoThrough(width, height, {{x, height - y}}).front();
}

// A rectangular lasso around window columns x0..x1, rows y0..y1 counted from the bottom.
inline std::vector<Point2> lassoAround(int width, int height, double x0, double y0, double x1,
                                       double y1) {
    return lassoThrough(
        width, height,
        {{x0, height - y0}, {x1, height - y0}, {x1, height - y1}, {x0, height - y1}});
}

} // namespace selection_test
