#include "mesh/obj_chunk.h"

#include "mesh/block_reader.h"
#include "mesh/line_cursor.h"

#include <algorithm>
#include <cstdint>

#include <sys/mman.h>

namespace {

Vec3 readVec3(LineCursor& line) {
    Vec3 v;
    line.readFloat(v.x);
    line.readFloat(v.y);
    line.readFloat(v.z);
    return v;
}

// Records the next word of the line (or "" when it has none) as an event.
void recordWord(LineCursor& line, ObjEvent::Kind kind, ObjChunk& chunk, bool onlyWhenPresent) {
    std::string_view word;
    if (line.readWord(word) || !onlyWhenPresent)
        chunk.events.push_back({kind, std::string(word)});
}

// Skips whitespace and, when a '#' follows, the rest of the line (without ending the line:
// the next index read then fails).
void skipComment(LineCursor& line) {
    if (line.consume('#'))
        line.skipRest();
}

void dropFace(ObjChunk& chunk) {
    chunk.faces.dropOpenList();
    chunk.texCoordFaces.dropOpenList();
    chunk.normalFaces.dropOpenList();
}

// Parses the corners of one "f" line, the cursor placed after the keyword: positive decimal
// indices in the forms "p", "p/t", "p//n", "p/t/n" and "p/t/" (which prints "3rd continue"
// when whitespace follows). Appends the face, or records "ObjLoader::readFace: invalid vertex
// index" and appends nothing when a corner does not start with a digit or an index has a
// fraction. A trailing comment therefore drops the face; a bare "f" appends an empty face.
void readFace(LineCursor& line, ObjChunk& chunk) {
    int value = 0;
    int simple[3];
    while (!line.atEnd()) {
        const int count = line.readSimpleCorner(simple);
        if (count > 0) {
            chunk.faces.indices.push_back(simple[0] - 1);
            if (count == 3) {
                chunk.texCoordFaces.indices.push_back(simple[1] - 1);
                chunk.normalFaces.indices.push_back(simple[2] - 1);
            }
            continue;
        }
        if (!line.readIndex(value)) {
            chunk.events.push_back(
                {ObjEvent::Kind::message, "ObjLoader::readFace: invalid vertex index"});
            dropFace(chunk);
            return;
        }
        chunk.faces.indices.push_back(value - 1);
        if (!line.consume('/'))
            continue;
        // "p//n" leaves the texture index out: a failed read here is no error.
        if (line.readIndex(value))
            chunk.texCoordFaces.indices.push_back(value - 1);
        if (!line.consume('/'))
            continue;
        const int c = line.get();
        if (isBlank(c)) { // "p/t/" followed by whitespace
            skipComment(line);
            chunk.events.push_back({ObjEvent::Kind::message, "3rd continue"});
            continue;
        }
        if (c >= 0)
            line.unget();
        if (line.readIndex(value))
            chunk.normalFaces.indices.push_back(value - 1);
        skipComment(line);
    }
    // A file with more corners or faces than the limits cannot be held.
    if (chunk.faces.indices.size() > chunk.limits.corners ||
        chunk.faces.offsets.size() > chunk.limits.faces) {
        chunk.overflow = chunk.faces.indices.size() > chunk.limits.corners ? ObjOverflow::corners
                                                                           : ObjOverflow::faces;
        dropFace(chunk);
        return;
    }
    chunk.faces.close();
    if (chunk.texCoordFaces.hasOpenList())
        chunk.texCoordFaces.close();
    if (chunk.normalFaces.hasOpenList())
        chunk.normalFaces.close();
}

// The keywords that fill OBJ files, "v", "vt", "vn" and "f", when the line starts with one of
// them followed by whitespace (what a word read would find, found quicker); "" otherwise.
std::string_view shortKeyword(std::string_view text) {
    if (text.size() >= 2 && (text[0] == 'v' || text[0] == 'f') && isBlank(text[1]))
        return text.substr(0, 1);
    if (text.size() >= 3 && text[0] == 'v' && (text[1] == 't' || text[1] == 'n') &&
        isBlank(text[2]))
        return text.substr(0, 2);
    return {};
}

// Acts on one line: empty lines and lines starting with '#' are skipped; the first word
// selects "v", "vt", "vn", "f", "g", "usemtl" or "mtllib" (exact, case-sensitive); other
// lines are ignored.
void readLine(std::string_view text, ObjChunk& chunk) {
    if (text.empty() || text[0] == '#')
        return;
    std::string_view keyword = shortKeyword(text);
    LineCursor line(text.substr(keyword.size()));
    if (keyword.empty() && !line.readWord(keyword))
        return;
    if (keyword == "v") {
        chunk.vertices.push_back(readVec3(line));
    } else if (keyword == "f") {
        readFace(line, chunk);
    } else if (keyword == "vt") {
        Vec2 t;
        line.readFloat(t.u);
        line.readFloat(t.v);
        chunk.texCoords.push_back(t);
    } else if (keyword == "vn") {
        chunk.normals.push_back(readVec3(line));
    } else if (keyword == "g") {
        recordWord(line, ObjEvent::Kind::group, chunk, true);
    } else if (keyword == "usemtl") {
        recordWord(line, ObjEvent::Kind::useMaterial, chunk, true);
    } else if (keyword == "mtllib") {
        recordWord(line, ObjEvent::Kind::materialLibrary, chunk, false);
    }
}

} // namespace

