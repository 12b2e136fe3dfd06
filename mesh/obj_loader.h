// Reader of one Wavefront OBJ file (and the first material of the MTL file it names) into
// plain arrays. It accepts a fixed subset of the format: the keywords "v", "vt", "vn", "f",
// "g", "usemtl" and "mtllib"; face corners "p", "p/t", "p//n", "p/t/n" and "p/t/" with
// positive decimal indices. Diagnostics go to standard error, one line each.
#pragma once

#include "mesh/index_lists.h"
#include "mesh/vec.h"

#include <array>
#include <string>
#include <vector>

class LineCursor;

// The first material of an MTL file; the defaults are those of a fresh reader.
struct Material {
    std::string name;                                // "newmtl", or "usemtl" in the OBJ
    std::array<float, 3> ambient{0.2f, 0.2f, 0.2f};  // "Ka"
    std::array<float, 3> diffuse{0.8f, 0.8f, 0.8f};  // "Kd"
    std::array<float, 3> specular{1.0f, 1.0f, 1.0f}; // "Ks"
    float dissolve = 1.0f;                           // "d"
    float shininess = 0.0f;                          // "Ns"
    std::string diffuseMap;                          // "map_Kd"
};

class ObjLoader {
  public:
    std::string groupName; // the word after the last "g"
    Material material;
    std::vector<Vec3> vertices;  // one per "v" line
    std::vector<Vec3> normals;   // one per "vn" line
    std::vector<Vec2> texCoords; // one per "vt" line
    IndexLists faces;            // one per accepted "f" line: 0-based position indices
    IndexLists normalFaces;      // one per accepted "f" line with at least one normal index
    IndexLists texCoordFaces;    // one per accepted "f" line with at least one texture index

    // Reads the OBJ file at path. Returns false after printing a line when the extension is
    // not exactly "obj", when the file cannot be opened or read, or when it holds more corners
    // than the index lists can address; true otherwise, whatever the file contained.
    bool loader(const std::string& path);

    // Parses the corners of one "f" line, the cursor placed after the keyword. Appends to the
    // face arrays, or prints "ObjLoader::readFace: invalid vertex index" and appends nothing.
    void readFace(LineCursor& line);

    // Reads the MTL file named by the next word of an "mtllib" line (resolved against the
    // working directory) into material, stopping at its second "newmtl". Prints
    // "ObjLoader::readMaterialFile: cannot open file: NAME" when it does not open.
    void readMaterialFile(LineCursor& line);

    // Reads one face index: skips whitespace, then one or more decimal digits not followed by
    // '.'. Returns false (cursor back before the digits) otherwise. Values beyond the int
    // range become INT_MAX, an index no array reaches.
    static bool readIndex(LineCursor& line, int& value);

  private:
    // Acts on one OBJ line.
    void readLine(std::string_view text);
    // Acts on one MTL line; returns false when reading of the file is to stop.
    bool readMaterialLine(std::string_view text, bool& materialSeen);

    // Scratch lists of the face being read, kept to avoid an allocation per face.
    std::vector<int> positions_, texCoordIndices_, normalIndices_;
    bool tooManyCorners_ = false;
};

// The text after the last '.' of path, or "" when it has none.
std::string fileExtension(const std::string& path);
