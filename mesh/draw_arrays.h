// The vertex arrays that draw a mesh in a few calls instead of one glBegin/glEnd per face.
// A face of n corners becomes the fan of triangles (c[k], c[k+1], c[0]) for k = 1 .. n-2:
// the triangles, in this vertex order, into which Mesa's rasteriser splits a GL_POLYGON, so
// the arrays give the same pixels as drawing each face as a polygon (for the convex faces
// that models have). Edge flags mark the polygon's own edges, so that outlines
// (glPolygonMode GL_LINE) leave out the fan's inner edges as a polygon's outline does.
// The arrays are described first (which corner each vertex entry takes its values from) and
// written afterwards, straight into the buffer that draws them; the triangle lists are written
// straight into theirs as they are made (DrawingPlan).
#pragma once

#include "mesh/simple_mesh.h"
#include "mesh/vec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

// The current colour, normal and texture coordinate that drawing the faces one by one in
// immediate mode leaves behind; each only when some call set it.
struct CurrentValues {
    bool colourSet = false, normalSet = false, texCoordSet = false;
    Rgba colour;
    Vec3 normal;
    Vec2 texCoord;
};

// One vertex entry: the corner it is made from.
struct DrawEntry {
    int position, normal;
    int texCoord;        // textured drawing only
    std::uint8_t colour; // textured drawing only: tint index, plus 4 on translucent faces
    std::uint8_t flag;   // 1: the edge from this corner to the next is drawn
    int material = 0;    // the material of the corner's face
};

// The triangles of one material in a triangle list: indices [first, first + count).
struct MaterialRange {
    int material = 0;
    std::size_t first = 0, count = 0;
    bool operator==(const MaterialRange&) const = default;
};

struct MeshArrays {
    bool textured = false;
    // Textured drawing: whether the entries' colours differ, so that the vertex data holds one
    // per entry; else every entry has `colour`, which is set once instead.
    bool colourArray = false;
    Rgba colour;
    // One entry per distinct corner: corners that agree on position, normal, texture
    // coordinate, colour and edge flag share an entry (up to a short search per position).
    std::vector<DrawEntry> entries;
    // Whether the plain drawing sets a colour at all (a model whose faces are all white sets
    // none, and is lit in the current colour).
    bool colourSet = false;
    // The triangle lists, three entries per triangle, one after the other wherever they were
    // written (see DrawingPlan): first the front pass's (textured) or the only pass's (plain),
    // frontCount indices, faces of one material after another (materials in ascending order,
    // in frontRanges), faces in ascending order within each; then the grey back-face pass's
    // own list, backCount indices.
    std::size_t frontCount = 0, backCount = 0;
    std::vector<MaterialRange> frontRanges;
    // The grey back-face pass: whether it runs, and whether it draws exactly the front pass's
    // triangles (then backCount is 0) rather than its own.
    bool backPass = false;
    bool backUsesFront = false;
    // Of the back list (first counted from its start), or of the front list when the pass
    // uses it.
    std::vector<MaterialRange> backRanges;
    CurrentValues last;
    // The lists themselves when texturedArrays or plainArrays made the arrays; empty when a
    // DrawingPlan wrote them elsewhere.
    std::vector<std::uint32_t> indices;
};

// A drawing's arrays in two steps, so that the triangle lists, the largest part, go straight
// into the buffer that draws them instead of through a copy of their own: the plan walks the
// faces once to learn how many indices the lists take and which positions their triangles
// use; build then writes the lists where it is told and makes the entries.
class DrawingPlan {
  public:
    // The plan of texturedArrays(mesh, outputShown) when textured, else of plainArrays(mesh).
    // The mesh must stay unchanged until build has run.
    DrawingPlan(const SimpleMesh& mesh, bool textured, bool outputShown);

    // Indices of the front and the back list together.
    std::size_t indexCount() const { return frontTotal_ + backTotal_; }
    // Writes both lists, indexCount() values, at indices (only written, never read back) and
    // returns the arrays, whose indices stay empty.
    MeshArrays build(std::uint32_t* indices) const;

  private:
    const SimpleMesh& mesh_;
    bool textured_, outputShown_, hideUnseen_ = false, backPass_ = false, backUsesFront_ = false;
    std::vector<std::size_t> front_, back_; // indices per material
    std::size_t frontTotal_ = 0, backTotal_ = 0;
    // Per position: its first entry (positions in ascending order), or none when no triangle
    // uses it.
    std::vector<std::uint32_t> entryOf_;
    std::size_t usedPositions_ = 0;
    std::size_t drawnCorners_ = 0; // corners of the faces that give triangles: entries at most
};

// Where each array of the vertex data starts, in bytes: positions and normals (3 floats),
// texture coordinates (2 floats) of the textured drawing, colours (4 floats, RGBA) when there
// is a colour array, edge flags (1 byte); all arrays one value per entry, one after the other.
struct VertexLayout {
    std::size_t positionAt = 0, normalAt = 0, texCoordAt = 0, colourAt = 0, flagAt = 0, bytes = 0;
};
VertexLayout vertexLayout(const MeshArrays& arrays);

// Writes the vertex data of arrays, made from mesh, at out (vertexLayout(arrays).bytes bytes).
void writeVertexData(const SimpleMesh& mesh, const MeshArrays& arrays, unsigned char* out);

// Colour of the back-face pass; its texture coordinate is (0, 0).
constexpr Rgba kBackFaceColour{0.7f, 0.7f, 0.7f, 1.0f};

// The colour a vertex entry of mesh's drawing gets: its part tint, else its material's
// colour (white where the material's image, or the texture of every face, shows) times its
// vertex's colour; alpha 0.15 on translucent faces. textured: the drawing shows textures.
Rgba entryColour(const SimpleMesh& mesh, const DrawEntry& entry, bool textured);

// Arrays of the textured drawing. Front pass: every face, except faces with faceVisible 0
// when hideInvisibleFaces is 1; corners tinted by their vertex's part (white on border faces,
// on parts outside 1..3 and everywhere when outputShown), alpha 0.15 on faces with
// faceVisible 0. Back-face pass (when drawBackFaces is not 0): the faces with faceVisible not
// 0. Missing selection entries read as those of a freshly opened model. Corners with an
// index outside its array are left out of their face. Both steps of a DrawingPlan at once, the
// lists in the result's indices.
MeshArrays texturedArrays(const SimpleMesh& mesh, bool outputShown);

// Arrays of the plain drawing: positions and normals of every face, and the colours of the
// materials and vertices where they are not all white. Both steps of a DrawingPlan at once, the
// lists in the result's indices.
MeshArrays plainArrays(const SimpleMesh& mesh);
