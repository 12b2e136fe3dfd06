// The paint layer of the input model: a translucent coat of each part's colour over the faces
// painted into it, so parts stay told apart on dark, light and busy textures alike, where the
// tint of the textured drawing (which multiplies the texture) all but vanishes on dark ones.
#pragma once

#include "mesh/vec.h"

#include <array>
#include <cstddef>
#include <cstdint>

class SimpleMesh;

// The coat's colour of parts 1, 2 and 3 (the tints' colours) and how much of it covers the
// model: a pixel of texture t becomes kPaintCover * colour + (1 - kPaintCover) * t.
constexpr float kPaintCover = 0.5f;
constexpr std::array<std::array<float, 3>, 3> kPaintColours = {
    {{0, 1, 0}, {0, 1, 0.7f}, {0.7f, 1, 0}}};

// The triangles of the coat, as indices into mesh.vertices, for parts 1, 2 and 3: the faces
// whose facePart is the part and whose faceVisible is not 0, each as a fan around its first
// corner. A face with a corner that names no vertex is left out. Counted first, so that they
// can be written straight into the buffer that draws them: paintIndexCounts gives how many
// indices each part's triangles take, writePaintTriangles writes them (counts being those
// counts), part after part, at out.
std::array<std::size_t, 3> paintIndexCounts(const SimpleMesh& mesh);
void writePaintTriangles(const SimpleMesh& mesh, const std::array<std::size_t, 3>& counts,
                         std::uint32_t* out);

// Draws the coat over the model just drawn with the same matrices: front faces only, no
// lighting or texture, blended, depth tested (equal depths pass) without writing depth.
// Leaves the OpenGL state as it found it. The buffers are built again only when the mesh's
// faces or labels change.
void drawPartPaint(const SimpleMesh& mesh);
