// Opening glTF files: the models and broken files of Debian's assimp-testmodels (glTF2), and
// small files each broken in one place, every one refused with its reason and the model opened
// before left as it was; node transforms and texture coordinates turned to the OBJ convention.
#include "mesh/gltf_reader.h"
#include "mesh/simple_mesh.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>

namespace {

const std::string kGltfModels = "/usr/share/assimp/models/glTF2/";

// Each material the faces wear, "NAME FACES" and "+image" when it has one, joined by " | ".
std::string worn(const SimpleMesh& mesh) {
    std::map<int, int> counts;
    for (const int m : mesh.faceMaterial.get())
        ++counts[m];
    std::string out;
    for (const auto& [m, count] : counts) {
        const MeshMaterial& material = mesh.materials[m];
        out += (out.empty() ? "" : " | ") + material.name + " " + std::to_string(count) +
               (material.imageBytes ? " +image" : "");
    }
    return out;
}

// A one-triangle file: positions at 0 (three vec3), indices at 36 (three unsigned shorts),
// its buffer inline; `change` edits the JSON text before it is written.
std::string triangleGltf(const std::string& accessors = "", const std::string& views = "") {
    const std::string buffer = "data:application/octet-stream;base64,"
                               "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAABAAIAAAA=";
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],)"
           R"("nodes":[{"mesh":0,"translation":[10,0,0],"scale":[2,2,2]}],)"
           R"("meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]}],)"
           R"("accessors":[)" +
           (accessors.empty() ? R"({"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},)"
                                R"({"bufferView":1,"componentType":5123,"count":3,"type":"SCALAR"})"
                              : accessors) +
           R"(],"bufferViews":[)" +
           (views.empty() ? R"({"buffer":0,"byteOffset":0,"byteLength":36},)"
                            R"({"buffer":0,"byteOffset":36,"byteLength":6})"
                          : views) +
           R"(],"buffers":[{"byteLength":44,"uri":")" + buffer + R"("}]})";
}

} // namespace

TEST(RealGltfModels, CountsMaterialsAndOutcomeLines) {
    if (!std::filesystem::exists(kGltfModels))
        GTEST_SKIP() << "assimp-testmodels is not installed (" << kGltfModels << ")";
    const std::string cannot = "SimpleMesh::load: cannot read glTF: ";
    struct Case {
        std::string file, err; // err: the lines before "loaded", or the failure's line
        std::size_t vertices = 0, texCoords = 0, normals = 0, faces = 0;
        std::string worn = "";
    };
    const Case cases[] = {
        // The same textured box as a .gltf with its files, a .glb and a .gltf with everything
        // inline.
        {"BoxTextured-glTF/BoxTextured.gltf", "", 24, 24, 24, 12, "Texture 12 +image"},
        {"BoxTextured-glTF-Binary/BoxTextured.glb", "", 24, 24, 24, 12, "Texture 12 +image"},
        {"BoxTextured-glTF-Embedded/BoxTextured.gltf", "", 24, 24, 24, 12, "Texture 12 +image"},
        // Two normals of no direction, replaced by their faces' own.
        {"BoxBadNormals-glTF-Binary/BoxBadNormals.glb", "", 24, 0, 26, 12, "Red 12"},
        // Lines and points besides the triangles.
        {"IncorrectVertexArrays/Cube.gltf",
         "SimpleMesh::load: primitives that are no triangles, skipped: 4: FILE\n"
         "SimpleMesh::computeNormals: called\n",
         142, 0, 142, 46, "(default) 46"},
        // Broken files: the reason, and the model opened before stays.
        {"IndexOutOfRange/IndexOutOfRange.gltf", cannot + "an index out of range: FILE\n"},
        {"IndexOutOfRange/AllIndicesOutOfRange.gltf", cannot + "an index out of range: FILE\n"},
        {"BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb",
         cannot + "a number that is not finite: FILE\n"},
        {"RecursiveNodes/RecursiveNodes.gltf", cannot + "nodes that contain themselves: FILE\n"},
        {"MissingBin/BoxTextured.gltf", cannot + "File not found : BoxTextured0.bin: FILE\n"},
        {"TestNoRootNode/NoScene.gltf", cannot + "no scene: FILE\n"},
        {"wrongTypes/badArray.gltf", "SimpleMesh::load: no vertices loaded: FILE\n"},
        {"draco/2CylinderEngine.gltf", cannot + "accessor[0] invalid bufferView: FILE\n"},
    };
    for (const Case& c : cases) {
        const std::string path = kGltfModels + c.file;
        SimpleMesh mesh;
        mesh.vertices = std::vector<Vec3>(5);
        bool ok = false;
        const Console console = captureConsole([&] { ok = mesh.load(path, {}); });
        std::string expected = c.err;
        for (std::size_t at; (at = expected.find("FILE")) != std::string::npos;)
            expected.replace(at, 4, path);
        if (c.faces > 0)
            expected += "SimpleMesh::load: " + path + " loaded\n";
        EXPECT_EQ(console.err, expected) << c.file;
        EXPECT_EQ(ok, c.faces > 0) << c.file;
        if (!ok) {
            EXPECT_EQ(mesh.vertices.size(), 5u) << c.file;
            continue;
        }
        EXPECT_EQ((std::array{mesh.vertices.size(), mesh.texCoords.size(), mesh.normals.size(),
                              mesh.faces.size()}),
                  (std::array{c.vertices, c.texCoords, c.normals, c.faces}))
            << c.file;
        EXPECT_EQ(worn(mesh), c.worn) << c.file;
    }
}

