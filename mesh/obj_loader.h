// Reader of one Wavefront OBJ file (and the first material of the MTL file it names) into
// plain arrays. It accepts a fixed subset of the format: the keywords "v", "vt", "vn", "f",
// "g", "usemtl" and "mtllib"; face corners "p", "p/t", "p//n", "p/t/n" and "p/t/" with
// positive decimal indices. Diagnostics go to standard error, one line each, in file order.
#pragma once

#include "mesh/index_lists.h"
#include "mesh/obj_chunk.h"
#include "mesh/shared.h"
#include "mesh/vec.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The first material of an MTL file; the defaults are those of a fresh reader.
struct Material {
    std::string name;                                // "newmtl", or "usemtl" in the OBJ
    std::array<float, 3> ambient{0.2f, 0.2f, 0.2f};  // "Ka"
    std::array<float, 3> diffuse{0.8f, 0.8f, 0.8f};  // "Kd"
    std::array<float, 3> specular{1.0f, 1.0f, 1.0f}; // "Ks"
    float dissolve = 1.0f;                           // "d"
    float shininess = 0.0f;                          // "Ns"
    std::string diffuseMap;                          // "map_Kd": its image, the line's last word
};

// Where a "usemtl" starts using a material: from face `face` on (until the next run).
struct MaterialRun {
    std::size_t face;
    std::string name;
};

// How a file is read: in blocks, each block split into parts that worker threads read side by
// side. The results do not depend on these settings, but for the lines that a file refused for
// passing a limit prints before its refusal: those of the parts before the one that passed it.
struct ObjReadOptions {
    // Small blocks: the threads are started for each, but the chunks that parts are read into
    // are kept from block to block (their memory stays warm) and a thread that ends its last
    // part of a block late keeps the other waiting for a small part only.
    std::size_t blockBytes = std::size_t{4} << 20;
    unsigned threads = 0;                              // 0: as many as the machine runs at once
    std::size_t minPartBytes = std::size_t{256} << 10; // no part is made smaller than this
    ObjLimits limits; // a file with more corners or faces is refused
    // Each part of a file whose size is known reads its own bytes from the file (its lines are
    // those that start inside it); otherwise, as for a file of no known size, whole lines are
    // first read into one block buffer and the parts cut from it.
    bool partsReadTheFile = true;
};

class ObjLoader {
  public:
    std::string groupName; // the word after the last "g"
    Material material;
    // Every material of every MTL file, in the order read (a later one of the same name takes
    // the place of the earlier), with its image, when it names one, beside its MTL file.
    std::vector<Material> library;
    std::vector<std::string> libraryImages; // per library entry: besideFolder path, or ""
    std::vector<MaterialRun> materialRuns;  // one per "usemtl" with a name, in file order
    // One colour per vertex when every "v" line carried one; empty otherwise.
    std::vector<Vec3> vertexColours;
    std::vector<Vec3> vertices;  // one per "v" line
    std::vector<Vec3> normals;   // one per "vn" line
    std::vector<Vec2> texCoords; // one per "vt" line
    // Index lists, 0-based. Texture or normal lists equal to the position lists share their
    // storage (the common "f 1/1/1 2/2/2 3/3/3" corners).
    Shared<IndexLists> faces;         // one per accepted "f" line: position indices
    Shared<IndexLists> normalFaces;   // one per accepted "f" line with at least one normal index
    Shared<IndexLists> texCoordFaces; // one per accepted "f" line with at least one texture index
    ObjReadOptions options;

    // Reads the OBJ file at path. Returns false after printing a line when the extension is
    // not exactly "obj", when the file cannot be opened or read, or when it holds more face
    // corners or faces than options.limits allow ("too many face corners: PATH", "too many
    // faces: PATH"); true otherwise, whatever the file contained.
    bool loader(const std::string& path);

    // The image the material names ("map_Kd"), when it lies beside the MTL file it came from;
    // "" when there is none.
    std::string diffuseMapFile() const;
    // The path of that image beside the MTL file, whether or not a file lies there; "" when
    // the material names none.
    std::string diffuseMapPath() const;

  private:
    std::string objFolder_;      // folder of the OBJ file being read ("" = working directory)
    std::string materialFolder_; // folder of the MTL file material came from
    // Reads parts 0 .. count - 1 (together a stretch of the file, in order) into total side by
    // side: readPart(part, chunk) reads one part's lines into chunk and returns false when
    // the file could not be read. This thread reads parts from the front straight into total,
    // the others from the back into the reusable chunks in spare, appended after them in
    // order. The parts' events are applied in file order. Returns false when a part could not
    // be read.
    bool readParts(std::size_t count,
                   const std::function<bool(std::size_t part, ObjChunk& chunk)>& readPart,
                   ObjChunk& total, std::vector<ObjChunk>& spare);
    // Reads the regular file fd of size bytes (and whatever it grows by meanwhile) into total,
    // each part straight from the file. Returns false when the file could not be read.
    bool readFileInParts(int fd, std::size_t size, ObjChunk& total);
    // Prints the console lines and applies the names and MTL files of chunk's events; the
    // chunk's faces are numbered from faceBase in the whole file.
    void applyEvents(ObjChunk& chunk, std::size_t faceBase);

    // Reads the MTL file name into material, stopping at its second "newmtl". A relative name
    // is looked up beside the OBJ file first, then against the working directory; backslashes
    // (names written on Windows) separate folders. Prints "ObjLoader::readMaterialFile: cannot
    // open file: NAME" when it opens in neither place.
    void readMaterialFile(const std::string& name);
    // Acts on one MTL line: into material until its second "newmtl" (then firstDone is set),
    // into the library entry being read from the first "newmtl" on.
    void readMaterialLine(std::string_view text, bool& materialSeen, bool& firstDone);
    // Adds a library entry for "newmtl NAME", replacing one of the same name.
    void startLibraryMaterial(const std::string& name);
    std::size_t current_ = SIZE_MAX; // library entry being read
    std::string currentFolder_;      // its MTL file's folder
};

// The text after the last '.' of path, or "" when it has none.
std::string fileExtension(const std::string& path);

// name with backslashes turned into slashes and, when it is relative and folder is not empty,
// placed in folder.
std::string besideFolder(const std::string& folder, std::string name);
