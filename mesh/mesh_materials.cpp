#include "mesh/mesh_materials.h"

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

// Per face: the library entry it wears, or kDefault.
std::vector<int> libraryPerFace(const ObjLoader& reader, std::size_t faceCount) {
    std::map<std::string, int> byName;
    for (std::size_t i = 0; i < reader.library.size(); ++i)
        byName[reader.library[i].name] = static_cast<int>(i);
    std::vector<int> perFace(faceCount, kDefault);
    const auto& runs = reader.materialRuns;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const auto found = byName.find(runs[r].name);
        const int material = found == byName.end() ? kDefault : found->second;
        const std::size_t end = r + 1 < runs.size() ? runs[r + 1].face : faceCount;
        for (std::size_t f = runs[r].face; f < std::min(end, faceCount); ++f)
            perFace[f] = material;
    }
    return perFace;
}

} // namespace

ModelMaterials modelMaterials(const ObjLoader& reader, std::size_t faceCount) {
    ModelMaterials out;
    const std::vector<int> perFace = libraryPerFace(reader, faceCount);
    const std::set<int> worn(perFace.begin(), perFace.end());
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
    out.faceMaterial.reserve(faceCount);
    for (const int i : perFace)
        out.faceMaterial.push_back(i == kDefault ? 0 : meshIndex[i]);
    return out;
}
