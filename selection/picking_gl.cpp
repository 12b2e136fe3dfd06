#define GL_GLEXT_PROTOTYPES
#include "selection/picking.h"

#include "mesh/draw_batches.h"
#include "selection/face_id.h"
#include "selection/id_arrays.h"
#include "selection/view_transform_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cstdint>
#include <iostream>

namespace {

// State of both ID passes, inside the caller's glPushAttrib: white background, filled polygons
// whatever the display shows ("Wireframe" leaves outlines in the window's state), no lighting,
// and nothing that could change an ID colour on its way into the frame buffer.
void beginIdPass() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DITHER);
}

} // namespace

void drawIdImage(const SimpleMesh& mesh, std::size_t drawnFaces, bool onlyShown) {
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glBindBuffer(GL_ARRAY_BUFFER, 0); // the arrays are the batch's own memory
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    bool first = true;
    forEachIdBatch(mesh, drawnFaces, onlyShown, kBatchTriangles, [&](const IdBatch& batch) {
        // The rasteriser's workers fill the window with one batch while the next is written.
        if (!first)
            glFlush();
        first = false;
        glVertexPointer(3, GL_FLOAT, 0, batch.positions.data());
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, batch.colours.data());
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(batch.positions.size()));
    });
    glPopClientAttrib();
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

RgbImage markVisibleFaces(SimpleMesh& mesh, bool backFace, int width, int height,
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
    const RgbImage image = readWindow(width, height);
    std::vector<int> visible(n, 0);
    markFacesInIdImage(image, drawn, visible);
    mesh.faceVisible = std::move(visible);
    glPopAttrib();
    return image;
}

RgbImage readShownIdImage(const SimpleMesh& mesh, bool backFace, int width, int height,
                          const std::function<void()>& applyProjection) {
    const std::size_t drawn = idFaceCount(mesh.faces.size());
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    beginIdPass();
    if (backFace)
        glDisable(GL_CULL_FACE);
    applyProjection();
    drawIdImage(mesh, drawn, true);
    RgbImage image = readWindow(width, height);
    glPopAttrib();
    return image;
}
