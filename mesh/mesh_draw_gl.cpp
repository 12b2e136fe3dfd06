#define GL_GLEXT_PROTOTYPES
#include "mesh/draw_arrays.h"
#include "mesh/draw_batches.h"
#include "mesh/gl_buffer.h"
#include "mesh/simple_mesh.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

// What a drawing reads, by the stamps of the arrays: equal keys mean equal pictures.
struct DrawKey {
    bool textured = false, outputShown = false, textureOnAllFaces = false;
    int hideInvisibleFaces = 0, drawBackFaces = 0;
    std::array<std::uint64_t, 12> stamps{};
    bool operator==(const DrawKey&) const = default;
};

DrawKey drawKey(const SimpleMesh& m, bool textured, bool outputShown) {
    if (!textured) // the plain drawing reads geometry and looks only
        return {false,
                false,
                false,
                0,
                0,
                {m.vertices.stamp(), m.normals.stamp(), m.faces.stamp(), m.normalFaces.stamp(),
                 m.materials.stamp(), m.faceMaterial.stamp(), m.vertexColours.stamp()}};
    return {true,
            outputShown,
            m.textureOnAllFaces,
            m.hideInvisibleFaces,
            m.drawBackFaces,
            {m.vertices.stamp(), m.normals.stamp(), m.faces.stamp(), m.normalFaces.stamp(),
             m.texCoords.stamp(), m.texCoordFaces.stamp(), m.faceVisible.stamp(),
             m.facePart.stamp(), m.vertexPart.stamp(), m.materials.stamp(), m.faceMaterial.stamp(),
             m.vertexColours.stamp()}};
}

// The buffers of one mesh's drawing, with the key of the data they were built from.
class ShadedBuffers : public MeshCache {
  public:
    bool built = false;
    DrawKey key;
    bool textured = false, colourArray = false, colourSet = false;
    Rgba colour; // of every vertex when there is no colour array
    GlBuffer vertices, indices;
    std::size_t positionAt = 0, normalAt = 0, texCoordAt = 0, colourAt = 0, flagAt = 0;
    std::size_t entries = 0, frontAt = 0, frontCount = 0, backAt = 0, backCount = 0;
    std::vector<MaterialRange> frontRanges, backRanges;
    bool backPass = false;
    CurrentValues last;

    // Writes the triangle lists straight into the index buffer as they are made, then the
    // vertex data into the vertex buffer, so that no copy of either is kept on the side: the
    // renderer keeps its own storage of both, and a copy of each beside it would double the
    // drawing's memory while it is rebuilt.
    void fill(const SimpleMesh& mesh, bool withTexture, bool outputShown) {
        MeshArrays a;
        {
            const DrawingPlan plan(mesh, withTexture, outputShown);
            indices.write(GL_ELEMENT_ARRAY_BUFFER, plan.indexCount() * sizeof(std::uint32_t),
                          [&](unsigned char* data) {
                              a = plan.build(reinterpret_cast<std::uint32_t*>(data));
                          });
        }
        textured = a.textured;
        colourArray = a.colourArray;
        colourSet = a.textured || a.colourSet;
        colour = a.colour;
        frontRanges = a.frontRanges;
        backRanges = a.backRanges;
        frontAt = 0;
        frontCount = a.frontCount;
        backPass = a.backPass;
        backAt = a.backUsesFront ? frontAt : a.frontCount * sizeof(std::uint32_t);
        backCount = a.backUsesFront ? a.frontCount : a.backCount;
        last = a.last;
        const VertexLayout layout = vertexLayout(a);
        vertices.write(GL_ARRAY_BUFFER, layout.bytes,
                       [&](unsigned char* data) { writeVertexData(mesh, a, data); });
        entries = a.entries.size();
        positionAt = layout.positionAt;
        normalAt = layout.normalAt;
        flagAt = layout.flagAt;
        texCoordAt = layout.texCoordAt;
        colourAt = layout.colourAt;
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        built = true;
    }
};

