#include "mesh/obj_chunk.h"

#include "mesh/block_reader.h"
#include "mesh/growth.h"
#include "mesh/line_cursor.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

Vec3 readVec3(LineCursor& line) {
    Vec3 v;
    line.readFloat(v.x);
    line.readFloat(v.y);
    line.readFloat(v.z);
    return v;
}

// The colour that may follow a vertex's position: kept while every vertex has one.
void readVertexColour(LineCursor& line, ObjChunk& chunk) {
    if (!chunk.allColoured)
        return;
    Vec3 colour{-1, -1, -1};
    line.readFloat(colour.x);
    line.readFloat(colour.y);
    line.readFloat(colour.z);
    // A number that is missing leaves its -1 (colours are never negative).
    if (colour.x < 0 || colour.y < 0 || colour.z < 0) {
        chunk.allColoured = false;
        chunk.colours.clear();
        return;
    }
    pushValue(chunk.colours, colour);
}

// Records the next word of the line (or "" when it has none) as an event.
void recordWord(LineCursor& line, ObjEvent::Kind kind, ObjChunk& chunk, bool onlyWhenPresent) {
    std::string_view word;
    if (line.readWord(word) || !onlyWhenPresent)
        chunk.events.push_back({kind, std::string(word), chunk.faces.size()});
}

// Skips whitespace and, when a '#' follows, the rest of the line (without ending the line:
// the next index read then fails).
void skipComment(LineCursor& line) {
    if (line.consume('#'))
        line.skipRest();
}

void dropFace(ObjChunk& chunk) {
    chunk.faces.dropOpenList();
    chunk.texCoordFaces.dropFace();
    chunk.normalFaces.dropFace();
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
            chunk.faces.addToOpenList(simple[0] - 1);
            if (count == 3) {
                chunk.texCoordFaces.add(simple[1] - 1, chunk.faces);
                chunk.normalFaces.add(simple[2] - 1, chunk.faces);
            }
            continue;
        }
        if (!line.readIndex(value)) {
            chunk.events.push_back(
                {ObjEvent::Kind::message, "ObjLoader::readFace: invalid vertex index"});
            dropFace(chunk);
            return;
        }
        chunk.faces.addToOpenList(value - 1);
        if (!line.consume('/'))
            continue;
        // "p//n" leaves the texture index out: a failed read here is no error.
        if (line.readIndex(value))
            chunk.texCoordFaces.add(value - 1, chunk.faces);
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
            chunk.normalFaces.add(value - 1, chunk.faces);
        skipComment(line);
    }
    // A file with more corners or faces than the limits cannot be held.
    if (chunk.faces.totalSize() > chunk.limits.corners ||
        chunk.faces.size() + 1 > chunk.limits.faces) {
        chunk.overflow = chunk.faces.totalSize() > chunk.limits.corners ? ObjOverflow::corners
                                                                        : ObjOverflow::faces;
        chunk.overflowCorners = chunk.faces.totalSize();
        dropFace(chunk);
        return;
    }
    chunk.texCoordFaces.closeFace(chunk.faces);
    chunk.normalFaces.closeFace(chunk.faces);
    chunk.faces.closeList();
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
void readLine(std::string_view text, bool newlineFollows, ObjChunk& chunk) {
    if (text.empty() || text[0] == '#')
        return;
    std::string_view keyword = shortKeyword(text);
    LineCursor line(text.substr(keyword.size()), newlineFollows);
    if (keyword.empty() && !line.readWord(keyword))
        return;
    if (keyword == "v") {
        pushValue(chunk.vertices, readVec3(line));
        readVertexColour(line, chunk);
    } else if (keyword == "f") {
        readFace(line, chunk);
    } else if (keyword == "vt") {
        Vec2 t;
        line.readFloat(t.u);
        line.readFloat(t.v);
        pushValue(chunk.texCoords, t);
    } else if (keyword == "vn") {
        pushValue(chunk.normals, readVec3(line));
    } else if (keyword == "g") {
        recordWord(line, ObjEvent::Kind::group, chunk, true);
    } else if (keyword == "usemtl") {
        recordWord(line, ObjEvent::Kind::useMaterial, chunk, true);
    } else if (keyword == "mtllib") {
        recordWord(line, ObjEvent::Kind::materialLibrary, chunk, false);
    }
}

} // namespace

void ObjChunk::clear() {
    vertices.clear();
    normals.clear();
    texCoords.clear();
    colours.clear();
    allColoured = true;
    faces.clear();
    texCoordFaces.clear();
    normalFaces.clear();
    events.clear();
    overflow = ObjOverflow::none;
    overflowCorners = 0;
}

void ObjChunk::reserveForFile(std::size_t fileBytes) {
    // The shortest lines that OBJ files are full of: "v" and "vn" lines of three short numbers
    // take some 20 bytes or more, "vt" lines 14, a face 14 with 4 bytes or more per corner.
    try {
        ensureCapacity(vertices, fileBytes / 20);
        ensureCapacity(normals, fileBytes / 20);
        ensureCapacity(texCoords, fileBytes / 14);
        faces.reserve(fileBytes / 14, fileBytes / 4);
    } catch (const std::bad_alloc&) {
        // No address space for that much: the arrays grow as they fill.
    }
}

void ObjChunk::append(const ObjChunk& other) {
    const std::size_t corners = faces.totalSize(), count = faces.size();
    if (other.overflow != ObjOverflow::none || corners + other.faces.totalSize() > limits.corners ||
        count + other.faces.size() > limits.faces) {
        // The limit passed is the one that reading both stretches as one would have found: at
        // the first face that passes either, the corners counting first.
        auto passed = [&](std::size_t cornersAfter) {
            return cornersAfter > limits.corners ? ObjOverflow::corners : ObjOverflow::faces;
        };
        const std::vector<std::uint32_t>& ends = other.faces.offsets();
        for (std::size_t f = 0; f < other.faces.size(); ++f)
            if (corners + ends[f + 1] > limits.corners || count + f + 1 > limits.faces) {
                overflow = passed(corners + ends[f + 1]);
                return;
            }
        overflow = passed(corners + other.overflowCorners); // the face that other refused
        return;
    }
    appendValues(vertices, other.vertices);
    appendValues(normals, other.normals);
    appendValues(texCoords, other.texCoords);
    allColoured = allColoured && other.allColoured;
    if (allColoured)
        appendValues(colours, other.colours);
    else
        colours.clear();
    texCoordFaces.append(other.texCoordFaces, faces, other.faces);
    normalFaces.append(other.normalFaces, faces, other.faces);
    faces.append(other.faces);
}

void readObjLines(std::string_view lines, ObjChunk& chunk) {
    // Every line but possibly the last is followed by its '\n' in lines.
    const char* end = lines.data() + lines.size();
    forEachLine(lines, [&](std::string_view line) {
        if (chunk.overflow == ObjOverflow::none)
            readLine(line, line.data() + line.size() != end, chunk);
    });
}
