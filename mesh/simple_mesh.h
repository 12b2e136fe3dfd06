// The mesh record: one polygon mesh as the OBJ reader delivered it, plus the per-face and
// per-vertex selection state that part painting and conversion attach to it, plus the
// OpenGL texture name that belongs to the model.
#pragma once

#include "mesh/index_lists.h"
#include "mesh/mesh_cache.h"
#include "mesh/shared.h"
#include "mesh/vec.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

// One material of a model, as drawn: its faces show its image when one is loaded (and no
// texture replaces the materials' images), otherwise its diffuse colour, lit.
struct MeshMaterial {
    std::string name;
    Vec3 diffuse{1, 1, 1}; // "Kd"
    std::string image;     // its image file ("map_Kd" beside its MTL file), "" for none
    unsigned texture = 0;  // the image's texture name, 0 while none is loaded
    // The image's file content when it came inside the model file (glTF); null otherwise.
    std::shared_ptr<const std::vector<unsigned char>> imageBytes;
};

// Texture names that copies of a mesh share, deleted (through deleteTextureName) when the last
// copy lets go of them.
struct TextureNames {
    std::vector<unsigned> names;
    TextureNames() = default;
    TextureNames(const TextureNames&) = delete;
    TextureNames& operator=(const TextureNames&) = delete;
    ~TextureNames();
};

// The arrays are Shared: a copy of a mesh shares them with the original until either writes
// one (through edit()), and each carries the stamp that the drawing's caches compare.
class SimpleMesh {
  public:
    // Selection state.
    Shared<std::vector<int>> faceVisible;  // per face: 1 seen from the set-up camera, 0 not
    Shared<std::vector<int>> vertexPart;   // per vertex: 0 no part, 1..3 part number
    Shared<std::vector<int>> facePart;     // per face: 0..3, or -1 when its corners disagree
    Shared<std::vector<int>> vertexInPart; // per vertex: 1 when last painted into a part > 0
    int hideInvisibleFaces = 0;            // 1: drawing skips faces with faceVisible 0
    int drawBackFaces = 0;                 // 1: drawing adds the grey back-face pass
    unsigned textureId = 0;                // OpenGL texture name, 0 = none
    // textureId is the texture of every face (the model's one image, or "Open Texture"), in
    // place of the materials' own images.
    bool textureOnAllFaces = false;

    // Materials: at least one once a model is loaded. faceMaterial names each face's material;
    // empty when every face has material 0. The materials' own textures live in
    // materialTextures.
    Shared<std::vector<MeshMaterial>> materials;
    Shared<std::vector<int>> faceMaterial;
    std::shared_ptr<TextureNames> materialTextures;
    // One colour per vertex ("v x y z r g b" on every "v" line); empty when the file has none.
    Shared<std::vector<Vec3>> vertexColours;

    // Geometry.
    Shared<std::vector<Vec3>> vertices;
    Shared<std::vector<Vec3>> normals;
    Shared<std::vector<Vec2>> texCoords;
    Shared<IndexLists> faces;         // per face: 0-based indices into vertices
    Shared<IndexLists> normalFaces;   // per face: 0-based indices into normals
    Shared<IndexLists> texCoordFaces; // per face: 0-based indices into texCoords; empty when none

    // What the drawing layers build from the members above (vertex and index buffers) and
    // keep between frames; each remembers the stamps of the arrays it was built from and
    // rebuilds itself when one differs. Never copied: see MeshCaches.
    mutable MeshCaches caches;

    SimpleMesh() = default;
    SimpleMesh(const SimpleMesh&) = default;
    SimpleMesh& operator=(const SimpleMesh&) = default;
    // Deletes the texture name through deleteTextureName when one is held.
    ~SimpleMesh();

    // Reads an OBJ file found through findFile(fileName, searchDirs). Returns true when the
    // mesh now holds the file's model; on failure prints one line on standard error and
    // leaves the mesh unchanged. Never touches the selection members or textureId. On success
    // textureFile, when given, receives the image of a model of one material when it lies
    // beside the MTL file, else ""; a model of several materials keeps its images in
    // materials (loaded by loadMaterialTextures). An image that is missing or no regular file
    // is named in one line and left out.
    bool load(const std::string& fileName, const std::vector<std::string>& searchDirs,
              std::string* textureFile = nullptr);

    // One unit normal per vertex from the area-weighted normals of the faces using it;
    // normals become one per vertex. A vertex whose sum is zero gets (0, 0, 0).
    void computeNormals();

    // Decodes an image with DevIL and uploads it into textureId (created on first success),
    // which then shows on every face (textureOnAllFaces). Needs a current OpenGL context.
    // Returns false and keeps the texture on failure.
    bool loadTexture(const std::string& fileName, const std::vector<std::string>& searchDirs);

    // For a model of several materials (faceMaterial not empty): loads the image of every
    // material that names one, each file once, into textures of
    // their own (materialTextures), with loadTexture's console lines; a material whose image
    // fails keeps texture 0 and shows its colour. Needs a current OpenGL context.
    void loadMaterialTextures();

  private:
    // load for a glTF file found at path.
    bool loadGltf(const std::string& path, const std::string& fileName, std::string* textureFile);

  public:
    // Draws the mesh in the current OpenGL context; outputShown = the output model is the
    // one being shown (no part tints). Sends vertex and index buffers that are rebuilt only
    // when the mesh, its selection state or outputShown changed since the last call.
    void draw(bool outputShown) const;
    void drawTextured(bool outputShown) const;
    void drawPlain() const;
};

// The unit normal of a face's first three corners (the direction computeNormals weighs);
// (0, 0, 0) for a face with no area or naming a vertex that does not exist.
Vec3 unitFaceNormal(std::span<const int> corners, const std::vector<Vec3>& vertices);

// Deletes one OpenGL texture name. The drawing layer installs it so that the record itself
// stays free of OpenGL; null means no context exists and nothing is to be deleted.
extern void (*deleteTextureName)(unsigned name);

// For a relative name, the first of dir + "/" + name over searchDirs that opens for reading as a
// regular file; else name itself when it does (an absolute name is only ever taken as it is);
// else "" after printing "file not found: NAME" on standard output. A folder, FIFO or device
// met on the way is skipped and named ("findFile: not a regular file: PATH"), so nothing
// blocks on a pipe or reads a device.
std::string findFile(const std::string& name, const std::vector<std::string>& searchDirs);
