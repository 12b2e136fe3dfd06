// The arrays that draw the colour-ID image of a mesh in one call: every face as the fan of
// triangles (c[k], c[k+1], c[0]) of its corners, each triangle vertex with the face's ID
// colour. This is the image that drawing each face as a filled GL_POLYGON of its corners gives
// (see mesh/draw_arrays.h); the ID passes always draw filled. The arrays are written straight
// into the buffer that draws them.
#pragma once

#include "mesh/simple_mesh.h"

#include <cstddef>

// Vertices (three per triangle) of the ID image of the first drawnFaces faces (at most the
// face count). Corners whose index names no vertex are left out of their face; faces of fewer
// than three corners give no triangle. onlyShown leaves out the faces that drawing the mesh
// hides (faceVisible 0 when hideInvisibleFaces is 1), so the image is the model as drawn.
std::size_t idVertexCount(const SimpleMesh& mesh, std::size_t drawnFaces, bool onlyShown = false);

// Writes the ID image's arrays at out, faces in ascending order: `vertices` positions (3 floats
// each), then as many colours (R, G, B of the face's ID and alpha 255, 4 bytes each), where
// vertices is idVertexCount(mesh, drawnFaces).
void writeIdArrays(const SimpleMesh& mesh, std::size_t drawnFaces, std::size_t vertices,
                   unsigned char* out, bool onlyShown = false);
