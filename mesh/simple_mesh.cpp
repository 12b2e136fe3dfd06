#include "mesh/simple_mesh.h"

#include "mesh/gltf_reader.h"
#include "mesh/mesh_completion.h"
#include "mesh/mesh_materials.h"
#include "mesh/obj_loader.h"

#include <iostream>

void (*deleteTextureName)(unsigned name) = nullptr;

TextureNames::~TextureNames() {
    if (deleteTextureName)
        for (const unsigned name : names)
            deleteTextureName(name);
}

SimpleMesh::~SimpleMesh() {
    if (textureId != 0 && deleteTextureName)
        deleteTextureName(textureId);
}

namespace {

void report(const char* what, const std::string& fileName) {
    std::cerr << "SimpleMesh::load" << what << fileName << '\n';
}

// True when every index names an entry of an array of count entries.
bool indicesBelow(const IndexLists& lists, std::size_t count) {
    for (const int i : lists.indices())
        if (!isIndex(i, count))
            return false;
    return true;
}

} // namespace

bool SimpleMesh::load(const std::string& fileName, const std::vector<std::string>& searchDirs,
                      std::string* textureFile) {
    if (fileName.empty())
        return false;
    const std::string path = findFile(fileName, searchDirs);
    if (isGltfPath(path))
        return loadGltf(path, fileName, textureFile);
    ObjLoader reader;
    if (!reader.loader(path)) {
        report(": cannot load file: ", fileName);
        return false;
    }
    if (reader.vertices.empty()) {
        report(": no vertices loaded: ", fileName);
        return false;
    }
    // Positions without faces would not match the selection state or the faces of the model
    // loaded before: the whole mesh stays as it was.
    if (reader.faces.empty()) {
        report(": no triangles loaded: ", fileName);
        return false;
    }

    // Normals and texture coordinates are indexed by the reader's own lists, or by the
    // position lists when the file gave "vn" or "vt" lines but faces with plain indices.
    const bool fileNormals = !reader.normals.empty();
    const bool fileTexCoords = !reader.texCoords.empty();
    Shared<IndexLists> normalLists =
        fileNormals && !reader.normalFaces.empty() ? reader.normalFaces : reader.faces;
    Shared<IndexLists> texCoordLists =
        !reader.texCoordFaces.empty() ? reader.texCoordFaces : reader.faces;

    if (normalLists.size() != reader.faces.size() ||
        (fileTexCoords && texCoordLists.size() != reader.faces.size())) {
        // A mesh whose index lists disagree cannot be kept; the open one stays as it was.
        std::cerr << "SimpleMesh::load: buffer sizes not same\n";
        return false;
    }
    // An index outside its array (0 in the file becomes -1) would reach drawing, normals and
    // every later pass: such a file is refused and the mesh stays as it was. Without "vn"
    // lines the normals are made one per vertex, so the position check covers them, as it
    // covers lists that share the position lists' storage when their array is not shorter.
    const std::size_t vertexCount = reader.vertices.size();
    if (!indicesBelow(reader.faces, vertexCount)) {
        report(": index out of range: ", fileName);
        return false;
    }
    // Faces without texture coordinates or normals among faces with them get (0, 0) and
    // their own normal; the file's normals are made unit length.
    const std::size_t withoutTexCoords =
        fileTexCoords ? completeTexCoords(reader.faces, texCoordLists, reader.texCoords) : 0;
    const std::size_t withoutNormals =
        fileNormals ? completeNormals(reader.faces, reader.vertices, normalLists, reader.normals)
                    : 0;
    auto inRange = [&](const Shared<IndexLists>& lists, std::size_t count) {
        return (lists.sharesWith(reader.faces) && count >= vertexCount) ||
               indicesBelow(lists, count);
    };
    if ((fileNormals && !inRange(normalLists, reader.normals.size())) ||
        (fileTexCoords && !inRange(texCoordLists, reader.texCoords.size()))) {
        report(": index out of range: ", fileName);
        return false;
    }
    if (withoutTexCoords + withoutNormals > 0)
        std::cerr << "SimpleMesh::load: faces without texture coordinates: " << withoutTexCoords
                  << ", given (0, 0); faces without a usable normal: " << withoutNormals
                  << ", given their own: " << fileName << '\n';

    ModelMaterials looks = modelMaterials(reader, reader.faces.size());
    materials = std::move(looks.materials);
    if (looks.faceMaterial.empty())
        faceMaterial.clear();
    else
        faceMaterial = std::move(looks.faceMaterial);
    materialTextures.reset();
    textureOnAllFaces = false;
    if (reader.vertexColours.empty())
        vertexColours.clear();
    else
        vertexColours = std::move(reader.vertexColours);

    // The reader's arrays are moved in; lists that stand for several members are shared.
    vertices = std::move(reader.vertices);
    normalFaces = normalLists;
    if (fileTexCoords)
        texCoordFaces = texCoordLists;
    else
        texCoordFaces.clear();
    faces = std::move(reader.faces);
    if (fileNormals)
        normals = std::move(reader.normals);
    else
        computeNormals();
    if (fileTexCoords)
        texCoords = std::move(reader.texCoords);
    else
        texCoords.clear();
    if (textureFile)
        *textureFile = looks.singleImage;
    std::cerr << "SimpleMesh::load: " << fileName << " loaded\n";
    return true;
}

bool SimpleMesh::loadGltf(const std::string& path, const std::string& fileName,
                          std::string* textureFile) {
    GltfModel model;
    const std::string why = readGltf(path, model);
    if (!why.empty()) {
        std::cerr << "SimpleMesh::load: cannot read glTF: " << why << ": " << fileName << '\n';
        return false;
    }
    if (model.vertices.empty()) {
        report(": no vertices loaded: ", fileName);
        return false;
    }
    if (model.faces.empty()) {
        report(": no triangles loaded: ", fileName);
        return false;
    }
    if (model.skippedPrimitives > 0)
        std::cerr << "SimpleMesh::load: primitives that are no triangles, skipped: "
                  << model.skippedPrimitives << ": " << fileName << '\n';
    faces = std::move(model.faces);
    normalFaces = faces;
    vertices = std::move(model.vertices);
    if (model.normals.empty()) {
        computeNormals();
    } else {
        // A normal of no direction gives way to its face's own.
        Shared<IndexLists> lists = normalFaces;
        completeNormals(faces, vertices, lists, model.normals);
        normalFaces = lists;
        normals = std::move(model.normals);
    }
    if (model.texCoords.empty()) {
        texCoords.clear();
        texCoordFaces.clear();
    } else {
        texCoords = std::move(model.texCoords);
        texCoordFaces = faces;
    }
    if (model.colours.empty())
        vertexColours.clear();
    else
        vertexColours = std::move(model.colours);
    materials = std::move(model.materials);
    faceMaterial = std::move(model.faceMaterial);
    materialTextures.reset();
    textureOnAllFaces = false;
    if (textureFile)
        textureFile->clear();
    std::cerr << "SimpleMesh::load: " << fileName << " loaded\n";
    return true;
}
