#include "mesh/obj_loader.h"

#include "mesh/line_cursor.h"
#include "mesh/line_reader.h"
#include "mesh/open_file.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <iostream>

namespace {

Vec3 readVec3(LineCursor& line) {
    Vec3 v;
    line.readFloat(v.x);
    line.readFloat(v.y);
    line.readFloat(v.z);
    return v;
}

void readFloats(LineCursor& line, std::array<float, 3>& values) {
    for (float& value : values)
        line.readFloat(value);
}

// Reads the next word into text; leaves text unchanged when the line has none.
void readWordInto(LineCursor& line, std::string& text) {
    std::string_view word;
    if (line.readWord(word))
        text.assign(word);
}

// Skips whitespace and consumes the next character when it is c.
bool consume(LineCursor& line, int c) {
    line.skipWhitespace();
    const int next = line.get();
    if (next == c)
        return true;
    if (next >= 0)
        line.unget();
    return false;
}

// Skips whitespace and, when a '#' follows, the rest of the line (without ending the line:
// the next index read then fails).
void skipComment(LineCursor& line) {
    if (consume(line, '#'))
        line.skipRest();
}

} // namespace

std::string fileExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

bool ObjLoader::readIndex(LineCursor& line, int& value) {
    line.skipWhitespace();
    const char* start = line.position();
    int c = line.get();
    if (!isDigit(c)) {
        if (c >= 0)
            line.unget();
        return false;
    }
    long long number = 0;
    for (; isDigit(c); c = line.get())
        number = std::min(number * 10 + (c - '0'), static_cast<long long>(INT_MAX));
    if (c == '.') {
        line.seek(start);
        return false;
    }
    if (c >= 0)
        line.unget();
    value = static_cast<int>(number);
    return true;
}

void ObjLoader::readFace(LineCursor& line) {
    positions_.clear();
    texCoordIndices_.clear();
    normalIndices_.clear();
    int value = 0;
    while (!line.atEnd()) {
        if (!readIndex(line, value)) {
            std::cerr << "ObjLoader::readFace: invalid vertex index\n";
            return;
        }
        positions_.push_back(value - 1);
        if (!consume(line, '/'))
            continue;
        // "p//n" leaves the texture index out: a failed read here is no error.
        if (readIndex(line, value))
            texCoordIndices_.push_back(value - 1);
        if (!consume(line, '/'))
            continue;
        const int c = line.get();
        if (isBlank(c)) { // "p/t/" followed by whitespace
            skipComment(line);
            std::cerr << "3rd continue\n";
            continue;
        }
        if (c >= 0)
            line.unget();
        if (readIndex(line, value))
            normalIndices_.push_back(value - 1);
        skipComment(line);
    }
    // Offsets are 32-bit: a file with more corners than they address cannot be held.
    if (faces.totalSize() + positions_.size() > UINT32_MAX) {
        tooManyCorners_ = true;
        return;
    }
    faces.push_back(positions_);
    if (!texCoordIndices_.empty())
        texCoordFaces.push_back(texCoordIndices_);
    if (!normalIndices_.empty())
        normalFaces.push_back(normalIndices_);
}

void ObjLoader::readLine(std::string_view text) {
    if (text.empty() || text[0] == '#')
        return;
    LineCursor line(text);
    std::string_view keyword;
    if (!line.readWord(keyword))
        return;
    if (keyword == "v") {
        vertices.push_back(readVec3(line));
    } else if (keyword == "f") {
        readFace(line);
    } else if (keyword == "vt") {
        Vec2 t;
        line.readFloat(t.u);
        line.readFloat(t.v);
        texCoords.push_back(t);
    } else if (keyword == "vn") {
        normals.push_back(readVec3(line));
    } else if (keyword == "g") {
        readWordInto(line, groupName);
    } else if (keyword == "usemtl") {
        readWordInto(line, material.name);
    } else if (keyword == "mtllib") {
        readMaterialFile(line);
    }
}

bool ObjLoader::loader(const std::string& path) {
    if (fileExtension(path) != "obj") {
        std::cerr << "ObjLoader::loader: error: invalid extention\n";
        return false;
    }
    File file = openForReading(path);
    if (!file) {
        std::cerr << "ObjLoader::loader: error: cannot open file: " << path << '\n';
        return false;
    }
    LineReader lines(file.get());
    std::string_view text;
    while (!tooManyCorners_ && lines.next(text))
        readLine(text);
    if (lines.failed()) {
        std::cerr << "ObjLoader::loader: error: cannot read file: " << path << '\n';
        return false;
    }
    if (tooManyCorners_) {
        std::cerr << "ObjLoader::loader: error: too many face corners: " << path << '\n';
        return false;
    }
    return true;
}

void ObjLoader::readMaterialFile(LineCursor& line) {
    std::string name;
    readWordInto(line, name);
    File file = openForReading(name);
    if (!file) {
        std::cerr << "ObjLoader::readMaterialFile: cannot open file: " << name << '\n';
        return;
    }
    LineReader lines(file.get());
    std::string_view text;
    bool materialSeen = false;
    while (lines.next(text) && readMaterialLine(text, materialSeen)) {
    }
}

bool ObjLoader::readMaterialLine(std::string_view text, bool& materialSeen) {
    if (text.empty() || text[0] == '#')
        return true;
    LineCursor line(text);
    std::string_view keyword;
    if (!line.readWord(keyword))
        return true;
    if (keyword == "newmtl") {
        if (materialSeen)
            return false; // only the first material is read
        materialSeen = true;
        readWordInto(line, material.name);
    } else if (keyword == "Ka") {
        readFloats(line, material.ambient);
    } else if (keyword == "Kd") {
        readFloats(line, material.diffuse);
    } else if (keyword == "Ks") {
        readFloats(line, material.specular);
    } else if (keyword == "d") {
        line.readFloat(material.dissolve);
    } else if (keyword == "Ns") {
        line.readFloat(material.shininess);
    } else if (keyword == "map_Kd") {
        readWordInto(line, material.diffuseMap);
    }
    return true;
}
