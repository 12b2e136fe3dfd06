// The arrays that draw the colour-ID image of a mesh: every face as the fan of
// triangles (c[k], c[k+1], c[0]) of its corners, each triangle vertex with the face's ID
// colour. This is the image that drawing each face as a filled GL_POLYGON of its corners gives
// (see mesh/draw_arrays.h); the ID passes always draw filled. The arrays are written in batches
// as they are drawn.
#pragma once

#include "mesh/simple_mesh.h"

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

// Up to a batch's triangles of the ID image: a position and a colour per triangle vertex.
struct IdBatch {
    std::vector<Vec3> positions;
    std::vector<std::array<unsigned char, 4>> colours;
};

// The ID image of the first drawnFaces faces (at most the face count), faces in ascending order:
// three vertices per triangle, each with the face's ID colour (R, G, B of its number, alpha
// 255). Corners whose index names no vertex are left out of their face; faces of fewer than
// three corners give no triangle. onlyShown leaves out the faces that drawing the mesh hides
// (faceVisible 0 when hideInvisibleFaces is 1), so the image is the model as drawn. The
// vertices are handed to draw in batches of at most
// batchTriangles triangles (at least one), all in one reused batch: draw must be done with it
// when it returns. Nothing is handed over when there is no triangle.
void forEachIdBatch(const SimpleMesh& mesh, std::size_t drawnFaces, bool onlyShown,
                    std::size_t batchTriangles, const std::function<void(const IdBatch&)>& draw);
