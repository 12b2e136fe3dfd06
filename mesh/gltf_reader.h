// Reading glTF 2.0 models (".gltf" with its files, or ".glb") through tinygltf into the mesh's
// arrays. tinygltf parses the JSON and fetches the buffers and images; every accessor, buffer
// view, stride and index is checked here against its buffer before it is read, so a broken or
// hostile file is refused with one reason and never read past. No OpenGL here: images stay
// encoded (decoded later like every other image).
#pragma once

#include "mesh/index_lists.h"
#include "mesh/simple_mesh.h"
#include "mesh/vec.h"

#include <string>
#include <vector>

struct GltfModel {
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;   // one per vertex, unit length; empty when a primitive has none
    std::vector<Vec2> texCoords; // one per vertex in the OBJ convention (v = 0 at the bottom);
                                 // empty when no primitive has them
    std::vector<Vec3> colours;   // one per vertex when every primitive has COLOR_0
    IndexLists faces;            // triangles into vertices (and normals, texCoords)
    std::vector<MeshMaterial> materials; // 0: the default, white; then the file's, in order
    std::vector<int> faceMaterial;       // per face
    std::size_t skippedPrimitives = 0;   // primitives that draw no triangles (points, lines)
};

// True for the extensions this reader takes: "gltf" and "glb".
bool isGltfPath(const std::string& path);

// Reads the triangle meshes of the default scene (the first scene when none is named) of the
// file at path, node transforms applied (a node met again below itself is refused). Returns ""
// with model filled, or the reason the file cannot be used (model is then unspecified).
std::string readGltf(const std::string& path, GltfModel& model);
