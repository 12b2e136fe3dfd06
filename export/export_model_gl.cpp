#include "export/export_model.h"

#include "export/export_obj.h"
#include "export/gltf_export.h"
#include "export/snapshot.h"
#include "mesh/simple_mesh.h"
#include "platform/image_file.h"
#include "platform/replace_file.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>

namespace {

int cannotWrite(const std::string& path, const std::string& why) {
    std::cerr << "exportModel: cannot write " << path << ": " << why << std::endl;
    return 1;
}

// The image of texture `name` as a PNG file's bytes, made through the file tempPath; "" when
// the texture holds no image or the file cannot be made.
std::string texturePng(unsigned name, const std::string& tempPath) {
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> pixels(std::size_t(width) * std::size_t(height) * 4);
    if (!pixels.empty()) {
        // Rows tightly packed; the context's pack state is left as it was.
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glPopClientAttrib();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    // The texture's rows start at v = 0, the bottom of the picture, as savePixels expects.
    if (pixels.empty() || !savePixels(tempPath, IL_PNG, width, height, 4, pixels).empty())
        return "";
    std::ifstream in(tempPath, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(tempPath.c_str());
    return bytes;
}

// The materials of output as the window shows them, with the PNG files of their images.
std::vector<GlbMaterial> glbMaterials(const SimpleMesh& output, const std::string& tempPath,
                                      std::vector<std::string>& images) {
    std::vector<GlbMaterial> out;
    std::map<unsigned, int> imageOf; // texture name -> image, each embedded once
    std::vector<MeshMaterial> materials = output.materials;
    if (materials.empty())
        materials.push_back({"(default)", {1, 1, 1}, "", 0, nullptr});
    for (const MeshMaterial& m : materials) {
        GlbMaterial g;
        g.name = m.name;
        const unsigned texture = output.textureOnAllFaces ? output.textureId : m.texture;
        if (texture != 0 && !imageOf.contains(texture)) {
            std::string png = texturePng(texture, tempPath + ".png");
            imageOf[texture] = png.empty() ? -1 : static_cast<int>(images.size());
            if (!png.empty())
                images.push_back(std::move(png));
        }
        g.image = texture != 0 ? imageOf[texture] : -1;
        if (g.image < 0)
            g.baseColour = {m.diffuse.x, m.diffuse.y, m.diffuse.z, 1};
        out.push_back(g);
    }
    return out;
}

// Writes the model file data/export.glb at tempPath; "" or why it failed.
std::string writeGlb(const SimpleMesh& output, const std::vector<MeshPair>& pairs,
                     const std::array<float, 3>& cameraTranslation, const std::string& tempPath) {
    std::vector<std::string> images;
    const std::vector<GlbMaterial> materials = glbMaterials(output, tempPath, images);
    return writeFileThrough(tempPath, [&](const ByteSink& sink) {
        return writeGlbFile(output, pairs, cameraTranslation.data(), materials, images, sink);
    });
}

} // namespace

int exportModel(const SimpleMesh& input, const SimpleMesh& output, const float partCompression[4],
                std::vector<MeshPair>& pairs, int width, int height,
                const std::function<void()>& renderView, const std::string& folder,
                const std::array<float, 3>& cameraTranslation, std::ostream& trace,
                const StepProgress& progress) {
    auto tell = [&](const char* step, double fraction) {
        if (progress)
            progress(step, fraction);
    };
    // The model files and the texture are replaced together: when one cannot be written,
    // every file of the previous export stays as it was.
    const std::vector<PendingFile> files = {
        {folder + "/export.obj",
         [&](const std::string& tempPath) {
             tell("writing the model", 0);
             return writeObjFile(tempPath, [&](ObjWriter& writer) {
                 writeExport(writer, input, output, partCompression, pairs, trace);
             });
         }},
        {folder + "/export.bmp",
         [&](const std::string& tempPath) {
             tell("taking the snapshot", 0.6);
             return writeSnapshot(width, height, renderView, tempPath);
         }},
        // After the model file, whose writing built the pairs it takes.
        {folder + "/export.glb",
         [&](const std::string& tempPath) {
             tell("writing the glTF file", 0.7);
             return writeGlb(output, pairs, cameraTranslation, tempPath);
         }},
    };
    std::string failedPath;
    const std::string why = replaceFiles(files, failedPath);
    if (!why.empty())
        return cannotWrite(failedPath, why);
    std::cerr << "Done!" << std::endl;
    return 0;
}
