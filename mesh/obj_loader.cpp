#include "mesh/obj_loader.h"

#include "mesh/block_reader.h"
#include "mesh/line_cursor.h"
#include "mesh/obj_chunk.h"
#include "mesh/open_file.h"
#include "mesh/parallel.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <thread>

namespace {

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

// Splits lines into at most count parts of whole lines, of about equal size.
std::vector<std::string_view> splitLines(std::string_view lines, std::size_t count) {
    std::vector<std::string_view> parts;
    std::size_t begin = 0;
    for (std::size_t i = 1; i < count && begin < lines.size(); ++i) {
        const std::size_t target = std::max(begin, lines.size() / count * i);
        const std::size_t newline = lines.find('\n', target);
        if (newline == std::string_view::npos)
            break;
        parts.push_back(lines.substr(begin, newline + 1 - begin));
        begin = newline + 1;
    }
    if (begin < lines.size())
        parts.push_back(lines.substr(begin));
    return parts;
}

unsigned threadCount(unsigned wanted) {
    if (wanted > 0)
        return wanted;
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

} // namespace

std::string besideFolder(const std::string& folder, std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    if (folder.empty() || name.starts_with('/'))
        return name;
    return (std::filesystem::path(folder) / name).lexically_normal().string();
}

std::string fileExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
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
    objFolder_ = std::filesystem::path(path).parent_path().string();
    BlockReader blocks(file.get(), options.blockBytes);
    ObjChunk total;
    total.limits = options.limits;
    total.reserveForFile(fileBytes(file.get()));
    std::vector<ObjChunk> spare;
    std::string_view lines;
    while (total.overflow == ObjOverflow::none && blocks.next(lines))
        readBlock(lines, total, spare);
    if (blocks.failed()) {
        std::cerr << "ObjLoader::loader: error: cannot read file: " << path << '\n';
        return false;
    }
    if (total.overflow != ObjOverflow::none) {
        std::cerr << "ObjLoader::loader: error: too many "
                  << (total.overflow == ObjOverflow::corners ? "face corners: " : "faces: ") << path
                  << '\n';
        return false;
    }
    vertices = std::move(total.vertices);
    normals = std::move(total.normals);
    texCoords = std::move(total.texCoords);
    if (total.allColoured && total.colours.size() == vertices.size())
        vertexColours = std::move(total.colours);
    faces = std::move(total.faces);
    // Lists of no index at all (no face had one) are no lists.
    auto cornerLists = [&](CornerLists& lists) {
        if (lists.matchesPositions())
            return faces;
        if (lists.lists().totalSize() == 0)
            return Shared<IndexLists>();
        return Shared<IndexLists>(std::move(lists.lists()));
    };
    texCoordFaces = cornerLists(total.texCoordFaces);
    normalFaces = cornerLists(total.normalFaces);
    return true;
}

std::string ObjLoader::diffuseMapPath() const {
    return material.diffuseMap.empty() ? "" : besideFolder(materialFolder_, material.diffuseMap);
}

std::string ObjLoader::diffuseMapFile() const {
    if (material.diffuseMap.empty())
        return "";
    const std::string path = besideFolder(materialFolder_, material.diffuseMap);
    return isRegularFile(path) ? path : "";
}

void ObjLoader::readBlock(std::string_view lines, ObjChunk& total, std::vector<ObjChunk>& spare) {
    const unsigned threads = threadCount(options.threads);
    const std::size_t partCount =
        threads == 1 ? 1
                     : std::max<std::size_t>(1, lines.size() /
                                                    std::max<std::size_t>(1, options.minPartBytes));
    const std::vector<std::string_view> parts = splitLines(lines, partCount);
    // This thread reads parts from the front straight into total (nothing to copy) and applies
    // their events as it goes; the other threads read parts from the back into chunks of their
    // own (kept from block to block, so their memory is warm), appended in order once all are
    // read.
    if (spare.size() < parts.size())
        spare.resize(parts.size());
    for (ObjChunk& chunk : spare)
        chunk.limits = total.limits;
    const std::size_t readInTotal = runFromBothEnds(
        parts.size(), threads,
        [&](std::size_t i) {
            readObjLines(parts[i], total);
            if (total.overflow != ObjOverflow::none)
                return false;
            applyEvents(total, 0);
            return true;
        },
        [&](std::size_t i) { readObjLines(parts[i], spare[i]); });

    for (std::size_t i = readInTotal; i < parts.size(); ++i) {
        if (total.overflow != ObjOverflow::none)
            return;
        total.append(spare[i]);
        if (total.overflow != ObjOverflow::none)
            return;
        applyEvents(spare[i], total.faces.size() - spare[i].faces.size());
        spare[i].clear();
    }
}

