// The one layout in which the program writes OBJ files: a header comment, the "v", "vt" and
// "vn" sections each closed by its count line, the face lines, and the element count. Numbers
// are formatted without printf or streams and handed on in large blocks, so a model of a
// million faces is written in a fraction of a second.
#pragma once

#include "mesh/vec.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class SimpleMesh;

// Room that formatFixed6 may need: the largest float has 39 integer digits.
inline constexpr std::size_t kMaxFixed6Chars = 64;

// Writes value at out exactly as printf("%f", value) does (fixed notation, six decimals, a
// "-" for negative values including those that round to zero, "nan"/"inf" as glibc spells
// them). out needs kMaxFixed6Chars bytes of room; returns the end of what was written.
char* formatFixed6(char* out, float value);

// One corner of a written face: 0-based indices, -1 where the face gives no such index.
struct ObjCorner {
    int vertex = -1;
    int texCoord = -1;
    int normal = -1;
};

// Corner k of face f of mesh, from its faces, texCoordFaces and normalFaces lists; a list
// that is missing or shorter than the face gives -1.
ObjCorner meshCorner(const SimpleMesh& mesh, std::size_t f, std::size_t k);

class ObjWriter {
  public:
    // Receives the text in order, in blocks; returns false when it could not take a block.
    using Sink = std::function<bool(std::string_view)>;

    explicit ObjWriter(Sink sink);

    // "#Created by HollowvistaConverter" and a blank line.
    void header();
    // The "v", "vt" and "vn" lines, each section closed by its count line and a blank line.
    void vertexSection(std::span<const Vec3> vertices);
    void texCoordSection(std::span<const Vec2> texCoords);
    void normalSection(std::span<const Vec3> normals);
    // One face line with 1-based indices. Corners are full v/t/n triples when every corner
    // has both indices; otherwise the whole line uses the OBJ short form that all its corners
    // support (v//n, v/t or v), so the line stays valid. A face without corners is skipped.
    void face(std::span<const ObjCorner> corners);
    // Face f of mesh with all its corners in stored order.
    void meshFace(const SimpleMesh& mesh, std::size_t f);
    // Face f of mesh with the corners at the given positions, in that order.
    void meshFace(const SimpleMesh& mesh, std::size_t f, std::span<const int> positions);
    // One line of text as it is, for statements the layout has no section for ("mtllib").
    void line(std::string_view text);
    // "# F elements" and a blank line.
    void elements(std::size_t faceCount);

    // Hands the rest of the text to the sink. Returns false when the sink refused any block.
    bool finish();

  private:
    char* room(std::size_t bytes);
    void flush();
    void text(std::string_view s);
    void countLine(std::size_t count, std::string_view what);

    Sink sink_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool ok_ = true;
    std::vector<ObjCorner> corners_; // scratch for meshFace
};

// The whole text that writer calls on a memory sink produce; for tests and fuzzing.
std::string objText(const std::function<void(ObjWriter&)>& write);
