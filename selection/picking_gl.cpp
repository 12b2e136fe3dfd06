#include "selection/picking.h"

#include "selection/face_id.h"
#include "selection/index_check.h"
#include "selection/view_transform_gl.h"

#include <GL/gl.h>

#include <iostream>

namespace {

// State of both ID passes, inside the caller's glPushAttrib: white background, no lighting,
// and nothing that could change an ID colour on its way into the frame buffer.
void beginIdPass() {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DITHER);
}

} // namespace

void drawIdImage(const SimpleMesh& mesh, std::size_t drawnFaces) {
    const std::size_t count = std::min(drawnFaces, mesh.faces.size());
    const std::size_t vertexCount = mesh.vertices.size();
    for (std::size_t i = 0; i < count; ++i) {
        auto corners = mesh.faces[i];
        if (corners.size() < 3)
            continue; // rasterises nothing
        glColor3ub(i & 255, (i >> 8) & 255, (i >> 16) & 255);
        glBegin(GL_POLYGON);
        for (int v : corners)
            if (isIndex(v, vertexCount))
                glVertex3fv(&mesh.vertices[v].x);
        glEnd();
    }
}

int pickFace(const SimpleMesh& mesh, int x, int y, const std::function<void()>& applyProjection) {
    const std::size_t drawn = idFaceCount(mesh.faces.size());
    reportIdFaceLimit(mesh.faces.size(), std::cout);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    beginIdPass();
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, 1, 1);
    applyProjection();
    drawIdImage(mesh, drawn);
    glDisable(GL_SCISSOR_TEST);
    unsigned char pixel[3] = {255, 255, 255};
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    glPopAttrib();
    return static_cast<int>(decodeFaceId(pixel, drawn));
}

void markVisibleFaces(SimpleMesh& mesh, bool backFace, int width, int height,
                      const std::function<void()>& applyProjection) {
    const std::size_t n = mesh.faces.size();
    const std::size_t drawn = idFaceCount(n);
    reportIdFaceLimit(n, std::cout);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    beginIdPass();
    if (backFace)
        glDisable(GL_CULL_FACE);
    applyProjection();
    drawIdImage(mesh, drawn);
    mesh.faceVisible.assign(n, 0);
    const RgbImage image = readWindow(width, height);
    markFacesInIdImage(image, drawn, mesh.faceVisible);
    glPopAttrib();
}
