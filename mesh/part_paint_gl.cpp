#define GL_GLEXT_PROTOTYPES
#include "mesh/part_paint.h"

#include "mesh/draw_batches.h"
#include "mesh/gl_buffer.h"
#include "mesh/simple_mesh.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace {

// The coat's buffers of one mesh: its positions and the triangles of parts 1 to 3 one after
// the other, with the stamps of the arrays they were built from.
class PaintBuffers : public MeshCache {
  public:
    bool built = false;
    std::array<std::uint64_t, 4> stamps{};
    GlBuffer positions, indices;
    std::array<std::size_t, 3> at{}, count{};

    // The triangles go straight into the index buffer, with no copy of them on the side.
    void fill(const SimpleMesh& mesh) {
        count = paintIndexCounts(mesh);
        if (count[0] + count[1] + count[2] > 0) {
            positions.upload(GL_ARRAY_BUFFER, {partOf(mesh.vertices.get())});
            indices.write(
                GL_ELEMENT_ARRAY_BUFFER, (count[0] + count[1] + count[2]) * sizeof(std::uint32_t),
                [&](unsigned char* data) {
                    writePaintTriangles(mesh, count, reinterpret_cast<std::uint32_t*>(data));
                });
            at = {0, count[0] * sizeof(std::uint32_t),
                  (count[0] + count[1]) * sizeof(std::uint32_t)};
            glBindBuffer(GL_ARRAY_BUFFER, 0);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        }
        built = true;
    }
};

// The mesh's coat buffers, built again first when the arrays they come from have changed.
const PaintBuffers& paintBuffers(const SimpleMesh& mesh) {
    std::unique_ptr<MeshCache>& slot = mesh.caches[MeshCaches::PartPaint];
    if (!slot)
        slot = std::make_unique<PaintBuffers>();
    auto& buffers = static_cast<PaintBuffers&>(*slot); // the slot only ever holds these
    const std::array<std::uint64_t, 4> stamps = {mesh.vertices.stamp(), mesh.faces.stamp(),
                                                 mesh.facePart.stamp(), mesh.faceVisible.stamp()};
    if (!buffers.built || buffers.stamps != stamps) {
        buffers.fill(mesh);
        buffers.stamps = stamps;
    }
    return buffers;
}

} // namespace

void drawPartPaint(const SimpleMesh& mesh) {
    const PaintBuffers& b = paintBuffers(mesh);
    if (b.count[0] + b.count[1] + b.count[2] == 0)
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
    b.positions.bind(GL_ARRAY_BUFFER);
    b.indices.bind(GL_ELEMENT_ARRAY_BUFFER);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vec3), bufferOffset(0));
    for (std::size_t p = 0; p < 3; ++p) {
        if (b.count[p] == 0)
            continue;
        glColor4f(kPaintColours[p][0], kPaintColours[p][1], kPaintColours[p][2], kPaintCover);
        drawIndexedTriangles(b.at[p], b.count[p], mesh.vertices.size());
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glPopClientAttrib();
    glPopAttrib();
}
