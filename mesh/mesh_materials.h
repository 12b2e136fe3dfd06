// Which material each face of a file wears, from its "usemtl" lines and its MTL files. No
// OpenGL here.
#pragma once

#include "mesh/obj_loader.h"
#include "mesh/simple_mesh.h"

#include <string>
#include <vector>

struct ModelMaterials {
    std::vector<MeshMaterial> materials; // at least one
    std::vector<int> faceMaterial;       // per face; empty when every face wears material 0
    // A model of one material: its image, for the texture of every face; "" otherwise.
    std::string singleImage;
};

// The materials of a file that reader has read, with faceCount faces:
// - faces before any "usemtl", or naming a material no MTL file defines, wear a white
//   material "(default)";
// - when every face wears the same material (or no "usemtl" names a known one, when the
//   first material of the MTL files gives the image as it always has), the model has that
//   one material and its image is singleImage;
// - otherwise material 0 is the default and the materials the faces wear follow, in the
//   order of the MTL files.
// An image that is missing or no regular file is named in one line on standard error
// ("SimpleMesh::load: image not found: PATH", "... image is not a regular file: PATH") and
// left out, so its material shows its colour.
ModelMaterials modelMaterials(const ObjLoader& reader, std::size_t faceCount);