// Files broken in one place each, and what a sound one gives: the node's scale and
// translation applied to the positions.
TEST(GltfReader, ChecksEveryAccessorAgainstItsBuffer) {
    TempDir dir;
    const std::string position = R"({"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"})";
    const std::string index = R"({"bufferView":1,"componentType":5123,"count":3,"type":"SCALAR"})";
    const std::string views = R"({"buffer":0,"byteOffset":0,"byteLength":36},)"
                              R"({"buffer":0,"byteOffset":36,"byteLength":6})";
    // The file with a material whose image lies in buffer view 2.
    auto withImage = [](std::string text) {
        text.pop_back();
        return text +
               R"(,"materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}],)"
               R"("textures":[{"source":0}],"images":[{"bufferView":2,"mimeType":"image/png"}]})";
    };
    struct Case {
        std::string name, text, reason;
    };
    const Case cases[] = {
        {"sound", triangleGltf(), ""},
        {"count beyond the view",
         triangleGltf(R"({"bufferView":0,"componentType":5126,"count":4,"type":"VEC3"},)" + index),
         "an accessor beyond its buffer view"},
        {"offset beyond the view",
         triangleGltf(
             R"({"bufferView":0,"byteOffset":4,"componentType":5126,"count":3,"type":"VEC3"},)" +
             index),
         "an accessor beyond its buffer view"},
        {"view beyond the buffer",
         triangleGltf("", R"({"buffer":0,"byteOffset":8,"byteLength":40},)"
                          R"({"buffer":0,"byteOffset":36,"byteLength":6})"),
         "a buffer view beyond its buffer"},
        {"stride shorter than an element",
         triangleGltf("", R"({"buffer":0,"byteOffset":0,"byteLength":36,"byteStride":8},)"
                          R"({"buffer":0,"byteOffset":36,"byteLength":6})"),
         "a buffer view of a bad stride"},
        {"positions of two components",
         triangleGltf(R"({"bufferView":0,"componentType":5126,"count":3,"type":"VEC2"},)" + index),
         "an accessor of the wrong type"},
        {"integer positions",
         triangleGltf(R"({"bufferView":0,"componentType":5125,"count":3,"type":"VEC3"},)" + index),
         "an accessor of the wrong component type"},
        {"indices of floats",
         triangleGltf(position +
                      R"(,{"bufferView":1,"componentType":5126,"count":1,"type":"SCALAR"})"),
         "an index accessor of the wrong component type"},
        // tinygltf hands an image in a buffer view over without looking at the buffer's end.
        {"image beyond its buffer",
         withImage(triangleGltf("", views + R"(,{"buffer":0,"byteOffset":40,"byteLength":4000})")),
         "a buffer view beyond its buffer"},
        {"no such view",
         triangleGltf(R"({"bufferView":7,"componentType":5126,"count":3,"type":"VEC3"},)" + index),
         "an accessor without its buffer view"},
    };
    for (const Case& c : cases) {
        writeFile(dir.file("t.gltf"), c.text);
        GltfModel model;
        EXPECT_EQ(readGltf(dir.file("t.gltf"), model), c.reason) << c.name;
        if (c.reason.empty()) {
            ASSERT_EQ(model.vertices.size(), 3u);
            EXPECT_EQ((std::array{model.vertices[1].x, model.vertices[2].y}),
                      (std::array{12.0f, 2.0f}));
            EXPECT_EQ(model.faces, (IndexLists{{0, 1, 2}}));
        }
    }
    // Binary files whose header or chunks do not add up are refused before they are parsed.
    const std::string json = R"({"asset":{"version":"2.0"}})";
    auto glb = [&](std::uint32_t version, std::uint32_t length, std::uint32_t chunkLength) {
        std::string out = "glTF";
        for (const std::uint32_t word : {version, length, chunkLength, 0x4E4F534Au})
            for (int i = 0; i < 4; ++i)
                out += char((word >> (8 * i)) & 255);
        return out + json;
    };
    const std::uint32_t size = 20 + json.size();
    const std::pair<std::string, std::string> binaries[] = {
        {glb(1, size, json.size()), "binary glTF of another version than 2"},
        {glb(2, size + 4, json.size()), "binary glTF whose length is not the file's"},
        {glb(2, size, json.size() + 1), "binary glTF with a chunk beyond its end"},
        {"glTF", "not a binary glTF file"},
    };
    for (const auto& [bytes, reason] : binaries) {
        writeFile(dir.file("t.glb"), bytes);
        GltfModel model;
        EXPECT_EQ(readGltf(dir.file("t.glb"), model), reason);
    }
}
