#include "mesh/obj_loader.h"

#include "mesh/block_reader.h"
#include "mesh/file_part_reader.h"
#include "mesh/line_cursor.h"
#include "mesh/obj_chunk.h"
#include "mesh/open_file.h"
#include "mesh/parallel.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
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

// The number of parts a block of bytes is read in.
std::size_t partCount(std::size_t bytes, const ObjReadOptions& options) {
    if (threadCount(options.threads) == 1)
        return 1;
    return std::max<std::size_t>(1, bytes / std::max<std::size_t>(1, options.minPartBytes));
}

// The buffer each thread reads its parts of a file through: small enough to stay in cache.
constexpr std::size_t kPartBuffer = std::size_t{256} << 10;

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
    const std::size_t size = fileBytes(file.get());
    ObjChunk total;
    total.limits = options.limits;
    total.reserveForFile(size);
    bool read = true;
    if (options.partsReadTheFile && size > 0) {
        read = readFileInParts(fileno(file.get()), size, total);
    } else {
        BlockReader blocks(file.get(), options.blockBytes);
        std::vector<ObjChunk> spare;
        std::string_view lines;
        while (total.overflow == ObjOverflow::none && blocks.next(lines)) {
            const std::vector<std::string_view> parts =
                splitLines(lines, partCount(lines.size(), options));
            readParts(
                parts.size(),
                [&](std::size_t i, ObjChunk& chunk) {
                    readObjLines(parts[i], chunk);
                    return true;
                },
                total, spare);
        }
        read = !blocks.failed();
    }
    if (!read) {
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

bool ObjLoader::readParts(std::size_t count,
                          const std::function<bool(std::size_t part, ObjChunk& chunk)>& readPart,
                          ObjChunk& total, std::vector<ObjChunk>& spare) {
    // This thread reads parts from the front straight into total (nothing to copy) and applies
    // their events as it goes; the other threads read parts from the back into chunks of their
    // own (kept from block to block, so their memory is warm), appended in order once all are
    // read.
    if (spare.size() < count)
        spare.resize(count);
    for (ObjChunk& chunk : spare)
        chunk.limits = total.limits;
    bool frontFailed = false;
    std::vector<char> backFailed(count, 0); // each entry written by the thread of its part
    const std::size_t readInTotal = runFromBothEnds(
        count, threadCount(options.threads),
        [&](std::size_t i) {
            if (!readPart(i, total)) {
                frontFailed = true;
                return false;
            }
            if (total.overflow != ObjOverflow::none)
                return false;
            applyEvents(total, 0);
            return true;
        },
        [&](std::size_t i) { backFailed[i] = !readPart(i, spare[i]); });
    if (frontFailed || std::find(backFailed.begin(), backFailed.end(), 1) != backFailed.end())
        return false;

    for (std::size_t i = readInTotal; i < count; ++i) {
        if (total.overflow != ObjOverflow::none)
            break;
        total.append(spare[i]);
        if (total.overflow != ObjOverflow::none)
            break;
        applyEvents(spare[i], total.faces.size() - spare[i].faces.size());
        spare[i].clear();
    }
    return true;
}

bool ObjLoader::readFileInParts(int fd, std::size_t size, ObjChunk& total) {
    // Readers kept from part to part (their buffers stay in cache), one per thread at a time.
    std::mutex pool;
    std::vector<std::unique_ptr<FilePartReader>> readers;
    const std::size_t bufferBytes = std::clamp<std::size_t>(options.minPartBytes, 1, kPartBuffer);
    auto readStretch = [&](std::uint64_t begin, std::uint64_t end, ObjChunk& chunk) {
        std::unique_ptr<FilePartReader> reader;
        {
            const std::lock_guard<std::mutex> lock(pool);
            if (!readers.empty()) {
                reader = std::move(readers.back());
                readers.pop_back();
            }
        }
        if (!reader)
            reader = std::make_unique<FilePartReader>(fd, bufferBytes);
        reader->start(begin, end);
        std::string_view lines;
        while (chunk.overflow == ObjOverflow::none && reader->next(lines))
            readObjLines(lines, chunk);
        const bool read = !reader->failed();
        const std::lock_guard<std::mutex> lock(pool);
        readers.push_back(std::move(reader));
        return read;
    };
    const std::size_t blockBytes = std::max<std::size_t>(options.blockBytes, 1);
    std::vector<ObjChunk> spare;
    for (std::uint64_t first = 0; first < size && total.overflow == ObjOverflow::none;
         first += blockBytes) {
        const std::uint64_t bytes = std::min<std::uint64_t>(blockBytes, size - first);
        const std::size_t count = partCount(bytes, options);
        // Parts of about equal size; the last part of the file reads on to wherever it ends.
        auto bound = [&](std::size_t i) {
            return i == count && first + bytes == size ? FilePartReader::toTheEnd
                                                       : first + bytes * i / count;
        };
        if (!readParts(
                count,
                [&](std::size_t i, ObjChunk& chunk) {
                    // A part's own chunk gets room for what it typically holds once (it is
                    // kept for the next block), so that it is not grown by copying.
                    if (&chunk != &total)
                        chunk.reserveForFile(bytes / count + 1);
                    return readStretch(bound(i), bound(i + 1), chunk);
                },
                total, spare))
            return false;
    }
    return true;
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
