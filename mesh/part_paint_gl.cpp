#include "mesh/part_paint.h"

#include "mesh/simple_mesh.h"

#include <GL/gl.h>

namespace {

// The coat's triangles of one mesh, with the stamps of the arrays they were built from. Only
// the input model is coated, so one cache serves.
struct PaintCache {
    const SimpleMesh* mesh = nullptr;
    std::array<std::uint64_t, 4> stamps{};
    std::array<std::vector<std::uint32_t>, 3> triangles;
};

const std::array<std::vector<std::uint32_t>, 3>& cachedTriangles(const SimpleMesh& mesh) {
    static PaintCache cache;
    const std::array<std::uint64_t, 4> stamps = {mesh.vertices.stamp(), mesh.faces.stamp(),
                                                 mesh.facePart.stamp(), mesh.faceVisible.stamp()};
    if (cache.mesh != &mesh || cache.stamps != stamps) {
        cache.triangles = paintTriangles(mesh);
        cache.mesh = &mesh;
        cache.stamps = stamps;
    }
    return cache.triangles;
}

} // namespace

void drawPartPaint(const SimpleMesh& mesh) {
    const std::array<std::vector<std::uint32_t>, 3>& triangles = cachedTriangles(mesh);
    if (triangles[0].empty() && triangles[1].empty() && triangles[2].empty())
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT |
                 GL_COLOR_BUFFER_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    // Pulled a little towards the eye, so the coat wins over the faces it lies on.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(-1, -1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vec3), mesh.vertices->data());
    for (std::size_t p = 0; p < 3; ++p) {
        if (triangles[p].empty())
            continue;
        glColor4f(kPaintColours[p][0], kPaintColours[p][1], kPaintColours[p][2], kPaintCover);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(triangles[p].size()), GL_UNSIGNED_INT,
                       triangles[p].data());
    }
    glPopClientAttrib();
    glPopAttrib();
}
