// Making the index lists of a file whose faces do not all carry texture coordinates or
// normals usable, and its normals usable for lighting. No OpenGL here.
#pragma once

#include "mesh/index_lists.h"
#include "mesh/shared.h"
#include "mesh/vec.h"

#include <cstddef>
#include <vector>

// Gives every face whose texture list is not as long as its position list (a face without
// texture coordinates among faces with them) the texture coordinate (0, 0) at every corner,
// appended to texCoords once. Returns how many faces it gave it.
std::size_t completeTexCoords(const IndexLists& faces, Shared<IndexLists>& texCoordFaces,
                              std::vector<Vec2>& texCoords);

// Makes the file's normals unit length (those already within 0.05 % of it stay as they are) and
// gives every face whose normal list is not as long as its position list, or that names a
// normal of no direction, the face's own unit normal at every corner (appended to normals).
// Position indices must be checked before. Returns how many faces it gave their own normal.
std::size_t completeNormals(const IndexLists& faces, const std::vector<Vec3>& vertices,
                            Shared<IndexLists>& normalFaces, std::vector<Vec3>& normals);
