#define GL_GLEXT_PROTOTYPES
#include "selection/picking.h"

#include "mesh/draw_batches.h"
#include "mesh/gl_buffer.h"
#include "selection/face_id.h"
#include "selection/id_arrays.h"
#include "selection/view_transform_gl.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cstdint>
#include <iostream>

namespace {

// The ID image's buffer of one mesh, with what it was built from: the number of faces drawn
// and the stamps of the positions and faces.
class IdBuffers : public MeshCache {
  public:
    bool built = false;
    std::array<std::uint64_t, 5> key{};
    GlBuffer vertices;
    std::size_t colourAt = 0, count = 0; // positions start the buffer, colours follow

    void fill(const SimpleMesh& mesh, std::size_t drawnFaces, bool onlyShown) {
        count = idVertexCount(mesh, drawnFaces, onlyShown);
        vertices.write(GL_ARRAY_BUFFER, count * (sizeof(Vec3) + 4), [&](unsigned char* data) {
            writeIdArrays(mesh, drawnFaces, count, data, onlyShown);
        });
        colourAt = count * sizeof(Vec3);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        built = true;
    }
};

// The mesh's ID buffer for its first drawnFaces faces (onlyShown: those that drawing the mesh
// shows), rebuilt first when what it was built from changed since.
const IdBuffers& idBuffers(const SimpleMesh& mesh, std::size_t drawnFaces, bool onlyShown) {
    std::unique_ptr<MeshCache>& slot = mesh.caches[MeshCaches::FaceIds];
    if (!slot)
        slot = std::make_unique<IdBuffers>();
    auto& buffers = static_cast<IdBuffers&>(*slot); // the slot only ever holds these
    const bool hiding = onlyShown && mesh.hideInvisibleFaces == 1;
    const std::array<std::uint64_t, 5> key = {drawnFaces, mesh.vertices.stamp(), mesh.faces.stamp(),
                                              hiding ? 1u : 0u,
                                              hiding ? mesh.faceVisible.stamp() : 0};
    if (!buffers.built || buffers.key != key) {
        buffers.built = false;
        buffers.fill(mesh, drawnFaces, hiding);
        buffers.key = key;
    }
    return buffers;
}

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
    const IdBuffers& b = idBuffers(mesh, drawnFaces, onlyShown);
    if (b.count == 0)
        return;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    b.vertices.bind(GL_ARRAY_BUFFER);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, bufferOffset(0));
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, bufferOffset(b.colourAt));
    drawArrayTriangles(b.count);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glPopClientAttrib();
}

void releaseIdImage(const SimpleMesh& mesh) {
    mesh.caches[MeshCaches::FaceIds].reset();
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