// The mesh's buffers, rebuilt first when the data they were built from has changed.
const ShadedBuffers& shadedBuffers(const SimpleMesh& mesh, bool textured, bool outputShown) {
    std::unique_ptr<MeshCache>& slot = mesh.caches[MeshCaches::Shaded];
    if (!slot)
        slot = std::make_unique<ShadedBuffers>();
    auto& buffers = static_cast<ShadedBuffers&>(*slot); // the slot only ever holds these
    const DrawKey key = drawKey(mesh, textured, outputShown);
    if (!buffers.built || buffers.key != key) {
        buffers.built = false;
        buffers.fill(mesh, textured, outputShown);
        buffers.key = key;
    }
    return buffers;
}

// The texture that faces of material m show: the texture of every face when there is one,
// else the material's own (0: none, the texture-less look).
unsigned textureOf(const SimpleMesh& mesh, int m) {
    if (mesh.textureOnAllFaces)
        return mesh.textureId;
    return isIndex(m, mesh.materials.size()) ? mesh.materials[m].texture : 0;
}

// Points the position and normal arrays, the edge flags when outlines are drawn, and for the
// textured drawing the texture-coordinate and colour arrays into the buffers (or the one
// colour of every vertex as the current colour).
void enableArrays(const ShadedBuffers& b) {
    b.vertices.bind(GL_ARRAY_BUFFER);
    b.indices.bind(GL_ELEMENT_ARRAY_BUFFER);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, bufferOffset(b.positionAt));
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, bufferOffset(b.normalAt));
    if (outlinesDrawn()) {
        glEnableClientState(GL_EDGE_FLAG_ARRAY);
        glEdgeFlagPointer(0, bufferOffset(b.flagAt));
    }
    if (b.textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, bufferOffset(b.texCoordAt));
    }
    if (b.colourArray) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, bufferOffset(b.colourAt));
    } else if (b.colourSet) {
        glColor4f(b.colour.r, b.colour.g, b.colour.b, b.colour.a);
    }
}

// Draws the triangles of each range of a list that starts at byte `at`; textured, with the
// texture of the range's material bound.
void drawRanges(const SimpleMesh& mesh, const ShadedBuffers& b, std::size_t at,
                const std::vector<MaterialRange>& ranges) {
    for (const MaterialRange& r : ranges) {
        if (b.textured)
            glBindTexture(GL_TEXTURE_2D, textureOf(mesh, r.material));
        drawIndexedTriangles(at + r.first * sizeof(std::uint32_t), r.count, b.entries);
    }
}

// Leaves the current colour, normal and texture coordinate as drawing the faces one by one
// would have left them (values of enabled arrays are not defined after an array draw).
void restoreCurrentValues(const CurrentValues& last) {
    // Drawing polygons one by one never changes the edge flag; an edge-flag array leaves the
    // last one it sent.
    glEdgeFlag(GL_TRUE);
    if (last.colourSet)
        glColor4f(last.colour.r, last.colour.g, last.colour.b, last.colour.a);
    if (last.normalSet)
        glNormal3f(last.normal.x, last.normal.y, last.normal.z);
    if (last.texCoordSet)
        glTexCoord2f(last.texCoord.u, last.texCoord.v);
}

} // namespace

void SimpleMesh::draw(bool outputShown) const {
    if (texCoordFaces.empty()) {
        drawPlain();
        return;
    }
    drawTextured(outputShown);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void SimpleMesh::drawPlain() const {
    const ShadedBuffers& b = shadedBuffers(*this, false, false);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    enableArrays(b);
    drawRanges(*this, b, b.frontAt, b.frontRanges);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glPopClientAttrib();
    restoreCurrentValues(b.last);
}

void SimpleMesh::drawTextured(bool outputShown) const {
    const ShadedBuffers& b = shadedBuffers(*this, true, outputShown);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    enableArrays(b);
    // Front pass: part tints, translucent or absent faces not seen from the set-up camera.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    drawRanges(*this, b, b.frontAt, b.frontRanges);

    // Back-face pass: the inside of the model in grey with the texel at (0, 0), only for
    // faces seen from the camera.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    if (b.backPass && b.backCount > 0) {
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glColor4f(kBackFaceColour.r, kBackFaceColour.g, kBackFaceColour.b, kBackFaceColour.a);
        glTexCoord2f(0, 0);
        drawRanges(*this, b, b.backAt, b.backRanges);
    }
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glBindTexture(GL_TEXTURE_2D, 0);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glPopClientAttrib();
    restoreCurrentValues(b.last);
}
