#include "mesh/mesh_materials.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>

namespace {

// path when it names a regular file; else "" after one line saying why.
std::string usableImage(const std::string& path) {
    if (path.empty())
        return "";
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        std::cerr << "SimpleMesh::load: image not found: " << path << '\n';
        return "";
    }
    if (!std::filesystem::is_regular_file(status)) {
        std::cerr << "SimpleMesh::load: image is not a regular file: " << path << '\n';
        return "";
    }
    return path;
}

MeshMaterial meshMaterial(const Material& m, const std::string& image) {
    return {m.name, {m.diffuse[0], m.diffuse[1], m.diffuse[2]}, image, 0, nullptr};
}

constexpr int kDefault = -1;

// Each "usemtl" run's library entry, or kDefault for a name no MTL file defines.
std::vector<int> runMaterials(const ObjLoader& reader) {
    std::map<std::string, int> byName;
    for (std::size_t i = 0; i < reader.library.size(); ++i)
        byName[reader.library[i].name] = static_cast<int>(i);
    std::vector<int> materials;
    for (const MaterialRun& run : reader.materialRuns) {
        const auto found = byName.find(run.name);
        materials.push_back(found == byName.end() ? kDefault : found->second);
    }
    return materials;
}

// The faces [begin, end) of run r: up to the next run's first face.
std::pair<std::size_t, std::size_t> runFaces(const ObjLoader& reader, std::size_t r,
                                             std::size_t faceCount) {
    const auto& runs = reader.materialRuns;
    const std::size_t end = r + 1 < runs.size() ? runs[r + 1].face : faceCount;
    return {runs[r].face, std::min(end, faceCount)};
}

// The library entries the faces wear (kDefault for faces that wear none), found from the runs
// without going face by face.
std::set<int> wornMaterials(const ObjLoader& reader, const std::vector<int>& materials,
                            std::size_t faceCount) {
    std::set<int> worn;
    const auto& runs = reader.materialRuns;
    if (faceCount > 0 && (runs.empty() || runs[0].face > 0))
        worn.insert(kDefault); // faces before the first run
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const auto [begin, end] = runFaces(reader, r, faceCount);
        if (begin < end)
            worn.insert(materials[r]);
    }
    return worn;
}

} // namespace

ModelMaterials modelMaterials(const ObjLoader& reader, std::size_t faceCount) {
    ModelMaterials out;
    const std::vector<int> materials = runMaterials(reader);
    const std::set<int> worn = wornMaterials(reader, materials, faceCount);
    if (worn.size() <= 1 && (worn.empty() || *worn.begin() == kDefault)) {
        // No face names a known material: the first material's image, on a white model.
        MeshMaterial m;
        m.name = "(default)";
        if (!reader.library.empty())
            m.image = usableImage(reader.diffuseMapPath());
        out.singleImage = m.image;
        out.materials.push_back(m);
        return out;
    }
    if (worn.size() == 1) {
        const int i = *worn.begin();
        out.materials.push_back(
            meshMaterial(reader.library[i], usableImage(reader.libraryImages[i])));
        out.singleImage = out.materials[0].image;
        return out;
    }
    out.materials.push_back({"(default)", {1, 1, 1}, "", 0, nullptr});
    std::map<int, int> meshIndex;
    std::map<std::string, std::string> checked; // each image's verdict, said once
    for (const int i : worn) {
        if (i == kDefault)
            continue;
        const std::string& path = reader.libraryImages[i];
        if (!checked.contains(path))
            checked[path] = usableImage(path);
        meshIndex[i] = static_cast<int>(out.materials.size());
        out.materials.push_back(meshMaterial(reader.library[i], checked[path]));
    }
    out.faceMaterial.assign(faceCount, 0); // faces before the first run wear the default
    for (std::size_t r = 0; r < materials.size(); ++r) {
        const auto [begin, end] = runFaces(reader, r, faceCount);
        if (begin < end)
            std::fill(out.faceMaterial.begin() + static_cast<std::ptrdiff_t>(begin),
                      out.faceMaterial.begin() + static_cast<std::ptrdiff_t>(end),
                      materials[r] == kDefault ? 0 : meshIndex[materials[r]]);
    }
    return out;
}
