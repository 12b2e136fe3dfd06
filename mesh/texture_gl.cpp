#include "mesh/image_decode.h"
#include "mesh/simple_mesh.h"
#include "mesh/texture.h"

#include <GL/gl.h>

#include <iostream>
#include <map>
#include <memory>

namespace {

void deleteGlTexture(unsigned name) {
    const GLuint texture = name;
    glDeleteTextures(1, &texture);
}

// The failure line, with the decoder's reason when it gives one beyond a plain refusal.
void reportFailure(const std::string& fileName, const std::string& reason) {
    std::cerr << "SimpleMesh::loadTexture: cannot load texture: " << fileName;
    if (!reason.empty() && reason != "refused")
        std::cerr << " (" << reason << ")";
    std::cerr << '\n';
}

// The largest square texture the context takes; a refused upload would leave the texture
// name without an image, so the size is checked first. Zero when no context answers.
int maxTextureSize() {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

// True when the context can hold a width x height RGBA texture: within the maximum size and
// accepted by a proxy upload (which also weighs the memory the driver can give it).
bool textureFits(int width, int height, int maxSize) {
    if (width > maxSize || height > maxSize)
        return false;
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    GLint proxyWidth = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
    return proxyWidth == width;
}

// Uploads width x height RGBA pixels into texture with linear filtering, edge clamping and the
// modulate environment (the texel times the corner's colour).
void upload(GLuint texture, int width, int height, const void* pixels) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// Decodes the image at path (named fileName in the console lines) into texture, made first
// when it is 0. Returns false, with the reason on standard error and texture unchanged, when
// the image cannot be used.
bool loadInto(const std::string& fileName, const std::string& path, unsigned& texture,
              const std::vector<unsigned char>* bytes = nullptr) {
    if (!bytes && path.empty()) {
        reportFailure(fileName, "");
        return false;
    }
    // The size the context takes is known before decoding, so a picture too large for it is
    // refused from its header, before its pixels take any memory.
    const int maxSize = maxTextureSize();
    const DecodedImage image = bytes ? decodeImageMemory(bytes->data(), bytes->size(), maxSize)
                                     : decodeImageFile(path, maxSize);
    const int width = image.width, height = image.height;
    if (image.tooLarge || (image.error.empty() && !textureFits(width, height, maxSize))) {
        std::cerr << "SimpleMesh::loadTexture: texture too large: " << fileName << " (" << width
                  << "x" << height << ", at most " << maxSize << "x" << maxSize << ")\n";
        return false;
    }
    if (!image.error.empty()) {
        reportFailure(fileName, image.error);
        return false;
    }
    if (texture == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        texture = name;
    }
    upload(texture, width, height, image.rgba.data());
    std::cerr << "SimpleMesh::loadTexture: " << fileName << " (" << width << "x" << height << ")\n";
    return true;
}

} // namespace

void installTextureDeleter() {
    deleteTextureName = deleteGlTexture;
}

bool SimpleMesh::loadTexture(const std::string& fileName,
                             const std::vector<std::string>& searchDirs) {
    if (!loadInto(fileName, findFile(fileName, searchDirs), textureId))
        return false;
    textureOnAllFaces = true;
    return true;
}

void SimpleMesh::loadMaterialTextures() {
    // A model of one material shows its image as the texture of every face (loadTexture).
    if (faceMaterial.empty())
        return;
    std::map<std::string, unsigned> loaded; // each image once, 0 when it failed
    auto names = std::make_shared<TextureNames>();
    std::vector<MeshMaterial> looks = materials;
    for (MeshMaterial& m : looks) {
        if (m.image.empty())
            continue;
        auto [at, fresh] = loaded.try_emplace(m.image, 0u);
        if (fresh && loadInto(m.image, m.image, at->second, m.imageBytes.get()))
            names->names.push_back(at->second);
        m.texture = at->second;
    }
    if (names->names.empty())
        return;
    materials = std::move(looks);
    materialTextures = std::move(names);
}
