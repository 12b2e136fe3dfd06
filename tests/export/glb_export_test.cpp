// The binary glTF file of "Export" read back by an independent reader (assimp's library): the
// same triangles as the export's OBJ file, one primitive per material, each material's colour
// and its image embedded, texture coordinates turned to glTF's convention.
#include "export/export_model.h"
#include "export/gltf_export.h"
#include "mesh/image_decode.h"
#include "mesh/simple_mesh.h"
#include "mesh/texture.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"
#include "tests/support/images.h"

#include <gtest/gtest.h>

#ifdef HV_HAVE_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#endif

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

const float kNoneInverted[4] = {1, 1, 1, 1};

// Opens model as "Open Mesh" does (its materials' images loaded), exports it unconverted into
// folder and returns the console's standard error.
std::string openAndExport(const std::string& model, SimpleMesh& mesh, const std::string& folder) {
    testContext(64, 64);
    installTextureDeleter();
    return captureConsole([&] {
               std::string texture;
               ASSERT_TRUE(mesh.load(model, {}, &texture));
               if (!texture.empty())
                   mesh.loadTexture(texture, {});
               mesh.loadMaterialTextures();
               std::vector<MeshPair> pairs;
               const float eye[3] = {0, 0, -100};
               EXPECT_EQ(exportModel(mesh, mesh, kNoneInverted, pairs, 64, 64, [] {}, folder,
                                     {eye[0], eye[1], eye[2]}),
                         0);
           })
        .err;
}

// The faces of an OBJ file: per face its corners' positions and texture coordinates.
struct ObjFace {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> texCoords;
};
std::vector<ObjFace> objFaces(const std::string& path) {
    std::istringstream in(readFile(path));
    std::vector<std::array<float, 3>> v;
    std::vector<std::array<float, 2>> vt;
    std::vector<ObjFace> faces;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "v") {
            std::array<float, 3> p{};
            words >> p[0] >> p[1] >> p[2];
            v.push_back(p);
        } else if (key == "vt") {
            std::array<float, 2> t{};
            words >> t[0] >> t[1];
            vt.push_back(t);
        } else if (key == "f") {
            ObjFace face;
            for (std::string corner; words >> corner;) {
                const int p = std::stoi(corner) - 1;
                const std::size_t slash = corner.find('/');
                const int t = slash == std::string::npos || corner[slash + 1] == '/'
                                  ? -1
                                  : std::stoi(corner.substr(slash + 1)) - 1;
                face.positions.push_back(v.at(p));
                face.texCoords.push_back(t >= 0 ? vt.at(t) : std::array<float, 2>{0, 0});
            }
            faces.push_back(face);
        }
    }
    return faces;
}

} // namespace

#ifdef HV_HAVE_ASSIMP

