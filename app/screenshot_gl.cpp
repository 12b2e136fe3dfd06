#include "app/screenshot.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <vector>

bool saveWindowImage(const std::string& path, int width, int height) {
    if (width < 1 || height < 1)
        return false;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);

    // glReadPixels delivers the bottom row first, and an image made by ilTexImage has its
    // origin at the lower left: saved, the picture comes out upright.
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool saved = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
    if (saved) {
        ilEnable(IL_FILE_OVERWRITE);
        saved = ilSaveImage(path.c_str());
    }
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return saved;
}
