#include "tests/fuzz/obj_chain.h"

#include "app/selection_reset.h"
#include "app/trackball.h"
#include "export/export_obj.h"
#include "export/mesh_pair.h"
#include "export/obj_writer.h"
#include "export/remesh.h"
#include "mesh/draw_arrays.h"
#include "mesh/obj_loader.h"
#include "mesh/simple_mesh.h"
#include "selection/depth_inversion.h"
#include "selection/lasso.h"
#include "selection/part_depth.h"
#include "selection/triangulate.h"
#include "tests/export/obj_counts.h"
#include "tests/support/part_arrays.h"
#include "tests/support/program_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <numbers>
#include <sstream>
#include <string_view>

namespace {

// splitmix64 seeded with the FNV-1a hash of the input: the same bytes always take the same
// road, so a finding replays exactly.
class Draw {
  public:
    Draw(const std::uint8_t* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            state_ = (state_ ^ data[i]) * 1099511628211ull;
    }
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // Whole and real numbers in [low, high].
    int between(int low, int high) { return low + int(next() % std::uint64_t(high - low + 1)); }
    float real(float low, float high) {
        return low + (high - low) * float(next() >> 40) / float(1 << 24);
    }
    bool chance(int percent) { return between(0, 99) < percent; }

  private:
    std::uint64_t state_ = 14695981039346656037ull;
};

bool writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

// The model a session had open before: every load in the chain goes over it, so that a
// failed load can be checked to leave it as it was.
SimpleMesh previousModel() {
    SimpleMesh mesh;
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.texCoords = {{0, 0}, {1, 0}, {1, 1}};
    mesh.faces = {{0, 1, 2}, {0, 2, 3}};
    mesh.texCoordFaces = {{0, 1, 2}, {0, 2, 1}};
    mesh.normalFaces = mesh.faces;
    mesh.computeNormals();
    return mesh;
}

template <typename T> bool sameBytes(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

bool sameGeometry(const SimpleMesh& a, const SimpleMesh& b) {
    return sameBytes(a.vertices.get(), b.vertices.get()) &&
           sameBytes(a.normals.get(), b.normals.get()) &&
           sameBytes(a.texCoords.get(), b.texCoords.get()) && a.faces == b.faces &&
           a.normalFaces == b.normalFaces && a.texCoordFaces == b.texCoordFaces;
}

bool isFinite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool indicesBelow(const IndexLists& lists, std::size_t count) {
    for (int i : lists.indices())
        if (i < 0 || std::size_t(i) >= count)
            return false;
    return true;
}

// The drawing arrays of a loaded model name only what exists: each entry's position, normal,
// texture coordinate and material, each triangle's entries, each range's triangles.
std::string checkDrawingArrays(const SimpleMesh& m) {
    for (const bool textured : {true, false}) {
        if (textured && m.texCoordFaces.empty())
            continue;
        const MeshArrays a = textured ? texturedArrays(m, false) : plainArrays(m);
        for (const DrawEntry& e : a.entries)
            if (!isIndex(e.position, m.vertices.size()) || !isIndex(e.normal, m.normals.size()) ||
                (textured && !isIndex(e.texCoord, m.texCoords.size())) ||
                !isIndex(e.material, std::max<std::size_t>(1, m.materials.size())))
                return "a drawing entry names what does not exist";
        if (a.indices.size() != a.frontCount + a.backCount)
            return "the triangle lists are not as long as planned";
        for (const std::uint32_t i : a.indices)
            if (i >= a.entries.size())
                return "a drawn triangle names an entry that does not exist";
        std::size_t covered = 0;
        for (const MaterialRange& r : a.frontRanges) {
            if (r.first != covered || r.count % 3 != 0)
                return "the material ranges do not tile the triangles";
            covered += r.count;
        }
        if (covered != a.frontCount)
            return "the material ranges do not tile the triangles";
    }
    return "";
}

// What a successful load promises every later pass.
std::string checkLoaded(const SimpleMesh& m) {
    if (m.vertices.empty() || m.faces.empty())
        return "load succeeded without vertices or faces";
    if (!indicesBelow(m.faces, m.vertices.size()))
        return "position index out of range after load";
    if (m.normalFaces->offsets() != m.faces->offsets() ||
        !indicesBelow(m.normalFaces, m.normals.size()))
        return "normal lists do not match the faces after load";
    if (!m.texCoordFaces.empty() && (m.texCoordFaces->offsets() != m.faces->offsets() ||
                                     !indicesBelow(m.texCoordFaces, m.texCoords.size())))
        return "texture lists do not match the faces after load";
    if (!m.faceMaterial.empty() &&
        (m.faceMaterial.size() != m.faces.size() ||
         !std::all_of(m.faceMaterial.begin(), m.faceMaterial.end(),
                      [&](int f) { return isIndex(f, m.materials.size()); })))
        return "face materials do not match the faces after load";
    if (!m.vertexColours.empty() && m.vertexColours.size() != m.vertices.size())
        return "vertex colours not one per vertex after load";
    return checkDrawingArrays(m);
}

// Perspective and model-view as applyProjection loads them (gluPerspective, then translation
// times rotation).
ViewTransform drawCamera(Draw& draw, int width, int height) {
    const double fov = draw.between(1, 179);
    const Quat q{draw.real(-1, 1), draw.real(-1, 1), draw.real(-1, 1), draw.real(-1, 1)};
    std::array<double, 16> modelview{};
    const std::array<float, 16> r = quaternionToMatrix(q);
    std::copy(r.begin(), r.end(), modelview.begin());
    modelview[12] = draw.real(-20, 20);
    modelview[13] = draw.real(-20, 20);
    modelview[14] = draw.chance(10) ? draw.real(-1e6f, 1e6f) : draw.real(-300, 0);
    return programView(width, height, fov, modelview);
}

// A few lasso loops as the read-back masks they leave: black pixels inside, white outside.
void paintParts(Draw& draw, SimpleMesh& mesh, const ViewTransform& view, int width, int height) {
    std::ostringstream trace;
    for (int stroke = draw.between(0, 4); stroke > 0; --stroke) {
        RgbImage mask(width, height);
        const bool all = draw.chance(30);
        std::fill(mask.pixels.begin(), mask.pixels.end(), 255);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (all || draw.chance(50))
                    std::memset(mask.at(x, y), 0, 3);
        paintLasso(mesh, mask, view, draw.between(0, 3), trace);
    }
}

void toggleFaces(Draw& draw, SimpleMesh& mesh) {
    for (int toggles = draw.between(0, 8); toggles > 0 && !mesh.faceVisible.empty(); --toggles) {
        int& flag = mesh.faceVisible.edit()[draw.next() % mesh.faceVisible.size()];
        flag = flag == 1 ? 0 : 1;
    }
}

// "Preview" twice, then a few "Push", "Back" and spinner changes, each rebuilding the output.
void convert(Draw& draw, SimpleMesh& input, SimpleMesh& output, PartArrays& parts,
             const ViewTransform& view) {
    std::ostringstream trace;
    for (int round = 0; round < 2; ++round) {
        for (int p = 0; p < 4; ++p) {
            parts.median[p] =
                medianPartDepth(input, p, view, parts.minDepth[p], parts.maxDepth[p], trace);
            parts.position[p] = boundaryPartDepth(input, p, parts.median[p], view, trace);
        }
        rebuildOutputModelWith(input, output, parts.settings(), view, trace);
    }
    for (int step = draw.between(0, 3); step > 0; --step) {
        const int p = draw.between(0, 3);
        if (draw.chance(50))
            parts.compression[p] = draw.real(-1, 1);
        else
            parts.position[p] +=
                (parts.maxDepth[p] - parts.minDepth[p]) / 20 * (draw.chance(50) ? 1 : -1);
        rebuildOutputModelWith(input, output, parts.settings(), view, trace);
    }
}

std::string checkConverted(const SimpleMesh& input, const SimpleMesh& output) {
    if (output.vertices.size() != input.vertices.size() || !(output.faces == input.faces))
        return "the converted model does not have the input's shape";
    if (!std::all_of(output.vertices.begin(), output.vertices.end(), isFinite))
        return "a converted position is not finite";
    return "";
}

std::string checkPairs(const SimpleMesh& input, const std::vector<MeshPair>& pairs) {
    for (const MeshPair& pair : pairs) {
        if (std::isnan(pair.score))
            return "a pair's score is not a number";
        if (pair.faceA < 0 || pair.faceB <= pair.faceA ||
            std::size_t(pair.faceB) >= input.faces.size())
            return "a pair names faces out of order or out of range";
        if (input.faces[std::size_t(pair.faceA)].size() != 3 ||
            input.faces[std::size_t(pair.faceB)].size() != 3)
            return "a pair holds a face that is not a triangle";
    }
    return "";
}

// A written file must hold only finite numbers and read back as a model with as many faces
// as it has face lines.
std::string checkWritten(const std::string& text, const std::string& folder, const char* what) {
    if (text.find("nan") != std::string::npos || text.find("inf") != std::string::npos)
        return std::string(what) + " holds a non-finite number";
    const std::size_t faces = std::size_t(writtenCounts(text)[1]);
    if (faces == 0)
        return "";
    const std::string path = folder + "/written.obj";
    if (!writeBytes(path, text))
        return "cannot write " + path;
    SimpleMesh back;
    if (!back.load(path, {}))
        return std::string(what) + " does not read back";
    if (back.faces.size() != faces)
        return std::string(what) + " reads back with another face count";
    return "";
}

// One reading of path with options, its console lines kept.
struct Reading {
    Reading(const std::string& path, const ObjReadOptions& options) {
        reader.options = options;
        std::ostringstream lines;
        std::streambuf* err = std::cerr.rdbuf(lines.rdbuf());
        ok = reader.loader(path);
        std::cerr.rdbuf(err);
        console = lines.str();
    }
    ObjLoader reader;
    bool ok = false;
    std::string console;
};

// The reader's results must not depend on where its blocks and parts are cut, nor on whether
// the parts read the file themselves (odd block sizes) or are cut from one buffer.
std::string checkCuts(Draw& draw, const std::string& path) {
    const Reading whole(path, {std::size_t{1} << 24, 1, std::size_t{1} << 24, {}, false});
    const std::size_t blockBytes = std::size_t(draw.between(1, 4096));
    const Reading cut(path, {blockBytes,
                             unsigned(draw.between(2, 3)),
                             std::size_t(draw.between(1, 64)),
                             {},
                             blockBytes % 2 == 1});
    const ObjLoader &a = whole.reader, &b = cut.reader;
    if (whole.ok != cut.ok || whole.console != cut.console)
        return "reading in parts gave other console lines";
    if (!sameBytes(a.vertices, b.vertices) || !sameBytes(a.normals, b.normals) ||
        !sameBytes(a.texCoords, b.texCoords) || !(a.faces == b.faces) ||
        !(a.texCoordFaces == b.texCoordFaces) || !(a.normalFaces == b.normalFaces) ||
        a.groupName != b.groupName || a.material.name != b.material.name ||
        a.material.diffuseMap != b.material.diffuseMap ||
        !sameBytes(a.vertexColours, b.vertexColours))
        return "reading in parts gave another model";
    // Where each material starts counts faces across the parts.
    auto runs = [](const ObjLoader& r) {
        std::vector<std::pair<std::size_t, std::string>> out;
        for (const MaterialRun& run : r.materialRuns)
            out.emplace_back(run.face, run.name);
        return out;
    };
    if (runs(a) != runs(b) || a.libraryImages != b.libraryImages)
        return "reading in parts gave other materials";
    return "";
}
} // namespace

namespace {

// The chain from the model file at path on; OBJ files are also read in parts.
std::string runChain(const std::uint8_t* data, std::size_t size, const std::string& folder,
                     const std::string& objPath) {
    SimpleMesh input = previousModel();
    const SimpleMesh before = input;
    if (!input.load(objPath, {})) {
        if (!sameGeometry(input, before))
            return "a failed load changed the model";
    } else if (std::string why = checkLoaded(input); !why.empty()) {
        return why;
    }

    Draw draw(data, size);
    // Every block read in parts starts threads: one input in four is enough to check it.
    if (objPath.ends_with(".obj") && draw.chance(25))
        if (std::string why = checkCuts(draw, objPath); !why.empty())
            return why;
    resetSelectionState(input);
    SimpleMesh withNormals = input;
    withNormals.normalFaces = withNormals.faces;
    withNormals.computeNormals();
    if (!std::all_of(withNormals.normals.begin(), withNormals.normals.end(), isFinite))
        return "computeNormals gave a non-finite normal";

    const int width = draw.between(1, 24), height = draw.between(1, 24);
    const ViewTransform view = drawCamera(draw, width, height);
    paintParts(draw, input, view, width, height);
    toggleFaces(draw, input);
    SimpleMesh output = input;
    PartArrays parts;
    convert(draw, input, output, parts, view);
    if (std::string why = checkConverted(input, output); !why.empty())
        return why;

    std::vector<MeshPair> pairs;
    std::ostringstream trace;
    const std::string exported = objText([&](ObjWriter& writer) {
        writeExport(writer, input, output, parts.compression, pairs, trace);
    });
    if (std::string why = checkPairs(input, pairs); !why.empty())
        return why;
    if (std::string why = checkWritten(exported, folder, "the export"); !why.empty())
        return why;

    const float eye[3] = {float(view.modelview[12]), float(view.modelview[13]),
                          float(view.modelview[14])};
    const std::string remeshed =
        objText([&](ObjWriter& writer) { writeTriangulatedModel(writer, input, eye); });
    return checkWritten(remeshed, folder, "the triangulation");
}

} // namespace

std::string runObjChain(const std::uint8_t* data, std::size_t size, const std::string& folder) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t separator = bytes.find(kMtlSeparator);
    const std::string objPath = folder + "/in.obj";
    if (!writeBytes(objPath, bytes.substr(0, separator)) ||
        !writeBytes(folder + "/in.mtl", separator == std::string_view::npos
                                            ? std::string_view()
                                            : bytes.substr(separator + std::strlen(kMtlSeparator))))
        return "cannot write the input files";
    return runChain(data, size, folder, objPath);
}

std::string runGltfChain(const std::uint8_t* data, std::size_t size, const std::string& folder) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = folder + (bytes.starts_with("glTF") ? "/in.glb" : "/in.gltf");
    if (!writeBytes(path, bytes))
        return "cannot write the input file";
    return runChain(data, size, folder, path);
}