namespace {

// What the reader found in the file: per mesh (primitive) its material's name, its triangles'
// count, and per material of a mesh the size of its embedded image (0 x 0 for none) and its colour.
struct Read {
    std::vector<std::string> meshMaterials;
    std::vector<unsigned> triangles;
    std::map<std::string, std::array<int, 2>> imageSizes;
    std::map<std::string, std::array<float, 3>> colours;
    std::map<std::string, DecodedImage> images;
};

// Reads path with assimp; for every triangle, checks that its corners are corners of one face
// of objPath whose count of triangles is not used up, with the same position and texture
// coordinate (assimp turns glTF's v = 0 at the top back to v = 0 at the bottom, as OBJ has it,
// so a file that did not turn them fails here).
Read readBack(const std::string& path, const std::string& objPath) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    Read out;
    if (!scene) {
        ADD_FAILURE() << importer.GetErrorString();
        return out;
    }
    std::vector<ObjFace> faces = objFaces(objPath);
    std::vector<int> left(faces.size());
    for (std::size_t f = 0; f < faces.size(); ++f)
        left[f] = int(faces[f].positions.size()) - 2;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        out.meshMaterials.push_back(scene->mMaterials[mesh->mMaterialIndex]->GetName().C_Str());
        out.triangles.push_back(mesh->mNumFaces);
        EXPECT_TRUE(mesh->HasNormals() && mesh->HasTextureCoords(0));
        for (unsigned t = 0; t < mesh->mNumFaces; ++t) {
            EXPECT_EQ(mesh->mFaces[t].mNumIndices, 3u);
            if (mesh->mFaces[t].mNumIndices != 3)
                continue;
            bool found = false;
            for (std::size_t f = 0; f < faces.size() && !found; ++f) {
                if (left[f] == 0)
                    continue;
                bool all = true;
                for (int k = 0; k < 3 && all; ++k) {
                    const unsigned i = mesh->mFaces[t].mIndices[k];
                    const aiVector3D p = mesh->mVertices[i], uv = mesh->mTextureCoords[0][i];
                    bool corner = false;
                    for (std::size_t c = 0; c < faces[f].positions.size() && !corner; ++c) {
                        const auto& q = faces[f].positions[c];
                        const auto& st = faces[f].texCoords[c];
                        corner = std::fabs(p.x - q[0]) < 1e-5f && std::fabs(p.y - q[1]) < 1e-5f &&
                                 std::fabs(p.z - q[2]) < 1e-5f && std::fabs(uv.x - st[0]) < 1e-5f &&
                                 std::fabs(uv.y - st[1]) < 1e-5f;
                    }
                    all = corner;
                }
                if (all) {
                    --left[f];
                    found = true;
                }
            }
            EXPECT_TRUE(found) << "triangle " << t << " of mesh " << m << " is no OBJ face's";
        }
    }
    for (std::size_t f = 0; f < faces.size(); ++f)
        EXPECT_EQ(left[f], 0) << "OBJ face " << f << " lacks triangles";
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMaterial* material = scene->mMaterials[scene->mMeshes[i]->mMaterialIndex];
        const std::string name = material->GetName().C_Str();
        aiColor4D colour;
        material->Get(AI_MATKEY_BASE_COLOR, colour);
        out.colours[name] = {colour.r, colour.g, colour.b};
        aiString file;
        std::array<int, 2> size{0, 0};
        if (material->GetTexture(aiTextureType_BASE_COLOR, 0, &file) == AI_SUCCESS) {
            const aiTexture* texture = scene->GetEmbeddedTexture(file.C_Str());
            EXPECT_TRUE(texture && texture->mHeight == 0) << name << ": no embedded image";
            if (texture && texture->mHeight == 0) {
                EXPECT_STREQ(texture->achFormatHint, "png");
                DecodedImage image = decodeImageMemory(
                    reinterpret_cast<const unsigned char*>(texture->pcData), texture->mWidth);
                size = {image.width, image.height};
                out.images[name] = std::move(image);
            }
        }
        out.imageSizes[name] = size;
    }
    return out;
}

} // namespace

