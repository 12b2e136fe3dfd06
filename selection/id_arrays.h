// The arrays that draw the colour-ID image of a mesh in one call: every face as the fan of
// triangles (c[k], c[k+1], c[0]) of its corners, each triangle vertex with the face's ID
// colour. This is the image that drawing each face as a filled GL_POLYGON of its corners gives
// (see mesh/draw_arrays.h); the ID passes always draw filled.
#pragma once

#include "mesh/simple_mesh.h"
#include "mesh/vec.h"

#include <array>
#include <cstddef>
#include <vector>

struct IdArrays {
    // Three entries per triangle in each array, faces in ascending order.
    std::vector<Vec3> positions;
    std::vector<std::array<unsigned char, 4>> colours; // R, G, B of the face's ID, alpha 255
};

// The ID image's arrays for the first drawnFaces faces (at most the face count). Corners
// whose index names no vertex are left out of their face; faces of fewer than three corners
// give no triangle.
IdArrays idArrays(const SimpleMesh& mesh, std::size_t drawnFaces);