namespace {

// Asks the kernel to back the whole 2 MiB pages of a fresh buffer with huge pages: filling
// hundreds of megabytes 4 KiB page by page costs more in page faults than the parsing.
void adviseHugePages(const void* data, std::size_t bytes) {
    constexpr std::uintptr_t huge = std::uintptr_t{2} << 20;
    const auto first = (reinterpret_cast<std::uintptr_t>(data) + huge - 1) & ~(huge - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(huge - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// Makes room for `needed` values, at least doubling the capacity when it runs out; the new
// buffer is advised before the old contents are copied into it.
template <typename T> void ensureCapacity(std::vector<T>& values, std::size_t needed) {
    if (needed <= values.capacity())
        return;
    std::vector<T> bigger;
    bigger.reserve(std::max(needed, 2 * values.capacity()));
    adviseHugePages(bigger.data(), bigger.capacity() * sizeof(T));
    bigger.insert(bigger.end(), values.begin(), values.end());
    values.swap(bigger);
}

template <typename T> void appendValues(std::vector<T>& values, const std::vector<T>& more) {
    ensureCapacity(values, values.size() + more.size());
    values.insert(values.end(), more.begin(), more.end());
}

} // namespace

void ListBuilder::append(const ListBuilder& other) {
    const auto base = static_cast<std::uint32_t>(indices.size());
    appendValues(indices, other.indices);
    ensureCapacity(offsets, offsets.size() + other.offsets.size() - 1);
    for (std::size_t i = 1; i < other.offsets.size(); ++i)
        offsets.push_back(base + other.offsets[i]);
}

void ObjChunk::clear() {
    vertices.clear();
    normals.clear();
    texCoords.clear();
    faces.clear();
    texCoordFaces.clear();
    normalFaces.clear();
    events.clear();
    overflow = ObjOverflow::none;
}

void ObjChunk::append(const ObjChunk& other) {
    if (other.overflow != ObjOverflow::none) {
        overflow = other.overflow;
        return;
    }
    if (faces.indices.size() + other.faces.indices.size() > limits.corners) {
        overflow = ObjOverflow::corners;
        return;
    }
    if ((faces.offsets.size() - 1) + (other.faces.offsets.size() - 1) > limits.faces) {
        overflow = ObjOverflow::faces;
        return;
    }
    appendValues(vertices, other.vertices);
    appendValues(normals, other.normals);
    appendValues(texCoords, other.texCoords);
    faces.append(other.faces);
    texCoordFaces.append(other.texCoordFaces);
    normalFaces.append(other.normalFaces);
}

void readObjLines(std::string_view lines, ObjChunk& chunk) {
    forEachLine(lines, [&](std::string_view line) {
        if (chunk.overflow == ObjOverflow::none)
            readLine(line, chunk);
    });
}