void ObjLoader::applyEvents(ObjChunk& chunk, std::size_t faceBase) {
    for (const ObjEvent& event : chunk.events) {
        switch (event.kind) {
        case ObjEvent::Kind::message:
            std::cerr << event.text << '\n';
            break;
        case ObjEvent::Kind::group:
            groupName = event.text;
            break;
        case ObjEvent::Kind::useMaterial:
            material.name = event.text;
            materialRuns.push_back({faceBase + event.faces, event.text});
            break;
        case ObjEvent::Kind::materialLibrary:
            readMaterialFile(event.text);
            break;
        }
    }
    chunk.events.clear();
}

void ObjLoader::readMaterialFile(const std::string& name) {
    std::string path = besideFolder(objFolder_, name);
    File file = openForReading(path);
    if (!file) {
        path = besideFolder("", name);
        file = openForReading(path);
    }
    if (!file) {
        std::cerr << "ObjLoader::readMaterialFile: cannot open file: " << name << '\n';
        return;
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    materialFolder_ = currentFolder_ = folder;
    current_ = SIZE_MAX;
    BlockReader blocks(file.get(), std::size_t{1} << 16);
    std::string_view lines;
    bool materialSeen = false, firstDone = false;
    while (blocks.next(lines))
        forEachLine(
            lines, [&](std::string_view line) { readMaterialLine(line, materialSeen, firstDone); });
    current_ = SIZE_MAX;
}

void ObjLoader::startLibraryMaterial(const std::string& name) {
    for (std::size_t i = 0; i < library.size(); ++i)
        if (library[i].name == name) {
            library.erase(library.begin() + static_cast<std::ptrdiff_t>(i));
            libraryImages.erase(libraryImages.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    library.push_back(Material{});
    library.back().name = name;
    libraryImages.emplace_back();
    current_ = library.size() - 1;
}

namespace {

// Acts on one MTL keyword (other than "newmtl") for one material.
void readMaterialValue(std::string_view keyword, LineCursor line, Material& m) {
    if (keyword == "Ka") {
        readFloats(line, m.ambient);
    } else if (keyword == "Kd") {
        readFloats(line, m.diffuse);
    } else if (keyword == "Ks") {
        readFloats(line, m.specular);
    } else if (keyword == "d") {
        line.readFloat(m.dissolve);
    } else if (keyword == "Ns") {
        line.readFloat(m.shininess);
    } else if (keyword == "map_Kd") {
        // Options such as "-s 1 1 1" may come first: the image is the last word.
        std::string_view word;
        while (line.readWord(word))
            m.diffuseMap.assign(word);
    }
}

} // namespace

void ObjLoader::readMaterialLine(std::string_view text, bool& materialSeen, bool& firstDone) {
    if (text.empty() || text[0] == '#')
        return;
    LineCursor line(text);
    std::string_view keyword;
    if (!line.readWord(keyword))
        return;
    if (keyword == "newmtl") {
        std::string name;
        LineCursor nameCursor = line;
        readWordInto(nameCursor, name);
        startLibraryMaterial(name);
        if (materialSeen)
            firstDone = true; // the record holds the first material only
        if (!firstDone) {
            materialSeen = true;
            readWordInto(line, material.name);
        }
        return;
    }
    if (!firstDone)
        readMaterialValue(keyword, line, material);
    if (current_ != SIZE_MAX) {
        readMaterialValue(keyword, line, library[current_]);
        if (keyword == "map_Kd")
            libraryImages[current_] =
                library[current_].diffuseMap.empty()
                    ? std::string()
                    : besideFolder(currentFolder_, library[current_].diffuseMap);
    }
}