// Two quads in two materials with a red and a blue image: one primitive each, both images
// embedded as they were shown; the default material has no faces and no primitive; the third
// material has no image.
TEST(ExportGlb, TwoMaterialsTwoImages) {
    TempDir dir;
    testContext(64, 64);
    saveImage(dir.file("red.png"), 2, 1, {{255, 0, 0, 255}, {200, 0, 0, 255}});
    saveImage(dir.file("blue.png"), 1, 2, {{0, 0, 255, 255}, {0, 0, 200, 255}});
    writeFile(dir.file("quads.mtl"), "newmtl left\nmap_Kd red.png\nnewmtl right\nKd 0.1 0.2 0.3\n"
                                     "map_Kd blue.png\nnewmtl plain\nKd 0.25 0.5 0.75\n");
    writeFile(dir.file("quads.obj"),
              "mtllib quads.mtl\nv -2 -1 0\nv 0 -1 0\nv 0 1 0\nv -2 1 0\nv 2 -1 0\nv 2 1 0\n"
              "v 3 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nusemtl left\n"
              "f 1/1/1 2/2/1 3/3/1 4/4/1\nusemtl right\nf 2/1/1 5/2/1 6/3/1 3/4/1\n"
              "usemtl plain\nf 5/1 7/3 6/4\n");
    SimpleMesh mesh;
    openAndExport(dir.file("quads.obj"), mesh, dir.file("data"));
    const Read read = readBack(dir.file("data/export.glb"), dir.file("data/export.obj"));
    EXPECT_EQ(read.meshMaterials, (std::vector<std::string>{"left", "right", "plain"}));
    EXPECT_EQ(read.triangles, (std::vector<unsigned>{2, 2, 1}));
    EXPECT_EQ(read.imageSizes, (std::map<std::string, std::array<int, 2>>{
                                   {"left", {2, 1}}, {"right", {1, 2}}, {"plain", {0, 0}}}));
    // Where an image shows, the colour is white (as drawn); elsewhere the material's own.
    EXPECT_EQ(read.colours.at("right"), (std::array<float, 3>{1, 1, 1}));
    EXPECT_EQ(read.colours.at("plain"), (std::array<float, 3>{0.25f, 0.5f, 0.75f}));
    // The pixels, bottom row first as decoded: red's two columns, blue's two rows.
    EXPECT_EQ(read.images.at("left").rgba,
              (std::vector<unsigned char>{255, 0, 0, 255, 200, 0, 0, 255}));
    EXPECT_EQ(read.images.at("right").rgba,
              (std::vector<unsigned char>{0, 0, 200, 255, 0, 0, 255, 255}));
}

// The spider of assimp-testmodels: its four materials, each with its image, 1368 triangles.
TEST(ExportGlb, ThirdPartyModelKeepsEveryTexture) {
    SKIP_WITHOUT_ASSIMP_MODELS();
    TempDir dir;
    SimpleMesh mesh;
    openAndExport(kAssimpModels + "spider.obj", mesh, dir.file("data"));
    const Read read = readBack(dir.file("data/export.glb"), dir.file("data/export.obj"));
    EXPECT_EQ(read.meshMaterials,
              (std::vector<std::string>{"Skin", "HLeibTex", "BeinTex", "Augentex"}));
    EXPECT_EQ(read.triangles, (std::vector<unsigned>{260, 80, 952, 76}));
    EXPECT_EQ(read.imageSizes,
              (std::map<std::string, std::array<int, 2>>{{"Skin", {250, 250}},
                                                         {"HLeibTex", {249, 250}},
                                                         {"BeinTex", {768, 768}},
                                                         {"Augentex", {128, 128}}}));
    // Opened again, the file gives the same triangles in the same materials.
    SimpleMesh back;
    bool reopened = false;
    captureConsole([&] { reopened = back.load(dir.file("data/export.glb"), {}); });
    ASSERT_TRUE(reopened);
    std::map<std::string, std::size_t> perMaterial;
    for (const int m : back.faceMaterial.get())
        ++perMaterial[back.materials[m].name];
    EXPECT_EQ(perMaterial,
              (std::map<std::string, std::size_t>{
                  {"Skin", 260}, {"HLeibTex", 80}, {"BeinTex", 952}, {"Augentex", 76}}));
    // The embedded image is the one the model names, pixel for pixel.
    const DecodedImage legs = decodeImageFile(kAssimpModels + "drkwood2.jpg");
    EXPECT_TRUE(read.images.at("BeinTex").rgba == legs.rgba);
}

#endif

// Names of materials written on Windows (Latin-1) become valid UTF-8; UTF-8 stays.
TEST(ExportGlb, MaterialNamesAreUtf8) {
    EXPECT_EQ(utf8Name("Terraind\xe6k"), "Terraind\xc3\xa6k");
    EXPECT_EQ(utf8Name("Terraind\xc3\xa6k"), "Terraind\xc3\xa6k");
    EXPECT_EQ(utf8Name("plain"), "plain");
    EXPECT_EQ(utf8Name("cut\xc3"), "cut\xc3\x83");
}
