#include "mesh/simple_mesh.h"

void (*deleteTextureName)(unsigned name) = nullptr;

SimpleMesh::~SimpleMesh() {
    if (textureId != 0 && deleteTextureName)
        deleteTextureName(textureId);
}
