#include "mesh/image_decode.h"
#include "mesh/simple_mesh.h"
#include "mesh/texture.h"

#include <GL/gl.h>

#include <iostream>

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

} // namespace

void installTextureDeleter() {
    deleteTextureName = deleteGlTexture;
}

bool SimpleMesh::loadTexture(const std::string& fileName,
                             const std::vector<std::string>& searchDirs) {
    const std::string path = findFile(fileName, searchDirs);
    if (path.empty()) {
        reportFailure(fileName, "");
        return false;
    }
    // The size the context takes is known before decoding, so a picture too large for it is
    // refused from its header, before its pixels take any memory.
    const int maxSize = maxTextureSize();
    const DecodedImage image = decodeImageFile(path, maxSize);
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
    if (textureId == 0) {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        textureId = texture;
    }
    upload(textureId, width, height, image.rgba.data());
    std::cerr << "SimpleMesh::loadTexture: " << fileName << " (" << width << "x" << height << ")\n";
    return true;
}
